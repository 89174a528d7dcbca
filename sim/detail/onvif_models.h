// The option tables of the camera models the ONVIF face can be (onvif_model=a|b|c): what each
// offers in its encoders, video source, imaging, audio, overlays and cell motion, and the settings
// it starts with. Cameras differ in exactly these tables, so the library meets each shape.
#pragma once

#include <span>
#include <string_view>

#include "sim/device_config.h"

namespace camsim::detail {

struct PictureSize {
  int width = 0;
  int height = 0;
};

struct IntRange {
  int min = 0;
  int max = 0;
  bool Holds(int value) const { return value >= min && value <= max; }
};

struct AudioEncoding {
  std::string_view encoding;  // media2's name: PCMU, PCMA, MP4A-LATM
  std::span<const int> sampleRatesKhz;
  std::span<const int> bitratesKbps;
};

// A video encoder's settings as the model starts with them.
struct EncoderStart {
  PictureSize size;
  int fps = 0;
  int kbps = 0;
  int gov = 0;
  std::string_view h264Profile;
  bool cbr = false;
};

struct CameraModel {
  PictureSize bounds;  // the video source's picture
  bool h265 = false;   // offers H.265 beside H.264 (unless the device is h264_only)
  std::span<const PictureSize> mainSizes;
  std::span<const PictureSize> subSizes;
  std::span<const std::string_view> h264Profiles;
  IntRange govLength;
  int maxFps = 0;  // every whole rate from 1 up to this
  IntRange mainKbps;
  IntRange subKbps;
  bool constantBitRate = false;
  EncoderStart mainStart;
  EncoderStart subStart;
  IntRange brightness;
  IntRange colorSaturation;
  IntRange contrast;
  IntRange sharpness;
  bool backlightLevel = false;  // BacklightCompensation has a Level beside its Mode
  IntRange backlightLevelRange;
  std::span<const std::string_view> whiteBalanceModes;
  std::span<const std::string_view> irCutFilterModes;
  bool rotate = false;                   // the video source turns the picture by 180 degrees
  std::span<const AudioEncoding> audio;  // the first is the one it starts with
  bool osd = false;
  int maxOsds = 0;
  bool startOsds = false;  // starts with a date-and-time, a plain text and an image overlay
  std::span<const std::string_view> osdPositions;
  std::span<const std::string_view> dateFormats;
  std::span<const std::string_view> timeFormats;
  int cellColumns = 0;
  int cellRows = 0;
};

// Every model's quality scale, sensitivity scale and the motion rule's start.
constexpr IntRange kQualityRange = {1, 10};
constexpr int kStartQuality = 5;
constexpr IntRange kSensitivityRange = {0, 100};
constexpr int kStartSensitivity = 50;
constexpr int kStartMinCount = 5;
constexpr int kStartAlarmDelayMs = 1000;
constexpr IntRange kAlarmDelayRangeMs = {0, 10000};
// Overlay font sizes, and the one logo an image overlay can show.
constexpr IntRange kFontSizeRange = {16, 64};
constexpr std::string_view kOsdLogoPath = "/osd/logo.png";

const CameraModel& ModelOf(OnvifSettings::Model model);
// The encodings the device's encoders offer, media2's names: H264, and H265 where the model has
// it and the device is not h264_only.
std::span<const std::string_view> OfferedEncodings(const OnvifSettings& settings);
// Overlays exist on the device: the model has them and the scenario did not take them away.
bool HasOsd(const OnvifSettings& settings);

}  // namespace camsim::detail
