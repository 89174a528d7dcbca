// The format blocks of IP_KMR_OpenStream, read and checked: what a port's decoder is opened with.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace player {

// Picture sides a format block may announce, and the largest picture the decoder will make.
constexpr int kMinSide = 16;
constexpr int kMaxSide = 4096;

struct VideoFormat {
  int codec = 0;  // KMR_CODEC_H264 or KMR_CODEC_H265
  int width = 0;
  int height = 0;
  int fps = 0;
  std::vector<std::uint8_t> config;  // the codec's parameter sets, Annex B

  bool operator==(const VideoFormat&) const = default;
};

struct AudioFormat {
  int codec = 0;
  int rate = 0;
  int channels = 0;

  bool operator==(const AudioFormat&) const = default;
};

// Empty when the block is short, carries another magic or codec, or announces sizes out of range.
std::optional<VideoFormat> ParseVideoFormat(const unsigned char* block, int size);
std::optional<AudioFormat> ParseAudioFormat(const unsigned char* block, int size);

}  // namespace player
