#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

// Card of one past session, built and filled by the hub.
class HisSchoolItem : public QWidget
{
    Q_OBJECT

public:
    explicit HisSchoolItem(QWidget* parent = nullptr);

    QString GetSessionId() const { return m_sessionId; }
    void SetSessionId(const QString& sessionId) { m_sessionId = sessionId; }
    QString GetRecordUrl() const { return m_recordUrl; }
    void SetRecordUrl(const QString& url) { m_recordUrl = url; }
    bool HasRecord() const { return m_hasRecord; }
    void SetHasRecord(bool hasRecord) { m_hasRecord = hasRecord; }
    QString GetPicturePath() const { return m_picturePath; }
    void SetPicturePath(const QString& path) { m_picturePath = path; }

    void SetTitle(const QString& text);
    void SetCourseType(const QString& text);
    void SetTimeText(const QString& text, const QString& styleSheet = QString());
    void SetTeacherText(const QString& text);
    void SetReplayText(const QString& text);
    void SetReplayStyle(const QString& styleSheet);

    // What the card shows, as filled in.
    QString GetTitle() const;
    QString GetCourseType() const;
    QString GetTimeText() const;
    QString GetTimeStyle() const;
    QString GetTeacherText() const;
    QString GetReplayText() const;
    QString GetReplayStyle() const;
    // The picture shown, null before it arrived.
    bool HasPicture() const;

    void LayoutIn(QListWidget* list);

public slots:
    // Opens the recording when the session has one.
    void OnRoomEntry();
    void OnDownloadFinished();

private:
    QLabel* m_picture = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_time = nullptr;
    QLabel* m_teacher = nullptr;
    QPushButton* m_courseType = nullptr;
    QPushButton* m_replay = nullptr;
    bool m_hasRecord = false;
    QString m_recordUrl;
    QString m_sessionId;
    QString m_picturePath;
};
