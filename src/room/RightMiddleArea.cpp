#include "RightMiddleArea.h"

#include "app/Nexus.h"
#include "room/LeftArea.h"
#include "rtc/Player.h"
#include "widgets/Placement.h"

RightMiddleArea::RightMiddleArea(QWidget* parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("RightMiddleArea"));
    setStyleSheet(QStringLiteral("#RightMiddleArea{background:%1;border-bottom-width: 1px;"
                                 "border-bottom-color: rgb(236,236,236);border-bottom-style: solid;}")
                      .arg(QStringLiteral("#FAFBFC")));
}

RightMiddleArea::~RightMiddleArea()
{
    // The video panel belongs to the right column and only borrows the band.
    const QList<Player*> players = findChildren<Player*>(QString(), Qt::FindDirectChildrenOnly);
    for (Player* player : players)
        player->setParent(nullptr);
}

void RightMiddleArea::SetupLayout(QWidget* window)
{
    if (!Placement::MoveInto(this, window, "[Error], in RightMiddleArea::SetupLayout, _widget is NULL"))
        return;
    const int w = window->width();
    LeftArea* left = Nexus::GetLeftArea();
    const int x0 = (left == nullptr || left->GetMode() == LeftArea::ModeNarrow) ? 80 : (w > 1366 ? 192 : 170);
    setGeometry(x0, 41, w - x0, (window->height() - 40) / 4);

    Player* player = Nexus::GetPlayer();
    if (player != nullptr && player->GetCurStreamPlayerNum() > 2) {
        show();
        emit player->PlayerSizeAdjust();
    } else {
        hide();
    }
}
