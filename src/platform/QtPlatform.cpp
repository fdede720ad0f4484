#include "QtPlatform.h"

#include <QtGlobal>
#include <cstring>

namespace QtPlatform {

void Choice::Restore() const
{
    if (!chosen)
        return;
    if (wasSet)
        qputenv("QT_QPA_PLATFORM", previous);
    else
        qunsetenv("QT_QPA_PLATFORM");
}

Choice PreferX11OnWayland(int argc, char* argv[])
{
    Choice choice;
    choice.wasSet = qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
    choice.previous = qgetenv("QT_QPA_PLATFORM");
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qEnvironmentVariableIsEmpty("DISPLAY"))
        return choice;
    if (!choice.previous.isEmpty() && !choice.previous.startsWith("wayland"))
        return choice;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0
            || std::strncmp(argv[i], "-platform=", 10) == 0 || std::strncmp(argv[i], "--platform=", 11) == 0)
            return choice;
    }
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
    choice.chosen = true;
    return choice;
}

} // namespace QtPlatform
