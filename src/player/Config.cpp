#include "Config.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaEnum>
#include <QSettings>
#include <QStandardPaths>
#include <functional>

namespace {

QString& baseName()
{
    static QString name;
    return name;
}

template <typename T> bool Store(T& field, const T& value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

QFont defaultSubtitleFont()
{
    QFont font;
    font.setPointSize(20);
    font.setWeight(QFont::Bold);
    return font;
}

const char kMirrorSample[] = "// horizontal mirror effect\n"
                             "vec4 sample2d(sampler2D tex, vec2 pos, int p) {\n"
                             "    return texture(tex, vec2(1.0-pos.x, pos.y));\n"
                             "}";
const char kNegatePostProcess[]
    = "//negate color effect\n"
      "gl_FragColor.rgb = vec3(1.0-gl_FragColor.r, 1.0-gl_FragColor.g, 1.0-gl_FragColor.b);";

} // namespace

// One key of the settings file: where it lies, what a missing key reads
// as, and how the store's value is read for writing and set when reading.
struct Config::Key {
    const char* path;
    QVariant fallback;
    std::function<QVariant(const Config&)> get;
    std::function<void(Config&, const QVariant&)> set;
};

#define PLAYER_CONFIG_SETTER(Name, Type, member, ...)                                                                  \
    Config& Config::set##Name(Type value)                                                                              \
    {                                                                                                                  \
        if (Store(member, value)) {                                                                                    \
            emit __VA_ARGS__;                                                                                          \
            emit changed();                                                                                            \
        }                                                                                                              \
        return *this;                                                                                                  \
    }

PLAYER_CONFIG_SETTER(LastFile, const QString&, m_lastFile, lastFileChanged())
PLAYER_CONFIG_SETTER(ForceFrameRate, double, m_forceFrameRate, forceFrameRateChanged())
PLAYER_CONFIG_SETTER(CaptureDir, const QString&, m_captureDir, captureDirChanged(m_captureDir))
PLAYER_CONFIG_SETTER(CaptureFormat, const QString&, m_captureFormat, captureFormatChanged(m_captureFormat))
PLAYER_CONFIG_SETTER(CaptureQuality, int, m_captureQuality, captureQualityChanged(m_captureQuality))
PLAYER_CONFIG_SETTER(SubtitleEngines, const QStringList&, m_subtitleEngines, subtitleEnginesChanged())
PLAYER_CONFIG_SETTER(SubtitleAutoLoad, bool, m_subtitleAutoLoad, subtitleAutoLoadChanged())
PLAYER_CONFIG_SETTER(SubtitleEnabled, bool, m_subtitleEnabled, subtitleEnabledChanged())
PLAYER_CONFIG_SETTER(SubtitleFont, const QFont&, m_subtitleFont, subtitleFontChanged())
PLAYER_CONFIG_SETTER(SubtitleColor, const QColor&, m_subtitleColor, subtitleColorChanged())
PLAYER_CONFIG_SETTER(SubtitleOutlineColor, const QColor&, m_subtitleOutlineColor, subtitleOutlineColorChanged())
PLAYER_CONFIG_SETTER(SubtitleOutline, bool, m_subtitleOutline, subtitleOutlineChanged())
PLAYER_CONFIG_SETTER(SubtitleBottomMargin, int, m_subtitleBottomMargin, subtitleBottomMarginChanged())
PLAYER_CONFIG_SETTER(SubtitleDelay, double, m_subtitleDelay, subtitleDelayChanged())
PLAYER_CONFIG_SETTER(AssFontFile, const QString&, m_assFontFile, assFontFileChanged())
PLAYER_CONFIG_SETTER(AssFontsDir, const QString&, m_assFontsDir, assFontsDirChanged())
PLAYER_CONFIG_SETTER(AssFontFileForced, bool, m_assFontFileForced, assFontFileForcedChanged())
PLAYER_CONFIG_SETTER(PreviewEnabled, bool, m_previewEnabled, previewEnabledChanged())
PLAYER_CONFIG_SETTER(PreviewWidth, int, m_previewWidth, previewWidthChanged())
PLAYER_CONFIG_SETTER(PreviewHeight, int, m_previewHeight, previewHeightChanged())
PLAYER_CONFIG_SETTER(EGL, bool, m_egl, EGLChanged())
PLAYER_CONFIG_SETTER(OpenGLType, OpenGLType, m_openGLType, openGLTypeChanged())
PLAYER_CONFIG_SETTER(ANGLEPlatform, const QString&, m_anglePlatform, ANGLEPlatformChanged())
PLAYER_CONFIG_SETTER(AvformatOptionsEnabled, bool, m_avformatOptionsEnabled, avformatOptionsEnabledChanged())
PLAYER_CONFIG_SETTER(Timeout, double, m_timeout, timeoutChanged())
PLAYER_CONFIG_SETTER(BufferValue, int, m_bufferValue, bufferValueChanged())
PLAYER_CONFIG_SETTER(Language, const QString&, m_language, languageChanged())
PLAYER_CONFIG_SETTER(UserShaderEnabled, bool, m_userShaderEnabled, userShaderEnabledChanged())
PLAYER_CONFIG_SETTER(IntermediateFBO, bool, m_intermediateFBO, intermediateFBOChanged())
PLAYER_CONFIG_SETTER(FragHeader, const QString&, m_fragHeader, fragHeaderChanged())
PLAYER_CONFIG_SETTER(FragSample, const QString&, m_fragSample, fragSampleChanged())
PLAYER_CONFIG_SETTER(FragPostProcess, const QString&, m_fragPostProcess, fragPostProcessChanged())
PLAYER_CONFIG_SETTER(AbortOnTimeout, bool, m_abortOnTimeout, abortOnTimeoutChanged())
PLAYER_CONFIG_SETTER(AvfilterVideoEnable, bool, m_avfilterVideoEnable, avfilterVideoChanged())
PLAYER_CONFIG_SETTER(AvfilterVideoOptions, const QString&, m_avfilterVideoOptions, avfilterVideoChanged())
PLAYER_CONFIG_SETTER(AvfilterAudioEnable, bool, m_avfilterAudioEnable, avfilterAudioChanged())
PLAYER_CONFIG_SETTER(AvfilterAudioOptions, const QString&, m_avfilterAudioOptions, avfilterAudioChanged())

#undef PLAYER_CONFIG_SETTER

Config& Config::setLogLevel(const QString& value)
{
    if (Store(m_logLevel, value.toLower())) {
        emit logLevelChanged();
        emit changed();
    }
    return *this;
}

Config& Config::setDecoderPriorityNames(const QStringList& value)
{
    if (!Store(m_decoderPriorityNames, value)) {
        qDebug("decoderPriority not changed");
        return *this;
    }
    emit decoderPriorityNamesChanged();
    emit changed();
    save();
    return *this;
}

Config& Config::setZeroCopy(bool value)
{
    if (Store(m_zeroCopy, value)) {
        emit zeroCopyChanged();
        emit changed();
        save();
    }
    return *this;
}

// No signals: the dialog applies these with the demuxer switch.
Config& Config::setReduceBuffering(bool value)
{
    m_reduceBuffering = value;
    return *this;
}

Config& Config::setProbeSize(int value)
{
    m_probeSize = value;
    return *this;
}

Config& Config::setAnalyzeDuration(int value)
{
    m_analyzeDuration = value;
    return *this;
}

Config& Config::setAvformatExtra(const QString& value)
{
    m_avformatExtra = value;
    return *this;
}

// ---- the settings file

const QList<Config::Key>& Config::keys()
{
    using C = Config;
    using V = QVariant;
    static const QMetaEnum glTypes = QMetaEnum::fromType<OpenGLType>();
    static const QList<Key> table = {
        { "log", QString(), [](const C& c) { return V(c.logLevel()); },
            [](C& c, const V& v) { c.setLogLevel(v.toString()); } },
        { "language", QStringLiteral("system"), [](const C& c) { return V(c.language()); },
            [](C& c, const V& v) { c.setLanguage(v.toString()); } },
        { "last_file", QString(), [](const C& c) { return V(c.lastFile()); },
            [](C& c, const V& v) { c.setLastFile(v.toString()); } },
        { "timeout", 30.0, [](const C& c) { return V(c.timeout()); },
            [](C& c, const V& v) { c.setTimeout(v.toDouble()); } },
        { "abort_timeout", true, [](const C& c) { return V(c.abortOnTimeout()); },
            [](C& c, const V& v) { c.setAbortOnTimeout(v.toBool()); } },
        { "force_fps", 0.0, [](const C& c) { return V(c.forceFrameRate()); },
            [](C& c, const V& v) { c.setForceFrameRate(v.toDouble()); } },
        { "decoder/video/priority", QStringLiteral("HW FFmpeg"),
            [](const C& c) { return V(c.decoderPriorityNames().join(QLatin1Char(' '))); },
            [](C& c, const V& v) {
                c.setDecoderPriorityNames(v.toString().split(QLatin1Char(' '), Qt::SkipEmptyParts));
            } },
        { "decoder/video/zeroCopy", true, [](const C& c) { return V(c.zeroCopy()); },
            [](C& c, const V& v) { c.setZeroCopy(v.toBool()); } },
        { "capture/dir", QString(), [](const C& c) { return V(c.captureDir()); },
            [](C& c, const V& v) {
                // No folder stored: the user's pictures, set in one step so
                // that no one is told of an empty folder on the way.
                const QString dir = v.toString();
                c.setCaptureDir(
                    dir.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::PicturesLocation) : dir);
            } },
        { "capture/format", QStringLiteral("png"), [](const C& c) { return V(c.captureFormat()); },
            [](C& c, const V& v) { c.setCaptureFormat(v.toString()); } },
        { "capture/quality", 100, [](const C& c) { return V(c.captureQuality()); },
            [](C& c, const V& v) { c.setCaptureQuality(v.toInt()); } },
        { "subtitle/enabled", true, [](const C& c) { return V(c.subtitleEnabled()); },
            [](C& c, const V& v) { c.setSubtitleEnabled(v.toBool()); } },
        { "subtitle/autoLoad", true, [](const C& c) { return V(c.subtitleAutoLoad()); },
            [](C& c, const V& v) { c.setSubtitleAutoLoad(v.toBool()); } },
        { "subtitle/engines", QStringList { QStringLiteral("FFmpeg"), QStringLiteral("LibASS") },
            [](const C& c) { return V(c.subtitleEngines()); },
            [](C& c, const V& v) { c.setSubtitleEngines(v.toStringList()); } },
        { "subtitle/delay", 0.0, [](const C& c) { return V(c.subtitleDelay()); },
            [](C& c, const V& v) { c.setSubtitleDelay(v.toDouble()); } },
        { "subtitle/font", defaultSubtitleFont(), [](const C& c) { return V(c.subtitleFont()); },
            [](C& c, const V& v) { c.setSubtitleFont(v.canConvert<QFont>() ? v.value<QFont>() : QFont()); } },
        { "subtitle/color", QColor(QStringLiteral("white")), [](const C& c) { return V(c.subtitleColor()); },
            [](C& c, const V& v) { c.setSubtitleColor(v.value<QColor>()); } },
        { "subtitle/outline_color", QColor(QStringLiteral("blue")),
            [](const C& c) { return V(c.subtitleOutlineColor()); },
            [](C& c, const V& v) { c.setSubtitleOutlineColor(v.value<QColor>()); } },
        { "subtitle/outline", true, [](const C& c) { return V(c.subtitleOutline()); },
            [](C& c, const V& v) { c.setSubtitleOutline(v.toBool()); } },
        { "subtitle/bottom margin", 8, [](const C& c) { return V(c.subtitleBottomMargin()); },
            [](C& c, const V& v) { c.setSubtitleBottomMargin(v.toInt()); } },
        { "subtitle/ass/font_file", QString(), [](const C& c) { return V(c.assFontFile()); },
            [](C& c, const V& v) { c.setAssFontFile(v.toString()); } },
        { "subtitle/ass/force_font_file", false, [](const C& c) { return V(c.assFontFileForced()); },
            [](C& c, const V& v) { c.setAssFontFileForced(v.toBool()); } },
        { "subtitle/ass/fonts_dir", QString(), [](const C& c) { return V(c.assFontsDir()); },
            [](C& c, const V& v) { c.setAssFontsDir(v.toString()); } },
        { "preview/enabled", true, [](const C& c) { return V(c.previewEnabled()); },
            [](C& c, const V& v) { c.setPreviewEnabled(v.toBool()); } },
        { "preview/width", 160, [](const C& c) { return V(c.previewWidth()); },
            [](C& c, const V& v) { c.setPreviewWidth(v.toInt()); } },
        { "preview/height", 90, [](const C& c) { return V(c.previewHeight()); },
            [](C& c, const V& v) { c.setPreviewHeight(v.toInt()); } },
        { "avformat/enable", false, [](const C& c) { return V(c.avformatOptionsEnabled()); },
            [](C& c, const V& v) { c.setAvformatOptionsEnabled(v.toBool()); } },
        { "avformat/avioflags", 0,
            [](const C& c) { return V(c.reduceBuffering() ? QStringLiteral("direct") : QStringLiteral("0")); },
            [](C& c, const V& v) { c.m_reduceBuffering = v.toString() == QLatin1String("direct"); } },
        { "avformat/probesize", 5000000u, [](const C& c) { return V(static_cast<uint>(c.probeSize())); },
            [](C& c, const V& v) { c.m_probeSize = static_cast<int>(v.toUInt()); } },
        { "avformat/analyzeduration", 5000000, [](const C& c) { return V(c.analyzeDuration()); },
            [](C& c, const V& v) { c.m_analyzeDuration = v.toInt(); } },
        { "avformat/extra", QString(), [](const C& c) { return V(c.avformatExtra()); },
            [](C& c, const V& v) { c.m_avformatExtra = v.toString(); } },
        { "avfilterVideo/enable", true, [](const C& c) { return V(c.avfilterVideoEnable()); },
            [](C& c, const V& v) { c.setAvfilterVideoEnable(v.toBool()); } },
        { "avfilterVideo/options", QString(), [](const C& c) { return V(c.avfilterVideoOptions()); },
            [](C& c, const V& v) { c.setAvfilterVideoOptions(v.toString()); } },
        { "avfilterAudio/enable", true, [](const C& c) { return V(c.avfilterAudioEnable()); },
            [](C& c, const V& v) { c.setAvfilterAudioEnable(v.toBool()); } },
        { "avfilterAudio/options", QString(), [](const C& c) { return V(c.avfilterAudioOptions()); },
            [](C& c, const V& v) { c.setAvfilterAudioOptions(v.toString()); } },
        { "opengl/egl", false, [](const C& c) { return V(c.isEGL()); },
            [](C& c, const V& v) { c.setEGL(v.toBool()); } },
        { "opengl/type", QStringLiteral("OpenGLES"),
            [](const C& c) { return V(QString::fromLatin1(glTypes.valueToKey(c.openGLType()))); },
            [](C& c, const V& v) {
                c.setOpenGLType(static_cast<OpenGLType>(glTypes.keyToValue(v.toString().toLatin1().constData())));
            } },
        { "opengl/angle_platform", QStringLiteral("d3d9"), [](const C& c) { return V(c.getANGLEPlatform()); },
            [](C& c, const V& v) { c.setANGLEPlatform(v.toString()); } },
        { "shader/enable", false, [](const C& c) { return V(c.userShaderEnabled()); },
            [](C& c, const V& v) { c.setUserShaderEnabled(v.toBool()); } },
        { "shader/fbo", false, [](const C& c) { return V(c.intermediateFBO()); },
            [](C& c, const V& v) { c.setIntermediateFBO(v.toBool()); } },
        { "shader/fragHeader", QString(), [](const C& c) { return V(c.fragHeader()); },
            [](C& c, const V& v) { c.setFragHeader(v.toString()); } },
        { "shader/fragSample", QString::fromLatin1(kMirrorSample), [](const C& c) { return V(c.fragSample()); },
            [](C& c, const V& v) { c.setFragSample(v.toString()); } },
        { "shader/fragPostProcess", QString::fromLatin1(kNegatePostProcess),
            [](const C& c) { return V(c.fragPostProcess()); },
            [](C& c, const V& v) { c.setFragPostProcess(v.toString()); } },
        { "buffer/value", -1, [](const C& c) { return V(c.bufferValue()); },
            [](C& c, const V& v) { c.setBufferValue(v.toInt()); } },
    };
    return table;
}

