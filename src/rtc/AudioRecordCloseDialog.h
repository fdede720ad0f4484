#pragma once

#include "rtc/RecordFrame.h"

class QLabel;
class QPushButton;

// Asks whether to stop the running class recording; on "确定" stops it and
// hands over to the frame that reports the file. Sits above the tool bar's
// record button. GUI thread.
class AudioRecordCloseDialog : public RecordFrame
{
    Q_OBJECT

public:
    explicit AudioRecordCloseDialog(QWidget* parent = nullptr);

    QLabel* GetTextLabel() const { return m_text; }
    QPushButton* GetOkButton() const { return m_btnOk; }
    QPushButton* GetCancelButton() const { return m_btnCancel; }

public slots:
    void ShowDialog();
    void StopRecord();

private:
    QLabel* m_text = nullptr;
    QPushButton* m_btnOk = nullptr;
    QPushButton* m_btnCancel = nullptr;
};
