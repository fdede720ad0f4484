#pragma once

#include <QList>

#include "entry/CourseList.h"

class SchoolItem;

// Card list of the user's upcoming sessions on the course home page.
class SchoolList : public CourseList
{
    Q_OBJECT

public:
    explicit SchoolList(QWidget* parent = nullptr);

    // Appends a row for the card (height 180, spacing 2).
    void AddItem(SchoolItem* item);
    QList<SchoolItem*> GetItems() const;
    // A hidden card to fill and add (see CourseList::TakeCard).
    SchoolItem* TakeCard();

protected:
    CourseItem* MakeCard(QWidget* parent) const override;
    // As high as its rows, at most as high as host.
    int HeightIn(const QWidget& host, int cardCount) const override;
};