void Config::readSettings()
{
    QSettings settings(m_settingsPath, QSettings::IniFormat);
    for (const Key& key : keys())
        key.set(*this, settings.value(QLatin1String(key.path), key.fallback));
}

void Config::save()
{
    if (m_loading)
        return;
    qDebug() << "sync config to " << m_settingsPath;
    QSettings settings(m_settingsPath, QSettings::IniFormat);
    for (const Key& key : keys())
        settings.setValue(QLatin1String(key.path), key.get(*this));
    settings.sync();
    if (settings.status() != QSettings::NoError)
        qWarning() << "[player] settings file not written:" << m_settingsPath;
    qDebug("sync end");
}

QVariantHash Config::avformatOptions() const
{
    QVariantHash options;
    if (!m_avformatExtra.isEmpty()) {
        for (const QString& part : m_avformatExtra.split(QLatin1Char(' '))) {
            const int equals = part.indexOf(QLatin1Char('='));
            if (equals < 0)
                continue;
            options.insert(part.left(equals), part.mid(equals + 1));
        }
    }
    if (m_probeSize != 0)
        options.insert(QStringLiteral("probesize"), static_cast<uint>(m_probeSize));
    if (m_analyzeDuration != 0)
        options.insert(QStringLiteral("analyzeduration"), m_analyzeDuration);
    if (m_reduceBuffering)
        options.insert(QStringLiteral("avioflags"), QStringLiteral("direct"));
    return options;
}

