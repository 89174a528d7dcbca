#include "sim/detail/onvif_sources.h"

#include "onvif/namespaces.h"
#include "onvif/soap_xml.h"

namespace camsim::detail {
namespace {

using onvif::Attribute;
using onvif::Child;
using onvif::kNsMedia2;
using onvif::kNsSchema;
using onvif::Text;

constexpr int kRotateDegrees = 180;

std::string Rotate(bool on) {
  return "<tt:Extension><tt:Rotate><tt:Mode>" + std::string(on ? "ON" : "OFF") + "</tt:Mode>" +
         (on ? Tag("tt:Degree", kRotateDegrees) : "") + "</tt:Rotate></tt:Extension>";
}

// True when the bounds, if given, are the whole picture: the only bounds the source offers.
bool WholePicture(const xmlNode* bounds, const PictureSize& picture) {
  if (bounds == nullptr) return true;
  int x = 0, y = 0, width = 0, height = 0;
  return ParseWhole(Attribute(bounds, "x"), &x) && ParseWhole(Attribute(bounds, "y"), &y) &&
         ParseWhole(Attribute(bounds, "width"), &width) &&
         ParseWhole(Attribute(bounds, "height"), &height) && x == 0 && y == 0 &&
         width == picture.width && height == picture.height;
}

}  // namespace

std::string VideoSourceConfigurationXml(std::string_view element, const OnvifContext& context) {
  const CameraModel& model = ModelOf(context.device.Config().onvif.model);
  return "<" + std::string(element) + " token=\"" + std::string(kVideoSource) + "\">" +
         Tag("tt:Name", std::string(kVideoSource)) + Tag("tt:UseCount", 2) +
         Tag("tt:SourceToken", std::string(kVideoSource)) + "<tt:Bounds x=\"0\" y=\"0\" width=\"" +
         std::to_string(model.bounds.width) + "\" height=\"" + std::to_string(model.bounds.height) +
         "\"/>" + (model.rotate ? Rotate(context.state.rotate) : "") + "</" + std::string(element) +
         ">";
}

SoapAnswer MediaGetVideoSources(OnvifContext& context, const xmlNode*) {
  const CameraModel& model = ModelOf(context.device.Config().onvif.model);
  SoapAnswer answer;
  answer.body = "<trt:GetVideoSourcesResponse><trt:VideoSources token=\"" +
                std::string(kVideoSource) + "\">" + Tag("tt:Framerate", model.maxFps) +
                Tag("tt:Resolution",
                    Tag("tt:Width", model.bounds.width) + Tag("tt:Height", model.bounds.height)) +
                "</trt:VideoSources></trt:GetVideoSourcesResponse>";
  return answer;
}

SoapAnswer MediaGetVideoSourceConfigurations(OnvifContext& context, const xmlNode*) {
  SoapAnswer answer;
  answer.body = "<trt:GetVideoSourceConfigurationsResponse>" +
                VideoSourceConfigurationXml("trt:Configurations", context) +
                "</trt:GetVideoSourceConfigurationsResponse>";
  return answer;
}

SoapAnswer Media2GetVideoSourceConfigurations(OnvifContext& context, const xmlNode* request) {
  const std::string configuration = Text(Child(request, kNsMedia2, "ConfigurationToken"));
  const std::string profile = Text(Child(request, kNsMedia2, "ProfileToken"));
  const std::string journal = configuration + (profile.empty() ? "" : " profile=" + profile);
  if (!configuration.empty() && configuration != kVideoSource) {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "NoConfig",
                           "the device has no such video source configuration");
  }
  if (!profile.empty() && EncoderOfProfile(profile).empty()) {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "NoProfile",
                           "the device has no such profile");
  }
  SoapAnswer answer;
  answer.journal = journal;
  answer.body = "<tr2:GetVideoSourceConfigurationsResponse>" +
                VideoSourceConfigurationXml("tr2:Configurations", context) +
                "</tr2:GetVideoSourceConfigurationsResponse>";
  return answer;
}

