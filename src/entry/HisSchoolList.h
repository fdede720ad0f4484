#pragma once

#include <QList>

#include "entry/CourseList.h"

class HisSchoolItem;

// Card list of one page of the user's past sessions on the course home page.
// Scrolled to its end it asks the home page to show the pager.
class HisSchoolList : public CourseList
{
    Q_OBJECT

public:
    explicit HisSchoolList(QWidget* parent = nullptr);

    // Appends a row for the card (height 180, spacing 2).
    void AddItem(HisSchoolItem* item);
    QList<HisSchoolItem*> GetItems() const;
    // A hidden card to fill and add (see CourseList::TakeCard).
    HisSchoolItem* TakeCard();
    bool IsAtEnd() const { return m_atEnd; }

public slots:
    void OnUpdateUI(QWidget* host) override;
    void OnSliderMoved(int pos);

protected:
    CourseItem* MakeCard(QWidget* parent) const override;
    // As high as a full page, leaving 30 pixels of host for the page buttons.
    int HeightIn(const QWidget& host, int cardCount) const override;
    // The scroll bar shows only while the pointer is on the list.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_atEnd = false;
};
