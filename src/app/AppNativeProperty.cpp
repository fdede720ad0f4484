#include "AppNativeProperty.h"

#include "AppPaths.h"
#include "UserSettings.h"

#include <QDir>
#include <QStandardPaths>

namespace {
// Never empty: an empty folder would put recordings at the root.
QString DefaultRecordFolder()
{
    const QString home = QDir::homePath();
    for (auto location : { QStandardPaths::MusicLocation, QStandardPaths::DocumentsLocation }) {
        const QString folder = QStandardPaths::writableLocation(location);
        if (!folder.isEmpty() && QDir(folder) != QDir(home))
            return folder + QStringLiteral("/Plovix");
    }
    return home + QStringLiteral("/Plovix");
}
} // namespace

AppNativeProperty::AppNativeProperty()
    : m_defaultRecordPath(DefaultRecordFolder())
    , m_dataFolder(AppPaths::DataFolder())
{ }

QString AppNativeProperty::GetWritableDir()
{
    return AppPaths::DataFolder();
}

void AppNativeProperty::SetScale(double factor, const QString& folder)
{
    m_scaleFactor = factor;
    m_scaleFolder.Set(folder);
}

QString AppNativeProperty::GetRecordPath()
{
    const QString cached = m_recordPath.Get();
    if (!cached.isEmpty())
        return cached;
    const QString stored = UserSettings::Text(UserSettings::RecordPath);
    if (!stored.isEmpty())
        return stored;
    return m_defaultRecordPath.Get();
}

void AppNativeProperty::SetRecordPath(const QString& path)
{
    m_recordPath.Set(path);
    if (UserSettings::Text(UserSettings::RecordPath) != path)
        UserSettings::SetValue(UserSettings::RecordPath, path);
}

static const SettingKey& GuideKey(int role)
{
    return role < 5 ? UserSettings::UserGuide4Tea : UserSettings::UserGuide4Stu;
}

int AppNativeProperty::GetUserGuideCode(int role)
{
    const int code = UserSettings::Int(GuideKey(role));
    if (code <= 0)
        return 0;
    m_userGuideCode = code;
    return code;
}

void AppNativeProperty::SetUserGuideCode(int role, int code)
{
    m_userGuideCode = code;
    if (UserSettings::Int(GuideKey(role)) != code)
        UserSettings::SetValue(GuideKey(role), code);
}
