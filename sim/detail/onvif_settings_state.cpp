#include "sim/detail/onvif_settings_state.h"

#include "sim/detail/onvif_soap.h"

namespace camsim::detail {
namespace {

VideoEncoderState StartEncoder(const EncoderStart& start, const std::string& encoding) {
  VideoEncoderState encoder;
  encoder.encoding = encoding;
  encoder.size = start.size;
  encoder.fps = start.fps;
  encoder.kbps = start.kbps;
  encoder.gov = start.gov;
  encoder.profile = encoding == "H264" ? std::string(start.h264Profile) : "Main";
  encoder.cbr = start.cbr;
  return encoder;
}

int Middle(const IntRange& range) {
  return range.min + (range.max - range.min) / 2;
}

// The bytes of a grid with every cell on; the bits past the last cell stay zero.
std::string CellBits(const CameraModel& model) {
  const int cells = model.cellColumns * model.cellRows;
  std::string bits(static_cast<std::size_t>((cells + 7) / 8), '\xFF');
  if (cells % 8 != 0) bits.back() = static_cast<char>(0xFF << (8 - cells % 8));
  return bits;
}

// PackBits: runs of one byte as (1 - length, byte), everything else as (length - 1, bytes).
std::string PackBits(const std::string& bytes) {
  std::string packed;
  std::size_t i = 0;
  while (i < bytes.size()) {
    std::size_t run = 1;
    while (i + run < bytes.size() && run < 128 && bytes[i + run] == bytes[i]) ++run;
    if (run > 1) {
      packed += static_cast<char>(1 - static_cast<int>(run));
      packed += bytes[i];
      i += run;
      continue;
    }
    std::size_t literal = 1;
    while (i + literal < bytes.size() && literal < 128 &&
           (i + literal + 1 >= bytes.size() || bytes[i + literal] != bytes[i + literal + 1])) {
      ++literal;
    }
    packed += static_cast<char>(literal - 1);
    packed.append(bytes, i, literal);
    i += literal;
  }
  return packed;
}

std::optional<std::string> UnpackBits(const std::string& packed, std::size_t limit) {
  std::string bytes;
  std::size_t i = 0;
  while (i < packed.size()) {
    const int header = static_cast<signed char>(packed[i++]);
    if (header >= 0) {
      const auto count = static_cast<std::size_t>(header) + 1;
      if (i + count > packed.size()) return std::nullopt;
      bytes.append(packed, i, count);
      i += count;
    } else if (header != -128) {
      if (i >= packed.size()) return std::nullopt;
      bytes.append(static_cast<std::size_t>(1 - header), packed[i++]);
    }
    if (bytes.size() > limit) return std::nullopt;
  }
  return bytes;
}

}  // namespace

OnvifSettingsState InitialSettingsState(const OnvifSettings& settings) {
  using Codec = OnvifSettings::Codec;
  const CameraModel& model = ModelOf(settings.model);
  OnvifSettingsState state;
  const std::string mainEncoding = settings.mainCodec == Codec::kH265    ? "H265"
                                   : settings.mainCodec == Codec::kMpeg4 ? "MPV4-ES"
                                                                         : "H264";
  state.main = StartEncoder(model.mainStart, mainEncoding);
  if (settings.mainCodec == Codec::kMpeg4) state.main.profile = "Simple";
  state.sub = StartEncoder(model.subStart, "H264");
  state.audio = {std::string(model.audio.front().encoding), model.audio.front().sampleRatesKhz[0],
                 model.audio.front().bitratesKbps[0]};
  state.analyticsInMain = settings.analytics;
  ImagingState& imaging = state.imaging;
  imaging.backlightLevel = model.backlightLevel ? Middle(model.backlightLevelRange) : 0;
  imaging.brightness = Middle(model.brightness);
  imaging.colorSaturation = Middle(model.colorSaturation);
  imaging.contrast = Middle(model.contrast);
  imaging.sharpness = Middle(model.sharpness);
  imaging.whiteBalance = std::string(model.whiteBalanceModes.front());
  // A day-and-night camera starts switching by itself; one without AUTO keeps its filter in.
  imaging.irCutFilter = model.irCutFilterModes.size() > 2 ? "AUTO" : "ON";
  if (HasOsd(settings) && model.startOsds) {
    OsdState date;
    date.type = "Text";
    date.position = "UpperLeft";
    date.textType = "DateAndTime";
    date.dateFormat = std::string(model.dateFormats.front());
    date.timeFormat = std::string(model.timeFormats.back());
    OsdState name;
    name.type = "Text";
    name.position = "LowerRight";
    name.textType = "Plain";
    name.plainText = "CH1";
    OsdState logo;
    logo.type = "Image";
    logo.position = "UpperRight";
    logo.imagePath = std::string(kOsdLogoPath);
    for (OsdState* osd : {&date, &name, &logo}) {
      osd->token = "osd_" + std::to_string(++state.osdsCreated);
      state.osds.push_back(*osd);
    }
  }
  state.motion.activeCells = AllCellsActive(model);
  return state;
}

VideoEncoderState* EncoderOf(OnvifSettingsState& state, std::string_view encoderToken) {
  if (encoderToken == kMainEncoder) return &state.main;
  if (encoderToken == kSubEncoder) return &state.sub;
  return nullptr;
}

std::string_view EncoderOfProfile(std::string_view profileToken) {
  if (profileToken == kMainProfile) return kMainEncoder;
  if (profileToken == kSubProfile) return kSubEncoder;
  return {};
}

std::string AllCellsActive(const CameraModel& model) {
  return EncodeBase64(PackBits(CellBits(model)));
}

bool ValidActiveCells(const std::string& text, const CameraModel& model) {
  const auto packed = DecodeBase64(text);
  const std::size_t size = CellBits(model).size();
  const auto bytes = packed ? UnpackBits(*packed, size) : std::nullopt;
  return bytes && bytes->size() == size;
}

}  // namespace camsim::detail
