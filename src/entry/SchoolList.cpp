#include "SchoolList.h"

#include "entry/SchoolItem.h"

#include <QDebug>

namespace {
constexpr int kCardHeight = 180;
constexpr int kRowPitch = 184;
} // namespace

SchoolList::SchoolList(QWidget* parent)
    : QListWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(this, &SchoolList::UpdateUI, this, &SchoolList::OnUpdateUI);
}

void SchoolList::AddItem(SchoolItem* item)
{
    if (item == nullptr)
        return;
    auto* row = new QListWidgetItem(this);
    row->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    row->setSizeHint(QSize(width(), kCardHeight));
    setItemWidget(row, item);
    setSpacing(2);
    m_items.append(item);
}

void SchoolList::ClearItems()
{
    m_items.clear();
    clear(); // deletes the rows and their cards
}

void SchoolList::OnUpdateUI(QWidget* host)
{
    if (host == nullptr)
        return;
    m_host = host;
    if (parentWidget() != host)
        setParent(host);
    const int rowsHeight = m_items.size() * kRowPitch;
    setGeometry(0, 0, host->width() - 1, rowsHeight > host->height() ? host->height() : rowsHeight);
    for (int i = 0; i < count(); ++i)
        item(i)->setSizeHint(QSize(width(), kCardHeight));
    for (SchoolItem* card : m_items)
        card->LayoutIn(this);
    show();
}

void SchoolList::OnImageDownloadFinished(QString key)
{
    for (SchoolItem* card : m_items) {
        if (card->GetSessionId() == key) {
            qDebug() << "into SchoolList::OnImageDownloadFinished, and key:" << key;
            card->OnDownloadFinished();
        }
    }
}
