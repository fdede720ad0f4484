#pragma once

#include "ModelObject.h"

#include <QString>

// A copy of one lesson mark, handed to the screens: it stays valid whatever
// the session does to the record afterwards. A null copy (empty uuid) means
// no such mark.
struct MarkRecord {
    int status = 0;
    int time = 0; // seconds from the session's start
    QString description;
    QString uuid;
    QString presentationUrl;

    bool IsNull() const { return uuid.isEmpty(); }
};

// One lesson mark of the local student. Fields under the object's own lock.
class MarkInfo : public ModelObject
{
    Q_OBJECT

public:
    enum Status { New = 1, Edited = 2 };

    explicit MarkInfo(QObject* parent = nullptr)
        : ModelObject(parent)
    { }

    int GetStatus() const { return Read(m_status); }
    void SetStatus(int status) { Write(m_status, status); }
    // Seconds from the session's start to the mark, never below 0.
    int GetTime() const { return Read(m_time); }
    void SetTime(int seconds) { Write(m_time, seconds < 0 ? 0 : seconds); }
    QString GetDescription() const { return Read(m_description); }
    // Changing a text that was already there makes the mark an edited one.
    void SetDescription(const QString& text)
    {
        Update([&] {
            if (!m_description.isEmpty())
                m_status = Edited;
            m_description = text;
        });
    }
    QString GetUuid() const { return Read(m_uuid); }
    void SetUuid(const QString& uuid) { Write(m_uuid, uuid); }
    QString GetPresentationUrl() const { return Read(m_presentationUrl); }
    void SetPresentationUrl(const QString& url) { Write(m_presentationUrl, url); }
    // Set while the room has not yet answered the request that made this
    // mark: only then is a make-or-edit answer about its creation.
    bool IsCreatePending() const { return Read(m_createPending); }
    void SetCreatePending(bool pending) { Write(m_createPending, pending); }
    // Seconds since 1970 when this client made the mark; 0 for marks from
    // the room's list.
    qint64 GetMadeAt() const { return Read(m_madeAt); }
    void SetMadeAt(qint64 seconds) { Write(m_madeAt, seconds); }
    MarkRecord Record() const
    {
        return Update([this] { return MarkRecord { m_status, m_time, m_description, m_uuid, m_presentationUrl }; });
    }

private:
    int m_status = New;
    int m_time = 0;
    QString m_description;
    QString m_uuid;
    QString m_presentationUrl;
    bool m_createPending = false;
    qint64 m_madeAt = 0;
};
