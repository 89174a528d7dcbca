#include "onvif_backend/audio_encoding.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>

#include "onvif/namespaces.h"
#include "onvif/soap_xml.h"
#include "onvif_backend/config_document.h"
#include "onvif_backend/media_messages.h"
#include "onvif_backend/text_encoding.h"
#include "onvif_backend/xml_values.h"

namespace netsdk::onvif_backend {
namespace {

using onvif::Child;
using onvif::kNsMedia2;
using onvif::kNsSchema;
using onvif::Text;
using onvif::XmlEscape;

// How the options name each codec: G.711 by its two laws, AAC by the RTP payload formats that carry
// it (Media2) or plainly.
constexpr std::array<std::string_view, 3> kG711 = {"PCMU", "PCMA", "G711"};
constexpr std::array<std::string_view, 3> kAac = {"MP4A-LATM", "MPEG4-GENERIC", "AAC"};

std::vector<int> Items(const xmlNode* list) {
  std::vector<int> items;
  // One number an Items element, or a list in one, as some devices write it.
  for (const xmlNode* item : onvif::FindAll(list, kNsSchema, "Items")) {
    for (double value : ReadNumbers(Text(item))) items.push_back(static_cast<int>(value));
  }
  return items;
}

std::vector<AudioEncoderOption> ReadOptions(const xmlNode* body) {
  std::vector<AudioEncoderOption> options;
  for (const xmlNode* node : onvif::FindAll(body, kNsMedia2, "Options")) {
    options.push_back({Text(Child(node, kNsSchema, "Encoding")),
                       Items(Child(node, kNsSchema, "BitrateList")),
                       Items(Child(node, kNsSchema, "SampleRateList"))});
  }
  return options;
}

struct AudioEncoderConfig {
  std::string token;
  std::string name;
  int useCount = 1;
};

std::optional<AudioEncoderConfig> ReadFirstConfig(const xmlNode* body) {
  const xmlNode* node = onvif::Find(body, kNsMedia2, "Configurations");
  const std::string token = onvif::Attribute(node, "token");
  if (token.empty()) return std::nullopt;
  const std::optional<double> useCount = SchemaNumber(node, "UseCount");
  return AudioEncoderConfig{token, Text(Child(node, kNsSchema, "Name")),
                            useCount ? static_cast<int>(*useCount) : 1};
}

std::string ConfigurationRef(const std::string& profile, const std::string& token) {
  std::string body = "<tr2:ProfileToken>" + XmlEscape(profile) +
                     "</tr2:ProfileToken><tr2:Configuration><tr2:Type>AudioEncoder</tr2:Type>";
  if (!token.empty()) body += "<tr2:Token>" + XmlEscape(token) + "</tr2:Token>";
  return body + "</tr2:Configuration>";
}

std::string SetBody(const AudioEncoderConfig& config, const AudioEncoderChoice& choice) {
  return "<tr2:SetAudioEncoderConfiguration><tr2:Configuration token=\"" + XmlEscape(config.token) +
         "\"><tt:Name>" + XmlEscape(config.name) + "</tt:Name><tt:UseCount>" +
         std::to_string(config.useCount) + "</tt:UseCount><tt:Encoding>" +
         XmlEscape(choice.encoding) + "</tt:Encoding><tt:Bitrate>" +
         std::to_string(choice.bitrateKbps) + "</tt:Bitrate><tt:SampleRate>" +
         std::to_string(choice.sampleRateKhz) +
         "</tt:SampleRate></tr2:Configuration></tr2:SetAudioEncoderConfiguration>";
}

}  // namespace

std::optional<AudioEncodeRequest> ReadAudioEncodeRequest(const std::string& gbkDocument) {
  const std::optional<ConfigDocument> document = ReadConfigDocument(gbkDocument, "Audio");
  const Attributes* encode = document ? document->Child("Encode") : nullptr;
  if (encode == nullptr) return std::nullopt;
  AudioEncodeRequest request;
  request.enable = Value(*encode, "Enable") == "1";
  request.aac = Value(*encode, "EncodeType") == "AAC";
  request.sampleRateHz = std::atoi(Value(*encode, "SampleRate").c_str());
  request.bitrateBps = std::atoi(Value(*encode, "BitRate").c_str());
  return request;
}

std::optional<AudioEncoderChoice> ChooseAudioEncoder(const AudioEncodeRequest& request,
                                                     const std::vector<AudioEncoderOption>& options,
                                                     std::string* reason) {
  const int sampleRateKhz = request.sampleRateHz / 1000;
  const AudioEncoderOption* codec = nullptr;
  bool rateMissing = false;
  // The first name in the codec's order of preference that the device offers at that rate.
  for (std::string_view name : request.aac ? kAac : kG711) {
    if (codec != nullptr) break;
    for (const AudioEncoderOption& option : options) {
      if (AsciiUpper(option.encoding) != name) continue;
      const bool rate = option.sampleRates.empty() ||
                        std::find(option.sampleRates.begin(), option.sampleRates.end(),
                                  sampleRateKhz) != option.sampleRates.end();
      if (rate) {
        codec = &option;
        break;
      }
      rateMissing = true;
    }
  }
  const char* label = request.aac ? "AAC" : "G.711";
  if (codec == nullptr) {
    *reason = rateMissing ? std::string(label) + " at " + std::to_string(request.sampleRateHz) +
                                " Hz is not offered"
                          : std::string(label) + " is not offered";
    return std::nullopt;
  }
  AudioEncoderChoice choice{codec->encoding, request.bitrateBps / 1000, sampleRateKhz};
  if (!codec->bitrates.empty()) {
    choice.bitrateKbps =
        *std::min_element(codec->bitrates.begin(), codec->bitrates.end(), [&](int a, int b) {
          return std::abs(a - request.bitrateBps / 1000) < std::abs(b - request.bitrateBps / 1000);
        });
  }
  return choice;
}

asio::awaitable<GroupOutcome> PushAudioEncoding(const ServiceCalls& calls,
                                                const AudioEncodeRequest& request) {
  if (!calls.Offers(kNsMedia2)) co_return GroupOutcome::Failed("audio is set through Media2 only");
  const CallResult listed =
      co_await calls.Call(kNsMedia2, "GetProfiles", GetAllProfilesBody(MediaVersion::kMedia2));
  if (!listed.Ok()) co_return GroupOutcome::Failed(Reason("GetProfiles", listed));
  std::vector<ProfileConfigurations> profiles = ReadProfiles(MediaVersion::kMedia2, listed.Body());
  if (profiles.size() > 2) profiles.resize(2);
  const CallResult read = co_await calls.Call(kNsMedia2, "GetAudioEncoderConfigurations",
                                              "<tr2:GetAudioEncoderConfigurations/>");
  if (!read.Ok()) co_return GroupOutcome::Failed(Reason("GetAudioEncoderConfigurations", read));
  const std::optional<AudioEncoderConfig> config = ReadFirstConfig(read.Body());
  if (!config) co_return GroupOutcome::Failed("the device has no audio encoder");

  if (!request.enable) {
    for (const ProfileConfigurations& profile : profiles) {
      if (profile.audioEncoder.empty()) continue;
      const CallResult removed =
          co_await calls.Call(kNsMedia2, "RemoveConfiguration",
                              "<tr2:RemoveConfiguration>" + ConfigurationRef(profile.token, "") +
                                  "</tr2:RemoveConfiguration>");
      if (!removed.Ok()) co_return GroupOutcome::Failed(Reason("RemoveConfiguration", removed));
    }
    co_return GroupOutcome::Carried();
  }
  const CallResult offered = co_await calls.Call(
      kNsMedia2, "GetAudioEncoderConfigurationOptions",
      "<tr2:GetAudioEncoderConfigurationOptions><tr2:ConfigurationToken>" +
          XmlEscape(config->token) +
          "</tr2:ConfigurationToken></tr2:GetAudioEncoderConfigurationOptions>");
  if (!offered.Ok()) {
    co_return GroupOutcome::Failed(Reason("GetAudioEncoderConfigurationOptions", offered));
  }
  std::string reason;
  const std::optional<AudioEncoderChoice> choice =
      ChooseAudioEncoder(request, ReadOptions(offered.Body()), &reason);
  if (!choice) co_return GroupOutcome::Failed(reason);
  GroupOutcome outcome = GroupOutcome::Carried();
  if (choice->bitrateKbps * 1000 != request.bitrateBps) {
    outcome.notes.push_back("bit rate " + std::to_string(request.bitrateBps) + " carried as " +
                            std::to_string(choice->bitrateKbps) + " kbps");
  }
  const CallResult set =
      co_await calls.Call(kNsMedia2, "SetAudioEncoderConfiguration", SetBody(*config, *choice));
  if (!set.Ok()) co_return GroupOutcome::Failed(Reason("SetAudioEncoderConfiguration", set));
  for (const ProfileConfigurations& profile : profiles) {
    if (profile.audioEncoder == config->token) continue;
    const CallResult added = co_await calls.Call(
        kNsMedia2, "AddConfiguration",
        "<tr2:AddConfiguration>" + ConfigurationRef(profile.token, config->token) +
            "</tr2:AddConfiguration>");
    if (!added.Ok()) co_return GroupOutcome::Failed(Reason("AddConfiguration", added));
  }
  co_return outcome;
}

}  // namespace netsdk::onvif_backend
