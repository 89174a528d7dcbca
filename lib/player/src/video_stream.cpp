#include "video_stream.h"

#include <algorithm>
#include <cstring>

#include "decode_pool.h"
#include "picture_converter.h"

namespace player {
namespace {

constexpr int kFailure = -1;

// The caller's bufferFrames, within reason: one frame would drop every delta behind a slow key
// frame, and more than this is seconds of stale picture held in memory per port.
constexpr int kMinQueueFrames = 2;
constexpr int kMaxQueueFrames = 200;
// A few key frames of the largest picture; a stream that sends more is dropped, not hoarded.
constexpr std::size_t kMaxQueuedBytes = 16u << 20;

std::size_t QueueBound(int bufferFrames) {
  return static_cast<std::size_t>(std::clamp(bufferFrames, kMinQueueFrames, kMaxQueueFrames));
}

}  // namespace

bool VideoStream::Keep(const VideoFormat& format, int bufferFrames) {
  std::lock_guard lock(m_mutex);
  if (m_stopped || m_format != format) return false;
  m_capacity = QueueBound(bufferFrames);
  return true;
}

int VideoStream::Reopen(const VideoFormat& format, std::unique_ptr<VideoDecoder> decoder,
                        int bufferFrames) {
  std::unique_ptr<VideoDecoder> replaced;
  std::lock_guard lock(m_mutex);
  if (m_stopped) return kFailure;
  m_format = format;
  m_capacity = QueueBound(bufferFrames);
  DropQueue();
  // The player thread switches decoders before its next frame, so a decode in progress keeps its
  // own; a fresh decoder has no references, so the stream resumes at a key frame.
  m_dropUntilKey = true;
  replaced = std::move(m_nextDecoder);
  m_nextDecoder = std::move(decoder);
  return 0;
}

void VideoStream::Bind(const KMR_VIDEO_SINK& sink) {
  std::lock_guard lock(m_mutex);
  if (!m_stopped) m_sink = sink;
}

int VideoStream::Input(const unsigned char* data, int size, bool key, int timeStamp) {
  // The copy is made before the lock is taken, so the player thread is not held up by it.
  // av_new_packet zeroes the padding that the decoder's bit reader may read beyond the frame.
  PacketPtr packet(av_packet_alloc());
  if (!packet || av_new_packet(packet.get(), size) < 0) return kFailure;
  std::memcpy(packet->data, data, static_cast<std::size_t>(size));
  packet->pts = timeStamp;
  packet->dts = timeStamp;
  if (key) packet->flags |= AV_PKT_FLAG_KEY;
  const auto bytes = static_cast<std::size_t>(size);
  bool schedule = false;
  {
    std::lock_guard lock(m_mutex);
    if (m_stopped || !m_format) return kFailure;
    // A delta whose references were dropped would only decode into damage.
    if (!key && m_dropUntilKey) return 0;
    const bool full = m_queue.size() >= m_capacity || m_queuedBytes + bytes > kMaxQueuedBytes;
    if (full && !key) {
      m_dropUntilKey = true;
      return 0;
    }
    // A key frame needs nothing before it, and is fresher than everything still waiting.
    if (full) DropQueue();
    if (bytes > kMaxQueuedBytes) {
      m_dropUntilKey = true;
      return 0;
    }
    m_dropUntilKey = false;
    m_queuedBytes += bytes;
    m_queue.push_back(QueuedFrame{std::move(packet), key});
    schedule = !m_scheduled;
    m_scheduled = true;
  }
  if (schedule) DecodePool::Instance().Schedule(shared_from_this());
  return 0;
}

void VideoStream::Stop() {
  std::unique_ptr<VideoDecoder> next;
  std::unique_ptr<VideoDecoder> inUse;
  std::unique_lock lock(m_mutex);
  m_stopped = true;
  m_sink.reset();
  DropQueue();
  next = std::move(m_nextDecoder);
  // From inside the sink: this thread's decode ends when the sink returns, and frees the decoder.
  if (m_decoding && m_decodingThread == std::this_thread::get_id()) return;
  // No time-out: returning while a picture is still being handed over would let the window be
  // destroyed under the sink. The sink must not block, so the wait is one frame's decode at most.
  m_idle.wait(lock, [this] { return !m_decoding; });
  inUse = std::move(m_decoder);
}

bool VideoStream::DecodeSome(int maxFrames) {
  std::unique_ptr<VideoDecoder> retired;
  {
    std::lock_guard lock(m_mutex);
    if (m_stopped) {
      m_scheduled = false;
      return false;
    }
    m_decoding = true;
    m_decodingThread = std::this_thread::get_id();
  }
  for (int done = 0; done < maxFrames; ++done) {
    QueuedFrame frame;
    {
      std::lock_guard lock(m_mutex);
      if (m_stopped || m_queue.empty()) break;
      if (m_nextDecoder) {
        retired = std::move(m_decoder);
        m_decoder = std::move(m_nextDecoder);
        m_needKey = true;
      }
      frame = std::move(m_queue.front());
      m_queue.pop_front();
      m_queuedBytes -= static_cast<std::size_t>(frame.packet->size);
    }
    retired.reset();
    DecodeFrame(frame);
  }
  std::lock_guard lock(m_mutex);
  m_decoding = false;
  if (m_stopped) retired = std::move(m_decoder);
  const bool more = !m_stopped && !m_queue.empty();
  m_scheduled = more;
  m_idle.notify_all();
  return more;
}

void VideoStream::DecodeFrame(const QueuedFrame& frame) {
  if (!m_decoder || (m_needKey && !frame.key)) return;
  m_needKey = false;
  const bool decoded =
      m_decoder->Decode(*frame.packet, [this](const AVFrame& picture) { Deliver(picture); });
  if (!decoded) m_needKey = true;
}

void VideoStream::Deliver(const AVFrame& picture) {
  KMR_VIDEO_SINK sink{};
  {
    std::lock_guard lock(m_mutex);
    // Without a window the picture is decoded, to keep the references, but not converted.
    if (m_stopped || !m_sink) return;
    sink = *m_sink;
  }
  int width = 0;
  int height = 0;
  if (sink.size != nullptr) sink.size(sink.context, &width, &height);
  if (width <= 0 || height <= 0) {
    width = picture.width;
    height = picture.height;
  }
  width = std::min(width, kMaxSide);
  height = std::min(height, kMaxSide);
  thread_local PictureConverter converter;
  KMR_PICTURE converted{};
  if (!converter.Convert(picture, width, height, &converted)) return;
  {
    // The size callback may have stopped the port.
    std::lock_guard lock(m_mutex);
    if (m_stopped) return;
  }
  sink.picture(sink.context, &converted);
}

void VideoStream::DropQueue() {
  m_queue.clear();
  m_queuedBytes = 0;
}

}  // namespace player
