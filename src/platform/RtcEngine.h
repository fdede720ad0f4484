#pragma once

#include <cstdint>

class QWidget;

// The real-time audio and video engine the classroom talks through. The
// program reaches it through these interfaces only: two free functions make
// the engine and tell its version, everything else hangs off the engine
// object. Every int result is 0 on success.
//
// The engine calls the event handler and the frame observer on its own
// threads (one callback thread, one render thread); every other call runs
// synchronously in the caller's thread.
namespace rtc {

using uid_t = unsigned int;

enum ErrorCode {
    ERR_OK = 0,
    ERR_FAILED = -1,
    ERR_INVALID_ARGUMENT = -2,
    ERR_NOT_READY = -3,
    ERR_NOT_INITIALIZED = -7,
    ERR_ALREADY_IN_CHANNEL = -17,
    // Given to onError: the media server refused the channel key.
    ERR_INVALID_CHANNEL_KEY = 110,
};

// Ids of queryInterface.
enum InterfaceId {
    AGORA_IID_AUDIO_DEVICE_MANAGER = 1,
    AGORA_IID_VIDEO_DEVICE_MANAGER = 2,
    AGORA_IID_RTC_ENGINE_PARAMETER = 3,
    AGORA_IID_MEDIA_ENGINE = 4,
};

// Device names and ids travel in buffers of this size, terminator included.
constexpr int kMaxDeviceIdLength = 512;

enum ChannelProfile { CHANNEL_PROFILE_COMMUNICATION = 0, CHANNEL_PROFILE_LIVE_BROADCASTING = 1 };
enum ClientRole { CLIENT_ROLE_BROADCASTER = 1, CLIENT_ROLE_AUDIENCE = 2 };

// One decoded or captured picture, I420.
struct VideoFrame {
    int width = 0;
    int height = 0;
    int yStride = 0;
    int uStride = 0;
    int vStride = 0;
    const uint8_t* yBuffer = nullptr;
    const uint8_t* uBuffer = nullptr;
    const uint8_t* vBuffer = nullptr;
    int rotation = 0;
    int64_t renderTimeMs = 0;
};

// Frames as the engine captures and renders them, on its render thread.
class IVideoFrameObserver
{
public:
    virtual ~IVideoFrameObserver() = default;
    virtual bool onCaptureVideoFrame(VideoFrame& frame) = 0;
    virtual bool onRenderVideoFrame(uid_t uid, VideoFrame& frame) = 0;
};

struct RtcStats {
    unsigned int duration = 0; // seconds in the channel
    unsigned int txBytes = 0;
    unsigned int rxBytes = 0;
    unsigned int users = 0;
};

// Events of the engine, on its callback thread, one at a time. Every
// callback has an empty default, so a handler implements only what it uses.
class IRtcEngineEventHandler
{
public:
    virtual ~IRtcEngineEventHandler() = default;
    virtual void onJoinChannelSuccess(const char* /*channel*/, uid_t /*uid*/, int /*elapsed*/) { }
    virtual void onRejoinChannelSuccess(const char* /*channel*/, uid_t /*uid*/, int /*elapsed*/) { }
    virtual void onWarning(int /*warn*/, const char* /*msg*/) { }
    virtual void onError(int /*err*/, const char* /*msg*/) { }
    virtual void onAudioQuality(uid_t /*uid*/, int /*quality*/, unsigned short /*delay*/, unsigned short /*lost*/) { }
    virtual void onAudioVolumeIndication(int /*speakerCount*/, int /*totalVolume*/) { }
    virtual void onLeaveChannel(const RtcStats& /*stats*/) { }
    virtual void onRtcStats(const RtcStats& /*stats*/) { }
    virtual void onAudioDeviceStateChanged(const char* /*deviceId*/, int /*deviceType*/, int /*deviceState*/) { }
    virtual void onVideoDeviceStateChanged(const char* /*deviceId*/, int /*deviceType*/, int /*deviceState*/) { }
    virtual void onNetworkQuality(uid_t /*uid*/, int /*txQuality*/, int /*rxQuality*/) { }
    virtual void onLastmileQuality(int /*quality*/) { }
    virtual void onFirstLocalVideoFrame(int /*width*/, int /*height*/, int /*elapsed*/) { }
    virtual void onFirstRemoteVideoDecoded(uid_t /*uid*/, int /*width*/, int /*height*/, int /*elapsed*/) { }
    virtual void onFirstRemoteVideoFrame(uid_t /*uid*/, int /*width*/, int /*height*/, int /*elapsed*/) { }
    virtual void onUserJoined(uid_t /*uid*/, int /*elapsed*/) { }
    virtual void onUserOffline(uid_t /*uid*/, int /*reason*/) { }
    virtual void onUserMuteAudio(uid_t /*uid*/, bool /*muted*/) { }
    virtual void onUserMuteVideo(uid_t /*uid*/, bool /*muted*/) { }
    virtual void onUserEnableVideo(uid_t /*uid*/, bool /*enabled*/) { }
    virtual void onCameraReady() { }
    virtual void onVideoStopped() { }
    virtual void onConnectionInterrupted() { }
    virtual void onConnectionLost() { }
    virtual void onStreamMessageError(uid_t /*uid*/, int /*streamId*/, int /*code*/, int /*missed*/, int /*cached*/) { }
};

struct RtcEngineContext {
    IRtcEngineEventHandler* eventHandler = nullptr;
    const char* appId = nullptr;
};

// Where a user's video is drawn. The view is the widget of a tile's video
// surface; the engine paints over it until another canvas replaces it.
struct VideoCanvas {
    QWidget* view = nullptr;
    int renderMode = 1; // 1: fill the view, cropping what overflows
    uid_t uid = 0;
    void* priv = nullptr;
};

// A list of devices: name and id per index.
class IDeviceCollection
{
public:
    virtual int getCount() = 0;
    // Fills both buffers (kMaxDeviceIdLength bytes each); 0 on success.
    virtual int getDevice(int index, char deviceName[kMaxDeviceIdLength], char deviceId[kMaxDeviceIdLength]) = 0;
    virtual void release() = 0;

protected:
    virtual ~IDeviceCollection() = default;
};

class IAudioDeviceManager
{
public:
    // A fresh list each call; null only when the list cannot be made.
    virtual IDeviceCollection* enumeratePlaybackDevices() = 0;
    virtual IDeviceCollection* enumerateRecordingDevices() = 0;
    virtual int setPlaybackDevice(const char deviceId[kMaxDeviceIdLength]) = 0;
    virtual int getPlaybackDevice(char deviceId[kMaxDeviceIdLength]) = 0;
    // Volumes are 0 to 255.
    virtual int setPlaybackDeviceVolume(int volume) = 0;
    virtual int getPlaybackDeviceVolume(int* volume) = 0;
    virtual int setRecordingDevice(const char deviceId[kMaxDeviceIdLength]) = 0;
    virtual int getRecordingDevice(char deviceId[kMaxDeviceIdLength]) = 0;
    virtual int setRecordingDeviceVolume(int volume) = 0;
    virtual int getRecordingDeviceVolume(int* volume) = 0;
    virtual void release() = 0;

protected:
    virtual ~IAudioDeviceManager() = default;
};

class IVideoDeviceManager
{
public:
    virtual IDeviceCollection* enumerateVideoDevices() = 0;
    virtual int setDevice(const char deviceId[kMaxDeviceIdLength]) = 0;
    virtual int getDevice(char deviceId[kMaxDeviceIdLength]) = 0;
    virtual void release() = 0;

protected:
    virtual ~IVideoDeviceManager() = default;
};

// A text the engine hands out; the receiver releases it.
class IString
{
public:
    virtual const char* c_str() = 0;
    virtual void release() = 0;

protected:
    virtual ~IString() = default;
};

// Named settings of the engine. Texts are UTF-8; object and parameter
// texts are JSON.
class IRtcEngineParameter
{
public:
    virtual int setBool(const char* key, bool value) = 0;
    virtual int setInt(const char* key, int value) = 0;
    virtual int setString(const char* key, const char* value) = 0;
    virtual int setObject(const char* key, const char* value) = 0;
    virtual int getInt(const char* key, int& value) = 0;
    // A JSON object; each member is applied as the matching typed set.
    virtual int setParameters(const char* parameters) = 0;
    // The path as the engine names the file; on success *value is set.
    virtual int convertPath(const char* filePath, IString** value) = 0;
    virtual void release() = 0;

protected:
    virtual ~IRtcEngineParameter() = default;
};

class IMediaEngine
{
public:
    // The registration outlives this interface object.
    virtual int registerVideoFrameObserver(IVideoFrameObserver* observer) = 0;
    virtual void release() = 0;

protected:
    virtual ~IMediaEngine() = default;
};

class IRtcEngine
{
public:
    // Stops every thread of the engine and deletes it; no callback runs
    // once it has returned, whatever the flag.
    virtual void release(bool sync = false) = 0;
    virtual int initialize(const RtcEngineContext& context) = 0;
    virtual int queryInterface(int iid, void** inter) = 0;
    virtual int joinChannel(const char* channelKey, const char* channelName, const char* info, uid_t uid) = 0;
    virtual int leaveChannel() = 0;
    virtual int setChannelProfile(int profile) = 0;
    virtual int setClientRole(int role) = 0;
    virtual int enableVideo() = 0;
    virtual int disableVideo() = 0;
    virtual int startPreview() = 0;
    virtual int stopPreview() = 0;
    virtual int setVideoProfile(int profile, bool swapWidthAndHeight) = 0;
    virtual int setupRemoteVideo(const VideoCanvas& canvas) = 0;
    virtual int setupLocalVideo(const VideoCanvas& canvas) = 0;
    // The engine's second switch, turned on at the join and never off.
    virtual int enableAudio() = 0;
    virtual int disableAudio() = 0;
    virtual int setAudioProfile(int profile, int scenario) = 0;

protected:
    virtual ~IRtcEngine() = default;
};

} // namespace rtc

// The engine, or null when it cannot be made.
rtc::IRtcEngine* createRtcEngine();
// The engine's version text; *build (when given) receives the build number.
const char* getRtcEngineVersion(int* build);
