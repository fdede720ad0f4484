#pragma once

#include <QStringList>

// The computer's audio devices, named as Qt Multimedia names them
// (QAudioDeviceInfo::deviceName()), in the order the system lists them. The
// RTC engine lists the same devices under the same names, so a name found
// here finds the engine's device id. Devices a test plugs in or sets
// through the engine's control are listed too. Any thread.
namespace AudioDevices {

QStringList InputNames();
QStringList OutputNames();

} // namespace AudioDevices
