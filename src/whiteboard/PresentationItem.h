#pragma once

#include <QString>
#include <QWidget>

class PresentationList;
class QLabel;

// One course-page row of the course-page list, created with the list as
// parent and filled by the hub.
class PresentationItem : public QWidget
{
    Q_OBJECT

public:
    explicit PresentationItem(QWidget* parent = nullptr);

    int GetNumber() const { return m_number; }
    void SetNumber(int number);
    QString GetImagePath() const { return m_imagePath; }
    void SetImagePath(const QString& path) { m_imagePath = path; }
    QString GetPresentationId() const { return m_presentationId; }
    void SetPresentationId(const QString& presentationId) { m_presentationId = presentationId; }
    PresentationList* GetOwnerList() const { return m_ownerList; }
    void SetOwnerList(PresentationList* list) { m_ownerList = list; }

    // The teacher's-current-page badge.
    void ShowCurrentPageBadge();
    void HideCurrentPageBadge();
    bool IsBadgeShown() const;

private:
    QLabel* m_numberLabel = nullptr;
    QLabel* m_badge = nullptr;
    int m_number = 0;
    QString m_imagePath;
    QString m_presentationId;
    PresentationList* m_ownerList = nullptr;
};
