// What the ONVIF backend's live previews share: the thread their RTSP relays run on, the trial of
// each credential a device has not yet taken over RTSP, and the reports already logged. A grid
// opens many panes of one device at once; were each to try an unproven credential, a wrong
// password would be sent once per pane before the first refusal is known, and cameras lock an
// account after a few. So one pane tries it while the others wait for its verdict. Thread-safe.
#pragma once

#include <asio.hpp>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <tuple>

#include "library_options.h"
#include "onvif_backend/soap_channel.h"

namespace netsdk::onvif_backend {

class RtspGateway {
 public:
  enum class Turn {
    kGo,       // the device took the credential over RTSP before: send it
    kTrial,    // no verdict yet: this attempt tries it and must Finish
    kWait,     // another attempt tries it now
    kRefused,  // refused on evidence, by RTSP or SOAP: never sent again
  };
  enum class Verdict { kAccepted, kRefused, kNone };

  explicit RtspGateway(RefusedCredentials& refused);
  ~RtspGateway();
  RtspGateway(const RtspGateway&) = delete;
  RtspGateway& operator=(const RtspGateway&) = delete;

  asio::io_context& Io() { return m_io; }
  RefusedCredentials& Refused() { return m_refused; }

  Turn TakeTurn(const std::string& device, const Credential& credential);
  // Ends an attempt of Turn kGo or kTrial with what the device said.
  void Finish(const std::string& device, const Credential& credential, bool trial, Verdict verdict);
  // A stream that played ended: the device may have changed its password meanwhile, so the next
  // attempt is a trial again.
  void Lost(const std::string& device, const Credential& credential);
  // True the first time (device, reason) is reported in this process: each is logged once.
  bool FirstReport(const std::string& device, const std::string& reason);
  // Ends the relays' thread; nothing of theirs runs after it. Idempotent.
  void Stop();

 private:
  using Key = std::tuple<std::string, std::string, std::string>;
  struct Trial {
    bool proven = false;
    bool running = false;
  };

  RefusedCredentials& m_refused;
  asio::io_context m_io;
  asio::executor_work_guard<asio::io_context::executor_type> m_work;
  std::mutex m_mutex;
  std::map<Key, Trial> m_trials;
  std::set<std::pair<std::string, std::string>> m_reported;
  std::thread m_thread;
};

}  // namespace netsdk::onvif_backend
