#pragma once

#include <QMetaType>
#include <QString>

// Our own media layer over libmpv: the player, its renderers, audio output
// and filters, under the names the player window is written against.
namespace plxav {

// Where the player is in the life of a media file.
enum MediaStatus {
    UnknownMediaStatus = 0,
    NoMedia, // nothing loaded, idle
    LoadingMedia, // a file was asked for and is being opened
    LoadedMedia, // opened and playing (or paused)
    StalledMedia, // waiting for data with nothing buffered
    BufferingMedia, // waiting for data
    BufferedMedia, // enough data again
    EndOfMedia, // played to its end
    InvalidMedia, // the file could not be opened or is no media
};

// How a seek lands: on the exact time asked for, or on the key frame
// before it (faster on long groups of pictures).
enum SeekType { AccurateSeek = 0, KeyFrameSeek = 1 };

// What the value of the player's read-ahead counts: time, frames or bytes.
enum BufferMode { BufferTime = 0, BufferPackets = 1, BufferBytes = 2 };

// The kinds of video renderer; see VideoRenderer::create.
using VideoRendererId = int;
constexpr VideoRendererId VideoRendererId_OpenGLWidget = 1;
constexpr VideoRendererId VideoRendererId_GLWidget = 2;
constexpr VideoRendererId VideoRendererId_GLWidget2 = 3;
constexpr VideoRendererId VideoRendererId_Widget = 4;
constexpr VideoRendererId VideoRendererId_XV = 5;
constexpr VideoRendererId VideoRendererId_X11 = 6;
constexpr VideoRendererId VideoRendererId_Direct2D = 7;
constexpr VideoRendererId VideoRendererId_GDI = 8;

// A failure of the player: a libmpv error code and a text for people.
class AVError
{
public:
    AVError() = default;
    AVError(int code, const QString& text)
        : m_code(code)
        , m_text(text)
    { }
    int code() const { return m_code; }
    QString string() const { return m_text; }

private:
    int m_code = 0;
    QString m_text;
};

} // namespace plxav

// The player window is written against these names.
namespace QtAV = plxav;

Q_DECLARE_METATYPE(plxav::MediaStatus)
Q_DECLARE_METATYPE(plxav::AVError)
