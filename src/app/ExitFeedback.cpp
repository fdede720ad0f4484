#include "ExitFeedback.h"

#include "MainWindow.h"
#include "Nexus.h"
#include "entry/TeacherFeedBack.h"
#include "entry/UserFeedBack.h"
#include "session/DataManager.h"

#include <QDebug>
#include <QPointer>

namespace ExitFeedback {

namespace {
Gate& CurrentGate()
{
    static Gate gate;
    return gate;
}
} // namespace

void SetGate(Gate gate)
{
    CurrentGate() = std::move(gate);
}

void Run(MainWindow* window)
{
    DataManager* data = Nexus::GetDataManager();
    if (!window || !data)
        return;
    const Gate& gate = CurrentGate();
    if (!(gate ? gate(*data) : data->CheckIfNeedUserFeedback()))
        return;

    QPointer<UserFeedBack> student = window->GetUserFeedBack();
    QPointer<TeacherFeedBack> teacher = window->GetTeacherFeedBack();
    const int role = data->GetRoomRole();
    if (role >= 5 && student) {
        student->OnShowDialog();
        student->exec();
        // Only "提交并退出" sends: Esc and closing end the dialog as rejected
        // too, and must not post a score the user never gave.
        if (student && student->IsSubmitted())
            student->OnFeedbackAndDirectExt();
    } else if (role == 4 && teacher && data->GetTeacherFeedbackFlag()) {
        teacher->OnShowDialog();
        teacher->exec();
    }
    if (student && student->isVisible())
        student->hide();
    if (teacher && teacher->isVisible())
        teacher->hide();
}

} // namespace ExitFeedback
