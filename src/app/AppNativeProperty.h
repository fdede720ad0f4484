#pragma once

#include "Locked.h"

#include <QMap>
#include <QString>
#include <atomic>

// Local state of this run shared between screens and workers, and a few
// per-user settings cached here. Numbers are atomics and texts are copied
// under a lock, so any thread may read them.
class AppNativeProperty
{
public:
    AppNativeProperty();

    // The folder of the program's per-user data (downloads, properties),
    // with a trailing "/".
    static QString GetWritableDir();

    // Login phase of the main window (see LoginPhase).
    int GetLoginPhase() const { return m_loginPhase; }
    void SetLoginPhase(int phase) { m_loginPhase = phase; }

    bool GetReEntryFlag() const { return m_reEntry; }
    void SetReEntryFlag(bool on) { m_reEntry = on; }
    bool GetAltHeld() const { return m_altHeld; }
    void SetAltHeld(bool held) { m_altHeld = held; }
    int GetTestServerFlag() const { return m_testServer; }
    void SetTestServerFlag(int flag) { m_testServer = flag; }
    int GetCoursesPerHistoryPage() const { return m_coursesPerHistoryPage; }
    void SetCoursesPerHistoryPage(int count) { m_coursesPerHistoryPage = count; }
    int GetKeepAliveInterval() const { return m_keepAliveInterval; }
    int GetMaxMarkCount() const { return m_maxMarks; }
    int GetMinMarkInterval() const { return m_minMarkInterval; }

    // The playback volume to restore at exit; -1 while none was saved, so
    // an exit never mutes the speakers of a user who changed nothing.
    int GetOutputVolume() const { return m_outputVolume; }
    void SetOutputVolume(int volume) { m_outputVolume = volume; }

    double GetScaleFactor() const { return m_scaleFactor; }
    QString GetScaleFolder() const { return m_scaleFolder.Get(); }
    void SetScale(double factor, const QString& folder);

    QString GetDataFolder() const { return m_dataFolder.Get(); }
    void SetDataFolder(const QString& folder) { m_dataFolder.Set(folder); }

    // The folder of class recordings: the one the user chose, else the
    // default ("Plovix" in the user's music folder, else in the documents).
    QString GetRecordPath();
    void SetRecordPath(const QString& path);
    QString GetDefaultRecordPath() const { return m_defaultRecordPath.Get(); }
    void SetDefaultRecordPath(const QString& path) { m_defaultRecordPath.Set(path); }
    // The file name of the latest class recording (without its folder).
    QString GetRecordFileName() const { return m_recordFileName.Get(); }
    void SetRecordFileName(const QString& name) { m_recordFileName.Set(name); }
    // 1: the small frames over the main window cast a drop shadow.
    int GetShadowSetting() const { return m_shadowSetting; }
    void SetShadowSetting(int setting) { m_shadowSetting = setting; }

    // What the public-address look-up found: the user's public address,
    // city and network supplier. Written by the transfer worker, read by
    // the session worker.
    QString GetUserIp() const { return m_userIp.Get(); }
    void SetUserIp(const QString& ip) { m_userIp.Set(ip); }
    QString GetUserLocation() const { return m_userLocation.Get(); }
    void SetUserLocation(const QString& city) { m_userLocation.Set(city); }
    QString GetUserSupplier() const { return m_userSupplier.Get(); }
    void SetUserSupplier(const QString& supplier) { m_userSupplier.Set(supplier); }
    // The signalling server chosen by the server look-up; empty before it.
    QString GetChosenServer() const { return m_chosenServer.Get(); }
    void SetChosenServer(const QString& server) { m_chosenServer.Set(server); }
    // The address the classroom host resolves to (with the host's port when
    // it names one); empty until looked up, "unsolve" after a failed look-up.
    QString GetDefaultServerAddress() const { return m_defaultServerAddress.Get(); }
    void SetDefaultServerAddress(const QString& address) { m_defaultServerAddress.Set(address); }
    // The room's kind from the room join: 1 "live", 2 "communication"; read
    // by the RTC engine start-up.
    int GetRoomType() const { return m_roomType; }
    void SetRoomType(int type) { m_roomType = type; }

