#include "AudioDevices.h"
#include "RtcSim.h"

namespace {
QStringList Names(rtcsim::DeviceKind kind)
{
    QStringList names;
    for (const rtcsim::Device& device : rtcsim::ListDevices(kind))
        names << device.name;
    return names;
}
} // namespace

namespace AudioDevices {

QStringList InputNames()
{
    return Names(rtcsim::DeviceKind::Recording);
}

QStringList OutputNames()
{
    return Names(rtcsim::DeviceKind::Playback);
}

} // namespace AudioDevices
