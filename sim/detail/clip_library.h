// The devices' preview clips, encoded on a thread of their own (a clip takes a few milliseconds,
// too long for the network thread when 250 previews start at once) and kept, so that each device
// is encoded once for each address it shows and each stream it offers.
#pragma once

#include <asio.hpp>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>

#include "sim/detail/preview_clip.h"

namespace camsim::detail {

class ClipLibrary {
 public:
  // Null when the clip cannot be encoded; the device then sends nothing.
  using Ready = std::function<void(std::shared_ptr<const PreviewClip>)>;

  explicit ClipLibrary(asio::io_context& io);
  ~ClipLibrary();
  ClipLibrary(const ClipLibrary&) = delete;
  ClipLibrary& operator=(const ClipLibrary&) = delete;

  // ready runs on the network thread, later, even when the clip was encoded before.
  void Get(const std::string& serial, const std::string& address, bool withAudio, Ready ready,
           ClipFormat clipFormat = {});
  void Stop();

 private:
  using Key = std::tuple<std::string, std::string, bool, ClipFormat>;

  void Run();

  asio::io_context& m_io;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::map<Key, std::shared_ptr<const PreviewClip>> m_clips;
  std::deque<std::pair<Key, Ready>> m_requests;
  bool m_stopping = false;
  std::thread m_thread;
};

}  // namespace camsim::detail
