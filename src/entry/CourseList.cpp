#include "CourseList.h"

#include "entry/CourseItem.h"

#include <QDebug>
#include <QScrollBar>

namespace {
constexpr int kCardHeight = 180;
} // namespace

CourseList::CourseList(QWidget* parent)
    : RowList(parent)
{
    connect(this, &CourseList::UpdateUI, this, &CourseList::OnUpdateUI);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalScrollBar()->setSingleStep(20);
    setStyleSheet(QStringLiteral(
        "QListWidget{border:0px;}QListWidget::Item{border:0px;border-bottom-width: 1px;border-bottom-color:#e8e8e8;"
        "border-bottom-style: solid;}QListWidget::Item:hover{background:rgb(255,255,255);  "
        "}QListWidget::item:selected:!active{border-width:0px;background:rgb(255,255,255); }"
        "QScrollBar:vertical{width:5px;background:transparent;margin:0px;border:0px;}"
        "QScrollBar::handle:vertical{background:rgba(0,0,0,25%);border-radius:2px;min-height:20px;}"
        "QScrollBar::add-line:vertical,QScrollBar::sub-line:vertical{height:0px;}"
        "QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical{background:transparent;}"));
}

void CourseList::AddCard(CourseItem* card)
{
    if (card == nullptr)
        return;
    AppendRow(card, QSize(width(), kCardHeight));
    setSpacing(2);
    m_cards.append(card);
}

void CourseList::PrepareCards(int count)
{
    while (m_prepared.size() < count) {
        CourseItem* card = MakeHiddenCard();
        // Styled now, not when the list first shows it.
        card->ensurePolished();
        m_prepared.append(card);
    }
}

CourseItem* CourseList::TakeCard()
{
    return m_prepared.isEmpty() ? MakeHiddenCard() : m_prepared.takeFirst();
}

CourseItem* CourseList::MakeHiddenCard()
{
    CourseItem* card = MakeCard(viewport());
    // Shown by the row it is added to, never before.
    card->hide();
    return card;
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
    // A list not shown yet keeps its old viewport until its resize event
    // comes; the cards take their width from the viewport, so place it now.
    setViewportMargins(viewportMargins());
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
