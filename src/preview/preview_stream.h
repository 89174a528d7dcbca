// The steps both preview windows take with a device's live stream: start it, open the player port
// on a stream header, feed it the frames, and stop both again.
#pragma once

#include <atomic>

#include "discovery/device_record.h"
#include "player_sink.h"
#include "sdk/sdk.h"

namespace preview {

// IP_NET_DVR_RealPlayEx with the record's login, address and credentials and the preview request
// (the device's preview channel, 1, 1, user). The preview handle, valid when > 0.
int StartPreview(const discovery::DeviceRecord& record, IP_NET_DVR_StreamDataCallBack callback,
                 void* user);

// On a stream header: the video format block opened when the header has video, the audio block
// when withAudio and the header has sound, then the port played into sink (when not null). A
// header shorter than its layout opens nothing: false.
bool OpenPort(int port, const unsigned char* header, int size, bool withAudio,
              KMR_VIDEO_SINK* sink);

// The frame record's time stamp as the player takes it: truncated toward zero and held within the
// 32-bit range (a value outside it, or not a number, has no conversion).
int ClampTimeStamp(double timeStamp);

// Video to IP_KMR_InputVideoData, audio to IP_KMR_InputAudioData.
void FeedFrame(int port, int dataKind, const unsigned char* data, int size,
               const NETSDK_FRAME_INFO& frame);

// Stops the preview and the port when they run, and sets both to 0. Window thread.
void StopPreview(std::atomic<int>& previewHandle, std::atomic<int>& port);

}  // namespace preview
