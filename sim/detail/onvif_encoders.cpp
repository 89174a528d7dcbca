#include "sim/detail/onvif_encoders.h"

#include <algorithm>
#include <vector>

#include "onvif/namespaces.h"
#include "onvif/soap_xml.h"

namespace camsim::detail {
namespace {

using onvif::Attribute;
using onvif::Child;
using onvif::kNsMedia;
using onvif::kNsMedia2;
using onvif::kNsSchema;
using onvif::Text;
using onvif::XmlEscape;

// The first media service names MPEG-4 Visual its own way; H265 it does not know, yet cameras
// that have it write it there all the same.
std::string MediaEncodingName(const std::string& encoding) {
  return encoding == "MPV4-ES" ? "MPEG4" : encoding;
}

std::string Media2EncodingName(const std::string& encoding) {
  return encoding == "MPEG4" ? "MPV4-ES" : encoding;
}

std::string SizeXml(std::string_view name, const PictureSize& size) {
  return Tag(name, Tag("tt:Width", size.width) + Tag("tt:Height", size.height));
}

std::string Quality(double quality) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", quality);
  return text;
}

std::span<const PictureSize> Sizes(const CameraModel& model, std::string_view token) {
  return token == kMainEncoder ? model.mainSizes : model.subSizes;
}

IntRange Kbps(const CameraModel& model, std::string_view token) {
  return token == kMainEncoder ? model.mainKbps : model.subKbps;
}

std::string EncoderJournal(std::string_view token, const VideoEncoderState& encoder) {
  return std::string(token) + " " + encoder.encoding + " " + std::to_string(encoder.size.width) +
         "x" + std::to_string(encoder.size.height) + " fps=" + std::to_string(encoder.fps) +
         " kbps=" + std::to_string(encoder.kbps) + " gov=" + std::to_string(encoder.gov) + " " +
         encoder.profile + " cbr=" + Flag(encoder.cbr);
}

// What in wanted the device's options do not offer; empty when it takes it all.
std::string Unoffered(const OnvifSettings& settings, std::string_view token,
                      const VideoEncoderState& wanted) {
  const CameraModel& model = ModelOf(settings.model);
  const auto encodings = OfferedEncodings(settings);
  if (std::find(encodings.begin(), encodings.end(), wanted.encoding) == encodings.end()) {
    return "the encoder does not offer " + wanted.encoding;
  }
  const auto sizes = Sizes(model, token);
  if (std::none_of(sizes.begin(), sizes.end(), [&](const PictureSize& size) {
        return size.width == wanted.size.width && size.height == wanted.size.height;
      })) {
    return "resolution not offered";
  }
  if (wanted.fps < 1 || wanted.fps > model.maxFps) return "frame rate outside the options";
  if (!Kbps(model, token).Holds(wanted.kbps)) return "bit rate outside the options";
  if (!model.govLength.Holds(wanted.gov)) return "GovLength outside its range";
  const bool profileOffered = wanted.encoding == "H265"
                                  ? wanted.profile == "Main"
                                  : std::find(model.h264Profiles.begin(), model.h264Profiles.end(),
                                              wanted.profile) != model.h264Profiles.end();
  if (!profileOffered) return "profile " + wanted.profile + " not offered";
  if (wanted.cbr && !model.constantBitRate) return "no constant bit rate";
  if (wanted.quality < kQualityRange.min || wanted.quality > kQualityRange.max) {
    return "quality outside its range";
  }
  return {};
}

// Reads one number of a request into *field when the element is there; false when it is there
// and is not a whole number.
bool ReadWhole(const xmlNode* parent, std::string_view name, int* field) {
  const xmlNode* node = Child(parent, kNsSchema, name);
  return node == nullptr || ParseWhole(Text(node), field);
}

// A Set's configuration laid over the encoder's current settings: what it leaves out stays.
// False when a value is not even a number.
bool ReadConfiguration(const xmlNode* configuration, bool media2, VideoEncoderState* wanted) {
  const std::string encoding = Text(Child(configuration, kNsSchema, "Encoding"));
  if (!encoding.empty()) wanted->encoding = Media2EncodingName(encoding);
  const xmlNode* resolution = Child(configuration, kNsSchema, "Resolution");
  bool ok = ReadWhole(resolution, "Width", &wanted->size.width) &&
            ReadWhole(resolution, "Height", &wanted->size.height);
  if (const xmlNode* quality = Child(configuration, kNsSchema, "Quality")) {
    ok = ok && ParseNumber(Text(quality), &wanted->quality);
  }
  const xmlNode* rate = Child(configuration, kNsSchema, "RateControl");
  ok = ok && ReadWhole(rate, "FrameRateLimit", &wanted->fps) &&
       ReadWhole(rate, "BitrateLimit", &wanted->kbps);
  int interval = 1;
  ok = ok && ReadWhole(rate, "EncodingInterval", &interval) && interval == 1;
  if (media2) {
    if (const std::string cbr = Attribute(rate, "ConstantBitRate"); !cbr.empty()) {
      ok = ok && ParseBool(cbr, &wanted->cbr);
    }
    if (const std::string gov = Attribute(configuration, "GovLength"); !gov.empty()) {
      ok = ok && ParseWhole(gov, &wanted->gov);
    }
    if (const std::string profile = Attribute(configuration, "Profile"); !profile.empty()) {
      wanted->profile = profile;
    }
  } else if (const xmlNode* h264 = Child(configuration, kNsSchema, "H264")) {
    ok = ok && ReadWhole(h264, "GovLength", &wanted->gov);
    if (const std::string profile = Text(Child(h264, kNsSchema, "H264Profile")); !profile.empty()) {
      wanted->profile = profile;
    }
  }
  // H.265 has one profile here: media2 may name it, the first media service cannot.
  const bool named = media2 && !Attribute(configuration, "Profile").empty();
  if (wanted->encoding == "H265" && !named) wanted->profile = "Main";
  return ok;
}

SoapAnswer SetEncoder(OnvifContext& context, const xmlNode* request, bool media2) {
  const xmlNode* configuration = Child(request, media2 ? kNsMedia2 : kNsMedia, "Configuration");
  const std::string token = Attribute(configuration, "token");
  VideoEncoderState* encoder = EncoderOf(context.state, token);
  if (encoder == nullptr) {
    return SoapFaultAnswer(token, SoapFault::kSender, "InvalidArgVal", "NoConfig",
                           "the device has no such video encoder configuration");
  }
  VideoEncoderState wanted = *encoder;
  const bool numbers = ReadConfiguration(configuration, media2, &wanted);
  std::string journal = EncoderJournal(token, wanted);
  const std::string problem =
      numbers ? Unoffered(context.device.Config().onvif, token, wanted) : "not a valid value";
  if (!problem.empty()) {
    return SoapFaultAnswer(std::move(journal), SoapFault::kSender, "InvalidArgVal", "ConfigModify",
                           problem);
  }
  SoapAnswer answer;
  answer.journal = std::move(journal);
  answer.body = media2 ? "<tr2:SetVideoEncoderConfigurationResponse/>"
                       : "<trt:SetVideoEncoderConfigurationResponse/>";
  answer.then = [encoder, wanted] { *encoder = wanted; };
  return answer;
}

// The encoder tokens a request's ConfigurationToken and ProfileToken pick (both encoders when it
// names neither); false with a fault in *fault when a token names nothing.
bool PickEncoders(const xmlNode* request, std::string_view ns, std::vector<std::string>* tokens,
                  SoapAnswer* fault) {
  const std::string configuration = Text(Child(request, ns, "ConfigurationToken"));
  const std::string profile = Text(Child(request, ns, "ProfileToken"));
  std::string journal = configuration.empty() ? "" : "ConfigurationToken=" + configuration;
  if (!profile.empty()) journal += (journal.empty() ? "" : " ") + ("ProfileToken=" + profile);
  fault->journal = journal;
  if (!profile.empty() && EncoderOfProfile(profile).empty()) {
    *fault = SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "NoProfile",
                             "the device has no such profile");
    return false;
  }
  if (!configuration.empty() && configuration != kMainEncoder && configuration != kSubEncoder) {
    *fault = SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "NoConfig",
                             "the device has no such video encoder configuration");
    return false;
  }
  if (!configuration.empty()) {
    tokens->push_back(configuration);
  } else if (!profile.empty()) {
    tokens->emplace_back(EncoderOfProfile(profile));
  } else {
    tokens->assign({std::string(kMainEncoder), std::string(kSubEncoder)});
  }
  return true;
}

