#pragma once

#include <QString>

#include "entry/CourseItem.h"

class QListWidget;
class QPushButton;

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

    void SetDetailsText(const QString& text);
    void SetEnterText(const QString& text);
    void SetEnterStyle(const QString& styleSheet);

    QString GetDetailsText() const;
    QString GetEnterText() const;
    QString GetEnterStyle() const;

    // Also places the details link.
    void LayoutIn(QListWidget* list) override;

public slots:
    void OnRoomEntry();

private:
    QPushButton* m_details = nullptr;
    bool m_onLeave = false;
    qint64 m_startTime = 0;
    QString m_detailsTemplate;
};
