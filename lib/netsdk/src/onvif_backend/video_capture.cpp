#include "onvif_backend/video_capture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "onvif/namespaces.h"
#include "onvif/soap_xml.h"
#include "onvif_backend/config_document.h"
#include "onvif_backend/media_messages.h"

namespace netsdk::onvif_backend {
namespace {

using onvif::Child;
using onvif::kNsImaging;
using onvif::kNsMedia2;
using onvif::kNsSchema;
using onvif::Text;
using onvif::XmlEscape;

constexpr int kMaxLevel = 255;
constexpr int kIrCutManual = 3;
constexpr int kRotateDegrees = 180;

std::string Decimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

bool Offered(const std::vector<std::string>& modes, const std::string& mode) {
  return std::find(modes.begin(), modes.end(), mode) != modes.end();
}

ImagingOptions ReadImagingOptions(const xmlNode* body) {
  const xmlNode* options = onvif::Find(body, kNsImaging, "ImagingOptions");
  ImagingOptions read;
  read.brightness = ReadRange(Child(options, kNsSchema, "Brightness"));
  read.saturation = ReadRange(Child(options, kNsSchema, "ColorSaturation"));
  read.contrast = ReadRange(Child(options, kNsSchema, "Contrast"));
  read.sharpness = ReadRange(Child(options, kNsSchema, "Sharpness"));
  const xmlNode* backlight = Child(options, kNsSchema, "BacklightCompensation");
  read.backlightModes = SchemaTexts(backlight, "Mode");
  read.backlightLevel = ReadRange(Child(backlight, kNsSchema, "Level"));
  read.whiteBalanceModes = SchemaTexts(Child(options, kNsSchema, "WhiteBalance"), "Mode");
  read.irCutModes = SchemaTexts(options, "IrCutFilterModes");
  return read;
}

// The video source configuration as read, written back with its rotation.
struct VideoSourceConfig {
  std::string token;
  std::string name;
  int useCount = 1;
  std::string sourceToken;
  std::string bounds;  // the Bounds attributes as read
};

std::optional<VideoSourceConfig> ReadFirstSource(std::string_view ns, const xmlNode* body) {
  const xmlNode* node = onvif::Find(body, ns, "Configurations");
  VideoSourceConfig config;
  config.token = onvif::Attribute(node, "token");
  config.sourceToken = Text(Child(node, kNsSchema, "SourceToken"));
  if (config.token.empty() || config.sourceToken.empty()) return std::nullopt;
  config.name = Text(Child(node, kNsSchema, "Name"));
  config.useCount = static_cast<int>(SchemaNumber(node, "UseCount").value_or(1));
  const xmlNode* bounds = Child(node, kNsSchema, "Bounds");
  for (const char* attribute : {"x", "y", "width", "height"}) {
    config.bounds += std::string(" ") + attribute + "=\"" +
                     XmlEscape(onvif::Attribute(bounds, attribute)) + "\"";
  }
  return config;
}

struct Orientation {
  bool rotate = false;  // 180 degrees
  bool mirror = false;  // horizontal, after the rotation
};

// A horizontal flip is a mirror, a vertical one a half turn and a mirror, both a half turn.
Orientation OrientationOf(const CaptureRequest& request) {
  return {request.vFlip, request.hFlip != request.vFlip};
}

std::string SetSourceBody(const VideoSourceConfig& config, const Orientation& orientation,
                          bool mirrorOffered) {
  const std::string mirror =
      mirrorOffered ? std::string(" Mirror=\"") + (orientation.mirror ? "true" : "false") + "\""
                    : std::string();
  return "<tr2:SetVideoSourceConfiguration><tr2:Configuration token=\"" + XmlEscape(config.token) +
         "\"><tt:Name>" + XmlEscape(config.name) + "</tt:Name><tt:UseCount>" +
         std::to_string(config.useCount) + "</tt:UseCount><tt:SourceToken>" +
         XmlEscape(config.sourceToken) + "</tt:SourceToken><tt:Bounds" + config.bounds +
         "/><tt:Extension><tt:Rotate" + mirror + "><tt:Mode>" +
         (orientation.rotate ? "ON" : "OFF") + "</tt:Mode>" +
         (orientation.rotate ? "<tt:Degree>" + std::to_string(kRotateDegrees) + "</tt:Degree>"
                             : std::string()) +
         "</tt:Rotate></tt:Extension></tr2:Configuration></tr2:SetVideoSourceConfiguration>";
}

int IntOf(const Attributes& attributes, const char* name) {
  return std::atoi(Value(attributes, name).c_str());
}

}  // namespace

std::optional<CaptureRequest> ReadCaptureRequest(const std::string& gbkDocument) {
  const std::optional<ConfigDocument> document = ReadConfigDocument(gbkDocument, "Capture");
  if (!document) return std::nullopt;
  const Attributes& a = document->root;
  CaptureRequest request;
  request.ircutMode = IntOf(a, "IrcutMode");
  request.dayNight = IntOf(a, "DayNight");
  request.brightness = IntOf(a, "Brightness");
  request.saturation = IntOf(a, "Saturation");
  request.sharpness = IntOf(a, "Sharpness");
  request.contrast = IntOf(a, "Contrast");
  request.backLight = IntOf(a, "BackLight");
  request.whiteBalance = IntOf(a, "WhiteBalance");
  request.hFlip = IntOf(a, "HFlip") == 1;
  request.vFlip = IntOf(a, "VFlip") == 1;
  return request;
}

double ScaleLevel(int level, const Range& range) {
  const double fraction = static_cast<double>(std::clamp(level, 0, kMaxLevel)) / kMaxLevel;
  return range.Clamp(std::round(range.min + fraction * (range.max - range.min)));
}

std::optional<std::string> ImagingSettingsXml(const CaptureRequest& request,
                                              const ImagingOptions& options, std::string* reason) {
  auto mode = [reason](const std::vector<std::string>& offered, const std::string& wanted,
                       const char* what) -> std::optional<std::string> {
    if (Offered(offered, wanted)) return wanted;
    *reason = std::string(what) + " " + wanted + " is not offered";
    return std::nullopt;
  };
  std::string xml = "<timg:ImagingSettings>";
  // In the schema's order: backlight, brightness, saturation, contrast, IR cut, sharpness, white
  // balance; a setting the device does not have is left out.
  if (!options.backlightModes.empty()) {
    const auto backlight = mode(options.backlightModes, request.backLight > 0 ? "ON" : "OFF",
                                "backlight compensation");
    if (!backlight) return std::nullopt;
    xml += "<tt:BacklightCompensation><tt:Mode>" + *backlight + "</tt:Mode>";
    if (request.backLight > 0 && options.backlightLevel) {
      xml += "<tt:Level>" + Decimal(ScaleLevel(request.backLight, *options.backlightLevel)) +
             "</tt:Level>";
    }
    xml += "</tt:BacklightCompensation>";
  }
  auto level = [&xml](const char* name, int value, const std::optional<Range>& range) {
    if (range) {
      xml += std::string("<tt:") + name + ">" + Decimal(ScaleLevel(value, *range)) +
             "</tt:" + name + ">";
    }
  };
  level("Brightness", request.brightness, options.brightness);
  level("ColorSaturation", request.saturation, options.saturation);
  level("Contrast", request.contrast, options.contrast);
  if (!options.irCutModes.empty()) {
    // The filter is on by day; the modes that switch by themselves are the device's AUTO.
    const std::string wanted =
        request.ircutMode == kIrCutManual ? (request.dayNight == 1 ? "ON" : "OFF") : "AUTO";
    const auto irCut = mode(options.irCutModes, wanted, "IR-cut filter mode");
    if (!irCut) return std::nullopt;
    xml += "<tt:IrCutFilter>" + *irCut + "</tt:IrCutFilter>";
  }
  level("Sharpness", request.sharpness, options.sharpness);
  if (!options.whiteBalanceModes.empty()) {
    // Indoor and outdoor presets have no ONVIF name: a fixed balance is the device's MANUAL.
    const auto balance = mode(options.whiteBalanceModes,
                              request.whiteBalance == 0 ? "AUTO" : "MANUAL", "white balance");
    if (!balance) return std::nullopt;
    xml += "<tt:WhiteBalance><tt:Mode>" + *balance + "</tt:Mode></tt:WhiteBalance>";
  }
  return xml + "</timg:ImagingSettings>";
}

asio::awaitable<GroupOutcome> PushVideoCapture(const ServiceCalls& calls,
                                               const CaptureRequest& request) {
  if (!calls.Offers(kNsImaging))
    co_return GroupOutcome::Failed("the device has no imaging service");
  const bool media2 = calls.Offers(kNsMedia2);
  const std::string_view ns = media2 ? kNsMedia2 : onvif::kNsMedia;
  const CallResult sources = co_await calls.Call(
      ns, "GetVideoSourceConfigurations",
      media2 ? "<tr2:GetVideoSourceConfigurations/>" : "<trt:GetVideoSourceConfigurations/>");
  const std::optional<VideoSourceConfig> source =
      sources.Ok() ? ReadFirstSource(media2 ? kNsMedia2 : onvif::kNsMedia, sources.Body())
                   : std::nullopt;
  if (!source) co_return GroupOutcome::Failed(Reason("GetVideoSourceConfigurations", sources));

  const CallResult offered = co_await calls.Call(kNsImaging, "GetOptions",
                                                 "<timg:GetOptions><timg:VideoSourceToken>" +
                                                     XmlEscape(source->sourceToken) +
                                                     "</timg:VideoSourceToken></timg:GetOptions>");
  if (!offered.Ok()) co_return GroupOutcome::Failed(Reason("GetOptions", offered));
  std::string reason;
  const std::optional<std::string> settings =
      ImagingSettingsXml(request, ReadImagingOptions(offered.Body()), &reason);
  if (!settings) co_return GroupOutcome::Failed(reason);

  // The rotation's options are read before anything is set, so that a flip the device cannot do
  // fails the group with the device as it was.
  const Orientation orientation = OrientationOf(request);
  const bool turned = orientation.rotate || orientation.mirror;
  bool rotationOffered = false;
  bool mirrorOffered = false;
  if (media2) {
    const CallResult rotation = co_await calls.Call(
        kNsMedia2, "GetVideoSourceConfigurationOptions",
        "<tr2:GetVideoSourceConfigurationOptions><tr2:ConfigurationToken>" +
            XmlEscape(source->token) +
            "</tr2:ConfigurationToken></tr2:GetVideoSourceConfigurationOptions>");
    if (!rotation.Ok()) {
      co_return GroupOutcome::Failed(Reason("GetVideoSourceConfigurationOptions", rotation));
    }
    const xmlNode* rotate = onvif::Find(rotation.Body(), kNsSchema, "Rotate");
    const std::vector<std::string> modes = SchemaTexts(rotate, "Mode");
    rotationOffered = Offered(modes, "ON") && Offered(modes, "OFF");
    mirrorOffered = ReadBoolean(onvif::Attribute(rotate, "Mirror")).value_or(false);
  }
  if (turned && !rotationOffered) co_return GroupOutcome::Failed("rotation is not offered");
  if (orientation.mirror && !mirrorOffered)
    co_return GroupOutcome::Failed("a mirror is not offered");

  const CallResult set = co_await calls.Call(
      kNsImaging, "SetImagingSettings",
      "<timg:SetImagingSettings><timg:VideoSourceToken>" + XmlEscape(source->sourceToken) +
          "</timg:VideoSourceToken>" + *settings +
          "<timg:ForcePersistence>true</timg:ForcePersistence></timg:SetImagingSettings>");
  if (!set.Ok()) co_return GroupOutcome::Failed(Reason("SetImagingSettings", set));
  if (rotationOffered) {
    const CallResult turn = co_await calls.Call(kNsMedia2, "SetVideoSourceConfiguration",
                                                SetSourceBody(*source, orientation, mirrorOffered));
    if (!turn.Ok()) co_return GroupOutcome::Failed(Reason("SetVideoSourceConfiguration", turn));
  }
  co_return GroupOutcome::Carried();
}

}  // namespace netsdk::onvif_backend
