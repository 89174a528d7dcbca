#include "preview/preview_stream.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "preview/player_ports.h"
#include "sdk/stream_layout.h"

namespace preview {
namespace {
// Frames the player may hold for a port, as the previews ask for it.
constexpr int kPlayerBufferFrames = 40;
}  // namespace

int StartPreview(const discovery::DeviceRecord& record, IP_NET_DVR_StreamDataCallBack callback,
                 void* user) {
  sdk::PreviewRequest request{record.info.Channel(), 1, 1, 0, user};
  return IP_NET_DVR_RealPlayEx(record.loginHandle.load(), record.info.Ip().c_str(),
                               record.info.User().c_str(), record.info.Password().c_str(), callback,
                               &request, 0);
}

bool OpenPort(int port, const unsigned char* header, int size, bool withAudio,
              KMR_VIDEO_SINK* sink) {
  const sdk::StreamHeaderView view(header, size);
  if (!view.IsComplete()) return false;
  if (view.HasVideo()) {
    IP_KMR_OpenStream(port, view.VideoFormat(), sdk::StreamHeaderView::kVideoFormatSize,
                      KMR_STREAM_VIDEO, kPlayerBufferFrames);
  }
  if (withAudio && view.HasAudio()) {
    IP_KMR_OpenStream(port, view.AudioFormat(), sdk::StreamHeaderView::kAudioFormatSize,
                      KMR_STREAM_AUDIO, kPlayerBufferFrames);
  }
  if (sink != nullptr) IP_KMR_Play(port, sink);
  return true;
}

int ClampTimeStamp(double timeStamp) {
  if (std::isnan(timeStamp)) return 0;
  constexpr double kMin = std::numeric_limits<std::int32_t>::min();
  constexpr double kMax = std::numeric_limits<std::int32_t>::max();
  if (timeStamp <= kMin) return std::numeric_limits<std::int32_t>::min();
  if (timeStamp >= kMax) return std::numeric_limits<std::int32_t>::max();
  return static_cast<int>(std::trunc(timeStamp));
}

void FeedFrame(int port, int dataKind, const unsigned char* data, int size,
               const NETSDK_FRAME_INFO& frame) {
  const int timeStamp = ClampTimeStamp(frame.timeStamp);
  if (dataKind == sdk::kStreamVideo) {
    IP_KMR_InputVideoData(port, data, size, frame.frameKind, timeStamp);
  } else if (dataKind == sdk::kStreamAudio) {
    IP_KMR_InputAudioData(port, data, size, timeStamp);
  }
}

void StopPreview(std::atomic<int>& previewHandle, std::atomic<int>& port) {
  // The preview first: once StopRealPlay returns no callback can open the port again.
  if (previewHandle.load() > 0) {
    IP_NET_DVR_StopRealPlay(previewHandle.load());
    previewHandle.store(0);
  }
  if (const int playing = port.exchange(0); playing > 0) {
    IP_KMR_Stop(playing);
    ReleasePort(playing);
  }
}

}  // namespace preview
