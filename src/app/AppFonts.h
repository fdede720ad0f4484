#pragma once

// The screens name "Microsoft YaHei UI" and "Microsoft YaHei"; they are
// mapped to an installed CJK family so Chinese text renders.
namespace AppFonts {
void Install();
}
