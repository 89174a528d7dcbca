#include "sim/detail/rtsp_session.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>
#include <string_view>
#include <utility>

#include "sim/detail/digest_credentials.h"
#include "sim/detail/message_head.h"
#include "sim/detail/onvif_ids.h"
#include "sim/detail/onvif_media.h"
#include "sim/onvif_codes.h"
#include "wire/codes.h"

namespace camsim::detail {
namespace {

constexpr std::string_view kPublic = "OPTIONS, DESCRIBE, SETUP, PLAY, TEARDOWN, GET_PARAMETER";
// Only this refusal counts towards the account's lock, as over the SOAP services.
constexpr const char* kWrongCredentials = "wrong user or password";
constexpr int kMaxChannel = 254;  // its RTCP takes the channel after it

std::uint32_t Random32() {
  return static_cast<std::uint32_t>(std::stoul(RandomHex(4), nullptr, 16));
}

std::optional<int> Channel(std::string_view text) {
  if (text.empty() || text.size() > 3 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  const int value = std::stoi(std::string(text));
  return value <= kMaxChannel ? std::optional(value) : std::nullopt;
}

// The RTP channel of the first transport in the list that the device can serve: RTP over the
// RTSP connection itself, unicast, for playing. Nothing is ever sent over UDP. Without an
// interleaved parameter the track's own pair is taken.
std::optional<int> InterleavedChannel(std::string_view transports, int track) {
  while (!transports.empty()) {
    const std::size_t comma = std::min(transports.find(','), transports.size());
    std::string_view transport = transports.substr(0, comma);
    transports.remove_prefix(std::min(comma + 1, transports.size()));
    const std::size_t semicolon = std::min(transport.find(';'), transport.size());
    if (Lower(Trim(transport.substr(0, semicolon))) != "rtp/avp/tcp") continue;
    transport.remove_prefix(semicolon);
    bool usable = true;
    std::optional<int> channel = 2 * track;
    while (!transport.empty() && usable) {
      transport.remove_prefix(1);
      const std::size_t end = std::min(transport.find(';'), transport.size());
      const std::string parameter = Lower(Trim(transport.substr(0, end)));
      transport.remove_prefix(end);
      if (parameter == "multicast") usable = false;
      if (parameter.rfind("mode=", 0) == 0 && parameter != "mode=play" &&
          parameter != "mode=\"play\"") {
        usable = false;
      }
      if (parameter.rfind("interleaved=", 0) == 0) {
        const std::string_view range = std::string_view(parameter).substr(12);
        const std::size_t dash = range.find('-');
        channel = Channel(range.substr(0, dash));
        if (channel && dash != std::string_view::npos &&
            Channel(range.substr(dash + 1)) != *channel + 1) {
          channel.reset();
        }
        usable = channel.has_value();
      }
    }
    if (usable) return channel;
  }
  return std::nullopt;
}

// The scheme of the request's credentials, as the journal names it.
std::string SchemeOf(const RtspRequest& request) {
  const std::string* authorization = request.Header("authorization");
  if (authorization == nullptr) return "none";
  const std::string scheme = Lower(authorization->substr(0, authorization->find(' ')));
  return scheme == "digest" || scheme == "basic" ? scheme : "other";
}

}  // namespace

RtspSession::RtspSession(Environment& environment, std::weak_ptr<RtspConnection> connection,
                         std::string base)
    : m_env(environment), m_connection(std::move(connection)), m_base(std::move(base)) {}

void RtspSession::OnRequest(RtspRequest& request, Device* device, int track,
                            const std::string& profile) {
  const std::string& method = request.method;
  m_asked = profile;
  if (method == "OPTIONS") {
    if (!request.path.empty() && device == nullptr) return Respond(404);
    return Respond({200, {{"Public", std::string(kPublic)}}, {}, {}, false});
  }
  if (method != "DESCRIBE" && method != "SETUP" && method != "PLAY" && method != "TEARDOWN" &&
      method != "GET_PARAMETER") {
    return Respond({501, {{"Public", std::string(kPublic)}}, {}, {}, false});
  }
  // A keep-alive to the server as a whole asks nothing of a device.
  if (method == "GET_PARAMETER" && request.path.empty()) return GetParameter(request);
  if (device == nullptr) return Respond(404);
  if (method == "DESCRIBE") device->Record(kOnvifRtspDescribe, "DESCRIBE", SchemeOf(request));
  if (!Authenticate(request, *device)) return;
  if (method == "DESCRIBE") return Describe(*device);
  // The session lives on the device and the profile it was set up on.
  if (m_device != nullptr && (device != m_device || profile != m_profile) && method != "SETUP") {
    return Respond(454);
  }
  if (method == "SETUP") return Setup(request, *device, track);
  if (method == "PLAY") return Play(request, *device);
  if (method == "TEARDOWN") return Teardown(request);
  GetParameter(request);
}

bool RtspSession::DeviceGone() const {
  return m_device != nullptr && (!m_device->Online() || m_device->Generation() != m_generation ||
                                 m_device->Config().ip != m_ip);
}

void RtspSession::End() {
  if (m_sender) m_sender->Stop();
  m_sender.reset();
  if (m_playing) m_device->Record(wire::kCodeStream, "stream", "stop");
  m_playing = false;
}

void RtspSession::Respond(RtspResponse response) {
  if (auto connection = m_connection.lock()) connection->Respond(std::move(response));
}

bool RtspSession::Authenticate(const RtspRequest& request, Device& device) {
  std::string user, reason;
  Login login = CheckCredentials(request, device, &user, &reason);
  if (std::string locked = device.AccountLocked(); login != Login::kMissing && !locked.empty()) {
    login = Login::kRefused;
    reason = std::move(locked);
  } else if (login == Login::kOk || reason == kWrongCredentials) {
    device.CountLogin(login == Login::kOk);
  }
  if (login == Login::kOk && device.Config().faults.refuseLogin) {
    login = Login::kRefused;
    reason = "refused by the device";
  }
  if (login == Login::kOk) return true;
  if (login == Login::kRefused) {
    device.Record(kOnvifLogin, "refused login", user + ": " + reason + " (" + request.method + ")");
  }
  if (m_nonce.empty()) m_nonce = RandomHex(16);
  const OnvifSettings::RtspAuth mode = device.Config().onvif.rtspAuth;
  RtspResponse answer{401, {}, {}, {}, false};
  const auto digest = [&](const char* algorithm) {
    answer.headers.emplace_back("WWW-Authenticate",
                                "Digest realm=\"" + std::string(kDigestRealm) + "\", nonce=\"" +
                                    m_nonce + "\", algorithm=" + algorithm + ", qop=\"auth\"" +
                                    (login == Login::kStale ? ", stale=TRUE" : ""));
  };
  if (mode == OnvifSettings::RtspAuth::kBasic) {
    answer.headers.emplace_back("WWW-Authenticate",
                                "Basic realm=\"" + std::string(kDigestRealm) + "\"");
  }
  if (mode == OnvifSettings::RtspAuth::kSha256 || mode == OnvifSettings::RtspAuth::kBoth) {
    digest("SHA-256");
  }
  if (mode == OnvifSettings::RtspAuth::kMd5 || mode == OnvifSettings::RtspAuth::kBoth) {
    digest("MD5");
  }
  Respond(std::move(answer));
  return false;
}

RtspSession::Login RtspSession::CheckCredentials(const RtspRequest& request, const Device& device,
                                                 std::string* user, std::string* reason) const {
  const std::string* authorization = request.Header("authorization");
  if (authorization == nullptr) return Login::kMissing;
  const DeviceConfig& config = device.Config();
  if (config.onvif.rtspAuth != OnvifSettings::RtspAuth::kBasic) {
    return CheckDigest(request, *authorization, device, user, reason);
  }
  const std::optional<std::string> basic = BasicCredential(*authorization);
  if (!basic) {
    *reason = Lower(authorization->substr(0, 6)) == "basic " ? "malformed basic credentials"
                                                             : "only basic credentials are taken";
    return Login::kRefused;
  }
  const std::size_t colon = basic->find(':');
  *user = basic->substr(0, colon);
  if (*user != config.user || !SameSecret(basic->substr(colon + 1), config.password)) {
    *reason = kWrongCredentials;
    return Login::kRefused;
  }
  return Login::kOk;
}

RtspSession::Login RtspSession::CheckDigest(const RtspRequest& request,
                                            const std::string& authorization, const Device& device,
                                            std::string* user, std::string* reason) const {
  const auto params = DigestParams(authorization);
  *reason = Lower(authorization.substr(0, 7)) == "digest " ? "malformed digest credentials"
                                                           : "only digest credentials are taken";
  if (!params) return Login::kRefused;
  const auto param = [&params](const char* name) {
    const auto found = params->find(name);
    return found == params->end() ? std::string() : found->second;
  };
  *user = param("username");
  // The older form without qop is answered too: the client chooses, the challenge offers auth.
  const std::string qop = Lower(param("qop"));
  const std::string nc = param("nc");
  const bool qopValid =
      qop.empty() || (qop == "auth" && nc.size() == 8 && !param("cnonce").empty() &&
                      std::all_of(nc.begin(), nc.end(), [](char c) {
                        return std::isxdigit(static_cast<unsigned char>(c)) != 0;
                      }));
  const DeviceConfig& config = device.Config();
  using RtspAuth = OnvifSettings::RtspAuth;
  const RtspAuth mode = config.onvif.rtspAuth;
  const std::string algorithm = params->count("algorithm") > 0 ? Lower(param("algorithm")) : "md5";
  const EVP_MD* md = nullptr;
  if (algorithm == "md5" && (mode == RtspAuth::kMd5 || mode == RtspAuth::kBoth)) md = EVP_md5();
  if (algorithm == "sha-256" && (mode == RtspAuth::kSha256 || mode == RtspAuth::kBoth)) {
    md = EVP_sha256();
  }
  if (md == nullptr || param("realm") != kDigestRealm || param("uri") != request.uri || !qopValid ||
      param("nonce").empty()) {
    *reason = "digest credentials not for this challenge or request";
    return Login::kRefused;
  }
  const std::string ha1 =
      HexDigest(md, *user + ":" + std::string(kDigestRealm) + ":" + config.password);
  const std::string ha2 = HexDigest(md, request.method + ":" + request.uri);
  const std::string expected = qop.empty()
                                   ? HexDigest(md, ha1 + ":" + param("nonce") + ":" + ha2)
                                   : HexDigest(md, ha1 + ":" + param("nonce") + ":" + nc + ":" +
                                                       param("cnonce") + ":auth:" + ha2);
  if (*user != config.user || !SameSecret(expected, Lower(param("response")))) {
    *reason = kWrongCredentials;
    return Login::kRefused;
  }
  return param("nonce") == m_nonce ? Login::kOk : Login::kStale;
}

bool RtspSession::SessionNamed(const RtspRequest& request) const {
  const std::string* session = request.Header("session");
  return session != nullptr && !m_id.empty() &&
         Trim(std::string_view(*session).substr(0, session->find(';'))) == m_id;
}

std::string RtspSession::StreamAddress(const Device& device) const {
  return m_base + "/onvif/" + device.Config().ip + "/" + m_asked + "/";
}

void RtspSession::WithClip(Device& device,
                           std::function<void(std::shared_ptr<const PreviewClip>)> then) {
  const DeviceConfig& config = device.Config();
  const ClipFormat clipFormat = ProfileClip(config, m_asked).value_or(ClipFormat{});
  m_env.clips.Get(
      config.serial, config.ip, config.hasAudio,
      [weak = weak_from_this(), device = &device, generation = device.Generation(), ip = config.ip,
       then = std::move(then)](std::shared_ptr<const PreviewClip> clip) {
        auto self = weak.lock();
        if (!self) return;
        auto connection = self->m_connection.lock();
        if (!connection || !connection->IsOpen()) return;
        if (!device->Online() || device->Generation() != generation || device->Config().ip != ip) {
          self->End();
          return connection->Close();
        }
        then(std::move(clip));
      },
      clipFormat);
}

void RtspSession::Describe(Device& device) {
  if (const std::string& elsewhere = device.Config().onvif.rtspRedirect; !elsewhere.empty()) {
    const std::string to = "rtsp://" + elsewhere + "/" + device.Config().ip + "/";
    device.Record(wire::kCodeStream, "redirect", to);
    return Respond({302, {{"Location", to}}, {}, {}, false});
  }
  WithClip(device, [this, device = &device](std::shared_ptr<const PreviewClip> clip) {
    if (!clip) return Respond(503);
    const std::string base = StreamAddress(*device);
    Respond({200,
             {{"Content-Base", base}},
             "application/sdp",
             SessionDescription(*clip, device->Serial(), !device->Config().faults.badHeader),
             false});
  });
}

void RtspSession::Setup(const RtspRequest& request, Device& device, int track) {
  if (track == kAggregate) return Respond(459);
  if (track > 1 || (track == 1 && !device.Config().hasAudio)) return Respond(404);
  if (!m_id.empty() && (!SessionNamed(request) || &device != m_device || m_asked != m_profile)) {
    return Respond(454);
  }
  if (m_playing) return Respond(455);
  const std::string* transport = request.Header("transport");
  const std::optional<int> channel =
      transport != nullptr ? InterleavedChannel(*transport, track) : std::nullopt;
  std::optional<RtpStream>& stream = track == 0 ? m_tracks.video : m_tracks.audio;
  const std::optional<RtpStream>& other = track == 0 ? m_tracks.audio : m_tracks.video;
  if (!channel || (other && (other->channel == *channel || other->channel == *channel + 1 ||
                             other->channel + 1 == *channel))) {
    return Respond(461);
  }
  stream = RtpStream{static_cast<std::uint8_t>(*channel),
                     track == 0 ? kRtpH264Type : kRtpPcmuType,
                     Random32(),
                     static_cast<std::uint16_t>(Random32()),
                     0,
                     0};
  (track == 0 ? m_tracks.videoStart : m_tracks.audioStart) = Random32();
  if (m_id.empty()) {
    m_id = RandomHex(8);
    m_device = &device;
    m_profile = m_asked;
    m_generation = device.Generation();
    m_ip = device.Config().ip;
  }
  char ssrc[9];
  std::snprintf(ssrc, sizeof ssrc, "%08X", stream->ssrc);
  Respond({200,
           {{"Transport", "RTP/AVP/TCP;unicast;interleaved=" + std::to_string(*channel) + "-" +
                              std::to_string(*channel + 1) + ";ssrc=" + ssrc},
            {"Session", m_id + ";timeout=" + std::to_string(kRtspSessionTimeoutS)}},
           {},
           {},
           false});
}

void RtspSession::Play(const RtspRequest& request, Device& device) {
  if (!SessionNamed(request)) return Respond(454);
  std::string info;
  const auto track = [&](const std::optional<RtpStream>& stream, int id, std::uint32_t start) {
    if (!stream) return;
    info += (info.empty() ? "url=" : ",url=") + StreamAddress(device) +
            "trackID=" + std::to_string(id) + ";seq=" + std::to_string(stream->sequence) +
            ";rtptime=" + std::to_string(start);
  };
  track(m_tracks.video, 0, m_tracks.videoStart);
  track(m_tracks.audio, 1, m_tracks.audioStart);
  RtspResponse answer{200,
                      {{"Session", m_id + ";timeout=" + std::to_string(kRtspSessionTimeoutS)},
                       {"Range", "npt=0.000-"},
                       {"RTP-Info", info}},
                      {},
                      {},
                      false};
  if (m_playing) return Respond(std::move(answer));
  WithClip(device, [this, device = &device,
                    answer = std::move(answer)](std::shared_ptr<const PreviewClip> clip) mutable {
    if (!clip) return Respond(503);
    // The answer goes out before the first packet: both wait in the connection's one queue.
    Respond(std::move(answer));
    device->Record(wire::kCodeStream, "stream",
                   "start channel=" + std::to_string(device->Config().channel));
    m_playing = true;
    const DeviceFaults& faults = device->Config().faults;
    if (faults.noStream) return;
    const std::weak_ptr<RtspSession> weak = weak_from_this();
    m_sender = std::make_shared<RtpSender>(
        m_env.io, m_connection, std::move(clip), m_tracks,
        StreamFaults{faults.badHeader, faults.corruptFrames},
        [weak] {
          auto self = weak.lock();
          return self && !self->DeviceGone();
        },
        [weak] {
          // The device's connections end when it goes away, restarts or moves; the stop is
          // journaled before the client sees its connection end.
          auto self = weak.lock();
          if (!self) return;
          self->End();
          if (auto connection = self->m_connection.lock()) connection->Close();
        });
    m_sender->Play();
  });
}

void RtspSession::Teardown(const RtspRequest& request) {
  if (!SessionNamed(request)) return Respond(454);
  End();
  m_id.clear();
  m_device = nullptr;
  m_profile.clear();
  m_tracks = RtpTracks{};
  Respond(200);
}

void RtspSession::GetParameter(const RtspRequest& request) {
  // A keep-alive, with or without the session; nothing else is asked of it.
  if (request.Header("session") != nullptr && !SessionNamed(request)) return Respond(454);
  RtspResponse answer{200, {}, {}, {}, false};
  if (!m_id.empty()) {
    answer.headers.emplace_back("Session",
                                m_id + ";timeout=" + std::to_string(kRtspSessionTimeoutS));
  }
  Respond(std::move(answer));
}

}  // namespace camsim::detail