    // Read from the server properties, replaced whole by each reading: the
    // node names ("node.ispList"), the registration node names
    // ("reg.servers.ispList"), the candidate classroom servers of every node
    // and the registration servers, each "|"-separated.
    QString GetNodeList() const { return m_nodeList.Get(); }
    void SetNodeList(const QString& nodes) { m_nodeList.Set(nodes); }
    QString GetRegNodeList() const { return m_regNodeList.Get(); }
    void SetRegNodeList(const QString& nodes) { m_regNodeList.Set(nodes); }
    QString GetClassroomServers() const { return m_classroomServers.Get(); }
    void SetClassroomServers(const QString& servers) { m_classroomServers.Set(servers); }
    QString GetRegServers() const { return m_regServers.Get(); }
    void SetRegServers(const QString& servers) { m_regServers.Set(servers); }
    // Each node's own "classroom.servers.<name>" value by node name, so a
    // node choice reaches that node's servers whatever the others hold.
    QMap<QString, QString> GetNodeServers() const { return m_nodeServers.Get(); }
    void SetNodeServers(const QMap<QString, QString>& servers) { m_nodeServers.Set(servers); }
    // The course-page cache folder: the data folder + "courlist/".
    QString GetCourseCacheFolder() const { return m_courseCacheFolder.Get(); }
    void SetCourseCacheFolder(const QString& folder) { m_courseCacheFolder.Set(folder); }

    // What the update check found: the text the updater shows and whether
    // the update is compulsory (once set, it stays set for the run).
    QString GetUpdateMessage() const { return m_updateMessage.Get(); }
    void SetUpdateMessage(const QString& message) { m_updateMessage.Set(message); }
    bool GetUpdateForce() const { return m_updateForce; }
    void SetUpdateForce(bool force) { m_updateForce = force; }

    // 1 while a refresh of the course lists asked for by the course home
    // page runs; the school road clears it whenever it ends.
    int GetCourseListRefreshFlag() const { return m_courseListRefresh; }
    void SetCourseListRefreshFlag(int flag) { m_courseListRefresh = flag; }

    // Set while a class recording runs; a room clean-up clears it.
    bool GetClassRecordingFlag() const { return m_classRecording; }
    void SetClassRecordingFlag(bool on) { m_classRecording = on; }

    // ---- RTC engine start-up and link-quality alarm
    // Set by the first link-quality report of the run, never cleared.
    bool GetQosReported() const { return m_qosReported; }
    void SetQosReported(bool on) { m_qosReported = on; }
    // The device test was offered (or the device notice raised) in this run.
    bool GetDeviceNoticeGiven() const { return m_deviceNoticeGiven; }
    void SetDeviceNoticeGiven(bool on) { m_deviceNoticeGiven = on; }
    // A device problem waits to be told after the next join.
    bool GetDeviceNoticePending() const { return m_deviceNoticePending; }
    void SetDeviceNoticePending(bool on) { m_deviceNoticePending = on; }
    // The room whose class recording runs (restarted when it is entered
    // again); empty when none.
    QString GetRecordingRoomId() const { return m_recordingRoomId.Get(); }
    void SetRecordingRoomId(const QString& roomId) { m_recordingRoomId.Set(roomId); }
    // ---- device watcher flags: the notice bar's "重新检测" clears the
    // first check so the problem notices are raised again, and asks for
    // the next recovery to be reported.
    bool GetDeviceFirstCheckDone() const { return m_deviceFirstCheckDone; }
    void SetDeviceFirstCheckDone(bool done) { m_deviceFirstCheckDone = done; }
    bool GetDeviceReTestRequested() const { return m_deviceReTestRequested; }
    void SetDeviceReTestRequested(bool requested) { m_deviceReTestRequested = requested; }
    // Set by the device watcher whenever the audio device lists change;
    // the device test reads and clears it.
    bool GetDeviceListChanged() const { return m_deviceListChanged; }
    void SetDeviceListChanged(bool changed) { m_deviceListChanged = changed; }
    // ---- the bottom tool bar's audio state
    // Set: the main window's keyboard hook drives hold-Alt-to-talk; clear:
    // the tool bar filters the main window's key events itself.
    bool GetKeyHookSwitch() const { return m_keyHookSwitch; }
    void SetKeyHookSwitch(bool on) { m_keyHookSwitch = on; }
    // 1 while the user has muted the microphone (or the speaker), else 0.
    int GetMicrophoneMuted() const { return m_microphoneMuted; }
    void SetMicrophoneMuted(int muted) { m_microphoneMuted = muted; }
    int GetSpeakerMuted() const { return m_speakerMuted; }
    void SetSpeakerMuted(int muted) { m_speakerMuted = muted; }
    // The last recording and playback volumes set in the engine; -1 while
    // none was set.
    int GetInputVolume() const { return m_inputVolume; }
    void SetInputVolume(int volume) { m_inputVolume = volume; }
    int GetLastOutputVolume() const { return m_lastOutputVolume; }
    void SetLastOutputVolume(int volume) { m_lastOutputVolume = volume; }

