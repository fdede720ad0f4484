#pragma once

#include <QString>

#include "entry/CourseItem.h"

class QLabel;
class QListWidget;

// Card of one upcoming session, built and filled by the hub.
class SchoolItem : public CourseItem
{
    Q_OBJECT

public:
    explicit SchoolItem(QWidget* parent = nullptr);

    qint64 GetStartTime() const { return m_startTime; }
    void SetStartTime(qint64 seconds) { m_startTime = seconds; }
    // Details link with the host label "xx" and "{session_id}".
    QString GetDetailsTemplate() const { return m_detailsTemplate; }
    void SetDetailsTemplate(const QString& address) { m_detailsTemplate = address; }
    bool IsOnLeave() const { return m_onLeave; }
    void SetOnLeave(bool onLeave) { m_onLeave = onLeave; }

    void SetEnterText(const QString& text);
    void SetEnterStyle(const QString& styleSheet);

    QString GetEnterText() const;
    QString GetEnterStyle() const;
    // "课前1小时才能进入哦~", shown while the pointer is on an early card's
    // enter button.
    QLabel* GetHint() const { return m_hint; }

    // Also places the hint over the enter button.
    void LayoutIn(QListWidget* list) override;

public slots:
    // Enters the class room, unless the user is on leave.
    void OnRoomEntry();
    // Opens the session's page on the school's web site.
    void OnRoomDetails();
    void OnDownloadFinished() { CourseItem::OnDownloadFinished(); }

protected:
    // Watches the enter button: the hint while it is too early.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_hint = nullptr;
    bool m_onLeave = false;
    qint64 m_startTime = 0;
    QString m_detailsTemplate;
};
