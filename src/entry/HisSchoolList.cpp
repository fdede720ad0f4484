#include "HisSchoolList.h"

#include "app/Nexus.h"
#include "app/Profile.h"
#include "entry/HisSchoolItem.h"

#include <QDebug>

HisSchoolList::HisSchoolList(QWidget* parent)
    : CourseList(parent)
{ }

void HisSchoolList::AddItem(HisSchoolItem* item)
{
    AddCard(item);
}

QList<HisSchoolItem*> HisSchoolList::GetItems() const
{
    return CardsAs<HisSchoolItem>();
}

void HisSchoolList::OnUpdateUI(QWidget* host)
{
    qDebug() << "into HisSchoolList::OnUpdateUI";
    if (host == nullptr)
        return;
    CourseList::OnUpdateUI(host);
    qDebug() << "exit HisSchoolList::OnUpdateUI";
}

int HisSchoolList::HeightIn(const QWidget& host, int) const
{
    Profile* profile = Nexus::GetProfile();
    const int perPage = profile != nullptr ? profile->GetCoursesPerHistoryPage() : 15;
    return qMin(perPage * kRowPitch, host.height() - 30);
}
