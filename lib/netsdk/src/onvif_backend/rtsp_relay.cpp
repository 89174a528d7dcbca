#include "onvif_backend/rtsp_relay.h"

#include <algorithm>
#include <cctype>

#include "onvif_backend/destination_guard.h"
#include "onvif_backend/text_encoding.h"
#include "timing.h"

namespace netsdk::onvif_backend {
namespace {

constexpr std::size_t kMaxHeadBytes = 16 * 1024;
// A session description of many tracks fits; nothing a camera answers with is larger.
constexpr std::size_t kMaxBodyBytes = 256 * 1024;
// Bytes waiting for a side that does not read, beyond which the other side is no longer read.
constexpr std::size_t kMaxQueuedBytes = 1024 * 1024;
// One request sent this often without a verdict (stale nonces again and again) is given up.
constexpr int kMaxSends = 3;

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool IsSha256(const onvif::DigestChallenge& challenge) {
  return challenge.algorithm == onvif::DigestAlgorithm::kSha256 ||
         challenge.algorithm == onvif::DigestAlgorithm::kSha256Sess;
}

}  // namespace

const std::string* RtspMessage::Header(const std::string& name) const {
  const std::string wanted = AsciiLower(name);
  for (const auto& [key, value] : headers) {
    if (AsciiLower(key) == wanted) return &value;
  }
  return nullptr;
}

RtspUnit TakeRtspUnit(std::string& in, std::string* raw, RtspMessage* message) {
  if (in.empty()) return RtspUnit::kMore;
  if (in[0] == '$') {
    if (in.size() < 4) return RtspUnit::kMore;
    const std::size_t size = static_cast<std::size_t>(static_cast<unsigned char>(in[2]) << 8 |
                                                      static_cast<unsigned char>(in[3]));
    if (in.size() < 4 + size) return RtspUnit::kMore;
    *raw = in.substr(0, 4 + size);
    in.erase(0, 4 + size);
    return RtspUnit::kPacket;
  }
  const std::size_t end = in.find("\r\n\r\n");
  if (end == std::string::npos) return in.size() > kMaxHeadBytes ? RtspUnit::kBad : RtspUnit::kMore;
  if (end > kMaxHeadBytes) return RtspUnit::kBad;
  RtspMessage parsed;
  std::size_t length = 0;
  std::size_t line = 0;
  for (bool first = true; line < end; first = false) {
    const std::size_t stop = in.find("\r\n", line);
    const std::string text = in.substr(line, stop - line);
    line = stop + 2;
    if (first) {
      if (text.empty()) return RtspUnit::kBad;
      parsed.startLine = text;
      continue;
    }
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0) return RtspUnit::kBad;
    const std::string name = Trim(text.substr(0, colon));
    const std::string value = Trim(text.substr(colon + 1));
    const std::string lower = AsciiLower(name);
    if (lower == "content-length") {
      if (value.empty() || value.size() > 7 ||
          !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return RtspUnit::kBad;
      }
      length = std::stoul(value);
      if (length > kMaxBodyBytes) return RtspUnit::kBad;
    } else if (lower == "cseq") {
      parsed.cseq = value;
    } else {
      parsed.headers.emplace_back(name, value);
    }
  }
  if (in.size() < end + 4 + length) return RtspUnit::kMore;
  parsed.body = in.substr(end + 4, length);
  *raw = in.substr(0, end + 4 + length);
  in.erase(0, end + 4 + length);
  *message = std::move(parsed);
  return RtspUnit::kMessage;
}

std::string WriteRtspMessage(const RtspMessage& message) {
  std::string text = message.startLine + "\r\n";
  if (!message.cseq.empty()) text += "CSeq: " + message.cseq + "\r\n";
  for (const auto& [name, value] : message.headers) text += name + ": " + value + "\r\n";
  if (!message.body.empty())
    text += "Content-Length: " + std::to_string(message.body.size()) + "\r\n";
  return text + "\r\n" + message.body;
}

