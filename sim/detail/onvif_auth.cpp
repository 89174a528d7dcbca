#include "sim/detail/onvif_auth.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cctype>
#include <optional>

#include "onvif/namespaces.h"
#include "onvif/soap_xml.h"
#include "sim/detail/digest_credentials.h"
#include "sim/detail/message_head.h"
#include "sim/detail/onvif_ids.h"
#include "sim/detail/onvif_soap.h"
#include "sim/detail/onvif_time.h"

namespace camsim::detail {
namespace {

constexpr std::size_t kMaxNonces = 256;
constexpr std::size_t kMaxTokenNonces = 4096;
constexpr std::size_t kMaxTokenNonceBytes = 64;
constexpr std::string_view kPasswordDigestSuffix = "#PasswordDigest";

std::string Sha1Base64(std::string_view data) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  if (EVP_Digest(data.data(), data.size(), digest, &size, EVP_sha1(), nullptr) != 1) return {};
  return EncodeBase64(std::string_view(reinterpret_cast<const char*>(digest), size));
}

}  // namespace

void OnvifAuth::ForgetEarlierLife() {
  if (m_generation == m_device.Generation()) return;
  m_generation = m_device.Generation();
  m_nonces.clear();
  m_nonceOrder.clear();
  m_tokenNonces.clear();
  m_tokenNonceOrder.clear();
}

OnvifAuth::Result OnvifAuth::Check(std::string_view method, std::string_view target,
                                   const std::string* authorization, const xmlNode* soapHeader) {
  return CheckRequest(method, target, authorization, soapHeader, false);
}

OnvifAuth::Result OnvifAuth::CheckWeb(std::string_view method, std::string_view target,
                                      const std::string* authorization) {
  Result result = CheckRequest(method, target, authorization, nullptr, true);
  result.digest = true;
  return result;
}

OnvifAuth::Result OnvifAuth::CheckRequest(std::string_view method, std::string_view target,
                                          const std::string* authorization,
                                          const xmlNode* soapHeader, bool web) {
  ForgetEarlierLife();
  const OnvifSettings& settings = m_device.Config().onvif;
  const bool digestTaken = web || settings.auth != OnvifSettings::Auth::kToken;
  const bool tokenTaken = !web && settings.auth != OnvifSettings::Auth::kDigest;
  const bool hasDigest =
      digestTaken && authorization != nullptr && Lower(authorization->substr(0, 7)) == "digest ";
  const xmlNode* token = tokenTaken
                             ? onvif::Child(onvif::Child(soapHeader, onvif::kNsWsse, "Security"),
                                            onvif::kNsWsse, "UsernameToken")
                             : nullptr;
  Result result;
  result.digest = digestTaken && (hasDigest || token == nullptr);
  if (!hasDigest && token == nullptr) return result;
  if (std::string locked = m_device.AccountLocked(); !locked.empty()) {
    result.verdict = Verdict::kRefused;
    result.reason = std::move(locked);
    return result;
  }
  result = hasDigest ? CheckDigest(method, target, *authorization) : CheckToken(token);
  if (result.verdict == Verdict::kOk) m_device.CountLogin(true);
  return result;
}

OnvifAuth::Result OnvifAuth::Wrong(Result result, std::string reason) {
  result.verdict = Verdict::kRefused;
  result.reason = std::move(reason);
  m_device.CountLogin(false);
  return result;
}

OnvifAuth::Result OnvifAuth::CheckDigest(std::string_view method, std::string_view target,
                                         std::string_view authorization) {
  Result result;
  result.digest = true;
  result.verdict = Verdict::kRefused;
  const auto params = DigestParams(authorization);
  if (!params) {
    result.reason = "malformed digest credentials";
    return result;
  }
  auto param = [&params](const char* name) {
    const auto found = params->find(name);
    return found == params->end() ? std::string() : found->second;
  };
  result.user = param("username");
  const OnvifSettings& settings = m_device.Config().onvif;
  const std::string algorithm = params->count("algorithm") ? Lower(param("algorithm")) : "md5";
  const EVP_MD* md = nullptr;
  if (algorithm == "md5" && settings.digestMd5) md = EVP_md5();
  if (algorithm == "sha-256" && settings.digestSha256) md = EVP_sha256();
  if (md == nullptr) {
    result.reason = "algorithm " + param("algorithm") + " not offered";
    return result;
  }
  const std::string nc = param("nc");
  if (param("realm") != kDigestRealm || param("uri") != target || Lower(param("qop")) != "auth" ||
      nc.size() != 8 ||
      !std::all_of(nc.begin(), nc.end(),
                   [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }) ||
      param("cnonce").empty() || param("nonce").empty()) {
    result.reason = "digest credentials not for this challenge or request";
    return result;
  }
  const DeviceConfig& config = m_device.Config();
  const std::string ha1 =
      HexDigest(md, result.user + ":" + std::string(kDigestRealm) + ":" + config.password);
  const std::string ha2 = HexDigest(md, std::string(method) + ":" + std::string(target));
  const std::string expected =
      HexDigest(md, ha1 + ":" + param("nonce") + ":" + nc + ":" + param("cnonce") + ":auth:" + ha2);
  if (result.user != config.user || !SameSecret(expected, Lower(param("response")))) {
    return Wrong(std::move(result), "wrong user or password");
  }
  const auto issued = m_nonces.find(param("nonce"));
  if (issued == m_nonces.end() || m_clock.NowMs() - issued->second > settings.nonceTtlS * 1000.0) {
    result.verdict = Verdict::kStale;
    result.reason = "stale nonce";
    return result;
  }
  result.verdict = Verdict::kOk;
  return result;
}

