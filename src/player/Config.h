#pragma once

#include <QColor>
#include <QFont>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantHash>
#include <QVariantList>
#include <QVariantMap>

// The media player's settings: every value in memory with its change
// signal, kept in the INI file "<name>.ini" of the per-user application data
// folder, and the play history in an SQLite table of the database file
// "<base name>.db" beside it. One per process (instance()); GUI thread only.
//
// Written back when the application quits, when the settings dialog applies
// or resets, and at once when the decoder priority or the zero-copy switch
// changes; never while the file is being read.
class Config : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariantList history READ history NOTIFY historyChanged)
    Q_PROPERTY(QString lastFile READ lastFile WRITE setLastFile NOTIFY lastFileChanged)
    Q_PROPERTY(double forceFrameRate READ forceFrameRate WRITE setForceFrameRate NOTIFY forceFrameRateChanged)
    Q_PROPERTY(QStringList decoderPriorityNames READ decoderPriorityNames WRITE setDecoderPriorityNames NOTIFY
            decoderPriorityNamesChanged)
    Q_PROPERTY(bool zeroCopy READ zeroCopy WRITE setZeroCopy NOTIFY zeroCopyChanged)
    Q_PROPERTY(QString captureDir READ captureDir WRITE setCaptureDir NOTIFY captureDirChanged)
    Q_PROPERTY(QString captureFormat READ captureFormat WRITE setCaptureFormat NOTIFY captureFormatChanged)
    Q_PROPERTY(int captureQuality READ captureQuality WRITE setCaptureQuality NOTIFY captureQualityChanged)
    Q_PROPERTY(QStringList subtitleEngines READ subtitleEngines WRITE setSubtitleEngines NOTIFY subtitleEnginesChanged)
    Q_PROPERTY(bool subtitleAutoLoad READ subtitleAutoLoad WRITE setSubtitleAutoLoad NOTIFY subtitleAutoLoadChanged)
    Q_PROPERTY(bool subtitleEnabled READ subtitleEnabled WRITE setSubtitleEnabled NOTIFY subtitleEnabledChanged)
    Q_PROPERTY(QFont subtitleFont READ subtitleFont WRITE setSubtitleFont NOTIFY subtitleFontChanged)
    Q_PROPERTY(QColor subtitleColor READ subtitleColor WRITE setSubtitleColor NOTIFY subtitleColorChanged)
    Q_PROPERTY(QColor subtitleOutlineColor READ subtitleOutlineColor WRITE setSubtitleOutlineColor NOTIFY
            subtitleOutlineColorChanged)
    Q_PROPERTY(bool subtitleOutline READ subtitleOutline WRITE setSubtitleOutline NOTIFY subtitleOutlineChanged)
    Q_PROPERTY(int subtitleBottomMargin READ subtitleBottomMargin WRITE setSubtitleBottomMargin NOTIFY
            subtitleBottomMarginChanged)
    Q_PROPERTY(double subtitleDelay READ subtitleDelay WRITE setSubtitleDelay NOTIFY subtitleDelayChanged)
    Q_PROPERTY(QString assFontFile READ assFontFile WRITE setAssFontFile NOTIFY assFontFileChanged)
    Q_PROPERTY(QString assFontsDir READ assFontsDir WRITE setAssFontsDir NOTIFY assFontsDirChanged)
    Q_PROPERTY(bool assFontFileForced READ assFontFileForced WRITE setAssFontFileForced NOTIFY assFontFileForcedChanged)
    Q_PROPERTY(bool previewEnabled READ previewEnabled WRITE setPreviewEnabled NOTIFY previewEnabledChanged)
    Q_PROPERTY(int previewWidth READ previewWidth WRITE setPreviewWidth NOTIFY previewWidthChanged)
    Q_PROPERTY(int previewHeight READ previewHeight WRITE setPreviewHeight NOTIFY previewHeightChanged)
    Q_PROPERTY(bool EGL READ isEGL WRITE setEGL NOTIFY EGLChanged)
    Q_PROPERTY(OpenGLType openGLType READ openGLType WRITE setOpenGLType NOTIFY openGLTypeChanged)
    Q_PROPERTY(QString ANGLEPlatform READ getANGLEPlatform WRITE setANGLEPlatform NOTIFY ANGLEPlatformChanged)
    Q_PROPERTY(bool avformatOptionsEnabled READ avformatOptionsEnabled WRITE setAvformatOptionsEnabled NOTIFY
            avformatOptionsEnabledChanged)
    Q_PROPERTY(double timeout READ timeout WRITE setTimeout NOTIFY timeoutChanged)
    Q_PROPERTY(int bufferValue READ bufferValue WRITE setBufferValue NOTIFY bufferValueChanged)
    Q_PROPERTY(QString logLevel READ logLevel WRITE setLogLevel NOTIFY logLevelChanged)
    Q_PROPERTY(QString language READ language WRITE setLanguage NOTIFY languageChanged)
    Q_PROPERTY(bool userShaderEnabled READ userShaderEnabled WRITE setUserShaderEnabled NOTIFY userShaderEnabledChanged)
    Q_PROPERTY(bool intermediateFBO READ intermediateFBO WRITE setIntermediateFBO NOTIFY intermediateFBOChanged)
    Q_PROPERTY(QString fragHeader READ fragHeader WRITE setFragHeader NOTIFY fragHeaderChanged)
    Q_PROPERTY(QString fragSample READ fragSample WRITE setFragSample NOTIFY fragSampleChanged)
    Q_PROPERTY(QString fragPostProcess READ fragPostProcess WRITE setFragPostProcess NOTIFY fragPostProcessChanged)

