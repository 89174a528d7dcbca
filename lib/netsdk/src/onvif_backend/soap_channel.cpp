#include "onvif_backend/soap_channel.h"

#include <chrono>
#include <cstring>

#include "onvif/ws_security.h"
#include "onvif_backend/device_messages.h"

namespace netsdk::onvif_backend {
namespace {

// An answer may ask for credentials again after a stale nonce; more rounds than this mean the
// device does not take what it asked for.
constexpr int kMaxAttempts = 4;

bool IsAuthenticationFault(const onvif::SoapFault& fault) {
  return fault.subcode.name == "NotAuthorized" || fault.subcode.name == "FailedAuthentication" ||
         fault.subcode.name == "InvalidSecurityToken" || fault.subcode.name == "FailedCheck";
}

std::optional<onvif::DigestChallenge> DigestOf(const HttpResponse& response) {
  for (const std::string& value : response.wwwAuthenticate) {
    if (auto challenge = onvif::ParseDigestChallenge(value)) return challenge;
  }
  return std::nullopt;
}

}  // namespace

bool RefusedCredentials::IsRefused(const std::string& device, const Credential& credential) const {
  std::lock_guard lock(m_mutex);
  return m_refused.count({device, {credential.user, credential.password}}) > 0;
}

void RefusedCredentials::Refuse(const std::string& device, const Credential& credential) {
  std::lock_guard lock(m_mutex);
  m_refused.insert({device, {credential.user, credential.password}});
}

struct SoapChannel::Attempt {
  Url url;
  std::string action;
  std::string body;
  bool authenticate = false;
  int round = 0;
  Mode sentWith = Mode::kUnknown;  // how the last round carried the credential
  bool renewedNonce = false;       // answered once with a new challenge after an expired nonce
  std::function<void(CallResult)> done;
};

SoapChannel::SoapChannel(HttpClient& http, RefusedCredentials& refused, std::string device,
                         Credential credential)
    : m_http(http),
      m_refused(refused),
      m_device(std::move(device)),
      m_credential(std::move(credential)) {}

void SoapChannel::SetCredential(Credential credential) {
  m_credential = std::move(credential);
}

bool SoapChannel::CredentialRefused() const {
  return m_refused.IsRefused(m_device, m_credential);
}

std::optional<std::string> SoapChannel::AnswerChallenge(const HttpResponse& response,
                                                        const std::string& method,
                                                        const std::string& path) const {
  const auto challenge = DigestOf(response);
  if (response.status != 401 || !challenge || CredentialRefused()) return std::nullopt;
  const std::string cnonce = onvif::HexNonce();
  const onvif::DigestRequest digest{.method = method,
                                    .uri = path,
                                    .user = m_credential.user,
                                    .password = m_credential.password,
                                    .nc = 1,
                                    .cnonce = cnonce};
  return onvif::DigestAuthorization(*challenge, digest);
}

void SoapChannel::RefuseCredential() {
  m_refused.Refuse(m_device, m_credential);
}

void SoapChannel::Call(const Url& url, const std::string& action, const std::string& body,
                       bool authenticate, std::function<void(CallResult)> done) {
  auto attempt = std::make_shared<Attempt>();
  attempt->url = url;
  attempt->action = action;
  attempt->body = body;
  attempt->authenticate = authenticate;
  attempt->done = std::move(done);
  Send(std::move(attempt));
}

void SoapChannel::Send(std::shared_ptr<Attempt> attempt) {
  const bool withCredential = attempt->authenticate && m_mode != Mode::kUnknown;
  if ((attempt->authenticate || attempt->round > 0) && CredentialRefused()) {
    CallResult result;
    result.outcome = CallResult::Outcome::kRefused;
    result.error = "credential refused earlier";
    auto done = std::move(attempt->done);
    done(std::move(result));
    return;
  }
  ++attempt->round;
  HttpRequest request;
  request.url = attempt->url;
  request.contentType = SoapContentType(attempt->action);
  std::string header;
  attempt->sentWith = Mode::kUnknown;
  if (withCredential && m_mode == Mode::kDigest && m_challenge) {
    const std::string cnonce = onvif::HexNonce();
    onvif::DigestRequest digest{
        "POST", attempt->url.path, m_credential.user, m_credential.password, ++m_nonceCount,
        cnonce};
    if (auto value = onvif::DigestAuthorization(*m_challenge, digest)) {
      request.authorization = *value;
      attempt->sentWith = Mode::kDigest;
    }
  } else if (withCredential && m_mode == Mode::kToken) {
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    header =
        onvif::UsernameTokenHeader(m_credential.user, m_credential.password, onvif::RandomNonce(),
                                   onvif::FormatCreated(now + m_clockOffset));
    if (!header.empty()) attempt->sentWith = Mode::kToken;
  }
  request.body = onvif::Envelope(header, attempt->body);
  std::weak_ptr<SoapChannel> weak = weak_from_this();
  m_http.Send(std::move(request), [weak, attempt](HttpResponse response) {
    if (auto self = weak.lock()) self->OnAnswer(attempt, std::move(response));
  });
}

void SoapChannel::OnAnswer(std::shared_ptr<Attempt> attempt, HttpResponse response) {
  CallResult result;
  result.status = response.status;
  result.error = response.error;
  using Outcome = HttpResponse::Outcome;
  switch (response.outcome) {
    case Outcome::kRefused:
      result.outcome = CallResult::Outcome::kNotAllowed;
      break;
    case Outcome::kUnreachable:
      result.outcome = CallResult::Outcome::kUnreachable;
      break;
    case Outcome::kTimedOut:
      result.outcome = CallResult::Outcome::kTimedOut;
      break;
    case Outcome::kBroken:
      result.outcome = CallResult::Outcome::kBroken;
      break;
    case Outcome::kAnswered:
      break;
  }
  if (response.outcome != Outcome::kAnswered) {
    auto done = std::move(attempt->done);
    done(std::move(result));
    return;
  }
  std::string parseError;
  result.document = onvif::ParseSoap(response.body, &parseError);
  std::optional<onvif::SoapFault> fault;
  if (result.document) fault = result.document->Fault();
  const bool askedForCredential =
      response.status == 401 || (fault && IsAuthenticationFault(*fault));
  if (askedForCredential) {
    const auto challenge = DigestOf(response);
    // Devices expire nonces, often without stale=true: a nonce that worked earns one more round
    // with the new challenge before the credential is judged.
    const bool expired =
        attempt->sentWith == Mode::kDigest && challenge && m_nonceProven && !attempt->renewedNonce;
    const bool digestRefused =
        attempt->sentWith == Mode::kDigest && challenge && !challenge->stale && !expired;
    const bool tokenRefused = attempt->sentWith == Mode::kToken && !challenge;
    if (m_proven && attempt->sentWith != Mode::kUnknown && !challenge) {
      // The credential works on this device; the account may not do this.
      result.outcome = CallResult::Outcome::kNotAuthorized;
      result.error = "not authorized";
      if (fault) result.fault = *fault;
      auto done = std::move(attempt->done);
      return done(std::move(result));
    }
    if (digestRefused || tokenRefused || attempt->round >= kMaxAttempts) return Refused(attempt);
    if (challenge) {
      m_challenge = challenge;
      m_nonceCount = 0;
      m_nonceProven = false;
      m_mode = Mode::kDigest;
      attempt->renewedNonce = attempt->renewedNonce || expired;
    } else {
      m_mode = Mode::kToken;
    }
    attempt->authenticate = true;
    return Send(std::move(attempt));
  }
  if (attempt->sentWith != Mode::kUnknown) {
    m_proven = true;
    m_nonceProven = m_nonceProven || attempt->sentWith == Mode::kDigest;
  }
  if (!result.document) {
    result.outcome = CallResult::Outcome::kBroken;
    result.error =
        "not a SOAP answer (HTTP " + std::to_string(response.status) + "): " + parseError;
  } else if (fault) {
    result.outcome = CallResult::Outcome::kFault;
    result.fault = *fault;
    result.error = fault->subcode.name.empty() ? fault->code.name : fault->subcode.name;
  } else if (response.status / 100 != 2) {
    result.outcome = CallResult::Outcome::kBroken;
    result.error = "HTTP " + std::to_string(response.status);
  } else {
    result.outcome = CallResult::Outcome::kOk;
  }
  auto done = std::move(attempt->done);
  done(std::move(result));
}

void SoapChannel::Refused(const std::shared_ptr<Attempt>& attempt) {
  RefuseCredential();
  CallResult result;
  result.outcome = CallResult::Outcome::kRefused;
  result.error = "credential refused";
  auto done = std::move(attempt->done);
  done(std::move(result));
}

}  // namespace netsdk::onvif_backend
