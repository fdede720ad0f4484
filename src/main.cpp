// Entry of the Plovix client. The program takes no command-line options;
// the arguments only go to the application object.
#include "app/AppPaths.h"
#include "app/ClientApp.h"
#include "app/DisplayScale.h"
#include "platform/OpenGLBackend.h"

#include <QApplication>
#include <QDebug>
#include <QScreen>
#include <QStringList>

// Measures the primary screen with a throw-away application object and
// returns the scale text, whether the logical DPI is above 96 and how many
// screens there are.
static QString MeasureScale(int argc, char* argv[], bool* highDpi, int* screenCount)
{
    QApplication measure(argc, argv);
    QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary) {
        qWarning() << "[ERROR] no screen found, the display scale stays 1.0";
        *highDpi = false;
        return QStringLiteral("1.0");
    }
    qDebug() << "devicePixelRatio" << primary->devicePixelRatio()
             << "physicalDotsPerInchX:" << primary->physicalDotsPerInchX()
             << "logicalDotsPerInch:" << primary->logicalDotsPerInch()
             << "physicalDotsPerInch:" << primary->physicalDotsPerInch();
    const int dpi = int(primary->logicalDotsPerInch());
    const QList<QScreen*> screens = QGuiApplication::screens();
    *screenCount = screens.size();
    for (int i = 0; i < screens.size(); ++i) {
        const QRect g = screens.at(i)->geometry();
        qDebug() << qPrintable(QString::asprintf("screen %d, width %d, height %d", i, g.width(), g.height()));
    }
    *highDpi = dpi > 96;
    return DisplayScale::StepDown(DisplayScale::ChooseText(dpi), primary->geometry().size());
}

int main(int argc, char* argv[])
{
    AppPaths::ApplyIdentity();
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
