#pragma once

#include "ModelObject.h"

#include <QString>

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

private:
    int m_status = New;
    int m_time = 0;
    QString m_description;
    QString m_uuid;
    QString m_presentationUrl;
};