std::shared_ptr<RtspRelay> RtspRelay::Open(RtspGateway& gateway, const Settings& settings,
                                           const Url& camera, Login login, std::string* why) {
  auto relay = std::make_shared<RtspRelay>(gateway, settings, camera, std::move(login));
  std::error_code error;
  const asio::ip::tcp::endpoint local(asio::ip::make_address_v4("127.0.0.1"), 0);
  relay->m_acceptor.open(local.protocol(), error);
  if (!error) relay->m_acceptor.bind(local, error);
  if (!error) relay->m_acceptor.listen(1, error);
  const std::uint16_t port = error ? 0 : relay->m_acceptor.local_endpoint(error).port();
  if (error) {
    *why = "cannot listen on loopback: " + error.message();
    return nullptr;
  }
  // Only the client that names this path is served: another local program that connects first
  // gets nothing of the camera.
  relay->m_prefix = "rtsp://127.0.0.1:" + std::to_string(port) + "/" + onvif::HexNonce();
  relay->m_address = relay->m_prefix + camera.path;
  asio::post(gateway.Io(), [relay] { relay->Start(); });
  return relay;
}

RtspRelay::RtspRelay(RtspGateway& gateway, const Settings& settings, const Url& camera, Login login)
    : m_io(gateway.Io()),
      m_refused(gateway.Refused()),
      m_settings(settings),
      m_target(camera),
      m_login(std::move(login)),
      m_acceptor(m_io),
      m_connectTimer(m_io),
      m_client(m_io),
      m_camera(m_io) {}

RtspRelay::~RtspRelay() = default;

std::string RtspRelay::Offered() const {
  std::lock_guard lock(m_offeredMutex);
  return m_offered;
}

void RtspRelay::Close() {
  asio::post(m_io, [self = shared_from_this()] { self->Shut(); });
}

void RtspRelay::Shut() {
  if (m_shut) return;
  m_shut = true;
  std::error_code ignored;
  m_acceptor.close(ignored);
  m_connectTimer.cancel();
  m_client.socket.close(ignored);
  m_camera.socket.close(ignored);
}

void RtspRelay::Start() {
  if (m_shut) return;
  // Each handler owns the relay, so that it ends on this thread once its last operation did.
  auto self = shared_from_this();
  m_acceptor.async_accept(m_client.socket, [self](const std::error_code& error) {
    if (self->m_shut) return;
    std::error_code ignored;
    self->m_acceptor.close(ignored);
    if (error) return self->Shut();
    self->m_clientUp = true;
    self->OnConnected();
  });
  std::error_code error;
  const asio::ip::address address = asio::ip::make_address(m_target.host, error);
  std::string why;
  if (error || !UnicastAllowed(address, m_settings, &why)) return Shut();
  m_connectTimer.expires_after(m_settings.Scale().Real(kConnectTimeoutMs));
  m_connectTimer.async_wait([self](const std::error_code& cancelled) {
    if (!cancelled && !self->m_cameraUp) self->Shut();
  });
  m_camera.socket.async_connect({address, m_target.port}, [self](const std::error_code& failed) {
    if (self->m_shut) return;
    if (failed) return self->Shut();
    self->m_connectTimer.cancel();
    self->m_cameraUp = true;
    self->OnConnected();
  });
}

void RtspRelay::OnConnected() {
  if (!m_clientUp || !m_cameraUp) return;
  Read(m_client);
  Read(m_camera);
}

void RtspRelay::Read(Side& side) {
  if (m_shut || side.reading) return;
  if (Other(side).queued > kMaxQueuedBytes) {
    side.paused = true;
    return;
  }
  side.paused = false;
  side.reading = true;
  side.socket.async_read_some(
      asio::buffer(side.buffer),
      [self = shared_from_this(), &side](const std::error_code& error, std::size_t size) {
        if (self->m_shut) return;
        side.reading = false;
        if (error) return self->Shut();
        side.in.append(side.buffer.data(), size);
        if (&side == &self->m_client) {
          self->FromClient();
        } else {
          self->FromCamera();
        }
        self->Read(side);
      });
}

