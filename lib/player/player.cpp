// The C functions of the player library: arguments checked here, the work done by the port's
// streams on the player's own threads.
#include "player.h"

#include "decode_pool.h"
#include "format_block.h"
#include "player_format.h"
#include "player_sink.h"
#include "port_registry.h"
#include "video_decoder.h"

namespace {

constexpr int kFailure = -1;

using player::PortRegistry;

int OpenVideo(int port, const unsigned char* block, int size, int bufferFrames) {
  const std::optional<player::VideoFormat> format = player::ParseVideoFormat(block, size);
  if (!format) return kFailure;
  // Every stream header repeats the block: the same one keeps the decoder and its references.
  const std::shared_ptr<player::Port> open = PortRegistry::Instance().Find(port);
  if (open && open->video->Keep(*format, bufferFrames)) return 0;
  std::unique_ptr<player::VideoDecoder> decoder = player::VideoDecoder::Open(*format);
  if (!decoder) return kFailure;
  return PortRegistry::Instance().FindOrCreate(port)->video->Reopen(*format, std::move(decoder),
                                                                    bufferFrames);
}

int OpenAudio(int port, const unsigned char* block, int size) {
  const std::optional<player::AudioFormat> format = player::ParseAudioFormat(block, size);
  if (!format) return kFailure;
  return PortRegistry::Instance().FindOrCreate(port)->audio.Open(*format);
}

}  // namespace

extern "C" {

PLAYER_API int IP_KMR_Init(void) {
  // The registry is made before the player threads (as it is when a port comes first), so at exit
  // the threads end before the ports go.
  PortRegistry::Instance();
  player::DecodePool::Instance();
  return 0;
}

PLAYER_API int IP_KMR_OpenStream(int port, const unsigned char* format, int size, int kind,
                                 int bufferFrames) {
  if (port <= 0 || format == nullptr || size <= 0 || bufferFrames <= 0) return kFailure;
  if (kind == KMR_STREAM_VIDEO) return OpenVideo(port, format, size, bufferFrames);
  if (kind == KMR_STREAM_AUDIO) return OpenAudio(port, format, size);
  return kFailure;
}

PLAYER_API int IP_KMR_Play(int port, void* window) {
  const auto* sink = static_cast<const KMR_VIDEO_SINK*>(window);
  if (port <= 0 || sink == nullptr || sink->picture == nullptr) return kFailure;
  const std::shared_ptr<player::Port> open = PortRegistry::Instance().Find(port);
  if (!open) return kFailure;
  open->video->Bind(*sink);
  return 0;
}

PLAYER_API int IP_KMR_InputVideoData(int port, const unsigned char* data, int size, int frameType,
                                     int timeStamp) {
  if (port <= 0 || data == nullptr || size <= 0) return kFailure;
  if (frameType != KMR_FRAME_KEY && frameType != KMR_FRAME_DELTA) return kFailure;
  const std::shared_ptr<player::Port> open = PortRegistry::Instance().Find(port);
  if (!open) return kFailure;
  return open->video->Input(data, size, frameType == KMR_FRAME_KEY, timeStamp);
}

PLAYER_API int IP_KMR_InputAudioData(int port, const unsigned char* data, int size, int) {
  if (port <= 0 || data == nullptr || size <= 0) return kFailure;
  const std::shared_ptr<player::Port> open = PortRegistry::Instance().Find(port);
  if (!open) return kFailure;
  return open->audio.Input(data, size);
}

PLAYER_API int IP_KMR_Stop(int port) {
  const std::shared_ptr<player::Port> open = PortRegistry::Instance().Remove(port);
  if (!open) return kFailure;
  open->video->Stop();
  open->audio.Stop();
  return 0;
}

}  // extern "C"
