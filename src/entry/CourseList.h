#pragma once

#include <QList>
#include <QString>

#include "widgets/RowList.h"

class CourseItem;

// Card list of the course home page. SchoolList (the upcoming sessions) and
// HisSchoolList (one page of the past ones) add their card type and height.
class CourseList : public RowList
{
    Q_OBJECT

signals:
    void UpdateUI(QWidget* host);

public:
    // Makes cards ahead, up to count unused ones: the road calls it while
    // the sessions are still on their way, so that filling a page needs no
    // building and styling of cards once they have arrived.
    void PrepareCards(int count);

public slots:
    // Forgets every card, then clears the rows, which deletes the cards. A
    // slot: the session's thread asks for it queued.
    void ClearItems();
    // Re-parents the list into host and sizes it for its rows.
    virtual void OnUpdateUI(QWidget* host);
    // The picture of the session with this id is on disk.
    void OnImageDownloadFinished(QString key);

protected:
    explicit CourseList(QWidget* parent);

    // A card ready to be filled and added, hidden: one made ahead, or else
    // a new one. Cards are made in the list itself, because a card made
    // elsewhere has the style of each of its widgets worked out again when
    // the list takes it over, which costs more than the card itself.
    template <typename Card> Card* TakeCard() { return static_cast<Card*>(TakeCard()); }
    CourseItem* TakeCard();
    // A new card of the list's type, made in parent.
    virtual CourseItem* MakeCard(QWidget* parent) const = 0;

    // Appends a row for the card (height 180, spacing 2).
    void AddCard(CourseItem* card);
    // The cards in row order, as the derived list's card type.
    template <typename Card> QList<Card*> CardsAs() const
    {
        QList<Card*> cards;
        cards.reserve(m_cards.size());
        for (CourseItem* card : m_cards)
            cards.append(static_cast<Card*>(card));
        return cards;
    }
    // The list's height in host when it holds cardCount cards.
    virtual int HeightIn(const QWidget& host, int cardCount) const = 0;

    // Height of one row with the spacing around it.
    static constexpr int kRowPitch = 184;

private:
    CourseItem* MakeHiddenCard();

    QList<CourseItem*> m_cards;
    // Made ahead and not shown yet; the list deletes them with itself.
    QList<CourseItem*> m_prepared;
};
