#pragma once

#include <QHash>
#include <QSet>
#include <QString>

// A read-only view of a downloaded ini file without sections (the server
// and update properties). Everything is read once, at construction, through
// the toolkit's settings class in ini format; the per-user settings go
// through UserSettings instead.
//
// The file comes from the network, so the reading is defensive: a file
// larger than the limit is not read at all, a value longer than the limit
// is dropped with a log line (Rejected() names it, so the caller can keep
// what it had), and a value the ini syntax split into a list at unquoted
// commas is joined back with ",".
class IniFile
{
public:
    static constexpr qint64 kMaxFileBytes = 1024 * 1024;
    static constexpr int kMaxValueChars = 8192;

    explicit IniFile(const QString& path);

    QString FilePath() const { return m_path; }
    // False when the file is missing, unreadable, too large or malformed
    // beyond use; every key then reads as empty.
    bool IsLoaded() const { return m_loaded; }
    // The value of key; empty when missing or rejected.
    QString Text(const QString& key) const { return m_values.value(key); }
    bool Contains(const QString& key) const { return m_values.contains(key); }
    // Keys whose values were dropped for their size.
    const QSet<QString>& Rejected() const { return m_rejected; }

private:
    QString m_path;
    bool m_loaded = false;
    QHash<QString, QString> m_values;
    QSet<QString> m_rejected;
};
