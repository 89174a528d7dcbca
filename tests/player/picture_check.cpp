#include "picture_check.h"

#include "test_stream.h"

namespace player_test {
namespace {

// Margins that survive a lossy encoder and a bilinear scale.
constexpr int kBright = 200;
constexpr int kDim = 80;
// Between the bar and the square, far enough from both.
constexpr int kGroundRow = kBarRows + 12;

int Red(std::uint32_t pixel) {
  return (pixel >> 16) & 0xFF;
}
int Green(std::uint32_t pixel) {
  return (pixel >> 8) & 0xFF;
}
int Blue(std::uint32_t pixel) {
  return pixel & 0xFF;
}

}  // namespace

std::string PictureMismatch(const ReceivedPicture& picture, int index, int streamWidth,
                            int streamHeight) {
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.pixels.size() != static_cast<std::size_t>(picture.width) * picture.height) {
    return "no picture";
  }
  for (std::uint32_t pixel : picture.pixels) {
    if ((pixel >> 24) != 0xFF) return "a pixel is not opaque";
  }
  const auto at = [&](int x, int y) {
    return picture.At(x * picture.width / streamWidth, y * picture.height / streamHeight);
  };
  const int squareX = SquareLeft(index, streamWidth) + kSquareSide / 2;
  const int squareY = kSquareTop + kSquareSide / 2;
  const std::uint32_t bar = at(streamWidth / 2, kBarRows / 4);
  const std::uint32_t square = at(squareX, squareY);
  const std::uint32_t dark = at(squareX, kGroundRow);
  if (Red(bar) < kBright || Green(bar) > kDim || Blue(bar) > kDim) return "the bar is not red";
  if (Red(square) < kBright || Green(square) < kBright || Blue(square) < kBright) {
    return "no white square at frame " + std::to_string(index) + "'s place";
  }
  if (Red(dark) > kDim || Green(dark) > kDim || Blue(dark) > kDim) return "the ground is not dark";
  return {};
}

}  // namespace player_test