std::string MediaOptionsXml(const CameraModel& model, std::string_view token) {
  std::string sizes;
  for (const PictureSize& size : Sizes(model, token))
    sizes += SizeXml("tt:ResolutionsAvailable", size);
  std::string profiles;
  for (const std::string_view profile : model.h264Profiles) {
    profiles += Tag("tt:H264ProfilesSupported", std::string(profile));
  }
  const std::string h264 = sizes +
                           RangeTag("tt:GovLengthRange", model.govLength.min, model.govLength.max) +
                           RangeTag("tt:FrameRateRange", 1, model.maxFps) +
                           RangeTag("tt:EncodingIntervalRange", 1, 1) + profiles;
  const IntRange kbps = Kbps(model, token);
  return "<trt:Options>" + RangeTag("tt:QualityRange", kQualityRange.min, kQualityRange.max) +
         Tag("tt:H264", h264) +
         Tag("tt:Extension",
             Tag("tt:H264", h264 + RangeTag("tt:BitrateRange", kbps.min, kbps.max))) +
         "</trt:Options>";
}

std::string Media2OptionsXml(const OnvifSettings& settings, std::string_view token) {
  const CameraModel& model = ModelOf(settings.model);
  std::string rates;
  for (int fps = 1; fps <= model.maxFps; ++fps)
    rates += (fps == 1 ? "" : " ") + std::to_string(fps);
  std::string sizes;
  for (const PictureSize& size : Sizes(model, token))
    sizes += SizeXml("tt:ResolutionsAvailable", size);
  const IntRange kbps = Kbps(model, token);
  std::string xml;
  for (const std::string_view encoding : OfferedEncodings(settings)) {
    std::string profiles = "Main";
    if (encoding == "H264") {
      profiles.clear();
      for (const std::string_view profile : model.h264Profiles) {
        profiles += (profiles.empty() ? "" : " ") + std::string(profile);
      }
    }
    xml += "<tr2:Options GovLengthRange=\"" + std::to_string(model.govLength.min) + " " +
           std::to_string(model.govLength.max) + "\" FrameRatesSupported=\"" + rates +
           "\" ProfilesSupported=\"" + profiles + "\" ConstantBitRateSupported=\"" +
           Flag(model.constantBitRate) + "\">" + Tag("tt:Encoding", std::string(encoding)) +
           RangeTag("tt:QualityRange", kQualityRange.min, kQualityRange.max) + sizes +
           RangeTag("tt:BitrateRange", kbps.min, kbps.max) + "</tr2:Options>";
  }
  return xml;
}

}  // namespace

