#include "sim/detail/onvif_imaging.h"

#include <algorithm>
#include <cmath>

#include "onvif/namespaces.h"
#include "onvif/soap_xml.h"

namespace camsim::detail {
namespace {

using onvif::Child;
using onvif::kNsImaging;
using onvif::kNsSchema;
using onvif::Text;

// A manual white balance's gains.
constexpr IntRange kGainRange = {0, 255};

bool Offered(std::span<const std::string_view> modes, const std::string& mode) {
  return std::find(modes.begin(), modes.end(), mode) != modes.end();
}

std::string Modes(std::string_view name, std::span<const std::string_view> modes) {
  std::string xml;
  for (const std::string_view mode : modes) xml += Tag(name, std::string(mode));
  return xml;
}

std::string Gain(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// Reads the number of child name into *field when it is there: false when it is not a number
// in range, and then *problem says which.
bool ReadLevel(const xmlNode* parent, const char* name, const IntRange& range, int* field,
               std::string* problem) {
  const xmlNode* node = Child(parent, kNsSchema, name);
  if (node == nullptr) return true;
  double value = 0;
  if (!ParseNumber(Text(node), &value) || value < range.min || value > range.max) {
    *problem = std::string(name) + " outside " + std::to_string(range.min) + ".." +
               std::to_string(range.max);
    return false;
  }
  *field = static_cast<int>(std::lround(value));
  return true;
}

bool ReadGain(const xmlNode* parent, const char* name, std::optional<double>* field,
              std::string* problem) {
  const xmlNode* node = Child(parent, kNsSchema, name);
  if (node == nullptr) return true;
  double value = 0;
  if (!ParseNumber(Text(node), &value) || !(value >= kGainRange.min && value <= kGainRange.max)) {
    *problem = std::string(name) + " outside its range";
    return false;
  }
  *field = value;
  return true;
}

std::string ImagingJournal(const std::string& token, const ImagingState& imaging) {
  return token + " Backlight=" + imaging.backlightMode + "/" +
         std::to_string(imaging.backlightLevel) +
         " Brightness=" + std::to_string(imaging.brightness) +
         " ColorSaturation=" + std::to_string(imaging.colorSaturation) +
         " Contrast=" + std::to_string(imaging.contrast) +
         " Sharpness=" + std::to_string(imaging.sharpness) +
         " WhiteBalance=" + imaging.whiteBalance + " IrCutFilter=" + imaging.irCutFilter;
}

// What the request's settings make of the current ones; empty *problem when all is offered.
ImagingState ReadSettings(const xmlNode* settings, const CameraModel& model,
                          const ImagingState& current, std::string* problem) {
  ImagingState wanted = current;
  if (const xmlNode* backlight = Child(settings, kNsSchema, "BacklightCompensation")) {
    const std::string mode = Text(Child(backlight, kNsSchema, "Mode"));
    if (mode != "ON" && mode != "OFF") {
      *problem = "BacklightCompensation Mode is ON or OFF";
    } else {
      wanted.backlightMode = mode;
    }
    if (!model.backlightLevel && Child(backlight, kNsSchema, "Level") != nullptr) {
      *problem = "BacklightCompensation has no Level";
    } else if (model.backlightLevel) {
      ReadLevel(backlight, "Level", model.backlightLevelRange, &wanted.backlightLevel, problem);
    }
  }
  ReadLevel(settings, "Brightness", model.brightness, &wanted.brightness, problem);
  ReadLevel(settings, "ColorSaturation", model.colorSaturation, &wanted.colorSaturation, problem);
  ReadLevel(settings, "Contrast", model.contrast, &wanted.contrast, problem);
  ReadLevel(settings, "Sharpness", model.sharpness, &wanted.sharpness, problem);
  if (const xmlNode* filter = Child(settings, kNsSchema, "IrCutFilter")) {
    wanted.irCutFilter = Text(filter);
    if (!Offered(model.irCutFilterModes, wanted.irCutFilter)) *problem = "IrCutFilter not offered";
  }
  if (const xmlNode* balance = Child(settings, kNsSchema, "WhiteBalance")) {
    wanted.whiteBalance = Text(Child(balance, kNsSchema, "Mode"));
    if (!Offered(model.whiteBalanceModes, wanted.whiteBalance)) {
      *problem = "WhiteBalance mode not offered";
    }
    ReadGain(balance, "CrGain", &wanted.crGain, problem);
    ReadGain(balance, "CbGain", &wanted.cbGain, problem);
  }
  return wanted;
}

}  // namespace

std::string ImagingServiceCapabilities() {
  return "<timg:Capabilities ImageStabilization=\"false\" Presets=\"false\" "
         "AdaptablePreset=\"false\"/>";
}

SoapAnswer ImagingGetServiceCapabilities(OnvifContext&, const xmlNode*) {
  SoapAnswer answer;
  answer.body = "<timg:GetServiceCapabilitiesResponse>" + ImagingServiceCapabilities() +
                "</timg:GetServiceCapabilitiesResponse>";
  return answer;
}

SoapAnswer GetImagingSettings(OnvifContext& context, const xmlNode* request) {
  const std::string token = Text(Child(request, kNsImaging, "VideoSourceToken"));
  if (token != kVideoSource) {
    return SoapFaultAnswer(token, SoapFault::kSender, "InvalidArgVal", "NoSource",
                           "the device has no such video source");
  }
  const CameraModel& model = ModelOf(context.device.Config().onvif.model);
  const ImagingState& imaging = context.state.imaging;
  std::string balance = Tag("tt:Mode", imaging.whiteBalance);
  if (imaging.crGain) balance += Tag("tt:CrGain", Gain(*imaging.crGain));
  if (imaging.cbGain) balance += Tag("tt:CbGain", Gain(*imaging.cbGain));
  SoapAnswer answer;
  answer.journal = token;
  answer.body = "<timg:GetImagingSettingsResponse><timg:ImagingSettings>" +
                Tag("tt:BacklightCompensation",
                    Tag("tt:Mode", imaging.backlightMode) +
                        (model.backlightLevel ? Tag("tt:Level", imaging.backlightLevel) : "")) +
                Tag("tt:Brightness", imaging.brightness) +
                Tag("tt:ColorSaturation", imaging.colorSaturation) +
                Tag("tt:Contrast", imaging.contrast) + Tag("tt:IrCutFilter", imaging.irCutFilter) +
                Tag("tt:Sharpness", imaging.sharpness) + Tag("tt:WhiteBalance", balance) +
                "</timg:ImagingSettings></timg:GetImagingSettingsResponse>";
  return answer;
}

SoapAnswer ImagingGetOptions(OnvifContext& context, const xmlNode* request) {
  const std::string token = Text(Child(request, kNsImaging, "VideoSourceToken"));
  if (token != kVideoSource) {
    return SoapFaultAnswer(token, SoapFault::kSender, "InvalidArgVal", "NoSource",
                           "the device has no such video source");
  }
  const CameraModel& model = ModelOf(context.device.Config().onvif.model);
  const bool manual = Offered(model.whiteBalanceModes, "MANUAL");
  SoapAnswer answer;
  answer.journal = token;
  answer.body =
      "<timg:GetOptionsResponse><timg:ImagingOptions>" +
      Tag("tt:BacklightCompensation",
          "<tt:Mode>OFF</tt:Mode><tt:Mode>ON</tt:Mode>" +
              (model.backlightLevel ? RangeTag("tt:Level", model.backlightLevelRange.min,
                                               model.backlightLevelRange.max)
                                    : "")) +
      RangeTag("tt:Brightness", model.brightness.min, model.brightness.max) +
      RangeTag("tt:ColorSaturation", model.colorSaturation.min, model.colorSaturation.max) +
      RangeTag("tt:Contrast", model.contrast.min, model.contrast.max) +
      Modes("tt:IrCutFilterModes", model.irCutFilterModes) +
      RangeTag("tt:Sharpness", model.sharpness.min, model.sharpness.max) +
      Tag("tt:WhiteBalance", Modes("tt:Mode", model.whiteBalanceModes) +
                                 (manual ? RangeTag("tt:YrGain", kGainRange.min, kGainRange.max) +
                                               RangeTag("tt:YbGain", kGainRange.min, kGainRange.max)
                                         : "")) +
      "</timg:ImagingOptions></timg:GetOptionsResponse>";
  return answer;
}

SoapAnswer SetImagingSettings(OnvifContext& context, const xmlNode* request) {
  const std::string token = Text(Child(request, kNsImaging, "VideoSourceToken"));
  const CameraModel& model = ModelOf(context.device.Config().onvif.model);
  std::string problem;
  const ImagingState wanted = ReadSettings(Child(request, kNsImaging, "ImagingSettings"), model,
                                           context.state.imaging, &problem);
  std::string journal = ImagingJournal(token, wanted);
  if (token != kVideoSource) {
    return SoapFaultAnswer(std::move(journal), SoapFault::kSender, "InvalidArgVal", "NoSource",
                           "the device has no such video source");
  }
  if (!problem.empty()) {
    return SoapFaultAnswer(std::move(journal), SoapFault::kSender, "InvalidArgVal",
                           "SettingsInvalid", problem);
  }
  SoapAnswer answer;
  answer.journal = std::move(journal);
  answer.body = "<timg:SetImagingSettingsResponse/>";
  answer.then = [&state = context.state, wanted] { state.imaging = wanted; };
  return answer;
}

}  // namespace camsim::detail
