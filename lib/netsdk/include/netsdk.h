// The device network library: search, login, commands, configuration and live streams of the
// cameras on the local network. Plain C interface; every string is 8-bit text in the ANSI code
// page (GBK). Callbacks are always called from the library's own threads.
#pragma once

#include <stdint.h>

#if defined(__GNUC__)
#define NETSDK_API __attribute__((visibility("default")))
#else
#define NETSDK_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Device information block: one search result, 4028 bytes. Only the fields below have a meaning;
// every other byte belongs to the library and is carried unchanged.
#define IPC_INFO_SIZE 4028
#define IPC_INFO_SERIAL 0       /* char[32] */
#define IPC_INFO_DEVICE_TYPE 32 /* char[36] */
#define IPC_INFO_USER 68        /* char[40] */
#define IPC_INFO_PASSWORD 108   /* char, NUL-terminated; the library keeps it below 2472 */
#define IPC_INFO_PASSWORD_SIZE 64
#define IPC_INFO_CHANNEL 2472        /* int32 */
#define IPC_INFO_PORT 2480           /* uint16 */
#define IPC_INFO_MAC 2488            /* char[260] */
#define IPC_INFO_IP 2748             /* char[256] */
#define IPC_INFO_MASK 3004           /* char[256] */
#define IPC_INFO_GATEWAY 3260        /* char[256] */
#define IPC_INFO_ALLNET_SUPPORT 4026 /* uint8, 0xFF = supported */
#define IPC_INFO_ALLNET_STATE 4027   /* uint8, nonzero = on */

// Status events.
#define NETSDK_EVENT_LOGIN_OK 4
#define NETSDK_EVENT_LOGIN_FAILED 5
#define NETSDK_EVENT_UPGRADE_TRANSFERRED 14
#define NETSDK_EVENT_UPGRADE_TRANSFER_FAILED 15

// A refused command is answered with this bit set and the command code in the low 24 bits.
#define NETSDK_RESPONSE_FAILED 0x80000000u
#define NETSDK_RESPONSE_CODE_MASK 0x00FFFFFFu

// Command codes answered through the response callback.
#define NETSDK_CMD_SET_TIME 1005
#define NETSDK_CMD_UPGRADE_CHECKED 1009
#define NETSDK_CMD_GET_VERSION 1012
#define NETSDK_CMD_GET_STORAGE 1014
#define NETSDK_CMD_FORMAT_DISK 1017

// Stream data kinds.
#define NETSDK_STREAM_VIDEO 0
#define NETSDK_STREAM_AUDIO 1
#define NETSDK_STREAM_HEADER 2

// Frame kinds of the frame record: a video frame is a key frame or a delta frame (the values of
// the player's KMR_FRAME_KEY and KMR_FRAME_DELTA); audio frames and stream headers have their own.
#define NETSDK_FRAME_HEADER 0
#define NETSDK_FRAME_KEY 1
#define NETSDK_FRAME_DELTA 2
#define NETSDK_FRAME_AUDIO 3

// Stream header: video-present flag, audio-present flag and the two format blocks.
#define STREAM_HEADER_SIZE 848
#define STREAM_HEADER_HAS_VIDEO 32    /* uint16 */
#define STREAM_HEADER_HAS_AUDIO 34    /* uint16 */
#define STREAM_HEADER_VIDEO_FORMAT 36 /* 536 bytes */
#define STREAM_HEADER_VIDEO_FORMAT_SIZE 536
#define STREAM_HEADER_AUDIO_FORMAT 572 /* 276 bytes */
#define STREAM_HEADER_AUDIO_FORMAT_SIZE 276

// Frame record handed with every stream data callback. The time stamp counts milliseconds of
// stream time from the start of the preview.
typedef struct NETSDK_FRAME_INFO {
  int32_t frameKind; /* offset 0 */
  int32_t reserved;
  double timeStamp; /* offset 8 */
  void* user;       /* offset 16: the user pointer of the preview request */
} NETSDK_FRAME_INFO;

// Preview request of IP_NET_DVR_RealPlayEx: channel, 1, 1, user pointer. The user pointer is
// pointer-sized (a 32-bit field cannot hold a 64-bit address) and sits at offset 16, as in the
// frame record.
typedef struct NETSDK_PREVIEW_INFO {
  int32_t channel;
  int32_t streamType;
  int32_t linkMode;
  int32_t reserved;
  void* user;
} NETSDK_PREVIEW_INFO;

typedef int (*IP_NET_DVR_StatusCallBack)(int loginHandle, int eventCode, int value, void* user);
typedef int (*IP_NET_DVR_ResponseCallBack)(int loginHandle, uint32_t code, const char* text,
                                           void* user);
typedef int (*IP_NET_DVR_StreamDataCallBack)(int previewHandle, int dataKind,
                                             const unsigned char* data, int size,
                                             const NETSDK_FRAME_INFO* frame);

