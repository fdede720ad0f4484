// Entry of the Plovix client. The program takes no command-line options;
// the arguments only go to the application object.
#include "app/AppPaths.h"
#include "app/ClientApp.h"
#include "app/DisplayScale.h"
#include "platform/OpenGLBackend.h"
#include "platform/QtPlatform.h"
#include "platform/ScreenMeasure.h"

#include <QApplication>
#include <QDebug>
#include <QScreen>
#include <QStringList>

// The screens as Qt reports them: from the X server directly where that
// gives the same, else from a throw-away application object (a second one
// in the process costs a noticeable part of the start-up).
static bool MeasureWithQt(int argc, char* argv[], Platform::ScreenMeasure* out)
{
    QApplication measure(argc, argv);
    QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return false;
    const QList<QScreen*> screens = QGuiApplication::screens();
    out->primary = qMax(0, screens.indexOf(primary));
    for (QScreen* screen : screens)
        out->screens << screen->geometry();
    out->logicalDpi = primary->logicalDotsPerInch();
    out->physicalSize = primary->physicalSize();
    out->devicePixelRatio = primary->devicePixelRatio();
    return true;
}

// Returns the scale text for the primary screen, whether its logical DPI is
// above 96 and how many screens there are.
static QString MeasureScale(int argc, char* argv[], bool* highDpi, int* screenCount)
{
    Platform::ScreenMeasure m;
    // Arguments may choose another platform or display.
    const bool measured = (argc <= 1 && Platform::MeasureX11Screens(&m)) || MeasureWithQt(argc, argv, &m);
    if (!measured) {
        qWarning() << "[ERROR] no screen found, the display scale stays 1.0";
        *highDpi = false;
        return QStringLiteral("1.0");
    }
    // As QScreen computes them.
    const QSize size = m.screens.at(m.primary).size();
    const qreal physicalX = size.width() / m.physicalSize.width() * qreal(25.4);
    const qreal physical
        = ((size.height() / m.physicalSize.height()) + (size.width() / m.physicalSize.width())) * qreal(25.4 * 0.5);
    qDebug() << "devicePixelRatio" << m.devicePixelRatio << "physicalDotsPerInchX:" << physicalX
             << "logicalDotsPerInch:" << m.logicalDpi << "physicalDotsPerInch:" << physical;
    const int dpi = int(m.logicalDpi);
    *screenCount = m.screens.size();
    for (int i = 0; i < m.screens.size(); ++i) {
        const QRect g = m.screens.at(i);
        qDebug() << qPrintable(QString::asprintf("screen %d, width %d, height %d", i, g.width(), g.height()));
    }
    *highDpi = dpi > 96;
    return DisplayScale::StepDown(DisplayScale::ChooseText(dpi), size);
}

int main(int argc, char* argv[])
{
    AppPaths::ApplyIdentity();
    const QtPlatform::Choice platform = QtPlatform::PreferX11OnWayland(argc, argv);
    bool highDpi = false;
    int screenCount = 1;
    const QString scale = MeasureScale(argc, argv, &highDpi, &screenCount);
    if (highDpi) {
        QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
        // The factor is given per screen rather than as "QT_SCALE_FACTOR":
        // X11 already sizes point fonts by the screen's DPI, and only a
        // per-screen factor takes that DPI back to 96, so text is scaled
        // once like everything else instead of twice.
        QStringList factors;
        for (int i = 0; i < qMax(1, screenCount); ++i)
            factors << scale;
        qputenv("QT_SCREEN_SCALE_FACTORS", factors.join(QLatin1Char(';')).toUtf8());
    }

    // The media player's OpenGL picture keeps its context (and the playing
    // video) when its window goes full screen and back; the shared context
    // itself waits for the first picture.
    OpenGLBackend::ReserveSharedContext();
    QApplication app(argc, argv);
    platform.Restore();
    int code = 0;
    {
        ClientApp client;
        client.Start(scale);
        code = QApplication::exec();
        client.Stop();
    }
    OpenGLBackend::ReleaseSharedContext();
    return code;
}
