// Real H.264 (libx264) or H.265 (libx265) for the player tests: a dark picture with a red bar along
// the top and a white square that moves right by kSquareStep pixels a frame.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "player_format.h"

namespace player_test {

constexpr int kSquareSide = 32;
constexpr int kSquareTop = 64;
constexpr int kSquareStep = 8;
constexpr int kBarRows = 16;
constexpr int kFrameMs = 100;

struct EncodedFrame {
  std::vector<unsigned char> bytes;  // one access unit, Annex B
  bool key = false;
  int timeStamp = 0;
};

struct TestStream {
  int width = 0;
  int height = 0;
  std::array<unsigned char, KMR_VIDEO_FORMAT_SIZE> format{};  // parameter sets as configuration
  std::vector<EncodedFrame> frames;                           // the first is a key frame
};

// frames frames, a key frame every keyInterval, time stamps firstTimeStamp + kFrameMs apart, in
// codec (KMR_CODEC_H264 or KMR_CODEC_H265). Empty frames, with the reason in error, when the
// encoder is not available.
TestStream EncodeTestStream(int width, int height, int frames, int keyInterval, int firstTimeStamp,
                            std::string* error, int codec = KMR_CODEC_H264);

// A G.711 format block of the given law, 8 kHz, one channel.
std::array<unsigned char, KMR_AUDIO_FORMAT_SIZE> AudioFormatBlock(int codec);

// Left edge of the square in frame index, in the stream's pixels.
int SquareLeft(int index, int width);

// 320x180 at 10 frames a second, 30 frames with a key frame every 10; encoded once.
const TestStream& StandardStream();

}  // namespace player_test
