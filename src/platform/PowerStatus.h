#pragma once

#include <QString>

namespace Platform {

// The system power status as a battery flag and a battery percentage:
// flag 128 with percentage 255 when the machine has no battery, flag 8 with
// the charge when one is present. False (0, 0) when nothing can be read.
bool QueryPowerStatus(int* batteryFlag, int* batteryPercent);

// Power status read from a power_supply folder; the seam of the above.
bool QueryPowerStatusFrom(const QString& powerSupplyDir, int* batteryFlag, int* batteryPercent);

// The Windows version name; this platform has none and returns "".
QString WindowsVersionName();

} // namespace Platform
