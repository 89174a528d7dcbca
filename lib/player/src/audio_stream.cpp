#include "audio_stream.h"

#include "g711.h"

namespace player {
namespace {

constexpr int kFailure = -1;

}  // namespace

int AudioStream::Open(const AudioFormat& format) {
  std::unique_ptr<AudioOutput> replaced;
  std::lock_guard lock(m_mutex);
  if (m_stopped) return kFailure;
  if (m_format == format) return 0;
  m_format = format;
  replaced = std::move(m_output);
  m_output = AudioOutput::Create(format);
  return 0;
}

int AudioStream::Input(const unsigned char* data, int size) {
  std::lock_guard lock(m_mutex);
  if (m_stopped || !m_format) return kFailure;
  if (m_output) m_output->Play(DecodeG711(m_format->codec, data, size));
  return 0;
}

void AudioStream::Stop() {
  std::unique_ptr<AudioOutput> output;
  std::lock_guard lock(m_mutex);
  m_stopped = true;
  output = std::move(m_output);
}

}  // namespace player