SoapAnswer Media2GetVideoSourceConfigurationOptions(OnvifContext& context, const xmlNode* request) {
  const CameraModel& model = ModelOf(context.device.Config().onvif.model);
  const std::string configuration = Text(Child(request, kNsMedia2, "ConfigurationToken"));
  const std::string profile = Text(Child(request, kNsMedia2, "ProfileToken"));
  const std::string journal = configuration + (profile.empty() ? "" : " profile=" + profile);
  if ((!configuration.empty() && configuration != kVideoSource) ||
      (!profile.empty() && EncoderOfProfile(profile).empty())) {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "NoConfig",
                           "the device has no such configuration or profile");
  }
  SoapAnswer answer;
  answer.journal = journal;
  answer.body =
      "<tr2:GetVideoSourceConfigurationOptionsResponse><tr2:Options MaximumNumberOfProfiles=\"2\">"
      "<tt:BoundsRange>" +
      RangeTag("tt:XRange", 0, 0) + RangeTag("tt:YRange", 0, 0) +
      RangeTag("tt:WidthRange", model.bounds.width, model.bounds.width) +
      RangeTag("tt:HeightRange", model.bounds.height, model.bounds.height) + "</tt:BoundsRange>" +
      Tag("tt:VideoSourceTokensAvailable", std::string(kVideoSource)) +
      (model.rotate
           ? "<tt:Extension><tt:Rotate><tt:Mode>OFF</tt:Mode><tt:Mode>ON</tt:Mode>"
             "<tt:DegreeList>" +
                 Tag("tt:Items", kRotateDegrees) + "</tt:DegreeList></tt:Rotate></tt:Extension>"
           : "") +
      "</tr2:Options></tr2:GetVideoSourceConfigurationOptionsResponse>";
  return answer;
}

SoapAnswer Media2SetVideoSourceConfiguration(OnvifContext& context, const xmlNode* request) {
  const CameraModel& model = ModelOf(context.device.Config().onvif.model);
  const xmlNode* configuration = Child(request, kNsMedia2, "Configuration");
  const std::string token = Attribute(configuration, "token");
  const std::string source = Text(Child(configuration, kNsSchema, "SourceToken"));
  const xmlNode* rotate = Child(Child(configuration, kNsSchema, "Extension"), kNsSchema, "Rotate");
  const std::string mode = rotate != nullptr ? Text(Child(rotate, kNsSchema, "Mode")) : "";
  const std::string degree = Text(Child(rotate, kNsSchema, "Degree"));
  const bool on = rotate != nullptr ? mode == "ON" : context.state.rotate;
  const std::string journal = token + " " + std::to_string(model.bounds.width) + "x" +
                              std::to_string(model.bounds.height) + " rotate=" +
                              (rotate != nullptr ? mode
                               : on              ? "ON"
                                                 : "OFF") +
                              (degree.empty() ? "" : " " + degree);
  if (token != kVideoSource || (!source.empty() && source != kVideoSource)) {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "NoConfig",
                           "the device has no such video source configuration");
  }
  const char* problem = nullptr;
  if (!WholePicture(Child(configuration, kNsSchema, "Bounds"), model.bounds)) {
    problem = "the bounds are the whole picture";
  } else if (rotate != nullptr && mode != "ON" && mode != "OFF") {
    problem = "Rotate Mode is ON or OFF";
  } else if (on && !model.rotate) {
    problem = "the video source does not rotate";
  } else if (rotate != nullptr && on && !degree.empty() &&
             degree != std::to_string(kRotateDegrees)) {
    problem = "the video source turns by 180 degrees only";
  }
  if (problem != nullptr) {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "ConfigModify", problem);
  }
  SoapAnswer answer;
  answer.journal = journal;
  answer.body = "<tr2:SetVideoSourceConfigurationResponse/>";
  answer.then = [&state = context.state, on] { state.rotate = on; };
  return answer;
}

}  // namespace camsim::detail
