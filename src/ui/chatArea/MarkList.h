#pragma once

#include <QList>
#include <QListWidget>
#include <QSet>
#include <QString>

class MarkItem;

// The lesson marks of the chat panel's "标记" tab, one MarkItem per row in
// the order they were added; the hint row, once made, always stays last.
class MarkList : public QListWidget
{
    Q_OBJECT

public:
    explicit MarkList(QWidget* parent = nullptr);

    // The hint shown below the marks.
    static QString PlaceholderText();

    // Takes the row over: the hint row goes last, any other row right
    // above the hint.
    void AddItem(MarkItem* item);
    // Removes every row of that mark, then lays the list out again.
    void RemoveItem(const QString& uuid);
    // Lays every row out again; an empty list gets its hint row.
    void RefreshUI();
    // Removes the mark rows and keeps the hint row.
    void RemoveMarks();
    // Removes every row, the hint row too.
    void ClearItems();

    bool HasMark(const QString& uuid) const;
    QList<MarkItem*> GetItems() const { return m_items; }
    // Width of the chat panel the list stands in, and of one row in it.
    int PanelWidth() const;
    int ItemWidth() const;

private:
    void TakeRow(int row);
    QList<MarkItem*> m_items;
    // The uuids of the mark rows, so thousands of marks are checked fast.
    QSet<QString> m_uuids;
};
