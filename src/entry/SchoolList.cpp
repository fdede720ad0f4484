#include "SchoolList.h"

#include "entry/SchoolItem.h"

SchoolList::SchoolList(QWidget* parent)
    : CourseList(parent)
{ }

void SchoolList::AddItem(SchoolItem* item)
{
    AddCard(item);
}

CourseItem* SchoolList::MakeCard(QWidget* parent) const
{
    return new SchoolItem(parent);
}

SchoolItem* SchoolList::TakeCard()
{
    return CourseList::TakeCard<SchoolItem>();
}

QList<SchoolItem*> SchoolList::GetItems() const
{
    return CardsAs<SchoolItem>();
}

int SchoolList::HeightIn(const QWidget& host, int cardCount) const
{
    const int rowsHeight = cardCount * kRowPitch;
    return rowsHeight > host.height() ? host.height() : rowsHeight;
}
