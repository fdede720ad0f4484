#pragma once

#include "VideoDecoder.h"

#include <QObject>
#include <QString>
#include <QVariantHash>

namespace plxav {

// A video decoder as the settings show it: its name, a description, and
// the options it takes as Qt properties (with a dynamic "detail_<option>"
// property describing each), which a settings page edits as a table of
// values. It decodes nothing itself: the player turns such a table into
// the core's options. Made by VideoDecoder::create; GUI thread.
class DecoderDescriptor : public QObject
{
    Q_OBJECT

public:
    VideoDecoderId id() const { return m_id; }
    QString name() const { return VideoDecoder::name(m_id); }
    virtual QString description() const = 0;
    // The core's "hwdec" value for this decoder with the options in values
    // (option name to value; a missing option keeps its default).
    virtual QString hardwareInterface(const QVariantHash& values) const = 0;
    // Adds the core options this decoder's values set (every option the
    // decoder has, defaults for missing ones, so none outlives its table).
    virtual void addCoreOptions(const QVariantHash& values, QVariantHash* options) const;

protected:
    DecoderDescriptor(VideoDecoderId id, QObject* parent);
    // The value of option name in values, else the property's own.
    QVariant optionValue(const QVariantHash& values, const char* name) const;
    // The key of the enum property name for the value in values, in lower
    // case ("nonref").
    QString optionKey(const QVariantHash& values, const char* name) const;

private:
    VideoDecoderId m_id;
};

// libavcodec decoding in software; its options also tune the decoding that
// a hardware decoder leaves to libavcodec.
class FFmpegDecoderDescriptor : public DecoderDescriptor
{
    Q_OBJECT
    Q_PROPERTY(int threads READ threads WRITE setThreads)
    Q_PROPERTY(Discard skip_loop_filter READ skipLoopFilter WRITE setSkipLoopFilter)
    Q_PROPERTY(Discard skip_idct READ skipIdct WRITE setSkipIdct)
    Q_PROPERTY(Discard skip_frame READ skipFrame WRITE setSkipFrame)
    Q_PROPERTY(bool fast READ isFast WRITE setFast)

public:
    // What the decoder may skip, from nothing to everything: libavcodec's
    // discard levels, with their values.
    enum Discard { None = -16, Default = 0, NonRef = 8, Bidir = 16, NonIntra = 24, NonKey = 32, All = 48 };
    Q_ENUM(Discard)

    explicit FFmpegDecoderDescriptor(QObject* parent = nullptr);

    QString description() const override;
    QString hardwareInterface(const QVariantHash& values) const override;
    void addCoreOptions(const QVariantHash& values, QVariantHash* options) const override;

    int threads() const { return m_threads; }
    void setThreads(int threads) { m_threads = threads; }
    Discard skipLoopFilter() const { return m_skipLoopFilter; }
    void setSkipLoopFilter(Discard value) { m_skipLoopFilter = value; }
    Discard skipIdct() const { return m_skipIdct; }
    void setSkipIdct(Discard value) { m_skipIdct = value; }
    Discard skipFrame() const { return m_skipFrame; }
    void setSkipFrame(Discard value) { m_skipFrame = value; }
    bool isFast() const { return m_fast; }
    void setFast(bool fast) { m_fast = fast; }

private:
    int m_threads = 0;
    Discard m_skipLoopFilter = Default;
    Discard m_skipIdct = Default;
    Discard m_skipFrame = Default;
    bool m_fast = false;
};

// Decoding on the graphics hardware through one of the desktop's video
// interfaces.
class HardwareDecoderDescriptor : public DecoderDescriptor
{
    Q_OBJECT
    Q_PROPERTY(CopyMode copyMode READ copyMode WRITE setCopyMode)

public:
    // Whether decoded pictures stay in video memory for the renderer or are
    // copied back to main memory (slower, but every renderer can show them).
    enum CopyMode { ZeroCopy = 0, CopyBack = 1 };
    Q_ENUM(CopyMode)

    HardwareDecoderDescriptor(VideoDecoderId id, QObject* parent = nullptr);

    QString description() const override;
    QString hardwareInterface(const QVariantHash& values) const override;

    CopyMode copyMode() const { return m_copyMode; }
    void setCopyMode(CopyMode mode) { m_copyMode = mode; }

private:
    CopyMode m_copyMode = ZeroCopy;
};

} // namespace plxav