std::string MediaEncoderXml(std::string_view element, std::string_view token,
                            const VideoEncoderState& encoder) {
  const std::string gov = Tag("tt:GovLength", encoder.gov);
  std::string codecPart;
  if (encoder.encoding == "MPV4-ES") {
    codecPart = Tag("tt:MPEG4", gov + Tag("tt:Mpeg4Profile", std::string("SP")));
  } else if (encoder.encoding == "H264" || encoder.encoding == "H265") {
    codecPart = Tag("tt:H264", gov + Tag("tt:H264Profile", encoder.profile));
  }
  // No multicast in the simulated network: the configuration names none.
  return "<" + std::string(element) + " token=\"" + std::string(token) + "\">" +
         Tag("tt:Name", std::string(token)) + Tag("tt:UseCount", 1) +
         Tag("tt:Encoding", MediaEncodingName(encoder.encoding)) +
         SizeXml("tt:Resolution", encoder.size) + Tag("tt:Quality", Quality(encoder.quality)) +
         Tag("tt:RateControl", Tag("tt:FrameRateLimit", encoder.fps) +
                                   Tag("tt:EncodingInterval", 1) +
                                   Tag("tt:BitrateLimit", encoder.kbps)) +
         codecPart +
         "<tt:Multicast><tt:Address><tt:Type>IPv4</tt:Type><tt:IPv4Address>0.0.0.0"
         "</tt:IPv4Address></tt:Address><tt:Port>0</tt:Port><tt:TTL>0</tt:TTL><tt:AutoStart>false"
         "</tt:AutoStart></tt:Multicast><tt:SessionTimeout>PT60S</tt:SessionTimeout></" +
         std::string(element) + ">";
}

