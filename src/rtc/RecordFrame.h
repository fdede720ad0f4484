#pragma once

#include <QFrame>

class MenuBar;

// What the three class-recording frames of the tool bar share: a white
// frame shown over the main window, with a drop shadow when the profile's
// shadow setting is 1. GUI thread.
class RecordFrame : public QFrame
{
    Q_OBJECT

public:
    RecordFrame(const QString& objectName, const QSize& size, QWidget* parent = nullptr);

public slots:
    // Lowers and hides the frame.
    void HideDialog();

protected:
    // Makes the frame a child of the main window (hidden first when shown);
    // null when there is none.
    QWidget* AttachToMainWindow();
    // Directly above the tool bar's record button: left edges aligned, the
    // frame's bottom 1 px above the button's top; kept inside window.
    void PlaceAboveRecordButton(QWidget* window);
    // Shows and raises the frame.
    void Present();
    // The tool bar shows the recording state anew.
    static void RefreshMenuBar();
};
