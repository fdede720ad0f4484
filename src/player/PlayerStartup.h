#pragma once

#include "av/AVTypes.h"

#include <QString>

// What the centre panel decides before it opens a player window: which
// renderer draws the video.
namespace PlayerStartup {

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

} // namespace PlayerStartup