// Results: 0 = success for commands; handles are valid when > 0; -1 for bad arguments or
// unknown handles.
NETSDK_API int IP_NET_DVR_Init(void);
NETSDK_API int IP_NET_DVR_SetStatusEventCallBack(IP_NET_DVR_StatusCallBack callback, void* user);
NETSDK_API int IP_NET_DVR_SetAUXResponseCallBack(IP_NET_DVR_ResponseCallBack callback, void* user);
NETSDK_API int IP_NET_DVR_StartSearchIPC(void);
NETSDK_API int IP_NET_DVR_GetSearchIPCCount(void);
NETSDK_API int IP_NET_DVR_GetIPCInfo(int index, unsigned char* block);
NETSDK_API int IP_NET_DVR_StopSearchIPC(void);
NETSDK_API int IP_NET_DVR_Login(const char* ip, int port, const char* user, const char* password,
                                void* reserved);
NETSDK_API int IP_NET_DVR_SetAutoReconnect(int loginHandle, int enable);
NETSDK_API int IP_NET_DVR_Logout(int loginHandle);
NETSDK_API int IP_NET_DVR_ModifyIPC(int searchIndex, unsigned char* block);
NETSDK_API int IP_NET_DVR_RebootDVR(int loginHandle);
NETSDK_API int IP_NET_DVR_RestoreConfig(int loginHandle);
NETSDK_API int IP_NET_DVR_FormatDisk(int loginHandle, int disk);
NETSDK_API int IP_NET_DVR_Upgrade(int loginHandle, const char* path);
NETSDK_API int IP_NET_DVR_GetUpgradeState(int loginHandle);
NETSDK_API int IP_NET_DVR_GetUpgradeProgress(int loginHandle);
NETSDK_API int IP_NET_DVR_SystemControl(int loginHandle, int code, int channel, const char* text);
NETSDK_API int IP_NET_DVR_SetDVRConfig(int loginHandle, int code, int channel, const char* xml,
                                       int length);
NETSDK_API int IP_NET_DVR_RealPlayEx(int loginHandle, const char* ip, const char* user,
                                     const char* password, IP_NET_DVR_StreamDataCallBack callback,
                                     NETSDK_PREVIEW_INFO* request, int reserved);
NETSDK_API int IP_NET_DVR_StopRealPlay(int previewHandle);

// Library housekeeping beyond the device calls (the program calls only SetUserOption and
// GetOption of these; tests and tools the others). Cleanup closes every login, stops the search
// and the library threads.
NETSDK_API int IP_NET_DVR_Cleanup(void);
// Where the virtual LAN is reached ("127.0.0.1:PORT"; loopback only) and how fast the library's
// own clock runs (1 = real time). Also read from NETSDK_ENDPOINT and NETSDK_TIME_SCALE at Init.
NETSDK_API int IP_NET_DVR_SetEndpoint(const char* hostPort);
NETSDK_API int IP_NET_DVR_SetTimeScale(double factor);
// Any setting by its netsdk.conf key: endpoint, time_scale, backend (sim | onvif), probe
// (multicast | ADDRESS:PORT,...), scope (loopback | lan), credentials (a file of user:password
// lines), restore (hard | soft), rtsp_basic (refuse | allow: whether a preview answers an RTSP
// server that asks for the password in clear text). Read at Init; -1 for an unknown key or a value
// that does not parse.
NETSDK_API int IP_NET_DVR_SetOption(const char* key, const char* value);
// The same settings as a program's user chose them in its own window. They rank below everything
// else (IP_NET_DVR_SetOption, the environment, netsdk.conf), so that scripted use keeps its say,
// and above the defaults. credentials are the user:password lines themselves, not a file. Taken at
// once, before or after Init: probe, credentials and restore at their next use; a new backend, or
// for ONVIF a new scope, at the first IP_NET_DVR_StartSearchIPC at which no login and no preview
// is open (until then the search goes on as before). -1 for an unknown key or a value that does
// not parse, even when a higher source holds the key.
NETSDK_API int IP_NET_DVR_SetUserOption(const char* key, const char* value);
// Where the value in force of a setting comes from: one of NETSDK_OPTION_*, or -1 for an unknown
// key. With a buffer, also its text, NUL-terminated (-1 when it does not fit in size bytes): the
// word, the targets, the endpoint or the factor; for credentials the file they were read from, or
// an empty text for the user's own or none; never a password.
#define NETSDK_OPTION_DEFAULT 0
#define NETSDK_OPTION_USER 1        /* IP_NET_DVR_SetUserOption */
#define NETSDK_OPTION_FILE 2        /* netsdk.conf */
#define NETSDK_OPTION_ENVIRONMENT 3 /* NETSDK_<KEY> */
#define NETSDK_OPTION_CALL 4        /* IP_NET_DVR_SetOption, IP_NET_DVR_SetEndpoint, ... */
NETSDK_API int IP_NET_DVR_GetOption(const char* key, char* value, int size);

#ifdef __cplusplus
}
#endif
