#pragma once

// Screen capture with a region choice. The registered callback receives the
// path of each saved picture as a zero-terminated 8-bit string, always on the
// GUI thread.
using ScreenShotSendCallback = void (*)(const char* path);

void SetScreenShotSend(ScreenShotSendCallback callback);

// Opens the capture over the primary screen. scaleStep 1 to 4 stands for the
// display scale 1, 1.25, 1.5 and 1.75; any other value does nothing.
void OpenScreenShot(int scaleStep);

// Closes an open capture; the registered callback stays.
void DestoryScreenShot();
