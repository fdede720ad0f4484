#pragma once

#include <QSettings>
#include <QVariant>
#include <memory>
#include <vector>

// One per-user setting: the key exactly as the rest of the system spells it,
// and the value a read yields while the key is missing.
struct SettingKey {
    const char* name;
    QVariant defaultValue;
};

// The one way to the per-user settings store. Each access opens the store
// afresh (QSettings is reentrant), so any thread may read or write.
namespace UserSettings {

extern const SettingKey EnableDebug; // "1" turns the debug log on
extern const SettingKey DevEnv; // anything but "0" selects the test configuration host
extern const SettingKey RecordPath; // folder of class recordings
extern const SettingKey UserGuide4Tea; // last guide code shown to a teacher
extern const SettingKey UserGuide4Stu; // last guide code shown to a student
extern const SettingKey WssOptimize; // "0": measure the signalling servers once per run
// "1": the server choice probes and uses the candidates over plain ws/http,
// for deployments whose classroom servers serve only plain text; otherwise
// the candidates must answer over TLS with the classroom host's certificate.
extern const SettingKey WssPlainRewrite;
extern const SettingKey AudioInDevice;
extern const SettingKey AudioOutDevice;
extern const SettingKey CameraDevice;
extern const SettingKey AudioInVolum;
extern const SettingKey AudioOutVolum;
extern const SettingKey UserName;
extern const SettingKey UserPwd;
extern const SettingKey RoomPwd;

// Every key above, for tools and tests.
const std::vector<const SettingKey*>& AllKeys();

std::unique_ptr<QSettings> Open();
QVariant Value(const SettingKey& key);
QString Text(const SettingKey& key);
int Int(const SettingKey& key);
bool Contains(const SettingKey& key);
// Writes and syncs; false (with a log line) when the store cannot be written.
// The store holds remembered passwords, so its file is kept readable by the
// owner alone (0600, its folder 0700).
bool SetValue(const SettingKey& key, const QVariant& value);
// Removes the key and syncs; false (with a log line) when that failed.
bool Remove(const SettingKey& key);

} // namespace UserSettings
