#pragma once

#include <QByteArray>
#include <QString>

// The OpenGL implementation Qt is asked to use for the player's video, as
// the player's start-up decides it: on Windows ANGLE on Direct3D, desktop
// OpenGL or software; elsewhere the kind of context Qt asks the driver for
// (OpenGL ES or desktop OpenGL, software drawing through Mesa).
namespace OpenGLBackend {

struct Choice {
    enum Kind { Unchanged, OpenGLES, Desktop, Software };
    Kind kind = Unchanged;
    // For OpenGLES: "QT_OPENGL" is set to "angle", and "QT_ANGLE_PLATFORM"
    // to this when not empty ("d3d11", "d3d9" or "warp").
    QByteArray anglePlatform;

    bool operator==(const Choice& other) const { return kind == other.kind && anglePlatform == other.anglePlatform; }
};

// Applies the choice to the running application (its attribute, default
// surface format and the environment variables); false when the choice
// leaves the platform's own.
bool Apply(const Choice& choice);

// The player's OpenGL pictures share with one context, so that a picture
// keeps its context (and the playing video) when its window goes full
// screen and back. Qt would make that context with the application object,
// loading the driver and its render threads for the login window; instead
// a place is reserved before the application object exists (ReserveShared
// Context), the context is made before the first picture needs it
// (MakeSharedContext; nothing without a reservation) and is released
// before the application object goes (ReleaseSharedContext).
void ReserveSharedContext();
void MakeSharedContext();
void ReleaseSharedContext();

} // namespace OpenGLBackend
