// The live stream of one preview connection: the device's clip looped at its frame rate, each key
// frame preceded by the stream header (so a window that missed the first header starts within a
// second), and sound beside the pictures when the device has it. The pictures run in real time
// whatever the simulator's time scale: they are watched, not waited for. Network thread only.
#pragma once

#include <asio.hpp>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "sim/detail/preview_clip.h"
#include "wire/framed_connection.h"

namespace camsim::detail {

struct StreamFaults {
  bool badHeader = false;      // the header is cut short of its layout
  bool corruptFrames = false;  // some delta frames are replaced by noise
};

class StreamSender : public std::enable_shared_from_this<StreamSender> {
 public:
  StreamSender(asio::io_context& io, std::weak_ptr<wire::FramedConnection> connection,
               StreamFaults faults);

  void Play(std::shared_ptr<const PreviewClip> clip);
  void Stop();

 private:
  void Schedule();
  void SendFrame();
  // bytes stay alive with keeper until they are written.
  void Send(std::uint8_t dataKind, std::int32_t frameKind, std::shared_ptr<const void> keeper,
            const std::vector<std::uint8_t>& bytes);

  asio::steady_timer m_timer;
  const std::weak_ptr<wire::FramedConnection> m_connection;
  const StreamFaults m_faults;
  std::shared_ptr<const PreviewClip> m_clip;
  std::shared_ptr<const std::vector<std::uint8_t>> m_header;
  std::chrono::steady_clock::time_point m_start;
  std::uint64_t m_frame = 0;  // frames since the start, across loops
  bool m_skipping = false;    // the library is behind: wait for the next key frame
  bool m_stopped = false;
};

}  // namespace camsim::detail
