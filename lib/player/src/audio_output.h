// Plays one port's sound through Qt Multimedia. The audio sink lives on the player's audio thread,
// which has an event loop of its own, so neither the caller's thread nor the window's ever runs it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "format_block.h"

namespace player {

class AudioSinkHost;

// The host lives on the audio thread, so it is deleted there, by its event loop.
struct AudioSinkHostDeleter {
  void operator()(AudioSinkHost* host) const;
};
using AudioSinkHostPtr = std::unique_ptr<AudioSinkHost, AudioSinkHostDeleter>;

class AudioOutput {
 public:
  enum class State { kStarting, kPlaying, kSilent };

  // Null without a QCoreApplication: there is no Qt to play through.
  static std::unique_ptr<AudioOutput> Create(const AudioFormat& format);
  AudioOutput(AudioSinkHostPtr host, std::shared_ptr<std::atomic<State>> state);

  // Hands the samples to the audio thread and returns at once. Samples are dropped while the
  // device is still being opened and when there is none (no default output, format refused).
  void Play(std::vector<std::int16_t> samples);

 private:
  AudioSinkHostPtr m_host;
  std::shared_ptr<std::atomic<State>> m_state;
};

}  // namespace player
