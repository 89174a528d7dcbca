#include "format_block.h"

#include <cstddef>

#include "player_format.h"

namespace player {
namespace {

static_assert(KMR_VIDEO_CONFIG_AT + KMR_VIDEO_CONFIG_MAX == KMR_VIDEO_FORMAT_SIZE);
static_assert(KMR_VIDEO_CONFIG_SIZE_AT + 2 <= KMR_VIDEO_CONFIG_AT);
static_assert(KMR_AUDIO_CHANNELS_AT + 2 <= KMR_AUDIO_FORMAT_SIZE);

// G.711 is an 8 kHz codec; some devices announce a faster clock for the same bytes.
constexpr int kMinAudioRate = 8000;
constexpr int kMaxAudioRate = 48000;
constexpr int kMaxAudioChannels = 2;

constexpr int kNalSps = 7;
constexpr int kNalPps = 8;
constexpr int kHevcNalVps = 32;
constexpr int kHevcNalSps = 33;
constexpr int kHevcNalPps = 34;

int ReadU16(const unsigned char* block, int at) {
  return block[at] | (block[at + 1] << 8);
}

std::uint32_t ReadU32(const unsigned char* block, int at) {
  return static_cast<std::uint32_t>(block[at]) | (static_cast<std::uint32_t>(block[at + 1]) << 8) |
         (static_cast<std::uint32_t>(block[at + 2]) << 16) |
         (static_cast<std::uint32_t>(block[at + 3]) << 24);
}

// The configuration must be Annex B from its first byte and hold every parameter set the codec
// needs (H.264: sequence and picture; H.265: video, sequence and picture): without them no picture
// can be decoded, and a first byte of 1 would make the decoder read it as avcC or hvcC.
bool HoldsParameterSets(int codec, const std::vector<std::uint8_t>& config) {
  const std::size_t size = config.size();
  const bool startsWithCode =
      (size >= 3 && config[0] == 0 && config[1] == 0 && config[2] == 1) ||
      (size >= 4 && config[0] == 0 && config[1] == 0 && config[2] == 0 && config[3] == 1);
  if (!startsWithCode) return false;
  const bool hevc = codec == KMR_CODEC_H265;
  bool vps = !hevc;
  bool sps = false;
  bool pps = false;
  for (std::size_t i = 0; i + 3 < size; ++i) {
    if (config[i] != 0 || config[i + 1] != 0 || config[i + 2] != 1) continue;
    const int type = hevc ? (config[i + 3] >> 1) & 0x3F : config[i + 3] & 0x1F;
    vps = vps || type == kHevcNalVps;
    sps = sps || type == (hevc ? kHevcNalSps : kNalSps);
    pps = pps || type == (hevc ? kHevcNalPps : kNalPps);
  }
  return vps && sps && pps;
}

}  // namespace

std::optional<VideoFormat> ParseVideoFormat(const unsigned char* block, int size) {
  if (block == nullptr || size < KMR_VIDEO_FORMAT_SIZE) return std::nullopt;
  if (ReadU32(block, KMR_VIDEO_MAGIC_AT) != KMR_VIDEO_MAGIC) return std::nullopt;
  const std::uint32_t codec = ReadU32(block, KMR_VIDEO_CODEC_AT);
  if (codec != KMR_CODEC_H264 && codec != KMR_CODEC_H265) return std::nullopt;
  VideoFormat format;
  format.codec = static_cast<int>(codec);
  format.width = ReadU16(block, KMR_VIDEO_WIDTH_AT);
  format.height = ReadU16(block, KMR_VIDEO_HEIGHT_AT);
  format.fps = ReadU16(block, KMR_VIDEO_FPS_AT);
  const int configSize = ReadU16(block, KMR_VIDEO_CONFIG_SIZE_AT);
  if (format.width < kMinSide || format.width > kMaxSide) return std::nullopt;
  if (format.height < kMinSide || format.height > kMaxSide) return std::nullopt;
  if (configSize <= 0 || configSize > KMR_VIDEO_CONFIG_MAX) return std::nullopt;
  format.config.assign(block + KMR_VIDEO_CONFIG_AT, block + KMR_VIDEO_CONFIG_AT + configSize);
  if (!HoldsParameterSets(format.codec, format.config)) return std::nullopt;
  return format;
}

std::optional<AudioFormat> ParseAudioFormat(const unsigned char* block, int size) {
  if (block == nullptr || size < KMR_AUDIO_FORMAT_SIZE) return std::nullopt;
  if (ReadU32(block, KMR_AUDIO_MAGIC_AT) != KMR_AUDIO_MAGIC) return std::nullopt;
  const std::uint32_t codec = ReadU32(block, KMR_AUDIO_CODEC_AT);
  if (codec != KMR_CODEC_G711_ULAW && codec != KMR_CODEC_G711_ALAW) return std::nullopt;
  const std::uint32_t rate = ReadU32(block, KMR_AUDIO_RATE_AT);
  const int channels = ReadU16(block, KMR_AUDIO_CHANNELS_AT);
  if (rate < kMinAudioRate || rate > kMaxAudioRate) return std::nullopt;
  if (channels < 1 || channels > kMaxAudioChannels) return std::nullopt;
  return AudioFormat{static_cast<int>(codec), static_cast<int>(rate), channels};
}

}  // namespace player
