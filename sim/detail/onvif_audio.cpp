#include "sim/detail/onvif_audio.h"

#include <algorithm>

#include "onvif/namespaces.h"
#include "onvif/soap_xml.h"

namespace camsim::detail {
namespace {

using onvif::Attribute;
using onvif::Child;
using onvif::kNsMedia2;
using onvif::kNsSchema;
using onvif::Text;

const AudioEncoding* FindEncoding(const CameraModel& model, std::string_view name) {
  for (const AudioEncoding& encoding : model.audio) {
    if (encoding.encoding == name) return &encoding;
  }
  return nullptr;
}

bool Listed(std::span<const int> values, int value) {
  return std::find(values.begin(), values.end(), value) != values.end();
}

std::string ItemList(std::string_view name, std::span<const int> values) {
  std::string items;
  for (const int value : values) items += Tag("tt:Items", value);
  return Tag(name, items);
}

// What the profile carries, and its flag for each of the configurations a request may name.
struct ProfileParts {
  bool* audio = nullptr;
  bool* analytics = nullptr;
};

ProfileParts PartsOf(OnvifSettingsState& state, std::string_view profile) {
  if (profile == kMainProfile) return {&state.audioInMain, &state.analyticsInMain};
  if (profile == kSubProfile) return {&state.audioInSub, nullptr};
  return {};
}

// AddConfiguration (add) or RemoveConfiguration: the changes to the profile's flags, checked
// together, made together.
SoapAnswer ChangeProfile(OnvifContext& context, const xmlNode* request, bool add) {
  const std::string profile = Text(Child(request, kNsMedia2, "ProfileToken"));
  const ProfileParts parts = PartsOf(context.state, profile);
  std::string journal = profile;
  bool* audio = nullptr;
  bool* analytics = nullptr;
  const char* problem = nullptr;
  const char* detail = "ConfigModify";
  for (const xmlNode* item : onvif::FindAll(request, kNsMedia2, "Configuration")) {
    const std::string type = Text(Child(item, kNsMedia2, "Type"));
    const std::string token = Text(Child(item, kNsMedia2, "Token"));
    journal += std::string(add ? " +" : " -") + type + (token.empty() ? "" : "=" + token);
    if (type == "AudioEncoder" || type == "AudioSource") {
      const std::string_view own = type == "AudioEncoder" ? kAudioEncoder : kAudioSource;
      if (!token.empty() && token != own) {
        problem = "the device has no such audio configuration";
        detail = "NoConfig";
      }
      // An encoder without its source is no use: the two come and go together.
      audio = parts.audio;
    } else if (type == "Analytics") {
      if (!context.device.Config().onvif.analytics ||
          (!token.empty() && token != kAnalyticsConfiguration)) {
        problem = "the device has no such analytics configuration";
        detail = "NoConfig";
      } else if (parts.analytics == nullptr && parts.audio != nullptr) {
        problem = "analytics runs on the main profile only";
      }
      analytics = parts.analytics;
    } else {
      problem = "the profile's video, and anything else, is fixed";
    }
  }
  if (parts.audio == nullptr) {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "NoProfile",
                           "the device has no such profile");
  }
  if (problem != nullptr) {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", detail, problem);
  }
  SoapAnswer answer;
  answer.journal = journal;
  answer.body = add ? "<tr2:AddConfigurationResponse/>" : "<tr2:RemoveConfigurationResponse/>";
  answer.then = [audio, analytics, add] {
    if (audio != nullptr) *audio = add;
    if (analytics != nullptr) *analytics = add;
  };
  return answer;
}

}  // namespace

int AudioUseCount(const OnvifSettingsState& state) {
  return (state.audioInMain ? 1 : 0) + (state.audioInSub ? 1 : 0);
}

std::string MediaAudioSourceXml(const OnvifSettingsState& state) {
  return "<tt:AudioSourceConfiguration token=\"" + std::string(kAudioSource) + "\">" +
         Tag("tt:Name", std::string(kAudioSource)) + Tag("tt:UseCount", AudioUseCount(state)) +
         Tag("tt:SourceToken", std::string(kAudioSource)) + "</tt:AudioSourceConfiguration>";
}

std::string MediaAudioEncoderXml(const OnvifSettingsState& state) {
  const AudioEncoderState& audio = state.audio;
  // The first media service knows G.711 and AAC by those names only.
  const std::string encoding = audio.encoding == "MP4A-LATM" ? "AAC" : "G711";
  return "<tt:AudioEncoderConfiguration token=\"" + std::string(kAudioEncoder) + "\">" +
         Tag("tt:Name", std::string(kAudioEncoder)) + Tag("tt:UseCount", AudioUseCount(state)) +
         Tag("tt:Encoding", encoding) + Tag("tt:Bitrate", audio.bitrateKbps) +
         Tag("tt:SampleRate", audio.sampleRateKhz) +
         "<tt:Multicast><tt:Address><tt:Type>IPv4</tt:Type><tt:IPv4Address>0.0.0.0"
         "</tt:IPv4Address></tt:Address><tt:Port>0</tt:Port><tt:TTL>0</tt:TTL><tt:AutoStart>false"
         "</tt:AutoStart></tt:Multicast><tt:SessionTimeout>PT60S</tt:SessionTimeout>"
         "</tt:AudioEncoderConfiguration>";
}

