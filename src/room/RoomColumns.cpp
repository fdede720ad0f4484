#include "RoomColumns.h"

#include "app/Nexus.h"
#include "room/LeftArea.h"
#include "room/MiddleArea.h"
#include "room/RightArea.h"

#include <QtGlobal>

namespace RoomColumns {

Widths Compute(int windowWidth, bool wideUserList, bool listCollapsed, int minimumRight)
{
    Widths widths;
    widths.left = wideUserList ? (windowWidth > 1366 ? 192 : 170) : 80;
    widths.list = listCollapsed ? 0 : (windowWidth <= 1366 ? 132 : 198);
    const int shared = windowWidth - widths.left - widths.list;
    widths.centre = shared * 3 / 4;
    widths.right = shared - widths.centre;
    if (widths.right < minimumRight) {
        widths.right = qMin(minimumRight, qMax(0, shared));
        widths.centre = shared - widths.right;
    }
    return widths;
}

Widths For(int windowWidth)
{
    LeftArea* left = Nexus::GetLeftArea();
    MiddleArea* middle = Nexus::GetMiddleArea();
    RightArea* right = Nexus::GetRightArea();
    const bool wide = left != nullptr && left->GetMode() != LeftArea::ModeNarrow;
    const bool collapsed = middle != nullptr && middle->GetListState() == MiddleArea::ListCollapsed;
    return Compute(windowWidth, wide, collapsed, right != nullptr ? right->GetMinimumWidth() : kMinimumRight);
}

} // namespace RoomColumns
