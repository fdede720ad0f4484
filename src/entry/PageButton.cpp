#include "PageButton.h"

#include "app/Nexus.h"
#include "entry/SchoolEntryWidget.h"
#include "session/DataManager.h"

#include <QDebug>

PageButton::PageButton(const QString& text, QWidget* parent)
    : QPushButton(text, parent)
    , m_text(text)
{
    setFixedSize(24, 24);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setStyleSheet(QString::fromLatin1(SchoolEntryWidget::kPagerNormalStyle));
}

int PageButton::GetPageNumber() const
{
    return m_text.toInt();
}

void PageButton::SetPageText(const QString& text)
{
    m_text = text;
    setText(text);
}

void PageButton::mousePressEvent(QMouseEvent* event)
{
    QPushButton::mousePressEvent(event);
    SchoolEntryWidget* home = Nexus::GetSchoolEntryWidget();
    if (home == nullptr)
        return;
    const int pageCount = Nexus::GetHistoryCoursePageCount();
    const int first = home->GetHistoryCourseListFirstPageNum();
    const int numbered = home->GetPageButtons().size() - 2;
    if (m_text == QLatin1String("<")) {
        if (first <= 1)
            return;
        home->UnHighLightBtnList4HistoryCourse();
        home->UpdateHistoryCourseListPage4Left();
        qDebug() << "press '<' and has not gone to the end, and current page:" << Nexus::GetHistoryCoursePage()
                 << ",total page:" << pageCount;
    } else if (m_text == QLatin1String(">")) {
        // The window, not the current page, decides: from any page of a
        // window that ends before the last page the arrow slides.
        if (first + numbered - 1 >= pageCount) {
            qDebug() << "press '>' and has gone to the end, and current page:" << Nexus::GetHistoryCoursePage()
                     << ",total page:" << pageCount;
            return;
        }
        home->UnHighLightBtnList4HistoryCourse();
        home->UpdateHistoryCourseListPage4Right();
        qDebug() << "press '>' and has not gone to the end, and current page:" << Nexus::GetHistoryCoursePage()
                 << ",total page:" << pageCount;
    } else {
        Nexus::SetHistoryCoursePage(GetPageNumber());
        home->UnHighLightBtnList4HistoryCourse();
        setStyleSheet(QString::fromLatin1(SchoolEntryWidget::kPagerCurrentStyle));
    }
    // This button may be relabelled by the rebuild below: nothing of it is
    // used afterwards.
    const int page = Nexus::GetHistoryCoursePage();
    if (Nexus* hub = Nexus::Instance())
        hub->OnHistorySchoolListGet();
    home->OnHideBtnList4HistoryCourse();
    qDebug() << "into PageButton::mousePressEvent, and current page:" << page;
    // Queued into the session's thread, which reads its own lists there.
    if (DataManager* data = Nexus::GetDataManager())
        emit data->HistoryCourseDownloadById(page);
}
