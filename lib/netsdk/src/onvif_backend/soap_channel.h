// SOAP calls to one device with one credential, on the network thread. The channel learns how the
// device wants to be authenticated — an HTTP digest challenge, else a WS-Security UsernameToken
// created on the device's clock — and never sends a credential the device has refused.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "library_options.h"
#include "onvif/http_digest.h"
#include "onvif/soap_xml.h"
#include "onvif_backend/http_client.h"

namespace netsdk::onvif_backend {

// Credentials a device refused, by device: cameras lock an account after a few failures, so a
// refused credential is never sent to that device again in this process. Thread-safe.
class RefusedCredentials {
 public:
  bool IsRefused(const std::string& device, const Credential& credential) const;
  void Refuse(const std::string& device, const Credential& credential);

 private:
  mutable std::mutex m_mutex;
  std::set<std::pair<std::string, std::pair<std::string, std::string>>> m_refused;
};

struct CallResult {
  enum class Outcome {
    kOk,             // a SOAP answer that is not a fault
    kFault,          // a SOAP fault other than an authentication failure
    kRefused,        // the credential was refused (now, or earlier: then nothing was sent)
    kNotAuthorized,  // a credential the device takes, but not for this operation
    kNotAllowed,     // the destination guard refused the address
    kUnreachable,
    kTimedOut,
    kBroken,  // a closed connection, an HTML page, malformed XML...
  };
  Outcome outcome = Outcome::kBroken;
  std::optional<onvif::SoapDocument> document;
  onvif::SoapFault fault;
  long status = 0;
  std::string error;

  bool Ok() const { return outcome == Outcome::kOk; }
  // The device answered, if only with a fault or an HTTP error status: it is there and has
  // refused this operation.
  bool Answered() const {
    return outcome == Outcome::kOk || outcome == Outcome::kFault ||
           outcome == Outcome::kNotAuthorized || (outcome == Outcome::kBroken && status >= 400);
  }
  // The Body element of the answer; null unless there is a document.
  const xmlNode* Body() const { return document ? document->Body() : nullptr; }
};

class SoapChannel : public std::enable_shared_from_this<SoapChannel> {
 public:
  // device names the device for the refused credentials (its endpoint reference when known).
  SoapChannel(HttpClient& http, RefusedCredentials& refused, std::string device,
              Credential credential);

  // Calls operation (its action URI) at url; done runs on the network thread. Without
  // authenticate the first attempt carries no credential, as the clock query must (its answer is
  // what a token is created from); a device that asks for one gets it.
  void Call(const Url& url, const std::string& action, const std::string& body, bool authenticate,
            std::function<void(CallResult)> done);

  // The device's clock minus ours, learned from its time answer; tokens are created on it.
  void SetClockOffset(std::int64_t seconds) { m_clockOffset = seconds; }
  std::int64_t ClockOffset() const { return m_clockOffset; }
  const Credential& GetCredential() const { return m_credential; }
  // After the device took a new password for the account in use.
  void SetCredential(Credential credential);
  bool CredentialRefused() const;
  // For a plain HTTP request to the device (the firmware upload) answered 401 without credentials:
  // the Authorization that answers its digest challenge with this channel's credential; nullopt
  // when it offered none or the credential was refused.
  std::optional<std::string> AnswerChallenge(const HttpResponse& response,
                                             const std::string& method,
                                             const std::string& path) const;
  // The device refused the credential on a fresh challenge outside a SOAP call.
  void RefuseCredential();

 private:
  enum class Mode { kUnknown, kDigest, kToken };
  struct Attempt;

  void Send(std::shared_ptr<Attempt> attempt);
  void OnAnswer(std::shared_ptr<Attempt> attempt, HttpResponse response);
  void Refused(const std::shared_ptr<Attempt>& attempt);

  HttpClient& m_http;
  RefusedCredentials& m_refused;
  const std::string m_device;
  Credential m_credential;
  Mode m_mode = Mode::kUnknown;
  std::optional<onvif::DigestChallenge> m_challenge;
  std::uint32_t m_nonceCount = 0;
  // The device took the credential on this channel: a later refusal without a fresh challenge is
  // about the operation (an account level), not the credential.
  bool m_proven = false;
  // The current nonce was taken at least once: a 401 without stale=true may only mean it expired.
  bool m_nonceProven = false;
  std::int64_t m_clockOffset = 0;
};

}  // namespace netsdk::onvif_backend
