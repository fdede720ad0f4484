#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

// The device test dialog of the title bar: a guided check of speaker,
// microphone and camera. A panel over the main window; GUI thread.
class DeviceTest : public QFrame
{
    Q_OBJECT

public:
    explicit DeviceTest(QWidget* parent = nullptr);

    // Clears the results and rebuilds the device lists; run before opening.
    void PrepareTest();
    int GetPrepareCount() const { return m_prepareCount; }

public slots:
    // When hidden: over the main window, centred, shown.
    void ShowDialog();
    // Hides the dialog and stops every running test.
    void HideDialog();

private:
    QFrame* m_inner = nullptr;
    QLabel* m_title = nullptr;
    QPushButton* m_btnClose = nullptr;
    int m_prepareCount = 0;
};
