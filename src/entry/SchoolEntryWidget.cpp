#include "SchoolEntryWidget.h"

#include "app/Nexus.h"
#include "entry/PageButton.h"
#include "session/DataManager.h"
#include "widgets/Placement.h"

#include <QComboBox>
#include <QDebug>
#include <QLabel>
#include <QPixmap>
#include <QThread>

namespace {
constexpr int kMaxPageButtons = 9;
} // namespace

SchoolEntryWidget::SchoolEntryWidget(QWidget* parent)
    : QFrame(parent)
    , m_listFrame(this)
    , m_schoolList(&m_listFrame)
    , m_hisSchoolList(&m_listFrame)
{
    setObjectName(QStringLiteral("SchoolEntryWidget"));
    m_listFrame.setObjectName(QStringLiteral("shoolList"));
    m_avatar = new QLabel(this);
    m_avatar->setScaledContents(true);
    m_busy = new QLabel(this);
    m_busy->hide();
    m_schools = new QComboBox(this);
    m_hisSchoolList.hide();

    connect(this, &SchoolEntryWidget::UpdateSchoolItems, this, &SchoolEntryWidget::OnUpdateSchoolItems);
    connect(this, &SchoolEntryWidget::SchoolListTypeChanged, this, &SchoolEntryWidget::OnSchoolListTypeChanged);
    connect(this, &SchoolEntryWidget::ShowBtnList4HistoryCourse, this, &SchoolEntryWidget::OnShowBtnList4HistoryCourse);
    connect(this, &SchoolEntryWidget::HideBtnList4HistoryCourse, this, &SchoolEntryWidget::OnHideBtnList4HistoryCourse);
    connect(this, &SchoolEntryWidget::RequestBegin, this, &SchoolEntryWidget::OnRequestBegin);
    connect(this, &SchoolEntryWidget::RequestFinished, this, &SchoolEntryWidget::OnRequestFinished);
    connect(m_schools, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &SchoolEntryWidget::OnSchoolChanged);
}

void SchoolEntryWidget::SetSchoolListType(int type)
{
    m_dwSchoolListType = type;
    emit SchoolListTypeChanged(type);
}

int SchoolEntryWidget::SetupLayout(QWidget* host, int top)
{
    if (!Placement::MoveInto(this, host, "[Error], in SchoolEntryWidget::SetupLayout, _widget is NULL"))
        return -1;
    m_host = host;
    setGeometry(0, top, host->width(), host->height() - top);
    m_avatar->setGeometry(20, 20, 60, 60);
    m_schools->setGeometry(100, 35, 200, 30);
    m_listFrame.setGeometry(20, 100, qMax(0, width() - 40), qMax(0, height() - 120));
    m_listFrame.show();
    if (m_dwSchoolListType == ListUpcoming && m_schoolList.count() > 0)
        m_schoolList.OnUpdateUI(&m_listFrame);
    else if (m_dwSchoolListType == ListHistory && m_hisSchoolList.count() > 0)
        m_hisSchoolList.OnUpdateUI(&m_listFrame);
    show();
    return 0;
}

void SchoolEntryWidget::CreateBtns4HistoryCourseList(int pageCount)
{
    qDebug() << "DSchoolEntryWidget::CreateBtns4HistoryCourseList thread" << QThread::currentThread();
    if (!m_pageButtons.isEmpty())
        return;
    const int numbered = qMin(pageCount, kMaxPageButtons);
    m_pageButtons.append(new PageButton(QStringLiteral("<"), &m_listFrame));
    for (int page = 1; page <= numbered; ++page)
        m_pageButtons.append(new PageButton(QString::number(page), &m_listFrame));
    m_pageButtons.append(new PageButton(QStringLiteral(">"), &m_listFrame));
    for (PageButton* button : qAsConst(m_pageButtons))
        button->hide();
}

void SchoolEntryWidget::ClearBtns4HistoryCourseList()
{
    qDeleteAll(m_pageButtons);
    m_pageButtons.clear();
}

void SchoolEntryWidget::OnUpdateSchoolItems()
{
    qDebug() << "into SchoolEntryWidget::OnUpdateSchoolItems";
}

void SchoolEntryWidget::OnRefresh()
{
    qDebug() << "into SchoolEntryWidget OnRefresh";
    ClearBtns4HistoryCourseList();
    m_schoolList.ClearItems();
    m_hisSchoolList.ClearItems();
}

void SchoolEntryWidget::OnSchoolChanged(int index)
{
    qDebug() << "SchoolEntryWidget::OnSchoolChanged, index:" << index;
    m_hisSchoolList.ClearItems();
    m_schoolList.ClearItems();
    SetSchoolListType(ListUpcoming);
}

void SchoolEntryWidget::OnAvatarDownloadFinished(QString imagePath)
{
    qDebug() << "into SchoolEntryWidget::OnAvatarDownloadFinished, and imagePath:" << imagePath;
    m_avatar->setPixmap(QPixmap(imagePath));
    m_avatar->show();
}

void SchoolEntryWidget::OnShowGoingClass()
{
    if (m_dwSchoolListType == ListUpcoming)
        return;
    OnSchoolListTypeChanged(ListUpcoming);
    if (Nexus* hub = Nexus::Instance())
        hub->OnSchoolListGet();
    if (DataManager* data = Nexus::GetDataManager())
        emit data->DownloadSchoolListAvatar();
}

void SchoolEntryWidget::OnShowHistoryClass()
{
    if (m_dwSchoolListType == ListHistory)
        return;
    OnSchoolListTypeChanged(ListHistory);
    if (Nexus* hub = Nexus::Instance())
        hub->OnHistorySchoolListGet();
    if (DataManager* data = Nexus::GetDataManager())
        emit data->HistoryCourseDownloadById(Nexus::GetHistoryCoursePage());
}

void SchoolEntryWidget::OnSchoolListTypeChanged(int type)
{
    // Stored directly: the signal is not raised again.
    if (type == ListUpcoming) {
        m_dwSchoolListType = type;
        m_hisSchoolList.hide();
        OnHideBtnList4HistoryCourse();
    } else if (type == ListHistory) {
        m_dwSchoolListType = type;
        m_schoolList.hide();
    }
}

void SchoolEntryWidget::OnShowBtnList4HistoryCourse()
{
    int x = m_listFrame.width() - 12;
    for (PageButton* button : qAsConst(m_pageButtons))
        x -= button->width() + 15;
    for (PageButton* button : qAsConst(m_pageButtons)) {
        button->move(x, m_listFrame.height() - button->height() - 4);
        button->show();
        button->raise();
        x += button->width() + 15;
    }
}

void SchoolEntryWidget::OnHideBtnList4HistoryCourse()
{
    for (PageButton* button : qAsConst(m_pageButtons))
        button->hide();
}

void SchoolEntryWidget::OnRequestBegin()
{
    m_busy->move((width() - m_busy->width()) / 2, 200);
    m_busy->show();
    qDebug() << "SchoolEntryWidget::RequestBegin, pos:" << m_busy->pos();
    m_listFrame.hide();
}

void SchoolEntryWidget::OnRequestFinished()
{
    m_busy->hide();
    m_listFrame.show();
}