    // The room role decides between the teacher and the student guide code.
    int GetUserGuideCode(int role);
    void SetUserGuideCode(int role, int code);

private:
    std::atomic<bool> m_reEntry { false };
    std::atomic<bool> m_altHeld { false };
    std::atomic<bool> m_updateForce { false };
    std::atomic<bool> m_classRecording { false };
    std::atomic<bool> m_qosReported { false };
    std::atomic<bool> m_deviceNoticeGiven { false };
    std::atomic<bool> m_deviceNoticePending { false };
    std::atomic<bool> m_deviceFirstCheckDone { false };
    std::atomic<bool> m_deviceReTestRequested { false };
    std::atomic<bool> m_deviceListChanged { true };
    std::atomic<int> m_shadowSetting { 1 };
    std::atomic<int> m_testServer { 0 };
    std::atomic<int> m_coursesPerHistoryPage { 15 };
    std::atomic<int> m_outputVolume { -1 };
    std::atomic<int> m_loginPhase { 0 };
    std::atomic<int> m_keepAliveInterval { 60000 };
    std::atomic<int> m_maxMarks { 50 };
    std::atomic<int> m_minMarkInterval { 3 };
    std::atomic<int> m_userGuideCode { 0 };
    std::atomic<int> m_roomType { 0 };
    std::atomic<int> m_courseListRefresh { 0 };
    std::atomic<bool> m_keyHookSwitch { true };
    std::atomic<int> m_microphoneMuted { 0 };
    std::atomic<int> m_speakerMuted { 0 };
    std::atomic<int> m_inputVolume { -1 };
    std::atomic<int> m_lastOutputVolume { -1 };
    std::atomic<double> m_scaleFactor { 1.0 };
    Locked<QString> m_scaleFolder { QStringLiteral("x1") };
    Locked<QString> m_recordPath;
    Locked<QString> m_defaultRecordPath;
    Locked<QString> m_recordFileName;
    Locked<QString> m_dataFolder;
    Locked<QString> m_userIp;
    Locked<QString> m_userLocation;
    Locked<QString> m_userSupplier;
    Locked<QString> m_chosenServer;
    Locked<QString> m_defaultServerAddress;
    Locked<QString> m_nodeList;
    Locked<QString> m_regNodeList;
    Locked<QString> m_classroomServers;
    Locked<QString> m_regServers;
    Locked<QMap<QString, QString>> m_nodeServers;
    Locked<QString> m_courseCacheFolder;
    Locked<QString> m_updateMessage;
    Locked<QString> m_recordingRoomId;
};
