// The credentials one ONVIF device takes: HTTP digest (qop=auth, MD5 and/or SHA-256) and
// WS-Security UsernameTokens with a password digest, checked against the device's account and its
// own clock; wrong ones count towards the device's account lock. What it remembers (nonces) lasts
// one life of the device: a restart forgets it. Network thread only.
#pragma once

#include <libxml/tree.h>

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "sim/detail/device.h"
#include "sim/detail/http_connection.h"
#include "sim/detail/sim_clock.h"

namespace camsim::detail {

// How far a token's Created may be from the device's clock, either way.
constexpr std::int64_t kTokenWindowS = 5 * 60;

class OnvifAuth {
 public:
  enum class Verdict {
    kOk,
    kMissing,  // no credentials the device takes: a challenge, nothing to journal
    kStale,    // a right digest on an expired nonce: a new challenge, not a wrong login
    kRefused,  // wrong, expired, replayed or malformed credentials, or a locked account
  };
  struct Result {
    Verdict verdict = Verdict::kMissing;
    bool digest = false;  // the answer is a digest challenge (otherwise ter:NotAuthorized)
    std::string user;
    std::string reason;
  };

  OnvifAuth(Device& device, SimClock& clock)
      : m_device(device), m_clock(clock), m_generation(device.Generation()) {}

  // Checks one request: its method and target, its Authorization header (null when absent) and
  // its SOAP Header element (null when absent).
  Result Check(std::string_view method, std::string_view target, const std::string* authorization,
               const xmlNode* soapHeader);
  // Checks a request to the device's web server beside the services (an upload, a snapshot): no
  // SOAP header can carry a token there, so digest is taken whatever the services take.
  Result CheckWeb(std::string_view method, std::string_view target,
                  const std::string* authorization);
  // The WWW-Authenticate values of a 401, SHA-256 first, with a fresh nonce; stale=true after an
  // expired nonce unless the device leaves the flag out.
  std::vector<std::string> Challenges(bool stale);
  // The 401 answer to a request that may not go on: its challenges when the check's result calls
  // for digest, else a ter:NotAuthorized fault.
  HttpResponse Refusal(const Result& result);

 private:
  Result CheckRequest(std::string_view method, std::string_view target,
                      const std::string* authorization, const xmlNode* soapHeader, bool web);
  Result CheckDigest(std::string_view method, std::string_view target,
                     std::string_view authorization);
  Result CheckToken(const xmlNode* token);
  Result Wrong(Result result, std::string reason);
  void ForgetEarlierLife();

  Device& m_device;
  SimClock& m_clock;
  unsigned m_generation;
  std::map<std::string, double> m_nonces;  // digest nonces issued, with when
  std::deque<std::string> m_nonceOrder;
  std::map<std::string, std::int64_t> m_tokenNonces;  // token nonces taken, on the device clock
  std::deque<std::string> m_tokenNonceOrder;
};

}  // namespace camsim::detail