// ---- the store's life

Config& Config::instance()
{
    static Config config;
    return config;
}

void Config::setName(const QString& name)
{
    baseName() = name;
}

Config::Config(QObject* parent)
    : QObject(parent)
    , m_subtitleFont(QFont())
{
    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    // Both files take the same name: without a base name the history would
    // be a hidden ".db" beside the settings.
    const QString name = baseName().isEmpty() ? QCoreApplication::applicationName() : baseName();
    m_settingsPath = dataDir + QLatin1Char('/') + name + QStringLiteral(".ini");
    m_databasePath = dataDir + QStringLiteral("/%1.db").arg(name);
    if (!QDir(dataDir).exists() && !QDir().mkpath(dataDir))
        qWarning() << "Failed to create appDataDir: " << dataDir;
    moveOldData();
    if (QCoreApplication::instance() != nullptr)
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &Config::save);
    reload();
}

Config::~Config() = default;

void Config::moveOldData()
{
    QString oldDir = QCoreApplication::applicationDirPath() + QStringLiteral("/data");
    if (!QDir(oldDir).exists())
        oldDir = QDir::homePath() + QStringLiteral("/.QtAV");
    if (!QDir(oldDir).exists() || QFile::exists(m_settingsPath))
        return;
    // The old folder may belong to other programs built on the same
    // library: their files are copied, never taken away.
    const QString oldSettings
        = oldDir + QLatin1Char('/') + QCoreApplication::applicationName() + QStringLiteral(".ini");
    if (QFile::exists(oldSettings) && !QFile::copy(oldSettings, m_settingsPath))
        qWarning() << "[player] old settings not copied:" << oldSettings;
    const QString dataDir = QFileInfo(m_settingsPath).absolutePath();
    const struct {
        const char* name;
        const char* warning;
    } lists[] = { { "/playlist.qds", "error to move old playlist data" },
        { "/history.qds", "error to move old history data" } };
    for (const auto& list : lists) {
        const QString old = oldDir + QLatin1String(list.name);
        if (QFile::exists(old) && !QFile::copy(old, dataDir + QLatin1String(list.name)))
            qWarning("%s", list.warning);
    }
}

void Config::reload()
{
    readHistory();
    m_loading = true;
    readSettings();
    m_loading = false;
}

bool Config::reset()
{
    QFile file(m_settingsPath);
    if (!file.remove()) {
        qWarning() << "Failed to remove config file: " << file.errorString();
        return false;
    }
    reload();
    save();
    return true;
}
