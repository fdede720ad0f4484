#include "EmojiWidget.h"

#include "ChatContext.h"
#include "EmojiEntry.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QScrollBar>

namespace {
const char* const kGridStyle
    = "QTableWidget::item { padding:5px;border:0px;}QTableWidget::item::hover{padding:1px;background:#f0f0f0;"
      "border:0px;}";
const char* const kGridScrollStyle
    = "QScrollBar:vertical{width:8px;background:rgba(0,0,0,0%);margin:0px,0px,0px,0px;padding-top:9px;"
      "padding-bottom:9px;}QScrollBar::handle:vertical{width:8px;background:rgba(0,0,0,25%); border-radius:4px;"
      "min-height:10;}QScrollBar::handle:vertical:hover{width:8px;background:rgba(0,0,0,50%); border-radius:4px;"
      "min-height:10;}QScrollBar::add-line:vertical{height:9px;width:8px;border-image:url(:/resource/selfstyle/"
      "scrollbar/3.png);subcontrol-position:bottom;}QScrollBar::sub-line:vertical{height:9px;width:8px;"
      "border-image:url(:/resource/selfstyle/scrollbar/1.png);subcontrol-position:top;}QScrollBar::add-line:"
      "vertical:hover{height:9px;width:8px;border-image:url(:/resource/selfstyle/scrollbar/4.png);"
      "subcontrol-position:bottom;}QScrollBar::sub-line:vertical:hover{height:9px;width:8px;border-image:url(:/"
      "resource/selfstyle/scrollbar/2.png);subcontrol-position:top;}QScrollBar::add-page:vertical,QScrollBar::"
      "sub-page:vertical{background:rgba(0,0,0,10%);border-radius:4px;}";
} // namespace

EmojiItem::EmojiItem(const QString& path, QSize size, QWidget* parent)
    : QLabel(parent)
    , m_path(path)
{
    setContentsMargins(3, 3, 3, 3);
    resize(size);
    setCursor(Qt::PointingHandCursor);
    setStyleSheet(QStringLiteral("QLabel:hover{border: 0px solid rgb(111, 156, 207);color: rgb(2, 65, 132);"
                                 "background: rgba(255, 255, 255, 0);}"));
    setScaledContents(true);
    setPixmap(ChatContext::CachedPixmap(path));
}

void EmojiItem::mousePressEvent(QMouseEvent*)
{
    emit clicked(m_path);
}

void EmojiItem::enterEvent(QEvent*)
{
    setContentsMargins(4, 2, 2, 4);
}

void EmojiItem::leaveEvent(QEvent*)
{
    setContentsMargins(3, 3, 3, 3);
}

EmojiTable::EmojiTable(int rows, int columns, QWidget* parent)
    : QTableWidget(rows, columns, parent)
    , m_rows(rows)
    , m_columns(columns)
{
    setStyleSheet(QLatin1String(kGridStyle));
    setFocusPolicy(Qt::NoFocus);
    setShowGrid(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setDefaultSectionSize(m_columnWidth);
    verticalHeader()->setDefaultSectionSize(m_rowHeight);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setStyleSheet(QLatin1String(kGridScrollStyle));
    const bool scrolls = m_visibleRows < m_rows;
    setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setFixedHeight((scrolls ? m_visibleRows : m_rows) * m_rowHeight + 2);
    setFixedWidth(m_columnWidth * m_columns + (scrolls ? 20 : 2));
}

void EmojiTable::AddEmoji(const QString& path, const QString& tip)
{
    const int n = m_paths.size();
    const int row = n / m_columns;
    const int column = n % m_columns;
    auto* cell = new QTableWidgetItem();
    cell->setToolTip(tip);
    setItem(row, column, cell);
    auto* picture = new EmojiItem(path, m_pictureSize);
    connect(picture, &EmojiItem::clicked, this, &EmojiTable::emojiClicked);
    setCellWidget(row, column, picture);
    m_paths.append(path);
}

EmojiWidget::EmojiWidget(QWidget* parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setObjectName(QStringLiteral("EmojiWidget"));
    setStyleSheet(QStringLiteral("#EmojiWidget{background:#f7f7f7;border:0px;}"));
    setAttribute(Qt::WA_StyledBackground);
}

void EmojiWidget::Fill()
{
    if (m_table)
        return;
    m_table = new EmojiTable(6, 5, this);
    connect(m_table, &EmojiTable::emojiClicked, this, &EmojiWidget::emojiClicked);
    for (const EmojiEntry& entry : EmojiEntry::Table())
        m_table->AddEmoji(entry.pathTemplate.arg(QStringLiteral("x1.5")), QString());
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->setSpacing(1);
    layout->addWidget(m_table);
}
