#include "PlayerStartup.h"

#include "AvPlayer.h"
#include "av/LogLevel.h"
#include "av/VideoDecoder.h"
#include "av/VideoRenderer.h"

#include <QApplication>
#include <QDebug>
#include <QFileInfo>
#include <QHash>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QStandardPaths>
#include <QTranslator>
#include <cstdlib>
#include <mpv/client.h>

namespace PlayerStartup {

namespace {

QOptions BuildCommonOptions()
{
    QOptions options;
    options.setDescription(QStringLiteral("Options for QtAV players"))
        .setGroup(QStringLiteral("common options"))
        .addFlag("help,h", QStringLiteral("print this"))
        .add("ao", QString(),
            QStringLiteral("audio output. Can be ordered combination of available backends (-ao help). Leave empty "
                           "to use the default setting. Set 'null' to disable audio."))
        .addFlag("-egl", QStringLiteral("Use EGL. Only works for Qt>=5.5+XCB"))
        .addFlag(
            "-gl", QStringLiteral("OpenGL backend for Qt>=5.4(windows). can be 'desktop', 'opengles' and 'software'"))
        .add("x", 0, QString())
        .add("y", 0, QStringLiteral("y"))
        .add("-width", 800, QStringLiteral("width of player"))
        .add("height", 450, QStringLiteral("height of player"))
        .addFlag("fullscreen", QStringLiteral("fullscreen"))
        .add("decoder", QStringLiteral("FFmpeg"), QStringLiteral("use a given decoder"))
        .add("decoders,-vd", QStringLiteral("cuda;vaapi;vda;dxva;cedarv;ffmpeg"),
            QStringLiteral("decoder name list in priority order separated by ';'"))
        .add("file,f", QString(), QStringLiteral("file or url to play"))
        .add("language", QString(), QStringLiteral("language on UI. can be 'system' and locale name e.g. zh_CN"))
        .add(
            "log", QString(), QStringLiteral("log level. can be 'off', 'fatal', 'critical', 'warning', 'debug', 'all'"))
        .add("logfile", QStringLiteral("log-%1.txt"),
            QStringLiteral("log to file. Set empty to disable log file (-logfile '')"));
    return options;
}

// A list given in an option: split at ";", or at "," when it has no ";".
QStringList SplitList(const QString& text)
{
    const QChar separator = text.contains(QLatin1Char(';')) ? QLatin1Char(';') : QLatin1Char(',');
    return text.split(separator, Qt::SkipEmptyParts);
}

void ListDecodersAndExit()
{
    for (plxav::VideoDecoderId id : plxav::VideoDecoder::registered())
        qDebug("- %s:", qPrintable(plxav::VideoDecoder::name(id)));
    std::exit(0);
}

} // namespace

QOptions get_common_options()
{
    static const QOptions options = BuildCommonOptions();
    return options;
}

QOptions PlayerOptions()
{
    QOptions options = get_common_options();
    options.setGroup(QStringLiteral("player options"))
        .add("ffmpeg-log", QString(),
            QStringLiteral("ffmpeg log level. can be: quiet, panic, fatal, error, warn, info, verbose, debug. this can "
                           "override env 'QTAV_FFMPEG_LOG'"))
        .addFlag("vd-list", QStringLiteral("List video decoders and their properties"))
        .add("-vo", QStringLiteral("qt"), QStringLiteral("video renderer engine. can be gl, qt, d2d, gdi, xv, x11."));
    return options;
}

void do_common_options_before_qapp(const QOptions& options)
{
    Q_UNUSED(options)
}

void do_common_options(const QOptions& options, const QString& appName)
{
    Q_UNUSED(appName)
    if (options.value(QStringLiteral("help")).toBool()) {
        options.print();
        std::exit(0);
    }
    QByteArray level = options.value(QStringLiteral("log")).toString().toLatin1();
    if (level.isEmpty())
        level = Config::instance().logLevel().toLatin1();
    if (!level.isEmpty())
        qputenv("QTAV_LOG", level);
}

QString appDataDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString TranslationLanguage(const QString& language, const QString& setting, const QString& systemLocale)
{
    const QString chosen = language.isEmpty() ? setting : language;
    return chosen.toLower() == QLatin1String("system") ? systemLocale : chosen;
}

QStringList LoadTranslations(const QStringList& names, const QString& language, const QString& appDir)
{
    // Every player start-up asks again: a translation already in place
    // stays, rather than another copy joining it for each media file.
    static QHash<QString, QPointer<QTranslator>> installed;
    QStringList loaded;
    for (const QString& name : names) {
        const QString file = name + QLatin1Char('_') + language;
        if (installed.value(file)) {
            loaded << name;
            continue;
        }
        auto* translator = new QTranslator(QCoreApplication::instance());
        // Qt's own translations come with Qt (qttranslations5-l10n).
        if (translator->load(appDir + QStringLiteral("/i18n/") + file)
            || translator->load(QStringLiteral(":/i18n/%1_%2").arg(name, language))
            || translator->load(file, QLibraryInfo::location(QLibraryInfo::TranslationsPath))) {
            QCoreApplication::installTranslator(translator);
            installed.insert(file, translator);
            loaded << name;
        } else {
            delete translator;
        }
    }
    return loaded;
}

void load_qm(const QStringList& names, const QString& language)
{
    const QString chosen = TranslationLanguage(language, Config::instance().language(), QLocale::system().name());
    const QStringList loaded = LoadTranslations(names + QStringList { QStringLiteral("QtAV"), QStringLiteral("qt") },
        chosen, QCoreApplication::applicationDirPath());
    qDebug() << "[player] translations for" << chosen << ":" << loaded;
}

OpenGLBackend::Choice ChooseOpenGLBackend(
    const QString& gl, const QString& appPath, Config::OpenGLType type, const QString& anglePlatform)
{
    QString name = QString(appPath).replace(QLatin1Char('\\'), QLatin1Char('/'));
    name = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
    if (const int dot = name.lastIndexOf(QLatin1Char('.')); dot > 0)
        name = name.left(dot);
    auto marked = [&name](const char* marker) { return name.indexOf(QLatin1String(marker)) > 0; };
    QString backend;
    if (marked("-desktop"))
        backend = QStringLiteral("desktop");
    else if (marked("-es") || marked("-angle"))
        backend = name.mid(name.indexOf(QLatin1String("-es")) + 1);
    else if (marked("-sw") || marked("-software"))
        backend = QStringLiteral("software");
    else
        backend = gl.toLower();
    if (backend.isEmpty()) {
        switch (type) {
        case Config::Desktop:
            backend = QStringLiteral("desktop");
            break;
        case Config::OpenGLES:
            backend = QStringLiteral("es");
            break;
        case Config::Software:
            backend = QStringLiteral("software");
            break;
        case Config::Auto:
            break;
        }
    }
    if (backend == QLatin1String("es") || backend == QLatin1String("angle") || backend == QLatin1String("opengles"))
        backend = QStringLiteral("es_") + anglePlatform.toLower();

    OpenGLBackend::Choice choice;
    if (backend.startsWith(QLatin1String("es"))) {
        choice.kind = OpenGLBackend::Choice::OpenGLES;
        for (const char* platform : { "d3d11", "d3d9", "warp" }) {
            if (backend.endsWith(QLatin1String(platform)))
                choice.anglePlatform = platform;
        }
    } else if (backend == QLatin1String("desktop")) {
        choice.kind = OpenGLBackend::Choice::Desktop;
    } else if (backend == QLatin1String("software")) {
        choice.kind = OpenGLBackend::Choice::Software;
    }
    return choice;
}

void set_opengl_backend(const QString& gl, const QString& appPath)
{
    const Config& config = Config::instance();
    OpenGLBackend::Apply(ChooseOpenGLBackend(gl, appPath, config.openGLType(), config.getANGLEPlatform()));
}

QString RendererNameFromProgram(const QString& program)
{
    const QString name = QFileInfo(program).fileName();
    const int dash = name.lastIndexOf(QLatin1Char('-'));
    if (dash <= 0)
        return QString();
    const int dot = name.indexOf(QLatin1Char('.'), dash + 1);
    return name.mid(dash + 1, dot < 0 ? -1 : dot - dash - 1);
}

plxav::VideoRendererId RendererIdForName(const QString& name)
{
    static const struct {
        const char* name;
        plxav::VideoRendererId id;
    } table[] = {
        { "opengl", plxav::VideoRendererId_OpenGLWidget },
        { "gl", plxav::VideoRendererId_GLWidget2 },
        { "d2d", plxav::VideoRendererId_Direct2D },
        { "gdi", plxav::VideoRendererId_GDI },
        { "xv", plxav::VideoRendererId_XV },
        { "x11", plxav::VideoRendererId_X11 },
        { "qt", plxav::VideoRendererId_Widget },
    };
    const QString lower = name.toLower();
    for (const auto& entry : table) {
        if (lower == QLatin1String(entry.name))
            return entry.id;
    }
    return plxav::VideoRendererId_GLWidget2;
}

plxav::VideoRendererId UsableRendererId(plxav::VideoRendererId id)
{
    if (plxav::VideoRenderer::isAvailable(id))
        return id;
    qDebug() << "[player] renderer" << id << "cannot draw here, the software renderer draws instead";
    return plxav::VideoRendererId_Widget;
}

QString LibraryVersion()
{
    const unsigned long api = mpv_client_api_version();
    return QStringLiteral("libmpv client API %1.%2").arg(api >> 16).arg(api & 0xffff);
}

void SetUpWindow(AvPlayer* window)
{
    const QOptions options = PlayerOptions();
    do_common_options_before_qapp(options);
    if (options.value(QStringLiteral("vd-list")).toBool())
        ListDecodersAndExit();
    // The program keeps its own name and folder: the data folder, the
    // debug log and the settings are found under them for the whole run.
    QApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    do_common_options(options);
    const QString program = QApplication::arguments().value(0);
    set_opengl_backend(options.value(QStringLiteral("gl")).toString(), program);
    load_qm({ QStringLiteral("player") }, options.value(QStringLiteral("language")).toString());
    plxav::setFFmpegLogLevel(options.value(QStringLiteral("ffmpeg-log")).toString().toLatin1());

    const QOptions::Option vo = options.option(QStringLiteral("vo"));
    const QString rendererName = vo.isSet() ? vo.value().toString() : RendererNameFromProgram(program);
    qDebug("vo: %s", qPrintable(rendererName));
    window->setProperty("rendererId", UsableRendererId(RendererIdForName(rendererName)));
    window->show();
    window->setWindowTitle(LibraryVersion());

    if (const QOptions::Option ao = options.option(QStringLiteral("ao")); ao.isSet())
        window->setAudioBackends(SplitList(ao.value().toString()));
    if (const QOptions::Option vd = options.option(QStringLiteral("vd")); vd.isSet()) {
        const QStringList priority = vd.value().toString().split(QLatin1Char(';'), Qt::SkipEmptyParts);
        if (!priority.isEmpty())
            window->setVideoDecoderNames(priority);
    }
}

} // namespace PlayerStartup
