#include "LeftArea.h"

#include "app/Nexus.h"
#include "room/UserItem.h"
#include "session/DataManager.h"
#include "session/UserInfo.h"
#include "widgets/Placement.h"

#include <QDebug>
#include <QPushButton>

LeftArea::LeftArea(QWidget* parent)
    : QWidget(parent)
    , m_zoomButton(new QPushButton(this))
    , m_userList(this)
{
    m_zoomButton->setFixedSize(11, 41);
    m_zoomButton->setCursor(Qt::PointingHandCursor);
    m_zoomButton->hide();
    connect(this, &LeftArea::ShowUsrPermWidget, this, &LeftArea::OnShowUsrPermWidget);
    connect(this, &LeftArea::HideUsrPermWidget, this, &LeftArea::OnHideUsrPermWidget);
    connect(this, &LeftArea::CleanUp, this, &LeftArea::OnCleanUp);
    connect(m_zoomButton, &QPushButton::clicked, this, &LeftArea::OnZoomInOutUsrArea);
}

void LeftArea::UpdateModeByRole()
{
    m_mode = ModeNarrow;
    if (DataManager* data = Nexus::GetDataManager()) {
        UserInfo* self = data->GetUserInfoByUid(QString::number(data->GetUserId()));
        if (self != nullptr && self->GetRole() == 4)
            m_mode = ModeWide;
    }
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
    m_userList.setGeometry(0, 0, width(), height());
    m_zoomButton->move(width() - m_zoomButton->width(), (height() - m_zoomButton->height()) / 2);
    m_userList.RefreshUI(m_mode);
    m_userList.show();
    show();
}

void LeftArea::OnShowUsrPermWidget(UserInfo* user, UserItem* row)
{
    Q_UNUSED(row)
    qDebug() << "into LeftArea::OnShowUsrPermWidget, uid:" << (user != nullptr ? user->GetUid() : 0);
}

void LeftArea::OnHideUsrPermWidget()
{ }

void LeftArea::OnZoomInOutUsrArea()
{
    m_mode = m_mode == ModeNarrow ? ModeWide : ModeNarrow;
    ResizeByMode();
}

void LeftArea::OnCleanUp()
{
    m_zoomButton->hide();
    m_userList.Clear();
    hide();
}
