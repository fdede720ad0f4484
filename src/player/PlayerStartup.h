#pragma once

#include "Config.h"
#include "QOptions.h"
#include "av/AVTypes.h"
#include "platform/OpenGLBackend.h"

#include <QString>
#include <QStringList>

class AvPlayer;

// What the centre panel runs each time it opens a player window: the
// player's option table, its log level, the OpenGL back end, the
// translations, and the choice of the renderer that draws the video. GUI
// thread.
namespace PlayerStartup {

// The common options, in their order: a copy of one table, built on the
// first call. Nothing ever sets them, so each reports its default.
QOptions get_common_options();
// The common options and the player's own group ("-vo", "vd-list",
// "ffmpeg-log").
QOptions PlayerOptions();
// Runs before the application object exists; nothing to do.
void do_common_options_before_qapp(const QOptions& options);
// "help" prints the usage and ends the process. The log level (the "log"
// option, else the player setting) goes into QTAV_LOG for the players made
// from now on. The application name is not used.
void do_common_options(const QOptions& options, const QString& appName = QString());
// The writable application-data folder.
QString appDataDir();

// The language of the translations: language, else the player setting;
// "system" (any case) means the system's locale name.
QString TranslationLanguage(const QString& language, const QString& setting, const QString& systemLocale);
// Installs the translation name_language of each name, from appDir's
// "i18n" folder or else the embedded ":/i18n"; a file that is not there is
// skipped quietly. Each file is installed once per process. Returns the
// names whose translation is installed.
QStringList LoadTranslations(const QStringList& names, const QString& language, const QString& appDir);
// The translations of names, then "QtAV" and "qt", in the language chosen
// as TranslationLanguage says.
void load_qm(const QStringList& names, const QString& language = QString());

// The OpenGL back end for the gl text ("desktop", "opengles", "software"),
// the program's path (markers such as "-desktop", "-es-d3d11" or "-sw" in
// its name come first) and the player settings (when neither says).
OpenGLBackend::Choice ChooseOpenGLBackend(
    const QString& gl, const QString& appPath, Config::OpenGLType type, const QString& anglePlatform);
// Decides with the player settings and applies the choice where the
// platform offers one.
void set_opengl_backend(const QString& gl, const QString& appPath);

// The renderer named in the program's file name: the text between its last
// "-" and the next "." ("client-gl.exe" gives "gl"); empty without a "-"
// after the first character.
QString RendererNameFromProgram(const QString& program);
// The renderer of a name, compared in lower case: "opengl", "gl", "d2d",
// "gdi", "xv", "x11", "qt"; any other name gives the default OpenGL one.
plxav::VideoRendererId RendererIdForName(const QString& name);
// The renderer to make: the one asked for when it can draw here, else the
// software renderer, which draws everywhere.
plxav::VideoRendererId UsableRendererId(plxav::VideoRendererId id);
// The media library's version for window titles.
QString LibraryVersion();

// The whole start-up for a window the centre panel has just made: the
// options above, FFmpeg's log level, then the window's renderer (the "vo"
// option, else the program's name), title, audio back-ends and decoder
// priority.
void SetUpWindow(AvPlayer* window);

} // namespace PlayerStartup
