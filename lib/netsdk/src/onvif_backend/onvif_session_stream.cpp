// The session's stream lookup: the address of the first playable profile, asked for on a
// preview's own thread.
#include <chrono>
#include <mutex>

#include "onvif/namespaces.h"
#include "onvif_backend/destination_guard.h"
#include "onvif_backend/onvif_session.h"
#include "onvif_backend/rtsp_preview.h"
#include "onvif_backend/text_encoding.h"
#include "waiter.h"

namespace netsdk::onvif_backend {

void OnvifSession::ResolveStream(MediaVersion version, std::function<void(std::string)> done) {
  const auto service = m_serviceMap.find(
      std::string(version == MediaVersion::kMedia2 ? onvif::kNsMedia2 : onvif::kNsMedia));
  Url url;
  if (!m_channel || service == m_serviceMap.end() || !ParseUrl(service->second, &url)) {
    return done("");
  }
  std::weak_ptr<OnvifSession> weak = weak_from_this();
  m_channel->Call(url, MediaAction(version, "GetProfiles"), GetProfilesBody(version), true,
                  [weak, url, version, done](CallResult result) {
                    auto self = weak.lock();
                    const std::string token =
                        result.Ok() ? ReadPlayableProfile(version, result.Body()) : "";
                    if (!self || !self->m_channel || token.empty()) return done("");
                    self->m_channel->Call(
                        url, MediaAction(version, "GetStreamUri"), GetStreamUriBody(version, token),
                        true, [version, done](CallResult answer) {
                          done(answer.Ok() ? ReadStreamUri(version, answer.Body()) : "");
                        });
                  });
}

std::shared_ptr<LivePreview> OnvifSession::MakePreview(const PreviewTarget& target,
                                                       StreamDelivery& delivery,
                                                       std::shared_ptr<StreamDelivery::Feed> feed) {
  const auto user = GbkToUtf8(target.user);
  const auto password = GbkToUtf8(target.password);
  if (!user || !password || !m_loggedIn.load()) return nullptr;
  // The stream address is asked for on the preview's own thread: RealPlayEx, called on the
  // window thread for every pane of a grid, never waits for the device.
  StreamLocator locate = [&io = m_context.io, &settings = m_context.settings,
                          weak = weak_from_this(),
                          service = m_service](const std::atomic<bool>& closed) {
    return LocateStream(io, settings, weak, service, closed);
  };
  return std::make_shared<RtspPreview>(m_context.settings, delivery, std::move(feed),
                                       std::move(locate), m_services.rtsp, m_device,
                                       Credential{*user, *password});
}

std::optional<Url> OnvifSession::LocateStream(asio::io_context& io, const Settings& settings,
                                              std::weak_ptr<OnvifSession> weak, const Url& service,
                                              const std::atomic<bool>& closed) {
  struct Found {
    std::mutex mutex;
    std::string address;
  };
  constexpr int kNotYet = -2;
  auto found = std::make_shared<Found>();
  auto waiter = std::make_shared<Waiter>();
  // The session is owned on the network thread only, so that its last owner is never this one.
  asio::post(io, [weak, found, waiter] {
    auto self = weak.lock();
    if (!self) return waiter->Set(-1);
    auto deliver = [found, waiter](std::string address) {
      {
        std::lock_guard lock(found->mutex);
        found->address = std::move(address);
      }
      waiter->Set(0);
    };
    self->ResolveStream(MediaVersion::kMedia2, [weak, deliver](std::string address) {
      auto self = weak.lock();
      // Devices without Media2 still have the first media service.
      if (!address.empty() || !self) return deliver(std::move(address));
      self->ResolveStream(MediaVersion::kMedia, deliver);
    });
  });
  // Bounded as the calls it waits for, and cut short when the preview closes.
  const auto until = std::chrono::steady_clock::now() + settings.Scale().Real(4 * kSoapTimeoutMs);
  int result = kNotYet;
  while (result == kNotYet && !closed.load() && std::chrono::steady_clock::now() < until) {
    result = waiter->Wait(std::chrono::milliseconds(20), kNotYet);
  }
  if (result != 0) return std::nullopt;
  std::string address;
  {
    std::lock_guard lock(found->mutex);
    address = found->address;
  }
  Url stream;
  std::string why;
  if (!ParseUrl(address, &stream) || stream.scheme != "rtsp") return std::nullopt;
  stream = WithAuthorityOf(stream, service);
  if (!HostAllowed(stream.host, settings, &why)) return std::nullopt;
  return stream;
}

}  // namespace netsdk::onvif_backend
