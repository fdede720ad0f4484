#pragma once

#include <functional>

class DataManager;
class MainWindow;

// The end-of-class feedback asked for when a user leaves the class room or
// closes the window: the student's dialog for roles 5 and above, the
// teacher's for role 4 when the room asks for it. GUI thread.
namespace ExitFeedback {

// Whether the dialog is due; DataManager::CheckIfNeedUserFeedback unless
// replaced.
using Gate = std::function<bool(DataManager& data)>;
void SetGate(Gate gate);

// Runs the due dialog modally. A student dialog that the user submitted
// sends its feedback; leaving directly, Esc or closing send nothing. Both
// dialogs are hidden afterwards.
void Run(MainWindow* window);

} // namespace ExitFeedback