void RtspRelay::Queue(Side& side, std::string bytes) {
  if (m_shut || bytes.empty()) return;
  side.queued += bytes.size();
  side.out.push_back(std::move(bytes));
  Write(side);
}

void RtspRelay::Write(Side& side) {
  if (m_shut || side.writing || side.out.empty()) return;
  side.writing = true;
  asio::async_write(side.socket, asio::buffer(side.out.front()),
                    [self = shared_from_this(), &side](const std::error_code& error, std::size_t) {
                      if (self->m_shut) return;
                      side.writing = false;
                      if (error) return self->Shut();
                      side.queued -= side.out.front().size();
                      side.out.pop_front();
                      Side& other = self->Other(side);
                      if (other.paused && side.queued <= kMaxQueuedBytes / 2) self->Read(other);
                      self->Write(side);
                    });
}

void RtspRelay::FromClient() {
  for (;;) {
    std::string raw;
    RtspMessage message;
    const RtspUnit unit = TakeRtspUnit(m_client.in, &raw, &message);
    if (unit == RtspUnit::kMore || m_shut) return;
    if (unit == RtspUnit::kBad) return Shut();
    // Its RTCP, and its answers to requests of the camera's, go as they are.
    if (unit == RtspUnit::kPacket || message.startLine.rfind("RTSP/", 0) == 0) {
      Queue(m_camera, std::move(raw));
    } else {
      OnRequest(std::move(message));
    }
  }
}

void RtspRelay::FromCamera() {
  for (;;) {
    std::string raw;
    RtspMessage message;
    const RtspUnit unit = TakeRtspUnit(m_camera.in, &raw, &message);
    if (unit == RtspUnit::kMore || m_shut) return;
    if (unit == RtspUnit::kBad) return Shut();
    if (unit == RtspUnit::kPacket || message.startLine.rfind("RTSP/", 0) != 0) {
      Queue(m_client, std::move(raw));
    } else {
      OnAnswer(std::move(message));
    }
  }
}

void RtspRelay::OnRequest(RtspMessage message) {
  const std::size_t first = message.startLine.find(' ');
  const std::size_t second = message.startLine.find(' ', first + 1);
  if (first == std::string::npos || second == std::string::npos) return Shut();
  Pending pending;
  pending.method = message.startLine.substr(0, first);
  pending.uri = message.startLine.substr(first + 1, second - first - 1);
  if (pending.uri.rfind(m_prefix, 0) == 0) {
    m_ours = true;
    pending.uri = "rtsp://" + m_target.Authority() + pending.uri.substr(m_prefix.size());
  }
  if (!m_ours) return Shut();
  pending.clientCSeq = message.cseq;
  std::erase_if(message.headers, [](const auto& header) {
    const std::string name = AsciiLower(header.first);
    return name == "authorization" || name == "proxy-authorization";
  });
  message.startLine = pending.method + " " + pending.uri + message.startLine.substr(second);
  pending.request = std::move(message);
  m_pending.push_back(std::move(pending));
  Send(m_pending.back());
}

void RtspRelay::Send(Pending& pending) {
  ++pending.sends;
  pending.cseq = std::to_string(++m_cseq);
  pending.credential = Pending::Sent::kNothing;
  RtspMessage request = pending.request;
  request.cseq = pending.cseq;
  const Credential& credential = m_login.credential;
  if ((m_digest || m_basic) && m_refused.IsRefused(m_login.device, credential)) {
    m_outcome = RelayOutcome::kRefusedEarlier;
  } else if (m_digest) {
    const std::string cnonce = onvif::HexNonce();
    const onvif::DigestRequest digest{pending.method,      pending.uri,    credential.user,
                                      credential.password, ++m_nonceCount, cnonce};
    if (auto value = onvif::DigestAuthorization(*m_digest, digest)) {
      request.headers.emplace_back("Authorization", *value);
      pending.credential = Pending::Sent::kDigest;
    }
  } else if (m_basic) {
    request.headers.emplace_back("Authorization",
                                 "Basic " + Base64(credential.user + ":" + credential.password));
    pending.credential = Pending::Sent::kBasic;
  }
  Queue(m_camera, WriteRtspMessage(request));
}

