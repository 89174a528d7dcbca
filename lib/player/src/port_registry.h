// The open ports: the number a caller chose, and the video and sound streams behind it.
#pragma once

#include <map>
#include <memory>
#include <mutex>

#include "audio_stream.h"
#include "video_stream.h"

namespace player {

struct Port {
  std::shared_ptr<VideoStream> video = std::make_shared<VideoStream>();
  AudioStream audio;
};

class PortRegistry {
 public:
  static PortRegistry& Instance();

  std::shared_ptr<Port> Find(int number);
  std::shared_ptr<Port> FindOrCreate(int number);
  // Null when the port is not open.
  std::shared_ptr<Port> Remove(int number);

 private:
  std::mutex m_mutex;
  std::map<int, std::shared_ptr<Port>> m_ports;
};

}  // namespace player
