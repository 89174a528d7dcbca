#include "g711.h"

#include <array>

#include "player_format.h"

namespace player {
namespace {

constexpr int kMuLawBias = 0x84;

// The expansions of ITU-T G.711: a 4-bit step inside a 3-bit segment, sign in the top bit. The
// wire form of both laws has bits inverted, so that silence is not a run of zero bytes.
constexpr std::int16_t ExpandMuLaw(std::uint8_t code) {
  const int inverted = ~code & 0xFF;
  const int segment = (inverted >> 4) & 0x07;
  const int magnitude = ((((inverted & 0x0F) << 3) + kMuLawBias) << segment) - kMuLawBias;
  return static_cast<std::int16_t>((inverted & 0x80) != 0 ? -magnitude : magnitude);
}

constexpr std::int16_t ExpandALaw(std::uint8_t code) {
  const int toggled = code ^ 0x55;
  const int segment = (toggled >> 4) & 0x07;
  int magnitude = (toggled & 0x0F) << 4;
  magnitude += segment == 0 ? 8 : 0x108;
  if (segment > 1) magnitude <<= segment - 1;
  return static_cast<std::int16_t>((toggled & 0x80) != 0 ? magnitude : -magnitude);
}

// Tables, so a 100 ms frame costs 800 look-ups.
template <std::int16_t (*Expand)(std::uint8_t)>
constexpr std::array<std::int16_t, 256> MakeTable() {
  std::array<std::int16_t, 256> table{};
  for (int code = 0; code < 256; ++code) table[code] = Expand(static_cast<std::uint8_t>(code));
  return table;
}

constexpr auto kMuLawTable = MakeTable<ExpandMuLaw>();
constexpr auto kALawTable = MakeTable<ExpandALaw>();

}  // namespace

std::int16_t MuLawToLinear(std::uint8_t code) {
  return kMuLawTable[code];
}

std::int16_t ALawToLinear(std::uint8_t code) {
  return kALawTable[code];
}

std::vector<std::int16_t> DecodeG711(int codec, const unsigned char* data, int size) {
  if (data == nullptr || size <= 0) return {};
  const std::array<std::int16_t, 256>* table = nullptr;
  if (codec == KMR_CODEC_G711_ULAW) table = &kMuLawTable;
  if (codec == KMR_CODEC_G711_ALAW) table = &kALawTable;
  if (table == nullptr) return {};
  std::vector<std::int16_t> samples(static_cast<std::size_t>(size));
  for (int i = 0; i < size; ++i) samples[i] = (*table)[data[i]];
  return samples;
}

}  // namespace player
