#pragma once

#include "rtc/RecordFrame.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

// Reports the class recording just stopped and shows its file in the
// desktop's file manager; when the file is missing (its folder removed
// meanwhile) it says so instead. Sits above the tool bar's record button.
// GUI thread.
class AudioRecordBroswerDialog : public RecordFrame
{
    Q_OBJECT

public:
    explicit AudioRecordBroswerDialog(QWidget* parent = nullptr);

    // The latest recording's file: the recording folder, "/", its name.
    static QString LatestRecordingPath();

    QLabel* GetTextLabel() const { return m_text; }
    // The recording's whole path, shown when no file manager opened it.
    QPlainTextEdit* GetPlaceText() const { return m_place; }
    QPushButton* GetBrowseButton() const { return m_btnBrowse; }
    QPushButton* GetCloseButton() const { return m_btnClose; }

public slots:
    void ShowDialog();
    void RecordFileBrowser();

private:
    QLabel* m_text = nullptr;
    QPlainTextEdit* m_place = nullptr;
    QPushButton* m_btnBrowse = nullptr;
    QPushButton* m_btnClose = nullptr;
};
