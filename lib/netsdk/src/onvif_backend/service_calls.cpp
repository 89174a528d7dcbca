#include "onvif_backend/service_calls.h"

#include "onvif_backend/url.h"

namespace netsdk::onvif_backend {

bool ServiceCalls::Offers(std::string_view ns) const {
  return m_services.find(std::string(ns)) != m_services.end();
}

asio::awaitable<CallResult> ServiceCalls::Call(std::string_view ns, std::string_view operation,
                                               std::string body) const {
  const auto service = m_services.find(std::string(ns));
  Url url;
  if (!m_open->load() || service == m_services.end() || !ParseUrl(service->second, &url)) {
    CallResult nothing;
    nothing.error = m_open->load() ? "the device has no such service" : "the login is closed";
    co_return nothing;
  }
  const std::string action = std::string(ns) + "/" + std::string(operation);
  co_return co_await asio::async_initiate<const asio::use_awaitable_t<>, void(CallResult)>(
      [channel = m_channel, url, action, body = std::move(body)](auto handler) {
        // The channel keeps copyable callbacks; the coroutine's handler may only move.
        auto shared = std::make_shared<decltype(handler)>(std::move(handler));
        channel->Call(url, action, body, true,
                      [shared](CallResult result) { std::move (*shared)(std::move(result)); });
      },
      asio::use_awaitable);
}

std::string Reason(const std::string& operation, const CallResult& result) {
  std::string reason = operation + ": " + (result.error.empty() ? "no answer" : result.error);
  if (result.document) {
    if (const auto fault = result.document->Fault(); fault && !fault->reason.empty()) {
      reason += " (" + fault->reason + ")";
    }
  }
  return reason;
}

}  // namespace netsdk::onvif_backend
