#pragma once

#include <QStringList>
#include <QTableWidget>

class UserInfo;

// The rows of the permission pop-up, one operation per cell.
class UsrPermissionTable : public QTableWidget
{
    Q_OBJECT

public:
    explicit UsrPermissionTable(QWidget* parent = nullptr);

    void SetShape(int rows, int columns, int columnWidth, int rowHeight);
    void SetMaxVisibleRows(int rows) { m_maxVisibleRows = rows; }
    void InitUI();
    // Fills the next cell in row-major order.
    void AddItem(const QString& text, UserInfo* user, int permission, int mask, int kind);
    QStringList GetTexts() const { return m_texts; }

signals:
    void ItemChosen();

private:
    int m_rows = 0;
    int m_columns = 1;
    int m_maxVisibleRows = 6;
    int m_columnWidth = 135;
    int m_rowHeight = 40;
    QStringList m_texts;
};
