#include "UsrPermissionTable.h"

#include "room/UsrPermissionItem.h"

#include <QHeaderView>

UsrPermissionTable::UsrPermissionTable(QWidget* parent)
    : QTableWidget(parent)
{ }

void UsrPermissionTable::SetShape(int rows, int columns, int columnWidth, int rowHeight)
{
    m_rows = rows;
    m_columns = qMax(1, columns);
    m_columnWidth = columnWidth;
    m_rowHeight = rowHeight;
}

void UsrPermissionTable::InitUI()
{
    setObjectName(QStringLiteral("UsrPermissionTable"));
    setStyleSheet(QStringLiteral("#UsrPermissionTable{border: 1px solid rgb(220,220,220);}"));
    setFocusPolicy(Qt::NoFocus);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setRowCount(m_rows);
    setColumnCount(m_columns);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setDefaultSectionSize(m_columnWidth);
    verticalHeader()->setDefaultSectionSize(m_rowHeight);
    int extraWidth = 2;
    int height = m_rows * m_rowHeight + 2;
    if (m_rows > m_maxVisibleRows) {
        height = m_maxVisibleRows * m_rowHeight + 2;
        extraWidth = 20;
    }
    setFixedSize(m_columns * m_columnWidth + extraWidth, height);
}

void UsrPermissionTable::AddItem(const QString& text, UserInfo* user, int permission, int mask, int kind)
{
    const int index = m_texts.size();
    const int row = index / m_columns;
    const int column = index % m_columns;
    setItem(row, column, new QTableWidgetItem());
    auto* cell = new UsrPermissionItem(text, user, permission, mask, kind);
    connect(cell, &UsrPermissionItem::Chosen, this, &UsrPermissionTable::ItemChosen);
    setCellWidget(row, column, cell);
    m_texts << text;
}
