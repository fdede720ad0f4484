// The play history of the player's settings store: an SQLite table on the
// default database connection, opened by the first store that reads it.
#include "Config.h"

#include <QDebug>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

void Config::readHistory()
{
    QSqlDatabase db = QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);
    if (!db.isOpen()) {
        if (!db.isValid())
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
        db.setDatabaseName(m_databasePath);
        if (!db.open())
            qWarning("error open db");
        QSqlQuery(db).exec(
            QStringLiteral("CREATE TABLE IF NOT EXISTS history (url TEXT primary key, start BIGINT, duration BIGINT)"));
    }
    m_history.clear();
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT * FROM history")))
        return;
    while (query.next()) {
        QVariantMap row;
        row.insert(QStringLiteral("url"), query.value(0).toString());
        row.insert(QStringLiteral("start"), query.value(1).toLongLong());
        row.insert(QStringLiteral("duration"), query.value(2).toLongLong());
        m_history.append(row);
    }
}

void Config::addHistory(const QVariantMap& value)
{
    m_history.prepend(value);
    emit historyChanged();
    QSqlDatabase db = QSqlDatabase::database();
    QSqlQuery query(db);
    if (!query.prepare(QStringLiteral("INSERT INTO history (url, start, duration) VALUES (:url, :start, :duration)")))
        qWarning("error prepare sql query");
    query.bindValue(QStringLiteral(":url"), value.value(QStringLiteral("url")).toString());
    query.bindValue(QStringLiteral(":start"), value.value(QStringLiteral("start")).toLongLong());
    query.bindValue(QStringLiteral(":duration"), value.value(QStringLiteral("duration")).toLongLong());
    if (!query.exec())
        qWarning("failed to add history: %d", db.isOpen() ? 1 : 0);
}

void Config::removeHistory(const QString& url)
{
    const int before = m_history.size();
    for (int i = m_history.size() - 1; i >= 0; --i) {
        if (m_history.at(i).toMap().value(QStringLiteral("url")).toString() == url)
            m_history.removeAt(i);
    }
    if (m_history.size() == before)
        return;
    emit historyChanged();
    QSqlQuery query(QSqlDatabase::database());
    query.prepare(QStringLiteral("DELETE FROM history WHERE url = :url"));
    query.bindValue(QStringLiteral(":url"), url);
    if (!query.exec())
        qWarning("failed to remove history");
}

void Config::clearHistory()
{
    if (m_history.isEmpty())
        return;
    m_history.clear();
    emit historyChanged();
    QSqlQuery query(QSqlDatabase::database());
    if (!query.exec(QStringLiteral("DELETE FROM history")))
        qWarning("failed to clear history");
}
