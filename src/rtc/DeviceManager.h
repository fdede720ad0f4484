#pragma once

#include <QFrame>
#include <QString>
#include <memory>

class QComboBox;
class QLabel;
class QPushButton;
class RtcDeviceManager;

// The class room's device choice dialog, held by the tool bar: lists the
// recording devices, the playback devices and the cameras the RTC engine
// reports, applies the user's picks to the engine and remembers each
// pick's engine id in the settings ("audioInDevice", "audioOutDevice",
// "cameraDevice"), so the next join selects them again. It also applies a
// default audio device that the device watcher or the device test reports.
// GUI thread.
class DeviceManager : public QFrame
{
    Q_OBJECT

public:
    // Kinds of DefaultDeviceChanged.
    enum DeviceKind { Recording = 1, Playback = 2 };

    explicit DeviceManager(QWidget* parent = nullptr);
    ~DeviceManager() override;

    QComboBox* GetAudioInBox() const;
    QComboBox* GetAudioOutBox() const;
    QComboBox* GetVideoBox() const;
    QPushButton* GetOkButton() const;
    QPushButton* GetCancelButton() const;
    QPushButton* GetCloseButton() const;
    QPushButton* GetAvTestButton() const;
    // The line that tells why a device is not in use; hidden when all is well.
    QLabel* GetHintLabel() const;
    bool IsListsFilled() const { return m_listsFilled; }

signals:
    // kind 1 recording, 2 playback; the device's name as the system gives it.
    void DefaultDeviceChanged(int kind, QString name);

public slots:
    // Shows the dialog over the main window, or hides it when shown.
    void ShowDialog();
    void HideDialog();
    // Applies the three picks; the dialog stays open, lists read anew, when
    // a picked device has gone meanwhile.
    void ChanngeDevice();
    void OnDefaultDeviceChanged(int kind, QString name);
    // Hands over to the title bar's device test.
    void ShowAVTestDialog();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Form;

    void FillDeviceLists();
    void ClearLists();
    void ShowHint(const QString& text);

    std::unique_ptr<Form> m_form;
    QFrame* m_inner = nullptr;
    bool m_listsFilled = false;
};
