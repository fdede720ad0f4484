#pragma once

// The signalling message types, grouped by topic in blocks of 32: 65-99
// likes and keep-alive, 129-169 members, devices and marks, 193-224 rights,
// 257-289 courseware, 321-352 whiteboard, 385-421 chat, 449-484 media.
// The comment tells who sends: out (the client), in (the service), or both.
enum MsgType : int {
    MsgMakeLikeSuccess = 65, // in
    MsgKeepAlive = 96, // both
    MsgSocketDfCal = 97, // both: the delay probe
    MsgGetLikeCount = 98, // both
    MsgUserMakeLike = 99, // out
    MsgUserLogin = 129, // both
    MsgUserLogout = 130, // both
    MsgRoomNotice = 131, // in: the class ends soon
    MsgUserStateChange = 132, // both
    MsgUserKickOut = 160, // both
    MsgGetUserList = 161, // both
    MsgDeviceInfoByUid = 164, // both
    MsgDeviceInfoByRoomId = 165, // both
    MsgAgeroQosReport = 166, // out
    MsgUserMarkList = 167, // both
    MsgUserMakeMark = 168, // both
    MsgUserDelMark = 169, // both
    MsgUserPrivilege = 193, // both
    MsgCameraStatus = 194, // both
    MsgMicropStatus = 195, // both
    MsgChatPrivilege = 196, // in
    MsgPushToTalk = 224, // both
    MsgDelPage = 257, // both
    MsgTrunPage = 258, // both
    MsgCourseOperation = 259, // in
    MsgAddWhiteBoard = 260, // both
    MsgLaserPointPos = 261, // both
    MsgGetCourseWare = 288, // both
    MsgCourseTransProgress = 289, // in
    MsgNewShape = 321, // both
    MsgUndo = 323, // both
    MsgRedo = 324, // both
    MsgReset = 325, // both
    MsgShapeEraser = 326, // both
    MsgShapeMove = 327, // both
    MsgWhiteBdHistory = 352, // both
    MsgChat = 385, // both
    MsgChatImage = 386, // both
    MsgChatLike = 387, // in
    MsgChatHistory = 417, // both
    MsgChatImageTransResult = 421, // in
    MsgMediaUpdate = 449, // in (also 450)
    MsgMediaUpdate2 = 450, // in
    MsgVideoSeek = 451, // both
    MsgAudioSeek = 452, // both
    MsgDelVideo = 453, // both
    MsgDelAudio = 454, // both
    MsgSwitchMedia = 455, // both
    MsgCloseMedia = 456, // both
    MsgMediaTransProgress = 480, // in (also 481)
    MsgMediaTransProgress2 = 481, // in
    MsgMediaTransFail = 482, // in (also 483)
    MsgMediaTransFail2 = 483, // in
    MsgGetMediaList = 484, // both
};
