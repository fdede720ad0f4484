#pragma once

#include "rtc/RecordFrame.h"

#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;

// First of the tool bar's class-recording frames: shows the recording
// folder (which the user may change), asks for consent and starts the
// recording of the class's audio into a file named by the start time.
// Centred over the main window. GUI thread.
class AudioRecordSetDialog : public RecordFrame
{
    Q_OBJECT

public:
    // Asks the user for a folder, starting at current; empty when cancelled.
    using FolderChooser = std::function<QString(QWidget* parent, const QString& current)>;

    explicit AudioRecordSetDialog(QWidget* parent = nullptr);

    // Replaces the folder dialog (tests); an empty chooser restores it.
    static void SetFolderChooser(FolderChooser chooser);

    // Starts the class recording into the recording folder (made when
    // missing) and shows it on the tool bar. The recording flag and room
    // are set only when the engine took the start; otherwise the reason,
    // as the user reads it, goes to error and no file is left behind.
    static bool StartClassRecording(QString* error);

    QLabel* GetPathLabel() const { return m_path; }
    QLabel* GetErrorLabel() const { return m_error; }
    QCheckBox* GetConsentBox() const { return m_consent; }
    QPushButton* GetChangeButton() const { return m_btnChange; }
    QPushButton* GetStartButton() const { return m_btnStart; }
    QPushButton* GetCancelButton() const { return m_btnCancel; }

public slots:
    void ShowDialog();
    // Shown with the reason a recording could not start.
    void ShowFailure(const QString& reason);
    void RecordDirBroswer();
    void BeginRecord();
    void UpdateCheckedStyle(int state);

private:
    void ShowFolder(const QString& folder);
    void ShowError(const QString& text);

    QLabel* m_title = nullptr;
    QLabel* m_path = nullptr;
    QPushButton* m_btnChange = nullptr;
    QLabel* m_reminder = nullptr;
    QLabel* m_warning = nullptr;
    QCheckBox* m_consent = nullptr;
    QLabel* m_error = nullptr;
    QPushButton* m_btnStart = nullptr;
    QPushButton* m_btnCancel = nullptr;
};