void RtspRelay::OnAnswer(RtspMessage answer) {
  auto found = std::find_if(m_pending.begin(), m_pending.end(), [&answer](const Pending& pending) {
    return pending.cseq == answer.cseq;
  });
  // A camera that does not echo CSeq answers in order.
  if (found == m_pending.end() && answer.cseq.empty() && !m_pending.empty()) {
    found = m_pending.begin();
  }
  if (found == m_pending.end()) return;
  const std::size_t space = answer.startLine.find(' ');
  const int status =
      space == std::string::npos ? 0 : std::atoi(answer.startLine.c_str() + space + 1);
  if (status == 401 && Answer401(*found, answer)) return;
  // Proven by an answer to the credential, or by a description given without asking for one.
  if (status / 100 == 2 && m_outcome.load() == RelayOutcome::kNone &&
      (found->credential != Pending::Sent::kNothing ||
       (found->method == "DESCRIBE" && !m_digest && !m_basic))) {
    m_outcome = RelayOutcome::kAccepted;
  }
  // libavformat would answer a challenge itself, with nothing, and try once more: it learns none.
  std::erase_if(answer.headers, [](const auto& header) {
    const std::string name = AsciiLower(header.first);
    return name == "www-authenticate" || name == "proxy-authenticate";
  });
  answer.cseq = found->clientCSeq;
  m_pending.erase(found);
  Queue(m_client, WriteRtspMessage(answer));
}

bool RtspRelay::Answer401(Pending& pending, const RtspMessage& answer) {
  std::optional<onvif::DigestChallenge> digest;
  bool basic = false;
  std::string offered;
  for (const auto& [name, value] : answer.headers) {
    if (AsciiLower(name) != "www-authenticate") continue;
    offered += (offered.empty() ? "" : "; ") + value.substr(0, value.find(' '));
    if (const std::size_t at = value.find("algorithm="); at != std::string::npos) {
      offered += " " + value.substr(at + 10, value.find_first_of(", ", at + 10) - at - 10);
    }
    basic = basic || AsciiLower(value.substr(0, 6)) == "basic " || AsciiLower(value) == "basic";
    auto challenge = onvif::ParseDigestChallenge(value);
    if (challenge && (!digest || (IsSha256(*challenge) && !IsSha256(*digest)))) digest = challenge;
  }
  if (pending.credential != Pending::Sent::kNothing) {
    if (pending.credential == Pending::Sent::kDigest && digest && digest->stale &&
        pending.sends < kMaxSends) {
      m_digest = digest;
      m_nonceCount = 0;
      Send(pending);
      return true;
    }
    // A fresh challenge to the credential just sent: the device does not take it.
    if (digest || basic) {
      m_refused.Refuse(m_login.device, m_login.credential);
      m_outcome = RelayOutcome::kRefused;
    }
    return false;
  }
  if (pending.sends >= kMaxSends || m_outcome.load() == RelayOutcome::kRefusedEarlier) return false;
  if (m_refused.IsRefused(m_login.device, m_login.credential)) {
    m_outcome = RelayOutcome::kRefusedEarlier;
    return false;
  }
  if (digest) {
    m_digest = digest;
    m_basic = false;
    m_nonceCount = 0;
  } else if (basic && m_login.basicAllowed) {
    m_basic = true;
  } else {
    m_outcome = basic ? RelayOutcome::kClearText : RelayOutcome::kNoScheme;
    std::lock_guard lock(m_offeredMutex);
    m_offered = offered.empty() ? "no challenge" : offered;
    return false;
  }
  Send(pending);
  return true;
}

}  // namespace netsdk::onvif_backend
