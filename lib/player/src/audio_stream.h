// The sound of one port: its G.711 format and the output the decoded samples go to.
#pragma once

#include <memory>
#include <mutex>
#include <optional>

#include "audio_output.h"
#include "format_block.h"

namespace player {

class AudioStream {
 public:
  // The same format keeps the running output. -1 once stopped.
  int Open(const AudioFormat& format);
  // Decodes and plays the frame, or drops it when there is no output to play on; -1 before the
  // first Open or once stopped.
  int Input(const unsigned char* data, int size);
  void Stop();

 private:
  std::mutex m_mutex;
  std::optional<AudioFormat> m_format;
  std::unique_ptr<AudioOutput> m_output;
  bool m_stopped = false;
};

}  // namespace player
