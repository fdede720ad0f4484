#pragma once

#include <QList>
#include <QListWidget>
#include <QString>

class HisSchoolItem;

// Card list of one page of the user's past sessions on the course home page.
class HisSchoolList : public QListWidget
{
    Q_OBJECT

public:
    explicit HisSchoolList(QWidget* parent = nullptr);

    // Appends a row for the card (height 180, spacing 2).
    void AddItem(HisSchoolItem* item);
    // Forgets every card, then clears the rows, which deletes the cards.
    void ClearItems();
    QList<HisSchoolItem*> GetItems() const { return m_items; }

signals:
    void UpdateUI(QWidget* host);

public slots:
    // Re-parents the list into host and sizes it for its rows.
    void OnUpdateUI(QWidget* host);
    // The picture of the session with this id is on disk.
    void OnImageDownloadFinished(QString key);

private:
    QWidget* m_host = nullptr;
    QList<HisSchoolItem*> m_items;
};
