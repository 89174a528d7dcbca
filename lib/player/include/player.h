// The stream player library: decodes the streams of the device library and draws them into a
// window. A port is an integer chosen by the caller that names one decoded stream.
#pragma once

#if defined(__GNUC__)
#define PLAYER_API __attribute__((visibility("default")))
#else
#define PLAYER_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define KMR_STREAM_VIDEO 0
#define KMR_STREAM_AUDIO 1

// Results: 0 = success, -1 = bad argument or unknown port.
PLAYER_API int IP_KMR_Init(void);
PLAYER_API int IP_KMR_OpenStream(int port, const unsigned char* format, int size, int kind,
                                 int bufferFrames);
// window: the native handle of the window to draw into.
PLAYER_API int IP_KMR_Play(int port, void* window);
PLAYER_API int IP_KMR_InputVideoData(int port, const unsigned char* data, int size, int frameType,
                                     int timeStamp);
PLAYER_API int IP_KMR_InputAudioData(int port, const unsigned char* data, int size, int timeStamp);
PLAYER_API int IP_KMR_Stop(int port);

#ifdef __cplusplus
}
#endif
