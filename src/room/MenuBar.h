#pragma once

#include <QAtomicInt>
#include <QLabel>

class QMeter;
class QPushButton;

// The class room's bottom tool bar: audio and video controls, push-to-talk
// on the Alt key and the microphone level meter. GUI thread; its SpeakMode
// is also read by the keyboard hook and set by the session thread.
class MenuBar : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(int SpeakMode READ GetSpeakMode WRITE SetSpeakMode)

public:
    enum SpeakModeValue { SpeakFree = 1, SpeakHoldAlt = 2 };

    explicit MenuBar(QWidget* parent = nullptr);

    // Wires the bar once the local user has joined the room.
    void InitUI();
    // Lays the bar out across the bottom of the main window.
    void SetupLayout(QWidget* window);

    // 1 free speech, 2 hold Alt to talk. Any thread.
    int GetSpeakMode() const { return m_speakMode.loadAcquire(); }
    void SetSpeakMode(int mode) { m_speakMode.storeRelease(mode); }

    // Start and end of hold-Alt-to-talk.
    void OnAltKeyPress();
    void OnAltKeyRelease();

    QMeter* GetMeter() const { return m_meter; }

signals:
    void ButtonWithCmdPress();
    void CleanUp();
    void UpdateVolumInfo();
    void UpdateUIByPermission(int permission);
    // 1 no recording device, 2 recording devices present.
    void UpdateMacphone(int type);

public slots:
    void UpdateUIByStates(int status);
    void OnCleanUp();
    void OnUpdateVolumInfo();
    void OnUpdateUIByPermission(int permission);
    void OnUpdateMacphone(int type);
    void OnUpdateAudioRecordStatus();
    void HidePopUpWidget();
    void GetMicrophonePeakVolum();
    void CalcuMicroVolum();

private slots:
    void OnButtonWithCmdPress();

private:
    QMeter* m_meter = nullptr;
    QPushButton* m_btnRecord = nullptr;
    QWidget* m_mainWindow = nullptr;
    QAtomicInt m_speakMode { 0 };
    int m_peaks[3] = { 0, 0, 0 };
    int m_peakPos = 0;
    int m_currentPeak = 0;
    int m_speaking = 0;
};
