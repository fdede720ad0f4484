#pragma once

class QWidget;

// The soft edge of a dialog drawn in its own margin: the widget's rectangle
// inset by kMargin is filled white and ringed by kMargin grey outlines that
// fade out towards the widget's edge. Called from the dialog's paint event.
namespace ShadowedFrame {

constexpr int kMargin = 12;

void Paint(QWidget* widget);

} // namespace ShadowedFrame
