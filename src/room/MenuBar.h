#pragma once

#include "room/VoicePanel.h"

#include <QAtomicInt>
#include <QLabel>
#include <QList>
#include <QMetaObject>
#include <QPointer>
#include <QSlider>
#include <functional>
#include <memory>

class AudioRecordBroswerDialog;
class AudioRecordCloseDialog;
class AudioRecordSetDialog;
class DeviceManager;
class MicCapture;
class QMeter;
class QPushButton;
class QTimer;

// The class room's bottom tool bar: audio and video controls, push-to-talk
// on the Alt key and the microphone level meter. GUI thread; its SpeakMode
// is also read by the keyboard hook and set by the session thread.
class MenuBar : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(int SpeakMode READ GetSpeakMode WRITE SetSpeakMode)

public:
    enum SpeakModeValue { SpeakFree = 1, SpeakHoldAlt = 2 };
    enum MeteringMode { MeterStart = 1, MeterPause = 2, MeterRelease = 3 };

    // Asks the user for accompaniment files; returns the chosen paths.
    using FileChooser = std::function<QStringList(QWidget* parent)>;

    explicit MenuBar(QWidget* parent = nullptr);
    ~MenuBar() override;

    // Wires the bar once the local user has joined the room. A second call
    // before the clean-up changes nothing, so no button is wired twice.
    void InitUI();
    // Lays the bar out across the bottom of the main window.
    void SetupLayout(QWidget* window);
    // Takes the width the user list and the right column leave it now, its
    // right-hand buttons moving with its right edge.
    void FollowColumns();

    // 1 free speech, 2 hold Alt to talk. Any thread.
    int GetSpeakMode() const { return m_speakMode.loadAcquire(); }
    void SetSpeakMode(int mode) { m_speakMode.storeRelease(mode); }

    // Start and end of hold-Alt-to-talk.
    void OnAltKeyPress();
    void OnAltKeyRelease();
    // The main window lost activation: a held Alt is released.
    void OnWindowDeactivate();
    // Starts, pauses or releases the microphone capture of the meter.
    void SetMicMetering(int mode);
    // Opens the speaking-mode pop-up above its button.
    void ShowVoicePanel();

    // Replaces the file dialog (tests); an empty chooser restores it.
    static void SetFileChooser(FileChooser chooser);

    QMeter* GetMeter() const { return m_meter; }
    VoicePanel* GetVoicePanel() const { return m_voicePanel; }
    QSlider* GetOutputSlider() const { return m_volumOutputSlider; }
    QSlider* GetInputSlider() const { return m_volumeInputSlider; }
    MicCapture* GetMicCapture() const { return m_capture.get(); }
    QPushButton* GetSpeakerButton() const { return m_btnAudioOutput; }
    QPushButton* GetCameraButton() const { return m_btnCamera; }
    QPushButton* GetDeviceButton() const { return m_btnDevice; }
    QPushButton* GetMicrophoneButton() const { return m_btnMacphone; }
    QPushButton* GetSpeakModeButton() const { return m_btnSpeakMode; }
    QPushButton* GetRecordButton() const { return m_btnRecord; }
    QPushButton* GetRecordLabel() const { return m_recordLabel; }
    QPushButton* GetAudioMixButton() const { return m_btnAudioMix; }
    QPushButton* GetMarkButton() const { return m_btnMark; }
    // The device dialog and the class-recording frames the bar opens; they
    // live in the main window while shown. Made with the bar, never
    // replaced, so the device watcher may ask for the dialog from its thread.
    DeviceManager* GetDeviceManager() const;
    AudioRecordSetDialog* GetAudioRecordSetDialog() const;
    AudioRecordCloseDialog* GetAudioRecordCloseDialog() const;
    AudioRecordBroswerDialog* GetAudioRecordBroswerDialog() const;

