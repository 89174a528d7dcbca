// Video capture, time and title, video encoding, audio encoding and motion detection requests.
// Most stored values are list positions that the tables of request_tables.h translate.
#include <cstddef>
#include <cstdint>

#include "config/requests/group_builders.h"
#include "config/requests/request_tables.h"
#include "config/requests/request_writer.h"

namespace config::requests {
namespace {

// The device takes at most 255 hex digits of title, that is 127 whole bytes.
constexpr std::size_t kTitleHexDigits = 255;

// Width of the GBK character that starts at pos: a lead byte 0x81..0xFE with its trail byte is
// one character of two bytes; anything else is a byte of its own.
std::size_t GbkCharacterWidth(const std::string& text, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x81 || lead == 0xFF || pos + 1 >= text.size()) return 1;
  const auto trail = static_cast<unsigned char>(text[pos + 1]);
  return trail >= 0x40 && trail != 0x7F && trail != 0xFF ? 2 : 1;
}

// Every byte as two lowercase hex digits of its unsigned value. A title too long for the device
// is cut before the first character that does not fit whole, so the device never shows half of a
// Chinese character or a stray nibble.
std::string HexTitle(const std::string& title) {
  constexpr char kDigits[] = "0123456789abcdef";
  constexpr std::size_t kMaxBytes = kTitleHexDigits / 2;
  std::size_t end = 0;
  while (end < title.size()) {
    const std::size_t width = GbkCharacterWidth(title, end);
    if (end + width > kMaxBytes) break;
    end += width;
  }
  std::string hex;
  hex.reserve(2 * end);
  for (std::size_t i = 0; i < end; ++i) {
    const auto byte = static_cast<unsigned char>(title[i]);
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0x0F];
  }
  return hex;
}

void SetPosition(TiXmlElement& element, std::int32_t index) {
  const OsdPosition position = TableEntry(kOsdPositions, index, kOsdHidden);
  SetNumber(element, "PosX", position.posX);
  SetNumber(element, "PosY", position.posY);
}

void AppendEncodeConfig(TiXmlElement& encode, const ConfigSet& set, const char* stream,
                        const EncodeStreamFields& fields, const char* resolution) {
  TiXmlElement& config = AppendChild(encode, "EncodeConfig");
  SetText(config, "Stream", stream);
  SetText(config, "Resolution", resolution);
  // Always H264: the page's encode-format choice is kept for the page only.
  SetText(config, "EncodeFormat", "H264");
  SetText(config, "BitRateControl",
          TableEntry(kBitRateControls, set.Get(fields.bitRateControl), kBitRateControlFallback));
  SetNumber(config, "Initquant", set.Get(fields.initquant));
  SetNumber(config, "BitRate", set.Get(fields.bitRate));
  // The page stores the frame rate's list position, one below the rate.
  SetNumber(config, "FrameRate", std::int64_t{set.Get(fields.frameRate)} + 1);
}

}  // namespace

std::string BuildVideoCapture(const ConfigSet& set) {
  TiXmlElement capture("Capture");
  SetNumber(capture, "IrcutMode", set.Get(kVideoCaptureIrcutMode));
  SetNumber(capture, "IrcutKeepColor", set.Get(kVideoCaptureIrcutKeepColor));
  SetNumber(capture, "IrcutSensitivity", set.Get(kVideoCaptureIrcutSensitivity));
  SetTime(capture, "IrcutNightStartTime", set, kVideoCaptureIrcutNightStartTime);
  SetTime(capture, "IrcutNightEndTime", set, kVideoCaptureIrcutNightEndTime);
  SetNumber(capture, "Brightness", set.Get(kVideoCaptureBrightness));
  SetNumber(capture, "Saturation", set.Get(kVideoCaptureSaturation));
  SetNumber(capture, "Sharpness", set.Get(kVideoCaptureSharpness));
  SetNumber(capture, "Contrast", set.Get(kVideoCaptureContrast));
  SetNumber(capture, "BackLight", set.Get(kVideoCaptureBackLight));
  SetNumber(capture, "DayNight", set.Get(kVideoCaptureDayNight));
  SetNumber(capture, "WhiteBalance", set.Get(kVideoCaptureWhiteBalance));
  SetNumber(capture, "Switch2A", set.Get(kVideoCaptureSwitch2A));
  SetNumber(capture, "BinningSkip", set.Get(kVideoCaptureBinningSkip));
  // Stored before DayNight, but the devices expect it here.
  SetNumber(capture, "TVSystem", set.Get(kVideoCaptureTVSystem));
  SetNumber(capture, "HFlip", set.Get(kVideoCaptureHFlip));
  SetNumber(capture, "VFlip", set.Get(kVideoCaptureVFlip));
  // The set holds no picture offsets: both go out empty.
  SetText(capture, "XOffset", "");
  SetText(capture, "YOffset", "");
  return Serialise(capture);
}

