#include "DeamonThreadMgr.h"

#include "app/Nexus.h"
#include "app/Profile.h"
#include "platform/SystemDevices.h"
#include "room/MenuBar.h"
#include "room/MiddleArea.h"
#include "room/NotifyType.h"
#include "rtc/DeviceManager.h"
#include "rtc/Player.h"

#include <QCoreApplication>
#include <QDebug>
#include <QThread>
#include <QTimer>
#include <functional>
#include <optional>

namespace {
enum MicrophoneState { NoMicrophone = 1, MicrophonePresent = 2 };

// The screens and their members belong to the GUI thread, which may
// delete them at any time: what the watcher tells them is looked up and
// emitted there, in the order told, never read from the watcher's thread.
void InGuiThread(std::function<void()> tell)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    if (QThread::currentThread() == app->thread())
        tell();
    else
        QMetaObject::invokeMethod(app, std::move(tell), Qt::QueuedConnection);
}

void Notify(int type)
{
    InGuiThread([type] {
        if (MiddleArea* middle = Nexus::GetMiddleArea())
            emit middle->ShowMsgNotifyWidget(type);
    });
}

void TellMenuBar(int state)
{
    InGuiThread([state] {
        if (MenuBar* bar = Nexus::GetMenuBar())
            emit bar->UpdateMacphone(state);
    });
}

// Compares the system's device names of one kind with the known ones: a
// different count empties the known set (and answers true); each name not
// known is logged and added, the last of them handed back in newest.
bool Refresh(const QStringList& names, QStringList& known, const char* log, QString& newest)
{
    const bool changed = names.size() != known.size();
    if (changed)
        known.clear();
    for (const QString& name : names) {
        if (known.contains(name))
            continue;
        qDebug() << log << name;
        newest = name;
        known << name;
    }
    return changed;
}

void TellDeviceDialog(int kind, const QString& name)
{
    InGuiThread([kind, name] {
        MenuBar* bar = Nexus::GetMenuBar();
        if (DeviceManager* dialog = bar ? bar->GetDeviceManager() : nullptr)
            emit dialog->DefaultDeviceChanged(kind, name);
    });
}
} // namespace

DeamonThreadMgr::DeamonThreadMgr(QThread* thread, Profile* profile)
    : QObject(nullptr)
    , m_profile(profile)
{
    Q_UNUSED(thread)
    connect(this, &DeamonThreadMgr::DeviceInfoGet, this, &DeamonThreadMgr::OnDeviceInfoGet);
    connect(this, &DeamonThreadMgr::Cleanup, this, &DeamonThreadMgr::OnCleanup);
}

DeamonThreadMgr::~DeamonThreadMgr()
{
    // Runs in the watcher's own thread as it finishes (the profile waits for
    // the thread from outside), so its timer can be stopped here.
    delete m_timer;
    m_timer = nullptr;
}

void DeamonThreadMgr::OnDeviceInfoGet()
{
    if (!m_timer) {
        m_timer = new QTimer(this);
        connect(m_timer, &QTimer::timeout, this, &DeamonThreadMgr::OnDeviceInfoGet);
        m_timer->start(kPollMs);
        return;
    }
    CheckDevices();
}

void DeamonThreadMgr::OnCleanup()
{
    if (m_profile)
        m_profile->SetDeviceFirstCheckDone(false);
    delete m_timer;
    m_timer = nullptr;
    m_inputs.clear();
    m_outputs.clear();
}

int DeamonThreadMgr::PlaybackVolume()
{
    auto ask = [] {
        Player* player = Nexus::GetPlayer();
        return player ? player->GetMediaPlayer()->GetAudioOutVolume() : 0;
    };
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        return app ? ask() : 0;
    int volume = 0;
    QMetaObject::invokeMethod(
        app, [&volume, ask] { volume = ask(); }, Qt::BlockingQueuedConnection);
    return volume;
}

void DeamonThreadMgr::CheckDevices()
{
    if (!m_profile)
        return;
    const bool firstCheckDone = m_profile->GetDeviceFirstCheckDone();
    if (!firstCheckDone) {
        m_inputs.clear();
        m_outputs.clear();
    }
    const QStringList inputs = SystemDevices::AudioNames(QAudio::AudioInput);
    const QStringList outputs = SystemDevices::AudioNames(QAudio::AudioOutput);
    QString newInput;
    QString newOutput;
    const bool inputsChanged = Refresh(inputs, m_inputs, "new AudioInput DeviceName:", newInput);
    if (inputsChanged)
        TellMenuBar(inputs.isEmpty() ? NoMicrophone : MicrophonePresent);
    const bool outputsChanged = Refresh(outputs, m_outputs, "new :AudioOut DeviceName:", newOutput);
    if (inputsChanged || outputsChanged)
        m_profile->SetDeviceListChanged(true);
    // The last microphone or speaker going away during the class is a
    // device problem like one found at the first check: told the same
    // way, and its return told as the devices working again.
    const bool lostAll
        = firstCheckDone && ((inputsChanged && inputs.isEmpty()) || (outputsChanged && outputs.isEmpty()));

    // Asking the engine blocks this thread on the GUI thread, which lists
    // the playback devices for it: done only when a notice depends on it,
    // not on every tick.
    std::optional<int> volume;
    auto playbackVolume = [&volume, &outputs] {
        if (!volume)
            volume = outputs.isEmpty() ? 0 : PlaybackVolume();
        return *volume;
    };
    if (!firstCheckDone || lostAll) {
        if (inputs.isEmpty()) {
            Notify(playbackVolume() == 0 ? NotifyNoMicrophoneNoSound : NotifyNoMicrophone);
            TellMenuBar(NoMicrophone);
        } else if (playbackVolume() == 0) {
            Notify(NotifyNoSound);
        }
        if (lostAll)
            m_profile->SetDeviceReTestRequested(true);
        m_profile->SetDeviceFirstCheckDone(true);
    }
    if (firstCheckDone) {
        if (!newOutput.isEmpty())
            TellDeviceDialog(2, newOutput);
        if (!newInput.isEmpty())
            TellDeviceDialog(1, newInput);
    }
    if (!m_inputs.isEmpty() && m_profile->GetDeviceReTestRequested() && playbackVolume() != 0) {
        Notify(NotifyDeviceRecovered);
        m_profile->SetDeviceReTestRequested(false);
    }
}
