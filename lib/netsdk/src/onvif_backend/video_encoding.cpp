#include "onvif_backend/video_encoding.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "onvif/namespaces.h"
#include "onvif_backend/config_document.h"

namespace netsdk::onvif_backend {
namespace {

struct NamedSize {
  std::string_view name;
  VideoSize size;
};

// The program's resolution names and the pictures they stand for.
constexpr std::array<NamedSize, 16> kResolutions = {{{"720P", {1280, 720}},
                                                     {"960P", {1280, 960}},
                                                     {"1080P", {1920, 1080}},
                                                     {"1440P", {2560, 1440}},
                                                     {"1512P", {2688, 1512}},
                                                     {"448P", {800, 448}},
                                                     {"256X192", {256, 192}},
                                                     {"288X192", {288, 192}},
                                                     {"320X192", {320, 192}},
                                                     {"352X192", {352, 192}},
                                                     {"QVGA", {320, 240}},
                                                     {"CIF", {352, 288}},
                                                     {"480X360", {480, 360}},
                                                     {"640X360", {640, 360}},
                                                     {"VGA", {640, 480}},
                                                     {"D1", {704, 576}}}};

constexpr const char* kStreamNames[] = {"main stream", "second stream"};

std::string SizeText(const VideoSize& size) {
  return std::to_string(size.width) + "x" + std::to_string(size.height);
}

bool Offered(const std::vector<std::string>& offered, const std::string& value) {
  return std::find(offered.begin(), offered.end(), value) != offered.end();
}

std::optional<StreamRequest> ReadStream(const Attributes& attributes) {
  StreamRequest stream;
  stream.resolution = Value(attributes, "Resolution");
  const std::optional<VideoSize> size = ResolutionSize(stream.resolution);
  long frameRate = 0, bitrate = 0, interval = 0;
  if (!size || !Number(Value(attributes, "FrameRate"), -1000000, 1000000, &frameRate) ||
      !Number(Value(attributes, "BitRate"), -1000000000, 1000000000, &bitrate) ||
      !Number(Value(attributes, "Initquant"), -1000000000, 1000000000, &interval)) {
    return std::nullopt;
  }
  stream.size = *size;
  stream.frameRate = static_cast<int>(frameRate);
  stream.bitrateKbps = static_cast<int>(bitrate);
  stream.keyFrameSeconds = static_cast<int>(interval);
  const std::string control = Value(attributes, "BitRateControl");
  stream.rateControl = control == "VBR"    ? StreamRequest::RateControl::kVariable
                       : control == "CVBR" ? StreamRequest::RateControl::kConstrainedVariable
                                           : StreamRequest::RateControl::kConstant;
  return stream;
}

// The rate offered nearest below the one asked for, else the lowest offered.
double OfferedFrameRate(double wanted, const H264Options& options) {
  if (options.frameRateRange) return options.frameRateRange->Clamp(wanted);
  if (options.frameRates.empty()) return wanted;
  std::optional<double> below;
  for (double rate : options.frameRates) {
    if (rate <= wanted && (!below || rate > *below)) below = rate;
  }
  return below ? *below : *std::min_element(options.frameRates.begin(), options.frameRates.end());
}

std::optional<std::string> ChooseProfile(bool baseline, const H264Options& options,
                                         const std::string& current) {
  if (options.profiles.empty()) return std::string(baseline ? "Baseline" : "Main");
  if (baseline) {
    return Offered(options.profiles, "Baseline") ? std::optional<std::string>("Baseline")
                                                 : std::nullopt;
  }
  // Without Baseline asked for, the device's own profile stands unless it is Baseline.
  if (current != "Baseline" && Offered(options.profiles, current)) return current;
  for (const char* profile : {"Main", "High"}) {
    if (Offered(options.profiles, profile)) return std::string(profile);
  }
  for (const std::string& profile : options.profiles) {
    if (profile != "Baseline") return profile;
  }
  return std::nullopt;
}

}  // namespace

std::optional<VideoSize> ResolutionSize(const std::string& name) {
  for (const NamedSize& entry : kResolutions) {
    if (entry.name == name) return entry.size;
  }
  return std::nullopt;
}

std::optional<VideoEncodeRequest> ReadVideoEncodeRequest(const std::string& gbkDocument) {
  const std::optional<ConfigDocument> document = ReadConfigDocument(gbkDocument, "Encode");
  if (!document) return std::nullopt;
  VideoEncodeRequest request;
  for (std::size_t i = 0; i < request.streams.size(); ++i) {
    const Attributes* attributes = document->Child("EncodeConfig", i);
    const std::optional<StreamRequest> stream =
        attributes != nullptr ? ReadStream(*attributes) : std::nullopt;
    if (!stream) return std::nullopt;
    request.streams[i] = *stream;
  }
  const Attributes* advanced = document->Child("AdvanceEncodeConfig");
  request.baseline = advanced != nullptr && Value(*advanced, "EncodeProfile") == "1";
  return request;
}

std::optional<VideoEncoderConfig> FitStream(const StreamRequest& stream, bool baseline,
                                            MediaVersion version, const H264Options& options,
                                            VideoEncoderConfig current, std::string* reason,
                                            std::vector<std::string>* notes) {
  VideoEncoderConfig config = std::move(current);
  if (std::find(options.sizes.begin(), options.sizes.end(), stream.size) == options.sizes.end()) {
    *reason = "resolution " + stream.resolution + " (" + SizeText(stream.size) + ") is not offered";
    return std::nullopt;
  }
  const std::optional<std::string> profile = ChooseProfile(baseline, options, config.profile);
  if (!profile) {
    *reason = baseline ? "the H.264 Baseline profile is not offered"
                       : "only the H.264 Baseline profile is offered";
    return std::nullopt;
  }
  const bool constant = stream.rateControl == StreamRequest::RateControl::kConstant;
  if (version == MediaVersion::kMedia2) {
    if (constant && options.constantBitRate == false) {
      *reason = "a constant bit rate is not offered";
      return std::nullopt;
    }
    config.constantBitRate = constant;
    if (stream.rateControl == StreamRequest::RateControl::kConstrainedVariable) {
      notes->push_back("CVBR carried as a variable rate within the bit rate limit");
    }
  } else {
    notes->push_back("the rate control mode is not carried by the Media service");
  }
  config.encoding = "H264";
  config.size = stream.size;
  config.profile = *profile;
  config.frameRateLimit = OfferedFrameRate(std::max(stream.frameRate, 1), options);
  if (config.frameRateLimit != stream.frameRate) {
    notes->push_back("frame rate " + std::to_string(stream.frameRate) + " carried as " +
                     std::to_string(static_cast<int>(config.frameRateLimit)));
  }
  const double bitrate = options.bitrate          ? options.bitrate->Clamp(stream.bitrateKbps)
                         : stream.bitrateKbps > 0 ? stream.bitrateKbps
                                                  : config.bitrateLimit;
  config.bitrateLimit = static_cast<int>(bitrate);
  if (config.bitrateLimit != stream.bitrateKbps) {
    notes->push_back("bit rate " + std::to_string(stream.bitrateKbps) + " kbps carried as " +
                     std::to_string(config.bitrateLimit));
  }
  // The key-frame interval is in seconds on the page and in frames on the device.
  double gov =
      std::round(static_cast<double>(std::max(stream.keyFrameSeconds, 0)) * config.frameRateLimit);
  if (options.govLength) gov = options.govLength->Clamp(gov);
  config.govLength = std::max(static_cast<int>(gov), 1);
  return config;
}

asio::awaitable<GroupOutcome> PushVideoEncoding(const ServiceCalls& calls,
                                                const VideoEncodeRequest& request) {
  const MediaVersion version =
      calls.Offers(onvif::kNsMedia2) ? MediaVersion::kMedia2 : MediaVersion::kMedia;
  const std::string_view ns = version == MediaVersion::kMedia2 ? onvif::kNsMedia2 : onvif::kNsMedia;
  const CallResult listed = co_await calls.Call(ns, "GetProfiles", GetAllProfilesBody(version));
  if (!listed.Ok()) co_return GroupOutcome::Failed(Reason("GetProfiles", listed));
  std::vector<ProfileConfigurations> profiles = ReadProfiles(version, listed.Body());
  std::erase_if(profiles, [](const ProfileConfigurations& p) { return p.videoEncoder.empty(); });
  if (profiles.empty()) co_return GroupOutcome::Failed("the device has no video encoder");

  GroupOutcome outcome;
  std::vector<VideoEncoderConfig> fitted;
  const std::size_t streams = std::min(profiles.size(), request.streams.size());
  for (std::size_t i = 0; i < streams; ++i) {
    const std::string& encoder = profiles[i].videoEncoder;
    const char* operation = version == MediaVersion::kMedia2 ? "GetVideoEncoderConfigurations"
                                                             : "GetVideoEncoderConfiguration";
    const CallResult read =
        co_await calls.Call(ns, operation, GetVideoEncoderConfigurationBody(version, encoder));
    std::optional<VideoEncoderConfig> current =
        read.Ok() ? ReadVideoEncoderConfig(version, read.Body(), encoder) : std::nullopt;
    if (!current) co_return GroupOutcome::Failed(Reason(operation, read));
    const CallResult offered =
        co_await calls.Call(ns, "GetVideoEncoderConfigurationOptions",
                            GetVideoEncoderOptionsBody(version, encoder, profiles[i].token));
    if (!offered.Ok()) {
      co_return GroupOutcome::Failed(Reason("GetVideoEncoderConfigurationOptions", offered));
    }
    const std::optional<H264Options> options = ReadH264Options(version, offered.Body());
    if (!options) {
      co_return GroupOutcome::Failed(std::string(kStreamNames[i]) + ": H.264 is not offered");
    }
    std::string reason;
    std::vector<std::string> notes;
    std::optional<VideoEncoderConfig> config =
        FitStream(request.streams[i], request.baseline, version, *options, std::move(*current),
                  &reason, &notes);
    if (!config) co_return GroupOutcome::Failed(std::string(kStreamNames[i]) + ": " + reason);
    for (const std::string& note : notes) outcome.notes.push_back(kStreamNames[i] + (": " + note));
    fitted.push_back(std::move(*config));
  }
  if (streams < request.streams.size()) {
    outcome.notes.push_back("the device has one profile: the second stream is not carried");
  }
  // Only once both streams fit is anything set, so a refused value leaves the device as it was.
  for (const VideoEncoderConfig& config : fitted) {
    const CallResult set = co_await calls.Call(ns, "SetVideoEncoderConfiguration",
                                               SetVideoEncoderConfigurationBody(version, config));
    if (!set.Ok()) co_return GroupOutcome::Failed(Reason("SetVideoEncoderConfiguration", set));
  }
  outcome.ok = true;
  co_return outcome;
}

}  // namespace netsdk::onvif_backend
