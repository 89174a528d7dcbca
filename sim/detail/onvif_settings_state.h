// What one ONVIF device's settings services hold: its two video encoders, its audio encoder and
// which profiles carry it, the video source's rotation, the imaging settings, the overlays and
// the cell motion configuration. A Set writes here after its answer is out, a Get reads here; a
// factory restore starts it again from the model's table. Network thread only.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/detail/onvif_models.h"
#include "sim/device_config.h"

namespace camsim::detail {

constexpr std::string_view kMainProfile = "main";
constexpr std::string_view kSubProfile = "sub";
constexpr std::string_view kMainEncoder = "video_encoder_main";
constexpr std::string_view kSubEncoder = "video_encoder_sub";
constexpr std::string_view kVideoSource = "video_source";
constexpr std::string_view kAudioSource = "audio_source";
constexpr std::string_view kAudioEncoder = "audio_encoder";
constexpr std::string_view kAnalyticsConfiguration = "analytics";
constexpr std::string_view kMotionModule = "MyCellMotionModule";
constexpr std::string_view kMotionRule = "MyMotionDetectorRule";

struct VideoEncoderState {
  std::string encoding;  // media2's name: H264, H265, MPV4-ES
  PictureSize size;
  int fps = 0;
  int kbps = 0;
  int gov = 0;
  std::string profile;  // H.264: Baseline, Main, High; H.265: Main
  bool cbr = false;
  double quality = kStartQuality;
};

struct AudioEncoderState {
  std::string encoding;  // media2's name
  int sampleRateKhz = 0;
  int bitrateKbps = 0;
};

struct ImagingState {
  std::string backlightMode = "OFF";
  int backlightLevel = 0;
  int brightness = 0;
  int colorSaturation = 0;
  int contrast = 0;
  int sharpness = 0;
  std::string whiteBalance = "AUTO";
  std::optional<double> crGain;  // kept as a manual white balance sets them
  std::optional<double> cbGain;
  std::string irCutFilter;
};

struct OsdState {
  std::string token;
  std::string type;      // Text or Image
  std::string position;  // one of the model's position types
  double x = 0;          // Custom's position, -1 to 1
  double y = 0;
  std::string textType;  // Plain, Date, Time or DateAndTime
  std::string dateFormat;
  std::string timeFormat;
  std::optional<int> fontSize;
  std::string plainText;
  std::string imagePath;
};

struct MotionState {
  int sensitivity = kStartSensitivity;
  int minCount = kStartMinCount;
  int alarmOnDelayMs = kStartAlarmDelayMs;
  int alarmOffDelayMs = kStartAlarmDelayMs;
  std::string activeCells;  // base64 of the PackBits-packed cell bits, as the rule carries them
};

struct OnvifSettingsState {
  VideoEncoderState main;
  VideoEncoderState sub;
  AudioEncoderState audio;
  bool audioInMain = true;
  bool audioInSub = true;
  bool analyticsInMain = true;
  bool rotate = false;  // 180 degrees when on
  ImagingState imaging;
  std::vector<OsdState> osds;
  int osdsCreated = 0;  // numbers the next overlay's token
  MotionState motion;
};

OnvifSettingsState InitialSettingsState(const OnvifSettings& settings);
// The encoder of a token, or of the profile a profile token names; null when there is none.
VideoEncoderState* EncoderOf(OnvifSettingsState& state, std::string_view encoderToken);
std::string_view EncoderOfProfile(std::string_view profileToken);
// Every cell of the model's grid active, in the rule's ActiveCells form.
std::string AllCellsActive(const CameraModel& model);
// Whether text is an ActiveCells value for the grid: base64 of PackBits that unpacks to exactly
// the grid's bits, rounded up to whole bytes.
bool ValidActiveCells(const std::string& text, const CameraModel& model);

}  // namespace camsim::detail