public:
    // Typed, so that -1 (a stored name that is no key) is a value it holds.
    enum OpenGLType : int { Auto = 0, Desktop = 1, OpenGLES = 2, Software = 3 };
    Q_ENUM(OpenGLType)

    // The one store, made on first use (files named as set by setName
    // before, else after the application's name).
    static Config& instance();
    // The base name of the files; has effect only before the first use.
    static void setName(const QString& name);
    // A store of its own over the files of the data folder, as instance()
    // makes it: old data moved in, every setting read. Tests make several.
    explicit Config(QObject* parent = nullptr);
    ~Config() override;

    QString settingsFilePath() const { return m_settingsPath; }
    QString databaseFilePath() const { return m_databasePath; }

    QVariantList history() const { return m_history; }
    QString lastFile() const { return m_lastFile; }
    Config& setLastFile(const QString& value);
    double forceFrameRate() const { return m_forceFrameRate; }
    Config& setForceFrameRate(double value);
    QStringList decoderPriorityNames() const { return m_decoderPriorityNames; }
    Config& setDecoderPriorityNames(const QStringList& value);
    bool zeroCopy() const { return m_zeroCopy; }
    Config& setZeroCopy(bool value);
    QString captureDir() const { return m_captureDir; }
    Config& setCaptureDir(const QString& value);
    QString captureFormat() const { return m_captureFormat; }
    Config& setCaptureFormat(const QString& value);
    int captureQuality() const { return m_captureQuality; }
    Config& setCaptureQuality(int value);
    QStringList subtitleEngines() const { return m_subtitleEngines; }
    Config& setSubtitleEngines(const QStringList& value);
    bool subtitleAutoLoad() const { return m_subtitleAutoLoad; }
    Config& setSubtitleAutoLoad(bool value);
    bool subtitleEnabled() const { return m_subtitleEnabled; }
    Config& setSubtitleEnabled(bool value);
    QFont subtitleFont() const { return m_subtitleFont; }
    Config& setSubtitleFont(const QFont& value);
    QColor subtitleColor() const { return m_subtitleColor; }
    Config& setSubtitleColor(const QColor& value);
    QColor subtitleOutlineColor() const { return m_subtitleOutlineColor; }
    Config& setSubtitleOutlineColor(const QColor& value);
    bool subtitleOutline() const { return m_subtitleOutline; }
    Config& setSubtitleOutline(bool value);
    int subtitleBottomMargin() const { return m_subtitleBottomMargin; }
    Config& setSubtitleBottomMargin(int value);
    double subtitleDelay() const { return m_subtitleDelay; }
    Config& setSubtitleDelay(double value);
    QString assFontFile() const { return m_assFontFile; }
    Config& setAssFontFile(const QString& value);
    QString assFontsDir() const { return m_assFontsDir; }
    Config& setAssFontsDir(const QString& value);
    bool assFontFileForced() const { return m_assFontFileForced; }
    Config& setAssFontFileForced(bool value);
    bool previewEnabled() const { return m_previewEnabled; }
    Config& setPreviewEnabled(bool value);
    int previewWidth() const { return m_previewWidth; }
    Config& setPreviewWidth(int value);
    int previewHeight() const { return m_previewHeight; }
    Config& setPreviewHeight(int value);
    bool isEGL() const { return m_egl; }
    Config& setEGL(bool value);
    OpenGLType openGLType() const { return m_openGLType; }
    Config& setOpenGLType(OpenGLType value);
    QString getANGLEPlatform() const { return m_anglePlatform; }
    Config& setANGLEPlatform(const QString& value);
    bool avformatOptionsEnabled() const { return m_avformatOptionsEnabled; }
    Config& setAvformatOptionsEnabled(bool value);
    double timeout() const { return m_timeout; }
    Config& setTimeout(double value);
    int bufferValue() const { return m_bufferValue; }
    Config& setBufferValue(int value);
    // Always lower case.
    QString logLevel() const { return m_logLevel; }
    Config& setLogLevel(const QString& value);
    QString language() const { return m_language; }
    Config& setLanguage(const QString& value);
    bool userShaderEnabled() const { return m_userShaderEnabled; }
    Config& setUserShaderEnabled(bool value);
    bool intermediateFBO() const { return m_intermediateFBO; }
    Config& setIntermediateFBO(bool value);
    QString fragHeader() const { return m_fragHeader; }
    Config& setFragHeader(const QString& value);
    QString fragSample() const { return m_fragSample; }
    Config& setFragSample(const QString& value);
    QString fragPostProcess() const { return m_fragPostProcess; }
    Config& setFragPostProcess(const QString& value);

    // Settings without a property.
    bool abortOnTimeout() const { return m_abortOnTimeout; }
    Config& setAbortOnTimeout(bool value);
    bool avfilterVideoEnable() const { return m_avfilterVideoEnable; }
    Config& setAvfilterVideoEnable(bool value);
    QString avfilterVideoOptions() const { return m_avfilterVideoOptions; }
    Config& setAvfilterVideoOptions(const QString& value);
    bool avfilterAudioEnable() const { return m_avfilterAudioEnable; }
    Config& setAvfilterAudioEnable(bool value);
    QString avfilterAudioOptions() const { return m_avfilterAudioOptions; }
    Config& setAvfilterAudioOptions(const QString& value);
    bool reduceBuffering() const { return m_reduceBuffering; }
    Config& setReduceBuffering(bool value);
    int probeSize() const { return m_probeSize; }
    Config& setProbeSize(int value);
    int analyzeDuration() const { return m_analyzeDuration; }
    Config& setAnalyzeDuration(int value);
    QString avformatExtra() const { return m_avformatExtra; }
    Config& setAvformatExtra(const QString& value);

    // The demuxer options: the extra text's "key=value" parts, then the
    // probe size, analyse duration and direct reading when set.
    QVariantHash avformatOptions() const;

    // Deletes the settings file and reads the defaults; false (nothing
    // changed) when the file could not be removed.
    Q_INVOKABLE bool reset();
    Q_INVOKABLE void addHistory(const QVariantMap& value);
    Q_INVOKABLE void removeHistory(const QString& url);
    Q_INVOKABLE void clearHistory();

