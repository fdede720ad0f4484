#include "IniFile.h"

#include <QDebug>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

IniFile::IniFile(const QString& path)
    : m_path(path)
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        qDebug() << "IniFile, no such file:" << path;
        return;
    }
    if (info.size() > kMaxFileBytes) {
        qWarning() << "[ERROR] IniFile, file too large and not read:" << path << ",size:" << info.size();
        return;
    }
    QSettings settings(path, QSettings::IniFormat);
    // The files are UTF-8 (the update message is Chinese text); the ini
    // reader would take them for Latin-1.
    settings.setIniCodec("UTF-8");
    if (settings.status() != QSettings::NoError)
        qWarning() << "[ERROR] IniFile, malformed file, reading what it can:" << path;
    const QStringList keys = settings.allKeys();
    for (const QString& key : keys) {
        const QVariant raw = settings.value(key);
        // An unquoted "," turns a value into a list; the text had commas.
        const QString value
            = raw.type() == QVariant::StringList ? raw.toStringList().join(QLatin1Char(',')) : raw.toString();
        if (value.size() > kMaxValueChars) {
            qWarning() << "[ERROR] IniFile, value too long and dropped, key:" << key.left(200)
                       << ",length:" << value.size();
            m_rejected.insert(key);
            continue;
        }
        m_values.insert(key, value);
    }
    m_loaded = true;
}