std::string Media2AudioSourceXml(const OnvifSettingsState& state) {
  return "<tr2:AudioSource token=\"" + std::string(kAudioSource) + "\">" +
         Tag("tt:Name", std::string(kAudioSource)) + Tag("tt:UseCount", AudioUseCount(state)) +
         Tag("tt:SourceToken", std::string(kAudioSource)) + "</tr2:AudioSource>";
}

std::string Media2AudioEncoderXml(std::string_view element, const OnvifSettingsState& state) {
  return "<" + std::string(element) + " token=\"" + std::string(kAudioEncoder) + "\">" +
         Tag("tt:Name", std::string(kAudioEncoder)) + Tag("tt:UseCount", AudioUseCount(state)) +
         Tag("tt:Encoding", state.audio.encoding) + Tag("tt:Bitrate", state.audio.bitrateKbps) +
         Tag("tt:SampleRate", state.audio.sampleRateKhz) + "</" + std::string(element) + ">";
}

SoapAnswer Media2GetAudioEncoderConfigurations(OnvifContext& context, const xmlNode* request) {
  const std::string configuration = Text(Child(request, kNsMedia2, "ConfigurationToken"));
  const std::string profile = Text(Child(request, kNsMedia2, "ProfileToken"));
  const std::string journal = configuration + (profile.empty() ? "" : " profile=" + profile);
  const ProfileParts parts = PartsOf(context.state, profile);
  if (!profile.empty() && parts.audio == nullptr) {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "NoProfile",
                           "the device has no such profile");
  }
  if (!configuration.empty() && configuration != kAudioEncoder) {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "NoConfig",
                           "the device has no such audio encoder configuration");
  }
  SoapAnswer answer;
  answer.journal = journal;
  answer.body = "<tr2:GetAudioEncoderConfigurationsResponse>";
  // A profile's configurations are those it carries.
  if (profile.empty() || *parts.audio) {
    answer.body += Media2AudioEncoderXml("tr2:Configurations", context.state);
  }
  answer.body += "</tr2:GetAudioEncoderConfigurationsResponse>";
  return answer;
}

SoapAnswer Media2GetAudioEncoderConfigurationOptions(OnvifContext& context,
                                                     const xmlNode* request) {
  const std::string configuration = Text(Child(request, kNsMedia2, "ConfigurationToken"));
  const std::string profile = Text(Child(request, kNsMedia2, "ProfileToken"));
  const std::string journal = configuration + (profile.empty() ? "" : " profile=" + profile);
  if ((!configuration.empty() && configuration != kAudioEncoder) ||
      (!profile.empty() && PartsOf(context.state, profile).audio == nullptr)) {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "NoConfig",
                           "the device has no such configuration or profile");
  }
  SoapAnswer answer;
  answer.journal = journal;
  answer.body = "<tr2:GetAudioEncoderConfigurationOptionsResponse>";
  for (const AudioEncoding& encoding : ModelOf(context.device.Config().onvif.model).audio) {
    answer.body += "<tr2:Options>" + Tag("tt:Encoding", std::string(encoding.encoding)) +
                   ItemList("tt:BitrateList", encoding.bitratesKbps) +
                   ItemList("tt:SampleRateList", encoding.sampleRatesKhz) + "</tr2:Options>";
  }
  answer.body += "</tr2:GetAudioEncoderConfigurationOptionsResponse>";
  return answer;
}

SoapAnswer Media2SetAudioEncoderConfiguration(OnvifContext& context, const xmlNode* request) {
  const xmlNode* configuration = Child(request, kNsMedia2, "Configuration");
  const std::string token = Attribute(configuration, "token");
  AudioEncoderState wanted = context.state.audio;
  if (const std::string encoding = Text(Child(configuration, kNsSchema, "Encoding"));
      !encoding.empty()) {
    wanted.encoding = encoding;
  }
  const xmlNode* bitrate = Child(configuration, kNsSchema, "Bitrate");
  const xmlNode* rate = Child(configuration, kNsSchema, "SampleRate");
  const bool numbers = (bitrate == nullptr || ParseWhole(Text(bitrate), &wanted.bitrateKbps)) &&
                       (rate == nullptr || ParseWhole(Text(rate), &wanted.sampleRateKhz));
  const std::string journal = token + " " + wanted.encoding + " " +
                              std::to_string(wanted.sampleRateKhz) + "kHz " +
                              std::to_string(wanted.bitrateKbps) + "kbps";
  if (token != kAudioEncoder) {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "NoConfig",
                           "the device has no such audio encoder configuration");
  }
  const AudioEncoding* offered =
      FindEncoding(ModelOf(context.device.Config().onvif.model), wanted.encoding);
  const char* problem =
      !numbers                                                 ? "not a valid value"
      : offered == nullptr                                     ? "encoding not offered"
      : !Listed(offered->bitratesKbps, wanted.bitrateKbps)     ? "bit rate not offered"
      : !Listed(offered->sampleRatesKhz, wanted.sampleRateKhz) ? "sample rate not offered"
                                                               : nullptr;
  if (problem != nullptr) {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "ConfigModify", problem);
  }
  SoapAnswer answer;
  answer.journal = journal;
  answer.body = "<tr2:SetAudioEncoderConfigurationResponse/>";
  answer.then = [&state = context.state, wanted] { state.audio = wanted; };
  return answer;
}

SoapAnswer Media2AddConfiguration(OnvifContext& context, const xmlNode* request) {
  return ChangeProfile(context, request, true);
}

SoapAnswer Media2RemoveConfiguration(OnvifContext& context, const xmlNode* request) {
  return ChangeProfile(context, request, false);
}

}  // namespace camsim::detail
