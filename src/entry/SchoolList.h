#pragma once

#include <QList>
#include <QListWidget>
#include <QString>

class SchoolItem;

// Card list of the user's upcoming sessions on the course home page.
class SchoolList : public QListWidget
{
    Q_OBJECT

public:
    explicit SchoolList(QWidget* parent = nullptr);

    // Appends a row for the card (height 180, spacing 2).
    void AddItem(SchoolItem* item);
    // Forgets every card, then clears the rows, which deletes the cards.
    void ClearItems();
    QList<SchoolItem*> GetItems() const { return m_items; }

signals:
    void UpdateUI(QWidget* host);

public slots:
    // Re-parents the list into host and sizes it for its rows.
    void OnUpdateUI(QWidget* host);
    // The picture of the session with this id is on disk.
    void OnImageDownloadFinished(QString key);

private:
    QWidget* m_host = nullptr;
    QList<SchoolItem*> m_items;
};
