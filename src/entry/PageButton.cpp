#include "PageButton.h"

#include "app/Nexus.h"
#include "session/DataManager.h"

#include <QDebug>

PageButton::PageButton(const QString& text, QWidget* parent)
    : QPushButton(text, parent)
{
    setCursor(Qt::PointingHandCursor);
}

int PageButton::GetPageNumber() const
{
    return text().toInt();
}

void PageButton::mousePressEvent(QMouseEvent* event)
{
    QPushButton::mousePressEvent(event);
    if (Nexus::GetSchoolEntryWidget() == nullptr)
        return;
    const int page = GetPageNumber();
    if (page <= 0)
        return; // the arrows slide the pager's window
    Nexus::SetHistoryCoursePage(page);
    if (Nexus* hub = Nexus::Instance())
        hub->OnHistorySchoolListGet();
    qDebug() << "into PageButton::mousePressEvent, and current page:" << page;
    // A direct call: it only asks the transfer worker for the page's pictures.
    if (DataManager* data = Nexus::GetDataManager())
        data->OnHistoryCourseDownloadById(page);
}
