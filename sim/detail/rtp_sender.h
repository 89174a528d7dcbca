// The RTP stream of one playing RTSP session: the device's clip looped at its frame rate on the
// session's connection, the parameter sets before every key frame and a sender report beside it,
// and the sound when the session set up its track. As the framed stream does, it runs in real
// time whatever the simulator's time scale, and skips to the next key frame while the client is
// more than a second behind. Network thread only.
#pragma once

#include <asio.hpp>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "sim/detail/preview_clip.h"
#include "sim/detail/rtp_packets.h"
#include "sim/detail/rtsp_connection.h"
#include "sim/detail/stream_sender.h"

namespace camsim::detail {

// The streams a session set up, each with its first sequence number and timestamp.
struct RtpTracks {
  std::optional<RtpStream> video;
  std::optional<RtpStream> audio;
  std::uint32_t videoStart = 0;
  std::uint32_t audioStart = 0;
};

class RtpSender : public std::enable_shared_from_this<RtpSender> {
 public:
  // present says before every frame whether the device is still there; when it is not, onGone
  // runs instead and nothing more is sent.
  RtpSender(asio::io_context& io, std::weak_ptr<RtspConnection> connection,
            std::shared_ptr<const PreviewClip> clip, RtpTracks tracks, StreamFaults faults,
            std::function<bool()> present, std::function<void()> onGone);

  void Play();
  void Stop();

 private:
  void Schedule();
  void SendFrame();

  asio::steady_timer m_timer;
  const std::weak_ptr<RtspConnection> m_connection;
  const std::shared_ptr<const PreviewClip> m_clip;
  RtpTracks m_tracks;
  const StreamFaults m_faults;
  const std::function<bool()> m_present;
  const std::function<void()> m_onGone;
  std::vector<NalUnit> m_parameterSets;
  std::chrono::steady_clock::time_point m_start;
  std::uint64_t m_startNtp = 0;  // the wall clock at the first frame, for the sender reports
  std::uint64_t m_frame = 0;     // frames since the start, across loops
  bool m_skipping = false;       // the client is behind: wait for the next key frame
  bool m_stopped = false;
};

}  // namespace camsim::detail
