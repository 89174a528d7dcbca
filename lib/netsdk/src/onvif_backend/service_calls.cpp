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
  // The request lives in this frame while the call is awaited. The initiation holds only its
  // address: asio passes the initiation to a coroutine by value, and g++ 12 moves such closure
  // parameters byte by byte, which strings in them do not survive.
  struct Request {
    std::shared_ptr<SoapChannel> channel;
    Url url;
    std::string action;
    std::string body;
  };
  Request request{m_channel, url, std::string(ns) + "/" + std::string(operation), std::move(body)};
  CallResult result =
      co_await asio::async_initiate<const asio::use_awaitable_t<>, void(CallResult)>(
          [pending = &request](auto handler) {
            // The channel keeps copyable callbacks; the coroutine's handler may only move.
            auto shared = std::make_shared<decltype(handler)>(std::move(handler));
            pending->channel->Call(
                pending->url, pending->action, pending->body, true,
                [shared](CallResult answer) { std::move (*shared)(std::move(answer)); });
          },
          asio::use_awaitable);
  co_return result;
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
