// The history pager of the course home page: "<", a window of at most nine
// page numbers, ">". The window slides by whole windows.
#include "SchoolEntryWidget.h"

#include "app/Nexus.h"
#include "entry/PageButton.h"
#include "entry/SchoolEntryForm.h"

#include <QDebug>
#include <QFrame>
#include <QThread>

namespace {
constexpr int kMaxPageButtons = 9;
constexpr int kButtonGap = 15;
} // namespace

int SchoolEntryWidget::NumberedButtonCount() const
{
    return qMax(0, m_pageButtons.size() - 2);
}

int SchoolEntryWidget::GetHistoryCourseListFirstPageNum()
{
    return m_pageButtons.size() > 2 ? m_pageButtons.at(1)->GetPageNumber() : 0;
}

void SchoolEntryWidget::CreateBtns4HistoryCourseList(int pageCount)
{
    qDebug() << "DSchoolEntryWidget::CreateBtns4HistoryCourseList thread" << QThread::currentThread();
    const int current = Nexus::GetHistoryCoursePage();
    if (!m_pageButtons.isEmpty()) {
        const int first = GetHistoryCourseListFirstPageNum();
        // The same list once more (a page change): keep the window.
        if (m_pagerPageCount == pageCount && current >= first && current < first + NumberedButtonCount()) {
            UnHighLightBtnList4HistoryCourse();
            m_pageButtons.at(1 + current - first)->setStyleSheet(QString::fromLatin1(kPagerCurrentStyle));
            return;
        }
        // Another list (another school, a refresh, a new count): a pager
        // left from it would offer pages that do not exist.
        ClearBtns4HistoryCourseList();
    }
    if (pageCount < 1)
        return;
    const int numbered = qMin(pageCount, kMaxPageButtons);
    m_pagerPageCount = pageCount;
    m_pageButtons.append(new PageButton(QStringLiteral("<"), m_form->shoolList));
    for (int page = 1; page <= numbered; ++page)
        m_pageButtons.append(new PageButton(QString::number(page), m_form->shoolList));
    m_pageButtons.append(new PageButton(QStringLiteral(">"), m_form->shoolList));
    for (PageButton* button : qAsConst(m_pageButtons))
        button->hide();
    // The window holds the current page: 1 unless the list starts further on.
    const int first = current <= numbered ? 1 : qMin(current, pageCount - numbered + 1);
    RelabelPager(first);
    if (current >= first && current < first + numbered) {
        UnHighLightBtnList4HistoryCourse();
        m_pageButtons.at(1 + current - first)->setStyleSheet(QString::fromLatin1(kPagerCurrentStyle));
    }
}

void SchoolEntryWidget::ClearBtns4HistoryCourseList()
{
    // Deleted later: a button's own press may end in a new pager.
    for (PageButton* button : qAsConst(m_pageButtons)) {
        button->hide();
        button->deleteLater();
    }
    m_pageButtons.clear();
    m_pagerPageCount = 0;
}

void SchoolEntryWidget::RelabelPager(int first)
{
    const int numbered = NumberedButtonCount();
    if (numbered == 0)
        return;
    for (int i = 1; i <= numbered; ++i) {
        m_pageButtons.at(i)->SetPageText(QString::number(first + i - 1));
        m_pageButtons.at(i)->setStyleSheet(QString::fromLatin1(i == 1 ? kPagerCurrentStyle : kPagerNormalStyle));
    }
    // An arrow looks usable exactly when it slides the window.
    m_pageButtons.first()->setStyleSheet(QString::fromLatin1(first <= 1 ? kPagerDisabledStyle : kPagerCurrentStyle));
    const bool atEnd = first + numbered - 1 >= m_pagerPageCount;
    m_pageButtons.last()->setStyleSheet(QString::fromLatin1(atEnd ? kPagerDisabledStyle : kPagerNormalStyle));
}

void SchoolEntryWidget::UpdateHistoryCourseListPage4Left()
{
    const int first = GetHistoryCourseListFirstPageNum();
    qDebug() << "into UpdateHistoryCourseListPage4Left, first page num:" << first;
    int start = first - NumberedButtonCount();
    qDebug() << "into UpdateHistoryCourseListPage4Left, expect first page num:" << start;
    if (start < 1)
        start = 1;
    qDebug() << "into UpdateHistoryCourseListPage4Left, after adapte first page num:" << start;
    Nexus::SetHistoryCoursePage(start);
    RelabelPager(start);
}

void SchoolEntryWidget::UpdateHistoryCourseListPage4Right()
{
    const int numbered = NumberedButtonCount();
    const int first = GetHistoryCourseListFirstPageNum();
    qDebug() << "into UpdateHistoryCourseListPage4Right, first page num:" << first;
    int start = first + numbered;
    qDebug() << "into UpdateHistoryCourseListPage4Right, expect first page num:" << start;
    if (m_pagerPageCount < start + numbered) {
        start = m_pagerPageCount - numbered + 1;
        qDebug() << "@1:" << m_pagerPageCount << ",@2:" << m_pageButtons.size() << ",num:" << start;
    }
    qDebug() << "into UpdateHistoryCourseListPage4Right, after adapte first page num:" << start;
    Nexus::SetHistoryCoursePage(start);
    RelabelPager(start);
}

void SchoolEntryWidget::UnHighLightBtnList4HistoryCourse()
{
    for (int i = 1; i + 1 < m_pageButtons.size(); ++i)
        m_pageButtons.at(i)->setStyleSheet(QString::fromLatin1(kPagerNormalStyle));
}

void SchoolEntryWidget::PlaceVisibleButtons(bool showHidden)
{
    QFrame* frame = m_form->shoolList;
    int x = frame->width() - 12;
    for (PageButton* button : qAsConst(m_pageButtons))
        x -= button->width() + kButtonGap;
    for (PageButton* button : qAsConst(m_pageButtons)) {
        if (showHidden || button->isVisible()) {
            if (button->parentWidget() != frame)
                button->setParent(frame);
            button->move(x, frame->height() - button->height() - 4);
            button->show();
            button->raise();
        }
        x += button->width() + kButtonGap;
    }
}

void SchoolEntryWidget::OnShowBtnList4HistoryCourse()
{
    // Only under the history list it belongs to.
    if (m_dwSchoolListType != ListHistory)
        return;
    PlaceVisibleButtons(true);
}

void SchoolEntryWidget::OnUpdateLayoutBtnList4HistoryCourse()
{
    PlaceVisibleButtons(false);
}

void SchoolEntryWidget::OnHideBtnList4HistoryCourse()
{
    for (PageButton* button : qAsConst(m_pageButtons))
        button->hide();
}
