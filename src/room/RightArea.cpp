#include "RightArea.h"

#include "app/Nexus.h"
#include "app/Profile.h"
#include "room/MenuBar.h"
#include "room/MiddleArea.h"
#include "room/RoomColumns.h"
#include "widgets/Placement.h"

#include <QFontMetrics>
#include <QTabBar>

RightArea::RightArea(QWidget* parent)
    : QLabel(parent)
    , m_chatWidget(this)
    , m_player(this)
{
    setObjectName(QStringLiteral("RIGHT_AREA"));
    setStyleSheet(QStringLiteral("#RIGHT_AREA{background-color:%1;border-left-width: 0px;border-left-color: "
                                 "red;border-left-style: solid;}")
                      .arg(QStringLiteral("#FAFBFC")));
    connect(this, &RightArea::CleanUp, this, &RightArea::OnCleanUp);
}

void RightArea::SetupLayout(QWidget* window)
{
    // Phase 1: the class room has just been left.
    if (Profile* profile = Nexus::GetProfile()) {
        if (profile->GetLoginPhase() == 1)
            return;
    }
    if (!Placement::MoveInto(this, window, "[Error], in RightArea::SetupLayout, _widget is NULL"))
        return;

    const int w = window->width();
    const int h = window->height();
    const int column = RoomColumns::For(w).right;
    const int tile = static_cast<int>(column * 0.75);
    const QRect before = geometry();
    setGeometry(w - column, 40, column, h - 40);
    // The tool bar takes what the column leaves, whoever moved the column.
    if (geometry() != before) {
        if (MenuBar* bar = Nexus::GetMenuBar(); bar != nullptr && bar->isVisible())
            bar->FollowColumns();
    }

    const int tiles = m_player.GetCurStreamPlayerNum();
    int chatTop = (h - 40) / 4;
    if (tiles <= 2) {
        if (m_player.parentWidget() != this)
            m_player.setParent(this);
        m_player.setGeometry(0, 0, column, tiles >= 1 ? tiles * tile : tile);
        m_player.setObjectName(QStringLiteral("_VK_PLAYER_"));
        m_player.setStyleSheet(QStringLiteral("#_VK_PLAYER_{background:%1; border-radius:4px;"
                                              "border-bottom-width: 1px;border-bottom-color: #e5e5e5;"
                                              "border-bottom-style: solid;}")
                                   .arg(QStringLiteral("#FAFBFC")));
        m_player.show();
        chatTop = m_player.height();
        emit m_player.PlayerSizeAdjust();
    }
    emit m_player.GetTeacherInfo()->UpdateUI();
    m_player.show();

    m_chatWidget.UpdateUI(chatTop, this);
    m_chatWidget.show();
    show();
}

int RightArea::GetMinimumWidth() const
{
    int width = qMax(RoomColumns::kMinimumRight, m_chatWidget.minimumSizeHint().width());
    // The chat's two tabs ("聊天", "标记") are at least 8ex wide each by
    // their style; a large font needs more than the room's minimum.
    if (const QTabBar* tabs = m_chatWidget.findChild<QTabBar*>())
        width = qMax(width, 2 * 8 * QFontMetrics(tabs->font()).xHeight() + 2);
    return width;
}

void RightArea::OnCleanUp()
{
    m_player.OnCleanUp();
    m_chatWidget.OnCleanUp();
    hide();
}
