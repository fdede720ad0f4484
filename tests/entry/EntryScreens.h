#pragma once

// What the tests of the login window and the classroom-password panel share:
// the main window built against the local service, and screenshots at a
// display scale.

#include "../app/MainWindowFixture.h"
#include "SchoolFixture.h"
#include "ServiceFixture.h"
#include "platform/Shell.h"

#include <QPixmap>
#include <QUrl>

namespace EntryScreens {

// The main window against the service's demo school, its server
// properties read; null (with a failed check) when the service is missing.
inline MainWindow* Build(ServiceFixture& service)
{
    if (!service.Start())
        return nullptr;
    qputenv("PLOVIX_COURSE_SITE_HOST", service.HttpBase().toUtf8());
    MainWindow* window = MainWindowFixture::Build();
    if (!SchoolFixture::UseServiceProperties(Nexus::GetProfile(), service))
        return window;
    window->GetLoginWidget()->OnDownloadCfgFinished();
    return window;
}

// A picture of widget as a screen of that scale shows it (scale folder and
// pixel ratio), "<name>-<folder>.png" in the screenshot folder.
inline QString SaveScaled(QWidget* widget, const QString& name, double factor, const QString& folder)
{
    QPixmap picture(widget->size() * factor);
    picture.setDevicePixelRatio(factor);
    picture.fill(Qt::white);
    widget->render(&picture);
    QDir().mkpath(TestSupport::ScreenshotFolder());
    const QString path = TestSupport::ScreenshotFolder() + QStringLiteral("/%1-%2.png").arg(name, folder);
    return picture.save(path, "PNG") ? path : QString();
}

// The two display scales the screenshots are taken at: columns "factor"
// and "folder".
inline void ScaleRows()
{
    QTest::addColumn<double>("factor");
    QTest::addColumn<QString>("folder");
    QTest::newRow("x1") << 1.0 << "x1";
    QTest::newRow("x1.5") << 1.5 << "x1.5";
}

// The web pages the screens open, in order, instead of a browser; null
// stops recording.
inline void RecordOpenedPages(QList<QUrl>* opened)
{
    if (!opened) {
        Shell::SetUrlOpener([](const QUrl&) { return false; });
        return;
    }
    Shell::SetUrlOpener([opened](const QUrl& url) {
        *opened << url;
        return true;
    });
}

} // namespace EntryScreens
