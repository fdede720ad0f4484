#pragma once

#include <QAudio>
#include <QAudioFormat>
#include <QFrame>
#include <QPointer>
#include <QString>
#include <memory>

#include "rtc/RecordAndPlay.h"

class AudioStream;
class CameraStream;
class MicCapture;
class QBuffer;
class QCameraViewfinder;
class QComboBox;
class QGroupBox;
class QLabel;
class QMeter;
class QPushButton;
class QSlider;

// The device test dialog of the title bar: a guided check of speaker,
// microphone and camera, page by page, ending on a page with the three
// results. A panel over the main window; GUI thread. Choosing a speaker or
// microphone here also selects it in the class room (through the tool
// bar), and the sliders set the RTC engine's volumes.
class DeviceTest : public QFrame
{
    Q_OBJECT

public:
    enum Page { PageSpeaker = 1, PageMicrophone = 2, PageCamera = 3, PageResult = 4 };
    enum Device { Speaker = 0, Microphone = 1, Camera = 2 };
    // The result marks of a device, shifted by four bits per device.
    enum Mark : quint32 { MarkOk = 0x1, MarkAbnormal = 0x4, MarkNoDevice = 0x8 };
    enum Result { ResultOk, ResultAbnormal, ResultNoDevice, ResultNotTested };

    explicit DeviceTest(QWidget* parent = nullptr);
    ~DeviceTest() override;

    // Clears the results and rebuilds the device lists; run before opening.
    void PrepareTest();
    int GetPrepareCount() const { return m_prepareCount; }

    int GetCurrentPage() const { return m_page; }
    quint32 GetResultState() const { return m_resultState; }
    Result GetResult(Device device) const;
    MicCapture* GetMicCapture() const { return m_micCapture.get(); }
    RecordAndPlay* GetRecordAndPlay() const { return m_recordAndPlay; }
    AudioStream* GetAudioOutput() const { return m_audioOutput.get(); }
    bool IsCameraRunning() const { return m_camera != nullptr; }
    // The line of a page that says what went wrong; empty when nothing did.
    QString GetStatusText(Page page) const;
    // Sets the pictures for the current display scale (each show does);
    // nothing is set again while the scale stays.
    void ApplyImages();

public slots:
    // When hidden: over the main window, centred, shown.
    void ShowDialog();
    // Hides the dialog and stops every running test.
    void HideDialog();
    void AudioOutPlay();
    void AudioInCheck();
    void AudioOutStateChange(QAudio::State state);
    void SetAudioOutputVolume(int volume);
    void SetAudioInputVolume(int volume);
    void OnBtn14AudioOutClicked();
    void OnBtn24AudioOutClicked();
    void OnBtn14AudioInClicked();
    void OnBtn24AudioInClicked();
    void OnBtn14CameraClicked();
    void OnBtn24CameraClicked();
    void OnBtnAudioOutClicked();
    void OnBtnAudioInClicked();
    void OnBtnCameraClicked();
    void OnBtnResultClicked();
    void OnReTest();
    void RefreshDisplay();
    void OnRefreshAOutDevice();
    void OnRefreshAInDevice();
    void OnRefreshVOutDevice();
    void AudioOutputDeviceChanged(int index);
    void AudioInputDeviceChanged(int index);
    void VideoOutDeviceChanged(int index);
    void OnDriverLinkJump();
    void OnContactSupportLinkJump();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Where the answer buttons stand: asking, and under the hint box.
    static constexpr int kQuestionY = 230;
    static constexpr int kAnswerY = 397;

    // What the speaker, microphone and camera pages share.
    struct DevicePage {
        QFrame* box = nullptr;
        QComboBox* combo = nullptr;
        QPushButton* refresh = nullptr;
        QGroupBox* notify = nullptr;
        QPushButton* left = nullptr;
        QPushButton* right = nullptr;
        QLabel* status = nullptr;
        QPushButton* driver = nullptr;
    };

    // Form (DeviceTestForm.cpp).
    void BuildForm();
    void BuildLeftFrame();
    QFrame* BuildTab(
        QWidget* parent, int index, const char* tab, const char* icon, const char* label, const QString& text);
    DevicePage BuildDevicePage(Device device, const char* const names[], const QString& caption);
    void BuildSpeakerPage();
    void BuildMicrophonePage();
    void BuildCameraPage();
    void BuildResultPage();
    QGroupBox* BuildHintBox(
        QWidget* parent, const char* name, const QStringList& lines, const char* driver, const char* tail, int height);
    void SetTabBackgrounds();
    void RefreshTabIcons();
    void SetPlayControl(bool playing);
    void SetCheckButton(bool running);
    void SetResultPage();

    // Pages and answers.
    void OpenPage(Page page);
    void StopPage(Page page);
    void PrepareDevicePage(Device device);
    void StartPage(Page page);
    void Answer(Device device, bool left);
    // A test started again: the question is asked afresh.
    void AskAgain(Device device);
    void ShowQuestion(Device device);
    void MoveAnswers(Device device, int y);
    bool HasDevices(Device device) const;
    QStringList SystemDevices(Device device) const;
    // Lists the system's devices anew when they changed; true when there
    // are any.
    bool SyncDeviceList(Device device);
    void SetMark(Device device, Mark mark, bool on);
    bool HasMark(Device device, Mark mark) const;
    // A failure in red, anything else in grey.
    void SetStatus(Device device, const QString& text, bool failure = true);

    // Devices.
    void CreateAudioOutput(const QString& device);
    void CreateMicCapture(const QString& device);
    void StopMicTest();
    void StartRecordAndPlay();
    void StopSpeaker();
    void StartCamera();
    void DeleteCamera();
    void StopTests();
    void SelectDevice(int kind, const QString& name);

    // The form.
    QFrame* m_inner = nullptr;
    QLabel* m_title = nullptr;
    QPushButton* m_btnClose = nullptr;
    QFrame* m_tabs[4] = {};
    QPushButton* m_tabIcons[4] = {};
    QLabel* m_tabLabels[4] = {};
    QPushButton* m_btnContactSupp = nullptr;
    QFrame* m_boxes[4] = {};
    DevicePage m_pages[3];
    QLabel* m_playControl = nullptr;
    QPushButton* m_btnPlay = nullptr;
    QLabel* m_labelPlay = nullptr;
    QSlider* m_sliderOut = nullptr;
    QPushButton* m_btnInCheck = nullptr;
    QMeter* m_meter = nullptr;
    QSlider* m_sliderIn = nullptr;
    QFrame* m_viewFrame = nullptr;
    QCameraViewfinder* m_viewfinder = nullptr;
    QLabel* m_cameraIdle = nullptr;
    QPushButton* m_resultIcons[3] = {};
    QLabel* m_resultTexts[3] = {};
    QPushButton* m_btn14Result = nullptr;
    QPushButton* m_btn24Result = nullptr;

    // The tests.
    std::unique_ptr<CameraStream> m_camera;
    QPointer<RecordAndPlay> m_recordAndPlay;
    std::unique_ptr<MicCapture> m_micCapture;
    std::unique_ptr<AudioStream> m_audioOutput;
    QBuffer* m_testSound = nullptr;
    // The microphone's; the speaker plays the test sound in its own.
    QAudioFormat m_format;
    QAudioFormat m_soundFormat;
    QString m_audioInDevice;
    QString m_audioOutDevice;
    // The scale folder whose pictures are set.
    QString m_imagesFolder;
    int m_page = PageSpeaker;
    quint32 m_resultState = 0;
    int m_prepareCount = 0;
};
