#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

class DPIWidget4RectPixmap;
class QLabel;
class QListWidget;
class QPushButton;

// What the cards of an upcoming and of a past session share: picture,
// title, course type, time line, teacher, one action button and a details
// link on the right. Built and filled by the hub.
class CourseItem : public QWidget
{
    Q_OBJECT

public:
    QString GetSessionId() const { return m_sessionId; }
    void SetSessionId(const QString& sessionId) { m_sessionId = sessionId; }
    QString GetPicturePath() const { return m_picturePath; }
    void SetPicturePath(const QString& path) { m_picturePath = path; }

    void SetTitle(const QString& text);
    void SetCourseType(const QString& text);
    // The time line: text (may be rich text) and style sheet.
    void SetTimeText(const QString& text, const QString& styleSheet = QString());
    void SetTeacherText(const QString& text);
    void SetDetailsText(const QString& text);

    // What the card shows, as filled in.
    QString GetTitle() const;
    QString GetCourseType() const;
    QString GetTimeText() const;
    QString GetTimeStyle() const;
    QString GetTeacherText() const;
    QString GetDetailsText() const;
    // The picture shown, null before it arrived.
    bool HasPicture() const;
    // The action button (enter or replay) and the details link.
    QPushButton* GetActionButton() const { return m_action; }
    QPushButton* GetDetailsButton() const { return m_details; }

    // Places the widgets for the list's width.
    virtual void LayoutIn(QListWidget* list);

public slots:
    // The picture file at the picture path has arrived.
    void OnDownloadFinished();

protected:
    // The time line sits at timeGeometry; objectName names the card's style.
    CourseItem(const QRect& timeGeometry, const QString& objectName, QWidget* parent);

    // Enters the room or opens the recording; shown only with a text.
    QPushButton* m_action = nullptr;
    QPushButton* m_details = nullptr;

private:
    DPIWidget4RectPixmap* m_picture = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_timeCaption = nullptr;
    QLabel* m_time = nullptr;
    QLabel* m_teacher = nullptr;
    QPushButton* m_courseType = nullptr;
    QRect m_timeGeometry;
    QString m_sessionId;
    QString m_picturePath;
};