public slots:
    void save();

signals:
    void changed();
    void userShaderEnabledChanged();
    void intermediateFBOChanged();
    void fragHeaderChanged();
    void fragSampleChanged();
    void fragPostProcessChanged();
    void lastFileChanged();
    void forceFrameRateChanged();
    void decoderPriorityNamesChanged();
    void zeroCopyChanged();
    void captureDirChanged(const QString& dir);
    void captureFormatChanged(const QString& fmt);
    void captureQualityChanged(int quality);
    void avfilterVideoChanged();
    void avfilterAudioChanged();
    void subtitleEnabledChanged();
    void subtitleAutoLoadChanged();
    void subtitleEnginesChanged();
    void subtitleFontChanged();
    void subtitleColorChanged();
    void subtitleOutlineChanged();
    void subtitleOutlineColorChanged();
    void subtitleBottomMarginChanged();
    void subtitleDelayChanged();
    void assFontFileChanged();
    void assFontsDirChanged();
    void assFontFileForcedChanged();
    void previewEnabledChanged();
    void previewWidthChanged();
    void previewHeightChanged();
    void EGLChanged();
    void openGLTypeChanged();
    void ANGLEPlatformChanged();
    void avformatOptionsEnabledChanged();
    void bufferValueChanged();
    void timeoutChanged();
    void abortOnTimeoutChanged();
    void logLevelChanged();
    void languageChanged();
    void historyChanged();

private:
    struct Key;
    static const QList<Key>& keys();
    // Copies the files of an older installation in (never removing them).
    void moveOldData();
    void reload();
    void readHistory();
    void readSettings();

    QString m_settingsPath;
    QString m_databasePath;
    bool m_loading = false;
    double m_forceFrameRate = 0.0;
    QStringList m_decoderPriorityNames;
    bool m_zeroCopy = false;
    QString m_lastFile;
    QString m_captureDir;
    QString m_captureFormat;
    int m_captureQuality = 0;
    bool m_avformatOptionsEnabled = false;
    bool m_reduceBuffering = false;
    int m_probeSize = 0;
    int m_analyzeDuration = 0;
    QString m_avformatExtra;
    bool m_avfilterVideoEnable = false;
    QString m_avfilterVideoOptions;
    bool m_avfilterAudioEnable = false;
    QString m_avfilterAudioOptions;
    QStringList m_subtitleEngines;
    bool m_subtitleAutoLoad = false;
    bool m_subtitleEnabled = false;
    QFont m_subtitleFont;
    QColor m_subtitleColor;
    QColor m_subtitleOutlineColor;
    bool m_subtitleOutline = false;
    int m_subtitleBottomMargin = 0;
    double m_subtitleDelay = 0.0;
    bool m_assFontFileForced = false;
    QString m_assFontFile;
    QString m_assFontsDir;
    bool m_previewEnabled = false;
    int m_previewWidth = 0;
    int m_previewHeight = 0;
    bool m_egl = false;
    OpenGLType m_openGLType = Auto;
    QString m_anglePlatform;
    bool m_abortOnTimeout = false;
    double m_timeout = 0.0;
    int m_bufferValue = 0;
    QString m_logLevel;
    QString m_language;
    QVariantList m_history;
    bool m_userShaderEnabled = false;
    bool m_intermediateFBO = false;
    QString m_fragHeader;
    QString m_fragSample;
    QString m_fragPostProcess;
};
