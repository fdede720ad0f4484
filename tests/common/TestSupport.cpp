#include "TestSupport.h"

#include "app/AppFonts.h"

#include <QDir>
#include <QFile>

namespace TestSupport {

void UseHome(const QString& home)
{
    const QStringList dirs { "config", "data", "cache", "runtime" };
    for (const QString& d : dirs)
        QDir().mkpath(home + "/" + d);
    QFile::setPermissions(home + "/runtime", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("HOME", home.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home + "/config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home + "/data").toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (home + "/cache").toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", (home + "/runtime").toLocal8Bit());
}

void InstallFonts()
{
    AppFonts::Install();
}

} // namespace TestSupport
