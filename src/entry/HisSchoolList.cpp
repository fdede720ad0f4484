#include "HisSchoolList.h"

#include "app/Nexus.h"
#include "app/Profile.h"
#include "entry/HisSchoolItem.h"
#include "entry/SchoolEntryWidget.h"

#include <QDebug>
#include <QEvent>
#include <QScrollBar>

HisSchoolList::HisSchoolList(QWidget* parent)
    : CourseList(parent)
{
    installEventFilter(this);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &HisSchoolList::OnSliderMoved);
    // A page whose rows fit cannot be scrolled to its end: it is there.
    connect(
        verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] { OnSliderMoved(verticalScrollBar()->value()); });
}

void HisSchoolList::AddItem(HisSchoolItem* item)
{
    AddCard(item);
}

CourseItem* HisSchoolList::MakeCard(QWidget* parent) const
{
    return new HisSchoolItem(parent);
}

HisSchoolItem* HisSchoolList::TakeCard()
{
    return CourseList::TakeCard<HisSchoolItem>();
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

void HisSchoolList::OnSliderMoved(int pos)
{
    SchoolEntryWidget* home = Nexus::GetSchoolEntryWidget();
    if (pos == verticalScrollBar()->maximum()) {
        if (count() == 0 || isHidden())
            return;
        qDebug() << "into HisSchoolList::OnSliderMoved and has gone to the end";
        m_atEnd = true;
        if (home)
            emit home->ShowBtnList4HistoryCourse();
    } else if (m_atEnd) {
        if (home)
            emit home->HideBtnList4HistoryCourse();
        m_atEnd = false;
    }
}

int HisSchoolList::HeightIn(const QWidget& host, int) const
{
    Profile* profile = Nexus::GetProfile();
    const int perPage = profile != nullptr ? profile->GetCoursesPerHistoryPage() : 15;
    return qMax(0, qMin(perPage * kRowPitch, host.height() - 30));
}

bool HisSchoolList::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this) {
        if (event->type() == QEvent::Leave)
            verticalScrollBar()->hide();
        else if (event->type() == QEvent::Enter)
            verticalScrollBar()->show();
    }
    return CourseList::eventFilter(watched, event);
}
