#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

// Card of one upcoming session, built and filled by the hub.
class SchoolItem : public QWidget
{
    Q_OBJECT

public:
    explicit SchoolItem(QWidget* parent = nullptr);

    QString GetSessionId() const { return m_sessionId; }
    void SetSessionId(const QString& sessionId) { m_sessionId = sessionId; }
    qint64 GetStartTime() const { return m_startTime; }
    void SetStartTime(qint64 seconds) { m_startTime = seconds; }
    // Details link with the host label "xx" and "{session_id}".
    QString GetDetailsTemplate() const { return m_detailsTemplate; }
    void SetDetailsTemplate(const QString& address) { m_detailsTemplate = address; }
    QString GetPicturePath() const { return m_picturePath; }
    void SetPicturePath(const QString& path) { m_picturePath = path; }
    bool IsOnLeave() const { return m_onLeave; }
    void SetOnLeave(bool onLeave) { m_onLeave = onLeave; }

    void SetTitle(const QString& text);
    void SetCourseType(const QString& text);
    // The time line: text (may be rich text) and style sheet.
    void SetTimeText(const QString& text, const QString& styleSheet = QString());
    void SetTeacherText(const QString& text);
    void SetDetailsText(const QString& text);
    void SetEnterText(const QString& text);
    void SetEnterStyle(const QString& styleSheet);

    // What the card shows, as filled in.
    QString GetTitle() const;
    QString GetCourseType() const;
    QString GetTimeText() const;
    QString GetTimeStyle() const;
    QString GetTeacherText() const;
    QString GetDetailsText() const;
    QString GetEnterText() const;
    QString GetEnterStyle() const;
    // The picture shown, null before it arrived.
    bool HasPicture() const;

    // Places the widgets for the list's width.
    void LayoutIn(QListWidget* list);

public slots:
    void OnRoomEntry();
    void OnDownloadFinished();

private:
    QLabel* m_picture = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_time = nullptr;
    QLabel* m_teacher = nullptr;
    QPushButton* m_courseType = nullptr;
    QPushButton* m_enter = nullptr;
    QPushButton* m_details = nullptr;
    bool m_onLeave = false;
    qint64 m_startTime = 0;
    QString m_detailsTemplate;
    QString m_sessionId;
    QString m_picturePath;
};
