#include "PickerGrid.h"

#include <QDebug>
#include <QHeaderView>
#include <QTableWidgetItem>
#include <QVBoxLayout>

PickerGrid::PickerGrid(int rows, int columns, int cellWidth, int cellHeight, QWidget* parent)
    : QTableWidget(parent)
    , m_rowCount(rows)
    , m_columnCount(columns)
    , m_columnWidth(cellWidth)
    , m_rowHeight(cellHeight)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setStyleSheet(QStringLiteral("QTableView{gridline-color:#ffffff;border-radius:2px;border:1px solid rgba(18, "
                                 "19, 21, 0.13);}QTableView::item{background:#ffffff;}"));
    setFocusPolicy(Qt::NoFocus);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setRowCount(rows);
    setColumnCount(columns);
    // Cells of exactly their size, whatever the least a header section
    // would take in the application's font.
    for (QHeaderView* header : { horizontalHeader(), verticalHeader() }) {
        header->setVisible(false);
        header->setMinimumSectionSize(1);
        header->setSectionResizeMode(QHeaderView::Fixed);
    }
    horizontalHeader()->setDefaultSectionSize(cellWidth);
    verticalHeader()->setDefaultSectionSize(cellHeight);
    setFixedHeight(cellHeight);
    setFixedWidth(cellWidth * columns + 2);
}

void PickerGrid::AddCell(int index, const QString& key, QWidget* cell)
{
    auto* item = new QTableWidgetItem();
    item->setToolTip(QString());
    setItem(index / m_columnCount, index % m_columnCount, item);
    setCellWidget(index / m_columnCount, index % m_columnCount, cell);
    m_keys << key;
}

PickerCell::PickerCell(QWidget* parent)
    : QLabel(parent)
{
    setStyleSheet(QStringLiteral("border:0px; background-color:#ffffff;"));
    m_mark = new QLabel(this);
    m_mark->setGeometry(10, 33, 20, 2);
    m_mark->setStyleSheet(QStringLiteral("border:0px;background-color:#ff4945;"));
    m_mark->setCursor(Qt::PointingHandCursor);
    m_mark->hide();
}

void PickerCell::SetSelected(bool selected)
{
    m_selected = selected;
    m_mark->setVisible(selected);
}

bool PickerCell::IsMarked() const
{
    return !m_mark->isHidden();
}

void PickerCell::enterEvent(QEvent* event)
{
    m_mark->show();
    QLabel::enterEvent(event);
}

void PickerCell::leaveEvent(QEvent* event)
{
    if (!m_selected)
        m_mark->hide();
    QLabel::leaveEvent(event);
}

PickerWindow::PickerWindow(QWidget* parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setObjectName(QStringLiteral("ColorBoxWindow"));
    setStyleSheet(QStringLiteral("#ColorBoxWindow{border:1px solid #000000;}"));
}

void PickerWindow::SetGrid(PickerGrid* grid)
{
    m_grid = grid;
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grid);
}

void PickerWindow::FitToGrid(const char* logPrefix, const char* gridName)
{
    if (!m_grid)
        return;
    setFixedSize(m_grid->size());
    const QString grid = QLatin1String(gridName);
    qDebug().noquote() << QLatin1String(logPrefix) + QStringLiteral(" width:") << width() << ",height:" << height()
                       << grid + QStringLiteral("->width():") << m_grid->width() << grid + QStringLiteral("->height():")
                       << m_grid->height();
}
