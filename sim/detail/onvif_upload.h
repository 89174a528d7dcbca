// The HTTP firmware upload of one ONVIF device. StartFirmwareUpgrade hands out an address with a
// random token, good for one POST in the device's current life; the POST's body goes through the
// device's firmware check as it arrives (only the header and checksum are kept), paced by the
// device's transfer rate and bent by its transfer faults. A device that wants the upload
// authenticated judges the POST's head, so a refusal goes out before the body is read (a client
// that sent Expect: 100-continue has sent none of it). Network thread only.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <utility>

#include "sim/detail/device.h"
#include "sim/detail/http_connection.h"
#include "sim/detail/onvif_auth.h"
#include "sim/detail/sim_clock.h"
#include "wire/firmware.h"

namespace camsim::detail {

class OnvifUpload {
 public:
  // auth checks the POST when the device wants its upload authenticated.
  OnvifUpload(Device& device, SimClock& clock, OnvifAuth& auth)
      : m_device(device), m_clock(clock), m_auth(auth) {}

  std::string NewToken();
  // The head of a request to firmware/<token> has arrived.
  void OnPost(const std::shared_ptr<HttpConnection>& connection, HttpRequest& request,
              const std::string& token);

 private:
  struct Transfer {
    std::uint64_t size = 0;
    std::uint64_t received = 0;
    double startMs = 0;
    unsigned generation = 0;
    wire::FirmwareChecker checker;
  };

  void OnData(const std::shared_ptr<HttpConnection>& connection, Transfer& transfer,
              const std::uint8_t* data, std::size_t size);
  void OnEnd(const std::shared_ptr<HttpConnection>& connection, std::shared_ptr<Transfer> transfer);
  static void Answer(const std::shared_ptr<HttpConnection>& connection, int status,
                     std::string text, bool close);

  Device& m_device;
  SimClock& m_clock;
  OnvifAuth& m_auth;
  std::deque<std::pair<std::string, unsigned>> m_tokens;  // token, the life it was given in
  std::weak_ptr<Transfer> m_running;  // one transfer at a time; it ends with its connection
};

}  // namespace camsim::detail
