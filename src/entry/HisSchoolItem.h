#pragma once

#include <QString>

#include "entry/CourseItem.h"

// Card of one past session, built and filled by the hub.
class HisSchoolItem : public CourseItem
{
    Q_OBJECT

public:
    explicit HisSchoolItem(QWidget* parent = nullptr);

    QString GetRecordUrl() const { return m_recordUrl; }
    void SetRecordUrl(const QString& url) { m_recordUrl = url; }
    bool HasRecord() const { return m_hasRecord; }
    void SetHasRecord(bool hasRecord) { m_hasRecord = hasRecord; }

    void SetReplayText(const QString& text);
    void SetReplayStyle(const QString& styleSheet);

    QString GetReplayText() const;
    QString GetReplayStyle() const;

public slots:
    // Opens the recording when the session has one.
    void OnRoomEntry();
    // Opens the recording's address as the service gave it.
    void OnRoomDetails();
    void OnDownloadFinished() { CourseItem::OnDownloadFinished(); }

private:
    bool m_hasRecord = false;
    QString m_recordUrl;
};
