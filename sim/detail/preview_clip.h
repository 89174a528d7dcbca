// A device's live picture: a short clip (and G.711 sound when the device has audio) that shows its
// serial number and address, encoded once and then looped by the stream sender, so that 250
// streams cost no encoding at all after their first second. H.264 unless a profile of the ONVIF
// face asks for H.265 or MPEG-4 Visual, at the main or the smaller sub stream's size.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "player_format.h"

struct AVFrame;

namespace camsim::detail {

constexpr int kClipWidth = 320;
constexpr int kClipHeight = 180;
constexpr int kClipFramesPerSecond = 10;
constexpr int kClipKeyInterval = 10;  // one key frame a second
constexpr int kClipFrames = 20;       // two seconds, then the loop starts again at a key frame
constexpr double kClipFrameMs = 1000.0 / kClipFramesPerSecond;
constexpr int kAudioRate = 8000;
constexpr int kAudioBytesPerFrame = kAudioRate / kClipFramesPerSecond;  // one G.711 byte a sample
// The sub stream's picture, as cameras offer beside their main one for grids.
constexpr int kSubClipWidth = 160;
constexpr int kSubClipHeight = 90;

enum class ClipCodec { kH264, kH265, kMpeg4 };

struct ClipFormat {
  ClipCodec codec = ClipCodec::kH264;
  int width = kClipWidth;
  int height = kClipHeight;

  auto operator<=>(const ClipFormat&) const = default;
};

struct ClipFrame {
  bool key = false;
  std::vector<std::uint8_t> bytes;  // one access unit, Annex B; G.711 mu-law samples for audio
};

struct PreviewClip {
  ClipFormat clipFormat;
  // H.264 and H.265: the parameter sets, Annex B; MPEG-4: the headers before the first picture.
  std::vector<std::uint8_t> config;
  std::array<std::uint8_t, KMR_VIDEO_FORMAT_SIZE> videoFormat{};  // zero for MPEG-4
  std::array<std::uint8_t, KMR_AUDIO_FORMAT_SIZE> audioFormat{};  // zero without audio
  bool hasAudio = false;
  std::vector<ClipFrame> video;  // kClipFrames frames, kClipFrameMs apart; the first is a key frame
  std::vector<ClipFrame> audio;  // one frame of kAudioBytesPerFrame per video frame, or none
};

// Draws picture index (0 .. kClipFrames - 1) of a device's clip into a YUV 4:2:0 frame of any
// size: a background in the device's own colour, its serial number and address in white, and a bar
// that crosses the picture so that motion shows the stream is live.
void DrawClipPicture(AVFrame* frame, int index, const std::string& serial,
                     const std::string& address);

// Encodes the clip of one device. Null with a reason when the encoder is not available.
std::shared_ptr<const PreviewClip> EncodeClip(const std::string& serial, const std::string& address,
                                              bool withAudio, std::string* error,
                                              ClipFormat clipFormat = {});

}  // namespace camsim::detail
