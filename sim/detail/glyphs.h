// A 5 × 7 pixel font of the characters a serial number or an address holds, so that the
// simulator can write on its pictures without a font library.
#pragma once

#include <array>
#include <cstdint>

namespace camsim::detail {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;

// Rows top to bottom, the leftmost pixel in bit 4. Characters without a glyph draw as blank.
std::array<std::uint8_t, kGlyphHeight> Glyph(char c);

}  // namespace camsim::detail