std::string Media2EncoderXml(std::string_view element, std::string_view token,
                             const VideoEncoderState& encoder) {
  return "<" + std::string(element) + " token=\"" + std::string(token) + "\" GovLength=\"" +
         std::to_string(encoder.gov) + "\" Profile=\"" + XmlEscape(encoder.profile) + "\">" +
         Tag("tt:Name", std::string(token)) + Tag("tt:UseCount", 1) +
         Tag("tt:Encoding", encoder.encoding) + SizeXml("tt:Resolution", encoder.size) +
         "<tt:RateControl ConstantBitRate=\"" + Flag(encoder.cbr) + "\">" +
         Tag("tt:FrameRateLimit", encoder.fps) + Tag("tt:BitrateLimit", encoder.kbps) +
         "</tt:RateControl>" + Tag("tt:Quality", Quality(encoder.quality)) + "</" +
         std::string(element) + ">";
}

SoapAnswer MediaGetVideoEncoderConfigurations(OnvifContext& context, const xmlNode*) {
  SoapAnswer answer;
  answer.body = "<trt:GetVideoEncoderConfigurationsResponse>" +
                MediaEncoderXml("trt:Configurations", kMainEncoder, context.state.main) +
                MediaEncoderXml("trt:Configurations", kSubEncoder, context.state.sub) +
                "</trt:GetVideoEncoderConfigurationsResponse>";
  return answer;
}

SoapAnswer MediaGetVideoEncoderConfiguration(OnvifContext& context, const xmlNode* request) {
  const std::string token = Text(Child(request, kNsMedia, "ConfigurationToken"));
  const VideoEncoderState* encoder = EncoderOf(context.state, token);
  if (encoder == nullptr) {
    return SoapFaultAnswer(token, SoapFault::kSender, "InvalidArgVal", "NoConfig",
                           "the device has no such video encoder configuration");
  }
  SoapAnswer answer;
  answer.journal = token;
  answer.body = "<trt:GetVideoEncoderConfigurationResponse>" +
                MediaEncoderXml("trt:Configuration", token, *encoder) +
                "</trt:GetVideoEncoderConfigurationResponse>";
  return answer;
}

SoapAnswer MediaGetVideoEncoderConfigurationOptions(OnvifContext& context, const xmlNode* request) {
  SoapAnswer answer;
  std::vector<std::string> tokens;
  if (!PickEncoders(request, kNsMedia, &tokens, &answer)) return answer;
  // One options element: with no token the main encoder's, the larger of the two.
  answer.body = "<trt:GetVideoEncoderConfigurationOptionsResponse>" +
                MediaOptionsXml(ModelOf(context.device.Config().onvif.model), tokens.front()) +
                "</trt:GetVideoEncoderConfigurationOptionsResponse>";
  return answer;
}

SoapAnswer MediaSetVideoEncoderConfiguration(OnvifContext& context, const xmlNode* request) {
  return SetEncoder(context, request, false);
}

SoapAnswer Media2GetVideoEncoderConfigurations(OnvifContext& context, const xmlNode* request) {
  SoapAnswer answer;
  std::vector<std::string> tokens;
  if (!PickEncoders(request, kNsMedia2, &tokens, &answer)) return answer;
  answer.body = "<tr2:GetVideoEncoderConfigurationsResponse>";
  for (const std::string& token : tokens) {
    answer.body += Media2EncoderXml("tr2:Configurations", token, *EncoderOf(context.state, token));
  }
  answer.body += "</tr2:GetVideoEncoderConfigurationsResponse>";
  return answer;
}

SoapAnswer Media2GetVideoEncoderConfigurationOptions(OnvifContext& context,
                                                     const xmlNode* request) {
  SoapAnswer answer;
  std::vector<std::string> tokens;
  if (!PickEncoders(request, kNsMedia2, &tokens, &answer)) return answer;
  answer.body = "<tr2:GetVideoEncoderConfigurationOptionsResponse>" +
                Media2OptionsXml(context.device.Config().onvif, tokens.front()) +
                "</tr2:GetVideoEncoderConfigurationOptionsResponse>";
  return answer;
}

SoapAnswer Media2SetVideoEncoderConfiguration(OnvifContext& context, const xmlNode* request) {
  return SetEncoder(context, request, true);
}

}  // namespace camsim::detail
