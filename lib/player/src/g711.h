// G.711 sound as the cameras send it: one byte a sample, mu-law or A-law, expanded to the 16-bit
// samples an audio output plays.
#pragma once

#include <cstdint>
#include <vector>

namespace player {

std::int16_t MuLawToLinear(std::uint8_t code);
std::int16_t ALawToLinear(std::uint8_t code);

// One sample per byte, in order; empty for a codec other than the two G.711 laws.
std::vector<std::int16_t> DecodeG711(int codec, const unsigned char* data, int size);

}  // namespace player
