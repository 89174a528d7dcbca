// Turns decoded pictures into the sink's 32-bit 0xFFRRGGBB pixels at the size the window wants.
// Each player thread has one, shared by all the ports it decodes: a scale context and a picture
// buffer per port would cost hundreds of ports a third of a megabyte each.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ffmpeg_handles.h"
#include "player_sink.h"

namespace player {

class PictureConverter {
 public:
  // Converts frame to width x height; false when the conversion cannot be set up. The picture's
  // pixels belong to the converter and stay valid until the next call.
  bool Convert(const AVFrame& frame, int width, int height, KMR_PICTURE* picture);

 private:
  struct Scaler {
    int sourceWidth = 0;
    int sourceHeight = 0;
    int sourceFormat = 0;
    int width = 0;
    int height = 0;
    ScaleContextPtr context;
    std::uint64_t lastUse = 0;
  };

  SwsContext* ScalerFor(const AVFrame& frame, int width, int height);
  bool ReservePixels(std::size_t bytes);

  std::vector<Scaler> m_scalers;
  std::uint64_t m_uses = 0;
  AvBufferPtr m_pixels;
  std::size_t m_capacity = 0;
};

}  // namespace player