signals:
    void ButtonWithCmdPress();
    void CleanUp();
    void UpdateVolumInfo();
    void UpdateUIByPermission(int permission);
    // 1 no recording device, 2 recording devices present.
    void UpdateMacphone(int type);
    // The device button and the record button (as the recording state
    // decides) open the bar's dialogs.
    void DeviceDialogRequested();
    void RecordStartRequested();
    void RecordStopRequested();
    // A speaker (kind 2) or microphone (kind 1) chosen by name in the device
    // test; the device dialog selects it in the engine and remembers it.
    void DefaultDeviceChosen(int kind, const QString& name);

public slots:
    void UpdateUIByStates(int status);
    void OnCleanUp();
    void OnUpdateVolumInfo();
    void OnUpdateUIByPermission(int permission);
    void ShowAudioOutputSlider();
    void ShowAudioInputSlider();
    void MuteAudioInput();
    void ShowAudioMixDialog();
    void MuteAudioOutput();
    void RefreshAudioBtnIcon(int value);
    void GetMicrophonePeakVolum();
    void CalcuMicroVolum();
    void ClosePopUpWidget(QEvent* event);
    void HidePopUpWidget();
    void OnUpdateMacphone(int type);
    void OnAudioRecordPressed();
    void OnUpdateAudioRecordStatus();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void InitCSS();
    void InitAudioInput();
    // Deletes the input and its meter and makes them again.
    void RebuildAudioInput();
    // Wires the microphone and speaking-mode buttons (cut while no input
    // device is present).
    void WireMicrophone();
    void UnwireMicrophone();
    void SetIcon(QPushButton* button, const QString& normal, const QString& hover, bool solidHover = false);
    void SetModeIcon(int width, const QString& image);
    void SetModeIconByRights();
    void SetPlaybackVolume(int volume);
    void StartHideTimer(QTimer* timer, QSlider* slider);
    void ReleaseTalk();
    void PlaceMeter();
    // Closes the other panels' pop-ups and, unless kept, the speaking-mode
    // pop-up.
    void HidePopUps(bool keepVoicePanel);
    void PlaceBetweenColumns(QWidget* window);
    void PlaceRightGroup();
    bool HasMicrophoneRight() const;
    bool IsMicrophoneMuted() const;

    QPointer<VoicePanel> m_voicePanel;
    QPointer<QSlider> m_volumOutputSlider;
    QPointer<QSlider> m_volumeInputSlider;
    QTimer* m_outputHideTimer = nullptr;
    QTimer* m_inputHideTimer = nullptr;
    QPushButton* m_btnAudioOutput = nullptr;
    QPushButton* m_btnCamera = nullptr;
    QPushButton* m_btnDevice = nullptr;
    QPushButton* m_btnAudioMix = nullptr;
    QPushButton* m_btnMark = nullptr;
    QPushButton* m_btnMacphone = nullptr;
    QPushButton* m_btnSpeakMode = nullptr;
    QPushButton* m_btnRecord = nullptr;
    QPushButton* m_recordLabel = nullptr;
    QMeter* m_meter = nullptr;
    QPointer<DeviceManager> m_deviceManager;
    QPointer<AudioRecordSetDialog> m_recordSetDialog;
    QPointer<AudioRecordCloseDialog> m_recordCloseDialog;
    QPointer<AudioRecordBroswerDialog> m_recordBroswerDialog;
    QPointer<QWidget> m_mainWindow;
    std::unique_ptr<MicCapture> m_capture;
    QTimer* m_meterTimer = nullptr;
    QList<QMetaObject::Connection> m_wiring;
    QList<QMetaObject::Connection> m_micWiring;
    QPointer<QWidget> m_filteredWindow;
    QAtomicInt m_speakMode { 0 };
    bool m_initDone = false;
    bool m_hasInputDevice = true;
    // Set while Alt holds the microphone open.
    bool m_altTalking = false;
    int m_peaks[3] = { 0, 0, 0 };
    int m_peakPos = 0;
    int m_currentPeak = 0;
    int m_speaking = 0;
};
