#include "sim/detail/onvif_models.h"

#include <array>

namespace camsim::detail {
namespace {

using std::string_view_literals::operator""sv;

constexpr std::array kEncodingsH264 = {"H264"sv};
constexpr std::array kEncodingsBoth = {"H264"sv, "H265"sv};

constexpr std::array kAudioRate8 = {8};
constexpr std::array kAudioRate8And16 = {8, 16};
constexpr std::array kAudioBitrate64 = {64};
constexpr std::array kAudioBitrateAac = {16, 32, 64};

// A: a 1080p bullet camera.
constexpr std::array<PictureSize, 4> kMainSizesA = {
    {{1920, 1080}, {1280, 720}, {704, 576}, {640, 480}}};
constexpr std::array<PictureSize, 4> kSubSizesA = {
    {{704, 576}, {640, 480}, {352, 288}, {320, 240}}};
constexpr std::array kH264ProfilesA = {"Baseline"sv, "Main"sv, "High"sv};
constexpr std::array kWhiteBalanceA = {"AUTO"sv, "MANUAL"sv};
constexpr std::array kIrCutA = {"ON"sv, "OFF"sv, "AUTO"sv};
constexpr std::array<AudioEncoding, 3> kAudioA = {
    {{"PCMU", kAudioRate8, kAudioBitrate64},
     {"PCMA", kAudioRate8, kAudioBitrate64},
     {"MP4A-LATM", kAudioRate8And16, kAudioBitrateAac}}};
constexpr std::array kPositionsA = {"UpperLeft"sv, "UpperRight"sv, "LowerLeft"sv, "LowerRight"sv,
                                    "Custom"sv};
constexpr std::array kDateFormatsA = {"M/d/yyyy"sv,      "MM/dd/yyyy"sv,   "dd/MM/yyyy"sv,
                                      "yyyy/MM/dd"sv,    "yyyy-MM-dd"sv,   "dddd, MMMM dd, yyyy"sv,
                                      "MMMM dd, yyyy"sv, "dd MMMM, yyyy"sv};
constexpr std::array kTimeFormatsA = {"h:mm:ss tt"sv, "hh:mm:ss tt"sv, "H:mm:ss"sv, "HH:mm:ss"sv};

// B: a 4 MP dome camera.
constexpr std::array<PictureSize, 3> kMainSizesB = {{{2560, 1440}, {1920, 1080}, {1280, 720}}};
constexpr std::array<PictureSize, 3> kSubSizesB = {{{640, 360}, {640, 480}, {320, 240}}};
constexpr std::array kH264ProfilesB = {"Main"sv, "High"sv};
constexpr std::array kWhiteBalanceB = {"AUTO"sv};
constexpr std::array<AudioEncoding, 1> kAudioB = {{{"PCMA", kAudioRate8, kAudioBitrate64}}};
constexpr std::array kPositionsB = {"UpperLeft"sv, "LowerLeft"sv, "Custom"sv};
constexpr std::array kDateFormatsB = {"yyyy-MM-dd"sv, "MM/dd/yyyy"sv, "dd/MM/yyyy"sv};
constexpr std::array kTimeFormatsB = {"HH:mm:ss"sv, "hh:mm:ss tt"sv};

// C: an older 960p box camera.
constexpr std::array<PictureSize, 3> kMainSizesC = {{{1280, 960}, {1280, 720}, {640, 480}}};
constexpr std::array<PictureSize, 2> kSubSizesC = {{{640, 480}, {320, 240}}};
constexpr std::array kH264ProfilesC = {"Baseline"sv};
constexpr std::array kIrCutC = {"ON"sv, "OFF"sv};
constexpr std::array<AudioEncoding, 1> kAudioC = {{{"PCMU", kAudioRate8, kAudioBitrate64}}};

constexpr CameraModel kModelA = {
    .bounds = {1920, 1080},
    .h265 = true,
    .mainSizes = kMainSizesA,
    .subSizes = kSubSizesA,
    .h264Profiles = kH264ProfilesA,
    .govLength = {1, 150},
    .maxFps = 25,
    .mainKbps = {64, 8192},
    .subKbps = {32, 2048},
    .constantBitRate = true,
    .mainStart = {{1920, 1080}, 25, 4096, 50, "Main", false},
    .subStart = {{704, 576}, 25, 512, 50, "Main", false},
    .brightness = {0, 100},
    .colorSaturation = {0, 100},
    .contrast = {0, 100},
    .sharpness = {0, 100},
    .backlightLevel = true,
    .backlightLevelRange = {0, 100},
    .whiteBalanceModes = kWhiteBalanceA,
    .irCutFilterModes = kIrCutA,
    .rotate = true,
    .audio = kAudioA,
    .osd = true,
    .maxOsds = 4,
    .startOsds = true,
    .osdPositions = kPositionsA,
    .dateFormats = kDateFormatsA,
    .timeFormats = kTimeFormatsA,
    .cellColumns = 22,
    .cellRows = 18,
};

constexpr CameraModel kModelB = {
    .bounds = {2560, 1440},
    .h265 = true,
    .mainSizes = kMainSizesB,
    .subSizes = kSubSizesB,
    .h264Profiles = kH264ProfilesB,
    .govLength = {10, 250},
    .maxFps = 30,
    .mainKbps = {256, 16384},
    .subKbps = {64, 4096},
    .constantBitRate = true,
    .mainStart = {{2560, 1440}, 30, 8192, 60, "High", false},
    .subStart = {{640, 360}, 30, 1024, 60, "Main", false},
    .brightness = {0, 255},
    .colorSaturation = {0, 255},
    .contrast = {0, 255},
    .sharpness = {0, 15},
    .backlightLevel = false,
    .backlightLevelRange = {},
    .whiteBalanceModes = kWhiteBalanceB,
    .irCutFilterModes = kIrCutA,
    .rotate = false,
    .audio = kAudioB,
    .osd = true,
    .maxOsds = 3,
    .startOsds = false,
    .osdPositions = kPositionsB,
    .dateFormats = kDateFormatsB,
    .timeFormats = kTimeFormatsB,
    .cellColumns = 16,
    .cellRows = 12,
};

constexpr CameraModel kModelC = {
    .bounds = {1280, 960},
    .h265 = false,
    .mainSizes = kMainSizesC,
    .subSizes = kSubSizesC,
    .h264Profiles = kH264ProfilesC,
    .govLength = {1, 60},
    .maxFps = 15,
    .mainKbps = {32, 4096},
    .subKbps = {32, 1024},
    .constantBitRate = false,
    .mainStart = {{1280, 960}, 15, 2048, 30, "Baseline", false},
    .subStart = {{640, 480}, 15, 512, 30, "Baseline", false},
    .brightness = {0, 10},
    .colorSaturation = {0, 10},
    .contrast = {0, 10},
    .sharpness = {0, 10},
    .backlightLevel = false,
    .backlightLevelRange = {},
    .whiteBalanceModes = kWhiteBalanceA,
    .irCutFilterModes = kIrCutC,
    .rotate = false,
    .audio = kAudioC,
    .osd = false,
    .maxOsds = 0,
    .startOsds = false,
    .osdPositions = {},
    .dateFormats = {},
    .timeFormats = {},
    .cellColumns = 8,
    .cellRows = 6,
};

}  // namespace

const CameraModel& ModelOf(OnvifSettings::Model model) {
  switch (model) {
    case OnvifSettings::Model::kA:
      return kModelA;
    case OnvifSettings::Model::kB:
      return kModelB;
    case OnvifSettings::Model::kC:
      return kModelC;
  }
  return kModelA;
}

std::span<const std::string_view> OfferedEncodings(const OnvifSettings& settings) {
  if (ModelOf(settings.model).h265 && !settings.h264Only) return kEncodingsBoth;
  return kEncodingsH264;
}

bool HasOsd(const OnvifSettings& settings) {
  return settings.osd && ModelOf(settings.model).osd;
}

}  // namespace camsim::detail
