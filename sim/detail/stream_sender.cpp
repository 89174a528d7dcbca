#include "sim/detail/stream_sender.h"

#include <algorithm>

#include "netsdk.h"
#include "wire/messages.h"

namespace camsim::detail {
namespace {

// More than a second of video queued for a library that does not read: skip to the next key frame
// rather than let the queue grow.
constexpr std::size_t kMaxQueuedBytes = 256 * 1024;
constexpr std::size_t kBadHeaderSize = 100;

std::vector<std::uint8_t> StreamHeader(const PreviewClip& clip) {
  std::vector<std::uint8_t> header(STREAM_HEADER_SIZE, 0);
  const char tag[] = "RDSH";
  std::copy(tag, tag + 4, header.begin());
  header[STREAM_HEADER_HAS_VIDEO] = 1;
  header[STREAM_HEADER_HAS_AUDIO] = clip.hasAudio ? 1 : 0;
  std::copy(clip.videoFormat.begin(), clip.videoFormat.end(),
            header.begin() + STREAM_HEADER_VIDEO_FORMAT);
  std::copy(clip.audioFormat.begin(), clip.audioFormat.end(),
            header.begin() + STREAM_HEADER_AUDIO_FORMAT);
  return header;
}

}  // namespace

StreamSender::StreamSender(asio::io_context& io, std::weak_ptr<wire::FramedConnection> connection,
                           StreamFaults faults)
    : m_timer(io), m_connection(std::move(connection)), m_faults(faults) {}

void StreamSender::Play(std::shared_ptr<const PreviewClip> clip) {
  if (m_stopped || !clip || m_clip) return;
  m_clip = std::move(clip);
  auto header = StreamHeader(*m_clip);
  if (m_faults.badHeader) header.resize(kBadHeaderSize);
  m_header = std::make_shared<const std::vector<std::uint8_t>>(std::move(header));
  m_start = std::chrono::steady_clock::now();
  SendFrame();
}

void StreamSender::Stop() {
  m_stopped = true;
  m_timer.cancel();
}

void StreamSender::Schedule() {
  ++m_frame;
  m_timer.expires_at(m_start + std::chrono::microseconds(static_cast<std::int64_t>(
                                   static_cast<double>(m_frame) * kClipFrameMs * 1000)));
  std::weak_ptr<StreamSender> weak = weak_from_this();
  m_timer.async_wait([weak](const std::error_code& error) {
    auto self = weak.lock();
    if (self && !error && !self->m_stopped) self->SendFrame();
  });
}

void StreamSender::SendFrame() {
  auto connection = m_connection.lock();
  if (!connection || !connection->IsOpen()) return;
  const std::size_t index = m_frame % m_clip->video.size();
  const ClipFrame& video = m_clip->video[index];
  if (connection->QueuedBytes() > kMaxQueuedBytes) m_skipping = true;
  if (m_skipping && video.key && connection->QueuedBytes() <= kMaxQueuedBytes) m_skipping = false;
  if (!m_skipping) {
    if (video.key) Send(NETSDK_STREAM_HEADER, NETSDK_FRAME_HEADER, m_header, *m_header);
    if (m_faults.corruptFrames && !video.key && index % 3 == 1) {
      // Noise of the frame's length, as a damaged network would deliver it.
      auto noise = std::make_shared<std::vector<std::uint8_t>>(video.bytes.size());
      std::uint32_t state = static_cast<std::uint32_t>(m_frame) * 2654435761u + 1;
      for (std::uint8_t& byte : *noise) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(state >> 24);
      }
      Send(NETSDK_STREAM_VIDEO, NETSDK_FRAME_DELTA, noise, *noise);
    } else {
      Send(NETSDK_STREAM_VIDEO, video.key ? NETSDK_FRAME_KEY : NETSDK_FRAME_DELTA, m_clip,
           video.bytes);
    }
    if (m_clip->hasAudio) {
      Send(NETSDK_STREAM_AUDIO, NETSDK_FRAME_AUDIO, m_clip,
           m_clip->audio[index % m_clip->audio.size()].bytes);
    }
  }
  Schedule();
}

void StreamSender::Send(std::uint8_t dataKind, std::int32_t frameKind,
                        std::shared_ptr<const void> keeper,
                        const std::vector<std::uint8_t>& bytes) {
  auto connection = m_connection.lock();
  if (!connection) return;
  const auto timeMs = static_cast<std::uint64_t>(static_cast<double>(m_frame) * kClipFrameMs);
  connection->SendShared(wire::MsgType::kStreamData, 0,
                         wire::EncodeStreamDataPrefix(dataKind, frameKind, timeMs),
                         std::move(keeper), bytes.data(), bytes.size());
}

}  // namespace camsim::detail
