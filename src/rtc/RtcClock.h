#pragma once

#include <QtGlobal>

// The wall clock of the video and link-quality code, in whole seconds since
// 1970. Tests fix it to drive frame ages and alarm windows.
namespace RtcClock {

qint64 NowSeconds();
// Fixes the clock at seconds; 0 returns to the real clock.
void SetOverride(qint64 seconds);

} // namespace RtcClock