OnvifAuth::Result OnvifAuth::CheckToken(const xmlNode* token) {
  using onvif::Child;
  Result result;
  result.verdict = Verdict::kRefused;
  result.user = onvif::Text(Child(token, onvif::kNsWsse, "Username"));
  const xmlNode* password = Child(token, onvif::kNsWsse, "Password");
  const std::string type = onvif::Attribute(password, "Type");
  const auto nonce = DecodeBase64(onvif::Text(Child(token, onvif::kNsWsse, "Nonce")));
  const std::string created = onvif::Text(Child(token, onvif::kNsWsu, "Created"));
  const auto createdS = ParseDateTime(created);
  if (password == nullptr || type.size() < kPasswordDigestSuffix.size() ||
      type.compare(type.size() - kPasswordDigestSuffix.size(), std::string::npos,
                   kPasswordDigestSuffix) != 0) {
    result.reason = "only a password digest is taken";
    return result;
  }
  // A nonce is a few random bytes; a long one would only fill the device's memory of them.
  if (!nonce || nonce->size() > kMaxTokenNonceBytes || !createdS) {
    result.reason = "token without a valid nonce or creation time";
    return result;
  }
  const DeviceConfig& config = m_device.Config();
  const std::string expected = Sha1Base64(*nonce + created + config.password);
  if (result.user != config.user || !SameSecret(expected, onvif::Text(password))) {
    return Wrong(std::move(result), "wrong user or password");
  }
  const std::int64_t now = HostUtcSeconds() + m_device.ClockOffsetS();
  if (*createdS < now - kTokenWindowS || *createdS > now + kTokenWindowS) {
    result.reason = "token created at " + created + ", too far from the device's clock";
    return result;
  }
  // A nonce can be replayed only while its Created is in the window, so remembering each for
  // twice the window is enough.
  while (!m_tokenNonceOrder.empty() &&
         (m_tokenNonces.size() >= kMaxTokenNonces ||
          m_tokenNonces.at(m_tokenNonceOrder.front()) < now - 2 * kTokenWindowS)) {
    m_tokenNonces.erase(m_tokenNonceOrder.front());
    m_tokenNonceOrder.pop_front();
  }
  if (!m_tokenNonces.emplace(*nonce, now).second) {
    result.reason = "token nonce used before";
    return result;
  }
  m_tokenNonceOrder.push_back(*nonce);
  result.verdict = Verdict::kOk;
  return result;
}

std::vector<std::string> OnvifAuth::Challenges(bool stale) {
  ForgetEarlierLife();
  while (m_nonces.size() >= kMaxNonces && !m_nonceOrder.empty()) {
    m_nonces.erase(m_nonceOrder.front());
    m_nonceOrder.pop_front();
  }
  const std::string nonce = RandomHex(16);
  m_nonces[nonce] = m_clock.NowMs();
  m_nonceOrder.push_back(nonce);
  const OnvifSettings& settings = m_device.Config().onvif;
  const std::string tail = std::string(", nonce=\"") + nonce + "\"" +
                           (stale && settings.staleFlag ? ", stale=true" : "");
  std::vector<std::string> challenges;
  const std::string head =
      "Digest realm=\"" + std::string(kDigestRealm) + "\", qop=\"auth\", algorithm=";
  if (settings.digestSha256) challenges.push_back(head + "SHA-256" + tail);
  if (settings.digestMd5) challenges.push_back(head + "MD5" + tail);
  return challenges;
}

HttpResponse OnvifAuth::Refusal(const Result& result) {
  if (!result.digest) {
    return SoapFaultResponse(SoapFault::kSender, "NotAuthorized", "",
                             "the credentials were not accepted");
  }
  HttpResponse response = SoapResponse(
      401, SoapFaultBody(SoapFault::kSender, "NotAuthorized", "", "authentication needed"));
  for (std::string& challenge : Challenges(result.verdict == Verdict::kStale)) {
    response.headers.emplace_back("WWW-Authenticate", std::move(challenge));
  }
  return response;
}

}  // namespace camsim::detail
