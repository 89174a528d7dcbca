#include "onvif_backend/video_encoder_messages.h"

#include <cctype>
#include <cstdio>

#include "onvif/namespaces.h"
#include "onvif/soap_xml.h"
#include "onvif_backend/text_encoding.h"

namespace netsdk::onvif_backend {
namespace {

using onvif::Attribute;
using onvif::Child;
using onvif::kNsSchema;
using onvif::Text;
using onvif::XmlEscape;

std::string Decimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string Element(const char* name, const std::string& value) {
  return std::string("<tt:") + name + ">" + value + "</tt:" + name + ">";
}

int IntOr(const std::optional<double>& value, int fallback) {
  return value ? static_cast<int>(*value) : fallback;
}

std::optional<VideoSize> ReadSize(const xmlNode* resolution) {
  const std::optional<double> width = SchemaNumber(resolution, "Width");
  const std::optional<double> height = SchemaNumber(resolution, "Height");
  if (!width || !height || *width <= 0 || *height <= 0) return std::nullopt;
  return VideoSize{static_cast<int>(*width), static_cast<int>(*height)};
}

std::vector<VideoSize> ReadSizes(const xmlNode* parent) {
  std::vector<VideoSize> sizes;
  for (const xmlNode* node : onvif::FindAll(parent, kNsSchema, "ResolutionsAvailable")) {
    if (const auto size = ReadSize(node)) sizes.push_back(*size);
  }
  return sizes;
}

std::optional<H264Options> ReadMedia2Options(const xmlNode* body) {
  for (const xmlNode* options : onvif::FindAll(body, onvif::kNsMedia2, "Options")) {
    if (AsciiUpper(Text(Child(options, kNsSchema, "Encoding"))) != "H264") continue;
    H264Options h264;
    h264.sizes = ReadSizes(options);
    const std::vector<double> gov = ReadNumbers(Attribute(options, "GovLengthRange"));
    if (gov.size() == 2 && gov[0] <= gov[1]) h264.govLength = Range{gov[0], gov[1]};
    h264.frameRates = ReadNumbers(Attribute(options, "FrameRatesSupported"));
    h264.bitrate = ReadRange(Child(options, kNsSchema, "BitrateRange"));
    h264.profiles = ReadWords(Attribute(options, "ProfilesSupported"));
    h264.constantBitRate = ReadBoolean(Attribute(options, "ConstantBitRateSupported"));
    return h264;
  }
  return std::nullopt;
}

std::optional<H264Options> ReadMediaOptions(const xmlNode* body) {
  const xmlNode* options = onvif::Find(body, onvif::kNsMedia, "Options");
  const xmlNode* h264Node = Child(options, kNsSchema, "H264");
  if (h264Node == nullptr) return std::nullopt;
  H264Options h264;
  h264.sizes = ReadSizes(h264Node);
  h264.govLength = ReadRange(Child(h264Node, kNsSchema, "GovLengthRange"));
  h264.frameRateRange = ReadRange(Child(h264Node, kNsSchema, "FrameRateRange"));
  h264.profiles = SchemaTexts(h264Node, "H264ProfilesSupported");
  // The bitrate range came later, in the extension's copy of the H.264 options.
  h264.bitrate = ReadRange(Child(Child(Child(options, kNsSchema, "Extension"), kNsSchema, "H264"),
                                 kNsSchema, "BitrateRange"));
  return h264;
}

}  // namespace

std::string GetVideoEncoderConfigurationBody(MediaVersion version, const std::string& token) {
  const std::string escaped = XmlEscape(token);
  if (version == MediaVersion::kMedia2) {
    return "<tr2:GetVideoEncoderConfigurations><tr2:ConfigurationToken>" + escaped +
           "</tr2:ConfigurationToken></tr2:GetVideoEncoderConfigurations>";
  }
  return "<trt:GetVideoEncoderConfiguration><trt:ConfigurationToken>" + escaped +
         "</trt:ConfigurationToken></trt:GetVideoEncoderConfiguration>";
}

std::string GetVideoEncoderOptionsBody(MediaVersion version, const std::string& encoderToken,
                                       const std::string& profileToken) {
  const char* prefix = version == MediaVersion::kMedia2 ? "tr2" : "trt";
  auto element = [prefix](const char* name, const std::string& value) {
    return "<" + std::string(prefix) + ":" + name + ">" + XmlEscape(value) + "</" + prefix + ":" +
           name + ">";
  };
  return "<" + std::string(prefix) + ":GetVideoEncoderConfigurationOptions>" +
         element("ConfigurationToken", encoderToken) + element("ProfileToken", profileToken) +
         "</" + prefix + ":GetVideoEncoderConfigurationOptions>";
}

std::string SetVideoEncoderConfigurationBody(MediaVersion version,
                                             const VideoEncoderConfig& config) {
  const std::string common = Element("Name", XmlEscape(config.name)) +
                             Element("UseCount", std::to_string(config.useCount)) +
                             Element("Encoding", XmlEscape(config.encoding)) + "<tt:Resolution>" +
                             Element("Width", std::to_string(config.size.width)) +
                             Element("Height", std::to_string(config.size.height)) +
                             "</tt:Resolution>";
  if (version == MediaVersion::kMedia2) {
    const std::string constant = config.constantBitRate
                                     ? std::string(" ConstantBitRate=\"") +
                                           (*config.constantBitRate ? "true" : "false") + "\""
                                     : std::string();
    return "<tr2:SetVideoEncoderConfiguration><tr2:Configuration token=\"" +
           XmlEscape(config.token) + "\" GovLength=\"" + std::to_string(config.govLength) +
           "\" Profile=\"" + XmlEscape(config.profile) + "\">" + common + "<tt:RateControl" +
           constant + ">" + Element("FrameRateLimit", Decimal(config.frameRateLimit)) +
           Element("BitrateLimit", std::to_string(config.bitrateLimit)) + "</tt:RateControl>" +
           Element("Quality", Decimal(config.quality)) +
           "</tr2:Configuration></tr2:SetVideoEncoderConfiguration>";
  }
  return "<trt:SetVideoEncoderConfiguration><trt:Configuration token=\"" + XmlEscape(config.token) +
         "\">" + common + Element("Quality", Decimal(config.quality)) + "<tt:RateControl>" +
         Element("FrameRateLimit", std::to_string(static_cast<int>(config.frameRateLimit))) +
         Element("EncodingInterval", std::to_string(config.encodingInterval)) +
         Element("BitrateLimit", std::to_string(config.bitrateLimit)) +
         "</tt:RateControl><tt:H264>" + Element("GovLength", std::to_string(config.govLength)) +
         Element("H264Profile", XmlEscape(config.profile)) +
         "</tt:H264><tt:Multicast><tt:Address>" + Element("Type", "IPv4") +
         Element("IPv4Address", XmlEscape(config.multicastAddress)) + "</tt:Address>" +
         Element("Port", std::to_string(config.multicastPort)) +
         Element("TTL", std::to_string(config.multicastTtl)) +
         Element("AutoStart", config.multicastAutoStart ? "true" : "false") + "</tt:Multicast>" +
         Element("SessionTimeout", XmlEscape(config.sessionTimeout)) +
         "</trt:Configuration><trt:ForcePersistence>true</trt:ForcePersistence>"
         "</trt:SetVideoEncoderConfiguration>";
}

std::optional<VideoEncoderConfig> ReadVideoEncoderConfig(MediaVersion version, const xmlNode* body,
                                                         const std::string& token) {
  const bool media2 = version == MediaVersion::kMedia2;
  const xmlNode* node = nullptr;
  for (const xmlNode* candidate : onvif::FindAll(body, media2 ? onvif::kNsMedia2 : onvif::kNsMedia,
                                                 media2 ? "Configurations" : "Configuration")) {
    if (node == nullptr && Attribute(candidate, "token") == token) node = candidate;
  }
  if (node == nullptr) return std::nullopt;
  VideoEncoderConfig config;
  config.token = token;
  config.name = Text(Child(node, kNsSchema, "Name"));
  config.useCount = IntOr(SchemaNumber(node, "UseCount"), 1);
  config.encoding = Text(Child(node, kNsSchema, "Encoding"));
  const std::optional<VideoSize> size = ReadSize(Child(node, kNsSchema, "Resolution"));
  if (!size) return std::nullopt;
  config.size = *size;
  config.quality = SchemaNumber(node, "Quality").value_or(0);
  const xmlNode* rate = Child(node, kNsSchema, "RateControl");
  config.frameRateLimit = SchemaNumber(rate, "FrameRateLimit").value_or(0);
  config.encodingInterval = IntOr(SchemaNumber(rate, "EncodingInterval"), 1);
  config.bitrateLimit = IntOr(SchemaNumber(rate, "BitrateLimit"), 0);
  if (media2) {
    config.govLength = IntOr(ReadNumber(Attribute(node, "GovLength")), 0);
    config.profile = Attribute(node, "Profile");
    config.constantBitRate = ReadBoolean(Attribute(rate, "ConstantBitRate"));
    return config;
  }
  const xmlNode* h264 = Child(node, kNsSchema, "H264");
  config.govLength = IntOr(SchemaNumber(h264, "GovLength"), 0);
  config.profile = Text(Child(h264, kNsSchema, "H264Profile"));
  const xmlNode* multicast = Child(node, kNsSchema, "Multicast");
  if (multicast != nullptr) {
    const std::string address =
        Text(Child(Child(multicast, kNsSchema, "Address"), kNsSchema, "IPv4Address"));
    if (!address.empty()) config.multicastAddress = address;
    config.multicastPort = IntOr(SchemaNumber(multicast, "Port"), 0);
    config.multicastTtl = IntOr(SchemaNumber(multicast, "TTL"), 0);
    config.multicastAutoStart =
        ReadBoolean(Text(Child(multicast, kNsSchema, "AutoStart"))).value_or(false);
  }
  const std::string timeout = Text(Child(node, kNsSchema, "SessionTimeout"));
  if (!timeout.empty()) config.sessionTimeout = timeout;
  return config;
}

std::optional<H264Options> ReadH264Options(MediaVersion version, const xmlNode* body) {
  return version == MediaVersion::kMedia2 ? ReadMedia2Options(body) : ReadMediaOptions(body);
}

}  // namespace netsdk::onvif_backend
