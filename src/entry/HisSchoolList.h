#pragma once

#include <QList>

#include "entry/CourseList.h"

class HisSchoolItem;

// Card list of one page of the user's past sessions on the course home page.
class HisSchoolList : public CourseList
{
    Q_OBJECT

public:
    explicit HisSchoolList(QWidget* parent = nullptr);

    // Appends a row for the card (height 180, spacing 2).
    void AddItem(HisSchoolItem* item);
    QList<HisSchoolItem*> GetItems() const;

public slots:
    void OnUpdateUI(QWidget* host) override;

protected:
    // As high as a full page, leaving 30 pixels of host for the page buttons.
    int HeightIn(const QWidget& host, int cardCount) const override;
};
