#include "sim/detail/rtp_sender.h"

#include <string>
#include <vector>

namespace camsim::detail {
namespace {

// More than a second of video queued for a client that does not read: skip to the next key frame
// rather than let the queue grow.
constexpr std::size_t kMaxQueuedBytes = 256 * 1024;
constexpr std::uint64_t kNtpFromUnixS = 2208988800u;
constexpr std::uint32_t kVideoTicksPerFrame = kRtpVideoClock / kClipFramesPerSecond;

std::uint64_t NtpNow() {
  const auto now = std::chrono::duration_cast<std::chrono::microseconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                       .count();
  const auto us = static_cast<std::uint64_t>(now);
  return (us / 1000000 + kNtpFromUnixS) << 32 | ((us % 1000000) << 32) / 1000000;
}

}  // namespace

RtpSender::RtpSender(asio::io_context& io, std::weak_ptr<RtspConnection> connection,
                     std::shared_ptr<const PreviewClip> clip, RtpTracks tracks, StreamFaults faults,
                     std::function<bool()> present, std::function<void()> onGone)
    : m_timer(io),
      m_connection(std::move(connection)),
      m_clip(std::move(clip)),
      m_tracks(std::move(tracks)),
      m_faults(faults),
      m_present(std::move(present)),
      m_onGone(std::move(onGone)) {}

void RtpSender::Play() {
  if (m_stopped || !m_clip || m_clip->video.empty()) return;
  m_parameterSets = ParameterSetUnits(*m_clip);
  m_start = std::chrono::steady_clock::now();
  m_startNtp = NtpNow();
  SendFrame();
}

void RtpSender::Stop() {
  m_stopped = true;
  m_timer.cancel();
}

void RtpSender::Schedule() {
  ++m_frame;
  m_timer.expires_at(m_start + std::chrono::microseconds(static_cast<std::int64_t>(
                                   static_cast<double>(m_frame) * kClipFrameMs * 1000)));
  m_timer.async_wait([weak = weak_from_this()](const std::error_code& error) {
    auto self = weak.lock();
    if (self && !error && !self->m_stopped) self->SendFrame();
  });
}

void RtpSender::SendFrame() {
  auto connection = m_connection.lock();
  if (!connection || !connection->IsOpen()) return;
  if (!m_present()) {
    m_stopped = true;
    return m_onGone();
  }
  const std::size_t index = m_frame % m_clip->video.size();
  const ClipFrame& video = m_clip->video[index];
  const std::size_t queued = connection->QueuedBytes();
  if (queued > kMaxQueuedBytes) m_skipping = true;
  if (m_skipping && video.key && queued <= kMaxQueuedBytes) m_skipping = false;
  if (m_skipping) return Schedule();

  std::string out;
  const auto videoTime =
      static_cast<std::uint32_t>(m_tracks.videoStart + m_frame * kVideoTicksPerFrame);
  const auto audioTime =
      static_cast<std::uint32_t>(m_tracks.audioStart + m_frame * kAudioBytesPerFrame);
  if (video.key) {
    // Once a second, beside the key frame: how each stream's clock maps to the wall clock, so that
    // the client can line sound up with the pictures.
    const std::uint64_t ntp = m_startNtp + (m_frame << 32) / kClipFramesPerSecond;
    if (m_tracks.video) AppendSenderReport(*m_tracks.video, ntp, videoTime, &out);
    if (m_tracks.audio) AppendSenderReport(*m_tracks.audio, ntp, audioTime, &out);
  }
  const ClipCodec codec = m_clip->clipFormat.codec;
  if (m_tracks.video && codec == ClipCodec::kMpeg4) {
    // Its key frames carry their own sequence headers.
    AppendMpeg4(*m_tracks.video, videoTime, video.bytes, &out);
  } else if (m_tracks.video) {
    std::vector<NalUnit> units;
    // The clip's parameter sets go before every key frame, whether or not the
    // encoder repeated them, so that a client that joins late can start there.
    if (video.key) units = m_parameterSets;
    std::vector<std::uint8_t> noise;
    if (m_faults.corruptFrames && !video.key && index % 3 == 1) {
      // Each unit keeps its header and carries noise, as a damaged network would deliver it.
      noise = video.bytes;
      std::uint32_t state = static_cast<std::uint32_t>(m_frame) * 2654435761u + 1;
      for (const NalUnit unit : SplitNalUnits(video.bytes)) {
        const auto at = static_cast<std::size_t>(unit.data() - video.bytes.data());
        for (std::size_t i = at + 1; i < at + unit.size(); ++i) {
          state = state * 1664525u + 1013904223u;
          noise[i] = static_cast<std::uint8_t>(state >> 24);
        }
        units.push_back(NalUnit(noise.data() + at, unit.size()));
      }
    } else {
      for (const NalUnit unit : SplitNalUnits(video.bytes)) {
        if (!video.key || !IsParameterSet(codec, unit)) units.push_back(unit);
      }
    }
    AppendNalUnits(*m_tracks.video, codec, videoTime, units, &out);
  }
  if (m_tracks.audio && !m_clip->audio.empty()) {
    AppendAudio(*m_tracks.audio, audioTime, m_clip->audio[index % m_clip->audio.size()].bytes,
                &out);
  }
  connection->Send(std::move(out));
  Schedule();
}

}  // namespace camsim::detail
