#include "LeftArea.h"

#include "app/MainWindow.h"
#include "app/Nexus.h"
#include "room/UserItem.h"
#include "room/UsrPermissionWidget.h"
#include "session/DataManager.h"
#include "session/UserInfo.h"
#include "widgets/Placement.h"

#include <QCursor>
#include <QDebug>
#include <QEvent>
#include <QPushButton>

namespace {
constexpr int kBottomBarHeight = 40;
} // namespace

LeftArea::LeftArea(QWidget* parent)
    : QWidget(parent)
    , m_zoomButton(new QPushButton(this))
    , m_usrPermWidget(new UsrPermissionWidget())
    , m_userList(this)
{
    m_zoomButton->setFixedSize(11, 41);
    m_zoomButton->setCursor(Qt::PointingHandCursor);
    m_zoomButton->setFocusPolicy(Qt::NoFocus);
    m_zoomButton->hide();
    connect(this, &LeftArea::ShowUsrPermWidget, this, &LeftArea::OnShowUsrPermWidget);
    connect(this, &LeftArea::HideUsrPermWidget, this, &LeftArea::OnHideUsrPermWidget);
    connect(this, &LeftArea::CleanUp, this, &LeftArea::OnCleanUp);
    connect(m_zoomButton, &QPushButton::clicked, this, &LeftArea::OnZoomInOutUsrArea);
    installEventFilter(this);
}

LeftArea::~LeftArea()
{
    // The pop-up may live in the main window, which can outlive the panel.
    delete m_usrPermWidget;
}

void LeftArea::UpdateModeByRole()
{
    DataManager* data = Nexus::GetDataManager();
    m_mode = (data != nullptr && data->GetRoomRole() == 4) ? ModeWide : ModeNarrow;
    ResizeByMode();
}

void LeftArea::SetupLayout(QWidget* window)
{
    if (!Placement::MoveInto(this, window, "[Error], in LeftArea::SetupLayout, _widget is NULL"))
        return;
    m_mainWindow = window;
    ResizeByMode();
}

void LeftArea::ResizeByMode()
{
    if (m_mainWindow == nullptr)
        return;
    int panelWidth = 80;
    if (m_mode == ModeWide)
        panelWidth = m_mainWindow->width() > 1366 ? 192 : 170;
    setGeometry(0, 40, panelWidth, m_mainWindow->height() - 40);
    InitCSS();
}

void LeftArea::InitCSS()
{
    qDebug() << "into LeftArea::InitCSS";
    if (m_userList.parentWidget() != this)
        m_userList.setParent(this);
    m_userList.setGeometry(0, 0, width(), height());
    UpdateZoomButtonCSS();
    m_zoomButton->move(width() - m_zoomButton->width(), (height() - m_zoomButton->height()) / 2);
    m_zoomButton->hide();
    m_userList.RefreshUI(m_mode);
    m_userList.show();
    show();
}

void LeftArea::UpdateZoomButtonCSS()
{
    m_zoomButton->setStyleSheet(m_mode == ModeNarrow
            ? QStringLiteral("QPushButton{image: url(:resource/userlist/after_shrink.png);border:0px;}QPushButton::"
                             "hover{image: url(:resource/userlist/after_shrink.png);border:0px;}")
            : QStringLiteral(
                "QPushButton{image: url(:resource/userlist/before_shrink.png);border:0px;background-color:rgba(0,0,"
                "0,0);}QPushButton::hover{image: url(:resource/userlist/before_shrink.png);border:0px;background-"
                "color:rgba(0,0,0,0);}"));
}

void LeftArea::OnShowUsrPermWidget(UserInfo* user, UserItem* row)
{
    DataManager* data = Nexus::GetDataManager();
    QWidget* host = m_mainWindow != nullptr ? m_mainWindow : window();
    if (data == nullptr || data->GetRoomRole() > 4 || user == nullptr || row == nullptr)
        return;
    if (user->GetUid() == data->GetUserId())
        return;
    m_usrPermWidget->setParent(host);
    if (!m_usrPermWidget->initWindow(qMax(135, row->width() - 2), 40, user)) {
        m_usrPermWidget->hide();
        return;
    }
    const QPoint pointer = host->mapFromGlobal(QCursor::pos());
    int x = qBound(0, pointer.x(), qMax(0, host->width() - m_usrPermWidget->width()));
    int y = pointer.y();
    if (y + m_usrPermWidget->height() > host->height() - kBottomBarHeight)
        y -= m_usrPermWidget->height();
    y = qMax(0, y);
    qDebug() << "_pos1:" << x << ",_pos2:" << y << ",m_pUsrPerWidget-height:" << m_usrPermWidget->height()
             << ",m_pUsrPerWidget-width:" << m_usrPermWidget->width();
    m_usrPermWidget->move(x, y);
    m_usrPermWidget->show();
    m_usrPermWidget->raise();
}

void LeftArea::OnHideUsrPermWidget()
{
    if (m_usrPermWidget->isVisible())
        m_usrPermWidget->hide();
}

void LeftArea::ClosePermissionsOf(int uid)
{
    if (m_usrPermWidget->GetUid() == uid)
        m_usrPermWidget->hide();
}

void LeftArea::OnZoomInOutUsrArea()
{
    m_mode = m_mode == ModeNarrow ? ModeWide : ModeNarrow;
    UpdateZoomButtonCSS();
    if (auto* main = qobject_cast<MainWindow*>(m_mainWindow))
        main->OnLayoutRefresh();
    else
        ResizeByMode();
}

void LeftArea::OnCleanUp()
{
    m_zoomButton->hide();
    m_usrPermWidget->hide();
    m_userList.Clear();
    hide();
}

bool LeftArea::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this) {
        if (event->type() == QEvent::Enter)
            m_zoomButton->show();
        else if (event->type() == QEvent::Leave)
            m_zoomButton->hide();
    }
    return QWidget::eventFilter(watched, event);
}
