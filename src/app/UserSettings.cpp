#include "UserSettings.h"

#include <QDebug>

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

bool SetValue(const SettingKey& key, const QVariant& value)
{
    auto settings = Open();
    settings->setValue(QLatin1String(key.name), value);
    settings->sync();
    if (settings->status() != QSettings::NoError) {
        qWarning() << "[ERROR] user settings not written, key:" << key.name << "file:" << settings->fileName()
                   << "status:" << settings->status();
        return false;
    }
    return true;
}

} // namespace UserSettings
