#include "RightArea.h"

#include "app/Nexus.h"
#include "app/Profile.h"
#include "room/LeftArea.h"
#include "room/MiddleArea.h"
#include "widgets/Placement.h"

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
    LeftArea* left = Nexus::GetLeftArea();
    MiddleArea* middle = Nexus::GetMiddleArea();
    const int x0 = (left == nullptr || left->GetMode() == LeftArea::ModeNarrow) ? 80 : (w > 1366 ? 192 : 170);
    int listWidth = w <= 1366 ? 132 : 198;
    if (middle != nullptr && middle->GetListState() == MiddleArea::ListCollapsed)
        listWidth = 0;
    const int centre = (w - x0 - listWidth) * 3 / 4;
    const int column = w - x0 - listWidth - centre;
    const int tile = static_cast<int>(column * 0.75);
    setGeometry(w - column, 40, column, h - 40);

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

void RightArea::OnCleanUp()
{
    m_player.OnCleanUp();
    m_chatWidget.OnCleanUp();
    hide();
}
