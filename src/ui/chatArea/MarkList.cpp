#include "MarkList.h"

#include "MarkItem.h"
#include "app/Nexus.h"
#include "ui/chatArea/ChatWidget.h"

#include <QDebug>
#include <QScrollBar>

namespace {
constexpr int kSpacing = 8;
constexpr int kReadHeight = 80;
constexpr int kModifyHeight = 120;
// The list's own scroll bar, thin like the chat log's.
const char* const kListStyle
    = "QListWidget{border:0px;background:#FAFBFC;outline:0px;}QListWidget::item{background:transparent;}"
      "QListWidget::item:selected{background:transparent;}"
      "QScrollBar:vertical{width:5px;background:rgba(0,0,0,0%);margin:0px;}"
      "QScrollBar::handle:vertical{width:5px;background:rgba(0,0,0,25%);border-radius:2px;min-height:20px;}"
      "QScrollBar::add-line:vertical,QScrollBar::sub-line:vertical{height:0px;}"
      "QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical{background:rgba(0,0,0,0%);}";
} // namespace

MarkList::MarkList(QWidget* parent)
    : QListWidget(parent)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::NoFocus);
    setSpacing(kSpacing);
    setStyleSheet(QLatin1String(kListStyle));
}

QString MarkList::PlaceholderText()
{
    return QStringLiteral("标记重点内容,在回放中可直接跳转至相应时间点(暂时只能iPhone课堂回放)");
}

int MarkList::PanelWidth() const
{
    ChatWidget* panel = Nexus::GetChatWidget();
    return panel ? panel->width() : width() + 1;
}

int MarkList::ItemWidth() const
{
    // The spacing on both sides and the tab widget's one pixel.
    return qMax(0, PanelWidth() - 17);
}

void MarkList::AddItem(MarkItem* item)
{
    if (!item)
        return;
    auto* row = new QListWidgetItem();
    row->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    row->setSizeHint(QSize(ItemWidth(), kReadHeight));
    const bool hintLast = !m_items.isEmpty() && m_items.last()->GetMarkStatus() == MarkItem::Desc;
    if (item->GetMarkStatus() == MarkItem::Desc || !hintLast) {
        addItem(row);
        m_items.append(item);
    } else {
        insertItem(count() - 1, row);
        m_items.insert(m_items.size() - 1, item);
    }
    if (item->GetMarkStatus() != MarkItem::Desc)
        m_uuids.insert(item->GetUuid());
    setItemWidget(row, item);
    item->RefreshUI(this);
    setSpacing(kSpacing);
}

void MarkList::RemoveItem(const QString& uuid)
{
    for (int i = m_items.size() - 1; i >= 0; --i) {
        if (m_items.at(i)->GetMarkStatus() != MarkItem::Desc && m_items.at(i)->GetUuid() == uuid)
            TakeRow(i);
    }
    RefreshUI();
}

void MarkList::TakeRow(int row)
{
    MarkItem* item = m_items.takeAt(row);
    if (item->GetMarkStatus() != MarkItem::Desc)
        m_uuids.remove(item->GetUuid());
    delete takeItem(row);
    item->deleteLater();
}

void MarkList::RemoveMarks()
{
    for (int i = m_items.size() - 1; i >= 0; --i) {
        if (m_items.at(i)->GetMarkStatus() != MarkItem::Desc)
            TakeRow(i);
    }
}

void MarkList::ClearItems()
{
    for (int i = m_items.size() - 1; i >= 0; --i)
        TakeRow(i);
}

bool MarkList::HasMark(const QString& uuid) const
{
    return m_uuids.contains(uuid);
}

void MarkList::RefreshUI()
{
    for (int i = 0; i < count() && i < m_items.size(); ++i) {
        QListWidgetItem* row = item(i);
        MarkItem* mark = m_items.at(i);
        row->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        setSpacing(kSpacing);
        const int status = mark->GetMarkStatus();
        const bool tall = status != MarkItem::Read && status != MarkItem::Desc;
        row->setSizeHint(QSize(ItemWidth(), tall ? kModifyHeight : kReadHeight));
        mark->RefreshUI(this);
        setSpacing(kSpacing);
    }
    if (count() == 0) {
        auto* hint = new MarkItem();
        hint->SetMarkStatus(MarkItem::Desc);
        hint->SetMarkDesc(PlaceholderText());
        hint->SetEditorText(PlaceholderText());
        AddItem(hint);
    }
    // Shown by its tab: showing it here would lay it over the chat tab.
}
