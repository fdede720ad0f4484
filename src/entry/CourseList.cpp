#include "CourseList.h"

#include "entry/CourseItem.h"

#include <QDebug>

namespace {
constexpr int kCardHeight = 180;
} // namespace

CourseList::CourseList(QWidget* parent)
    : RowList(parent)
{
    connect(this, &CourseList::UpdateUI, this, &CourseList::OnUpdateUI);
}

void CourseList::AddCard(CourseItem* card)
{
    if (card == nullptr)
        return;
    AppendRow(card, QSize(width(), kCardHeight));
    setSpacing(2);
    m_cards.append(card);
}

void CourseList::ClearItems()
{
    m_cards.clear();
    clear(); // deletes the rows and their cards
}

void CourseList::OnUpdateUI(QWidget* host)
{
    if (host == nullptr)
        return;
    if (parentWidget() != host)
        setParent(host);
    setGeometry(0, 0, host->width() - 1, HeightIn(*host, m_cards.size()));
    for (int i = 0; i < count(); ++i)
        item(i)->setSizeHint(QSize(width(), kCardHeight));
    for (CourseItem* card : m_cards)
        card->LayoutIn(this);
    show();
}

void CourseList::OnImageDownloadFinished(QString key)
{
    for (CourseItem* card : m_cards) {
        if (card->GetSessionId() == key) {
            // The line names the list's own class (SchoolList or HisSchoolList).
            qDebug().nospace() << "into " << metaObject()->className() << "::OnImageDownloadFinished, and key: " << key;
            card->OnDownloadFinished();
        }
    }
}
