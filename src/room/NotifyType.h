#pragma once

// Notices of the class room, one bit each and never combined; raised by
// emitting MiddleArea::ShowMsgNotifyWidget(int).
enum NotifyType : int {
    NotifyMicrophoneGranted = 0x1,
    NotifyMicrophoneWithdrawn = 0x2,
    NotifyCameraGranted = 0x4,
    NotifyCameraWithdrawn = 0x8,
    NotifyChatGranted = 0x10,
    NotifyChatWithdrawn = 0x20,
    NotifyWhiteboardGranted = 0x40,
    NotifyWhiteboardWithdrawn = 0x80,
    NotifyKickedOut = 0x100, // opens the removal dialog
    NotifyNetworkLost = 0x200,
    // The three device problems show nothing; they hide a shown notice.
    NotifyNoMicrophoneNoSound = 0x1000,
    NotifyNoMicrophone = 0x2000,
    NotifyNoSound = 0x4000,
    NotifyDeviceRecovered = 0x8000,
    NotifyDeviceCheck = 0x10000, // opens the device-check dialog
    NotifyUploadRunning = 0x100000,
    NotifyUploadFailed = 0x200000,
    NotifyUploadDone = 0x400000,
    NotifyLikeOncePerLesson = 0x800000,
    NotifyLikeStudentsOnly = 0x1000000,
    NotifyMarkLimitReached = 0x2000000,
    NotifyMarkTooSoon = 0x4000000,
    NotifyMarkSaved = 0x8000000,
    NotifyClassTimeOver = 0x10000000,
    NotifyRoomClosing = 0x20000000,
};
