// What a settings group's device operation needs of its login: SOAP calls to the device's
// services by namespace, awaited one after another on the network thread, so that an operation
// reads as the sequence of calls it makes (read the options, check the values, then set).
#pragma once

#include <asio.hpp>
#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "onvif_backend/device_messages.h"
#include "onvif_backend/soap_channel.h"

namespace netsdk::onvif_backend {

// How a group ended: ok, or the reason it was not carried. Notes name the values that were carried
// approximately or not at all while the group went on.
struct GroupOutcome {
  bool ok = false;
  std::string reason;
  std::string answer;  // the answer text handed to the program, where the command has one
  std::vector<std::string> notes;

  static GroupOutcome Carried() { return {true, {}, {}, {}}; }
  static GroupOutcome Failed(std::string reason) { return {false, std::move(reason), {}, {}}; }
};

class ServiceCalls {
 public:
  ServiceCalls(std::shared_ptr<SoapChannel> channel, ServiceMap services,
               std::shared_ptr<const std::atomic<bool>> open)
      : m_channel(std::move(channel)), m_services(std::move(services)), m_open(std::move(open)) {}

  // Whether the device named a service of this namespace at the login.
  bool Offers(std::string_view ns) const;
  // A call to the service of namespace ns. A closed login or a service the device does not offer
  // gives a result that is not Ok, and nothing is sent.
  asio::awaitable<CallResult> Call(std::string_view ns, std::string_view operation,
                                   std::string body) const;

 private:
  std::shared_ptr<SoapChannel> m_channel;
  ServiceMap m_services;
  std::shared_ptr<const std::atomic<bool>> m_open;
};

// What went wrong with a call, for the log: the fault's subcode and reason, or the transport's.
std::string Reason(const std::string& operation, const CallResult& result);

}  // namespace netsdk::onvif_backend
