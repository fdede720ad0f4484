#include "UserSettings.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace UserSettings {

const SettingKey EnableDebug { "enableDebug", QStringLiteral("0") };
const SettingKey DevEnv { "devEnv", QStringLiteral("0") };
const SettingKey RecordPath { "recordPath", QString() };
const SettingKey UserGuide4Tea { "userGuide4Tea", 0 };
const SettingKey UserGuide4Stu { "userGuide4Stu", 0 };
const SettingKey WssOptimize { "wssOptimize", QStringLiteral("0") };
const SettingKey WssPlainRewrite { "wssPlainRewrite", QStringLiteral("0") };
const SettingKey AudioInDevice { "audioInDevice", QString() };
const SettingKey AudioOutDevice { "audioOutDevice", QString() };
const SettingKey CameraDevice { "cameraDevice", QString() };
const SettingKey AudioInVolum { "audioInVolum", 0 };
const SettingKey AudioOutVolum { "audioOutVolum", 0 };
const SettingKey UserName { "UserName", QString() };
const SettingKey UserPwd { "UserPwd", QString() };
const SettingKey RoomPwd { "RoomPwd", QString() };

const std::vector<const SettingKey*>& AllKeys()
{
    static const std::vector<const SettingKey*> keys { &EnableDebug, &DevEnv, &RecordPath, &UserGuide4Tea,
        &UserGuide4Stu, &WssOptimize, &WssPlainRewrite, &AudioInDevice, &AudioOutDevice, &CameraDevice, &AudioInVolum,
        &AudioOutVolum, &UserName, &UserPwd, &RoomPwd };
    return keys;
}

std::unique_ptr<QSettings> Open()
{
    auto settings = std::make_unique<QSettings>(
        QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Dravona"), QStringLiteral("plovix"));
    if (settings->status() != QSettings::NoError)
        qWarning() << "[ERROR] user settings unreadable, defaults are used, file:" << settings->fileName()
                   << "status:" << settings->status();
    return settings;
}

QVariant Value(const SettingKey& key)
{
    return Open()->value(QLatin1String(key.name), key.defaultValue);
}

QString Text(const SettingKey& key)
{
    return Value(key).toString();
}

int Int(const SettingKey& key)
{
    bool ok = false;
    const int value = Value(key).toInt(&ok);
    return ok ? value : key.defaultValue.toInt();
}

bool Contains(const SettingKey& key)
{
    return Open()->contains(QLatin1String(key.name));
}

namespace {

// Owner-only folder and file. Done before the write, so the file never
// shows its contents to others, and after it, for a file the write made.
void MakePrivate(const QString& fileName)
{
    const QString folder = QFileInfo(fileName).absolutePath();
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (QFileInfo::exists(fileName))
        QFile::setPermissions(fileName, QFile::ReadOwner | QFile::WriteOwner);
}

bool Commit(QSettings& settings, const char* name)
{
    settings.sync();
    MakePrivate(settings.fileName());
    if (settings.status() != QSettings::NoError) {
        qWarning() << "[ERROR] user settings not written, key:" << name << "file:" << settings.fileName()
                   << "status:" << settings.status();
        return false;
    }
    return true;
}

} // namespace

bool SetValue(const SettingKey& key, const QVariant& value)
{
    auto settings = Open();
    MakePrivate(settings->fileName());
    settings->setValue(QLatin1String(key.name), value);
    return Commit(*settings, key.name);
}

bool Remove(const SettingKey& key)
{
    auto settings = Open();
    MakePrivate(settings->fileName());
    settings->remove(QLatin1String(key.name));
    return Commit(*settings, key.name);
}

} // namespace UserSettings