std::string BuildTimeTitle(const ConfigSet& set) {
  TiXmlElement overlay("Overlay");
  SetNumber(overlay, "Enable", set.Get(kTimeTitleEnable));
  SetNumber(overlay, "Transparency", set.Get(kTimeTitleTransparency));
  TiXmlElement& time = AppendChild(overlay, "TimeOverlay");
  SetPosition(time, set.Get(kTimeTitleTimePosition));
  SetText(time, "Format",
          TableEntry(kOsdTimeFormats, set.Get(kTimeTitleFormat), kOsdTimeFormatFallback));
  TiXmlElement& title = AppendChild(overlay, "TitleOverlay");
  SetPosition(title, set.Get(kTimeTitleTitlePosition));
  // The device takes the title as hex text of its GBK bytes.
  SetText(title, "Title", HexTitle(set.GetAnsi(kTimeTitleTitle)));
  return Serialise(overlay);
}

std::string BuildVideoEncoding(const ConfigSet& set) {
  TiXmlElement encode("Encode");
  AppendEncodeConfig(encode, set, "1", kVideoEncodeMainStream,
                     TableEntry(kMainStreamResolutions, set.Get(kVideoEncodeMainStream.resolution),
                                kResolutionFallback));
  AppendEncodeConfig(encode, set, "2", kVideoEncodeSubStream,
                     TableEntry(kSubStreamResolutions, set.Get(kVideoEncodeSubStream.resolution),
                                kResolutionFallback));
  TiXmlElement& advance = AppendChild(encode, "AdvanceEncodeConfig");
  SetNumber(advance, "EncodeProfile", set.Get(kVideoEncodeEncodeProfile));
  SetNumber(advance, "DisablePrivateData", set.Get(kVideoEncodeDisablePrivateData));
  return Serialise(encode);
}

std::string BuildAudioEncoding(const ConfigSet& set) {
  TiXmlElement audio("Audio");
  TiXmlElement& encode = AppendChild(audio, "Encode");
  SetNumber(encode, "Enable", set.Get(kAudioEncodeEnable));
  // The device expects the sample rate before the encoding, the reverse of the stored order.
  SetText(encode, "SampleRate",
          TableEntry(kAudioSampleRates, set.Get(kAudioEncodeSampleRate), kAudioSampleRates[0]));
  SetText(encode, "EncodeType",
          TableEntry(kAudioEncodeTypes, set.Get(kAudioEncodeEncodeType), kAudioEncodeTypes[0]));
  SetText(encode, "BitRate",
          TableEntry(kAudioBitRates, set.Get(kAudioEncodeBitRate), kAudioBitRates[0]));
  return Serialise(audio);
}

std::string BuildMotion(const ConfigSet& set) {
  TiXmlElement motion("MotionDetectAlarm");
  SetNumber(motion, "Enable", set.Get(kMotionEnable));
  const MotionGrid grid = TableEntry(kMotionGrids, set.Get(kMotionBlockCount), kMotionGridFallback);
  SetNumber(motion, "BlockCount", std::int64_t{grid.columns} << 16 | grid.rows);
  // All 64 flags go out whatever the grid: cells beyond it keep what the set holds.
  std::string blocks(kMotionBlockFlagCount, '0');
  for (int i = 0; i < kMotionBlockFlagCount; ++i) {
    if (set.Get(MotionBlockFlag(i)) == 1) blocks[static_cast<std::size_t>(i)] = '1';
  }
  SetText(motion, "BlockConfig", blocks);
  SetNumber(motion, "Sensitivity", set.Get(kMotionSensitivity));
  SetNumber(motion, "AlarmThreshold", set.Get(kMotionAlarmThreshold));
  SetNumber(motion, "NightSensitivity", set.Get(kMotionNightSensitivity));
  SetNumber(motion, "NightAlarmThreshold", set.Get(kMotionNightAlarmThreshold));
  SetTime(motion, "NightStartTime", set, kMotionNightStartTime);
  SetTime(motion, "NightEndTime", set, kMotionNightEndTime);
  SetNumber(motion, "DayNightSwitch", set.Get(kMotionDayNightSwitch));

  TiXmlElement& schedule = AppendChild(motion, "EnableTimeList");
  for (int d = 0; d < kMotionDayCount; ++d) {
    const MotionDayFields day = MotionDay(d);
    if (set.Get(day.enabled) == 0) continue;
    TiXmlElement& workday = AppendChild(schedule, "Workday");
    SetNumber(workday, "Day", kMotionWorkdays[static_cast<std::size_t>(d)]);
    TiXmlElement& span = AppendChild(workday, "TimeSpan");
    SetTime(span, "StartTime", set, day.startTime);
    SetTime(span, "EndTime", set, day.endTime);
  }
  return Serialise(motion);
}

}  // namespace config::requests
