#include "HisSchoolList.h"

#include "app/Nexus.h"
#include "app/Profile.h"
#include "entry/HisSchoolItem.h"

#include <QDebug>

namespace {
constexpr int kCardHeight = 180;
constexpr int kRowPitch = 184;
} // namespace

HisSchoolList::HisSchoolList(QWidget* parent)
    : QListWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(this, &HisSchoolList::UpdateUI, this, &HisSchoolList::OnUpdateUI);
}

void HisSchoolList::AddItem(HisSchoolItem* item)
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

void HisSchoolList::ClearItems()
{
    m_items.clear();
    clear(); // deletes the rows and their cards
}

void HisSchoolList::OnUpdateUI(QWidget* host)
{
    qDebug() << "into HisSchoolList::OnUpdateUI";
    if (host == nullptr)
        return;
    m_host = host;
    if (parentWidget() != host)
        setParent(host);
    Profile* profile = Nexus::GetProfile();
    const int perPage = profile != nullptr ? profile->GetCoursesPerHistoryPage() : 15;
    setGeometry(0, 0, host->width() - 1, qMin(perPage * kRowPitch, host->height() - 30));
    for (int i = 0; i < count(); ++i)
        item(i)->setSizeHint(QSize(width(), kCardHeight));
    for (HisSchoolItem* card : m_items)
        card->LayoutIn(this);
    show();
    qDebug() << "exit HisSchoolList::OnUpdateUI";
}

void HisSchoolList::OnImageDownloadFinished(QString key)
{
    for (HisSchoolItem* card : m_items) {
        if (card->GetSessionId() == key) {
            qDebug() << "into HisSchoolList::OnImageDownloadFinished, and key:" << key;
            card->OnDownloadFinished();
        }
    }
}
