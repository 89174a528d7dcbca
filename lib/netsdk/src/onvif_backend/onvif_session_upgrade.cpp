// The session's firmware upgrade: StartFirmwareUpgrade, then the image posted to the address the
// device gave, its progress and the verdict.
#include "netsdk_settings.h"
#include "onvif/soap_xml.h"
#include "onvif_backend/onvif_session.h"

namespace netsdk::onvif_backend {

int OnvifSession::StartUpgrade(std::shared_ptr<const FirmwareImage> image) {
  if (!image || !m_loggedIn.load() || m_upgradeActive.exchange(true)) return -1;
  m_upgradeStarted = true;
  m_progress->store(0);
  asio::post(m_context.io, [self = shared_from_this(), image] {
    std::weak_ptr<OnvifSession> weak = self;
    auto failed = [weak] {
      if (auto self = weak.lock()) {
        self->m_upgradeActive = false;
        self->StatusEvent(NETSDK_EVENT_UPGRADE_TRANSFER_FAILED, NETSDK_VALUE_NONE);
      }
    };
    if (!self->m_channel) return failed();
    self->Call(
        "StartFirmwareUpgrade", StartFirmwareUpgradeBody(),
        [weak, image, failed](CallResult result) {
          auto self = weak.lock();
          FirmwareUpload upload;
          if (!self) return;
          if (!result.Ok() || !ReadFirmwareUpload(result.Body(), &upload)) return failed();
          self->m_uploadTimer.expires_after(self->m_context.settings.Scale().Real(upload.delayMs));
          self->m_uploadTimer.async_wait(
              [weak, image, upload, failed](const std::error_code& error) {
                auto self = weak.lock();
                if (!self || error) return failed();
                self->Upload(image, upload);
              });
        });
  });
  return 0;
}

void OnvifSession::Upload(std::shared_ptr<const FirmwareImage> image,
                          const FirmwareUpload& upload) {
  Url url;
  if (!ParseUrl(upload.uri, &url) || url.scheme != "http") {
    m_upgradeActive = false;
    return StatusEvent(NETSDK_EVENT_UPGRADE_TRANSFER_FAILED, NETSDK_VALUE_NONE);
  }
  SendImage(std::move(image), WithAuthorityOf(url, m_service), "");
}

void OnvifSession::SendImage(std::shared_ptr<const FirmwareImage> image, const Url& url,
                             const std::string& authorization) {
  HttpRequest request;
  request.url = url;
  request.contentType = "application/octet-stream";
  request.authorization = authorization;
  request.upload = image;
  // The progress callback runs on the HTTP thread: it touches only the shared percentage and the
  // dispatcher, whose queue is thread-safe.
  auto lastByte = std::make_shared<std::atomic<bool>>(false);
  request.progress = [progress = m_progress, lastByte, open = m_open, handle = m_handle,
                      &events = m_context.events](std::uint64_t sent, std::uint64_t total) {
    if (total == 0) return;
    progress->store(static_cast<int>(sent * 100 / total));
    if (sent >= total && !lastByte->exchange(true)) {
      events.Status(open, handle, NETSDK_EVENT_UPGRADE_TRANSFERRED, NETSDK_VALUE_NONE);
    }
  };
  std::weak_ptr<OnvifSession> weak = weak_from_this();
  m_services.http.Send(
      std::move(request),
      [weak, lastByte, image, url, authorized = !authorization.empty()](HttpResponse response) {
        auto self = weak.lock();
        if (!self) return;
        const bool answered = response.outcome == HttpResponse::Outcome::kAnswered;
        if (!lastByte->load() && answered && response.status == 401 && self->m_channel) {
          // The upload address wants credentials: asked for before the image (Expect), so it is
          // sent once, with them. A second refusal is one of a fresh challenge.
          if (authorized) {
            self->m_channel->RefuseCredential();
          } else if (auto answer = self->m_channel->AnswerChallenge(response, "POST", url.path)) {
            return self->SendImage(image, url, *answer);
          }
        }
        self->m_upgradeActive = false;
        if (!lastByte->load()) {
          return self->StatusEvent(NETSDK_EVENT_UPGRADE_TRANSFER_FAILED, NETSDK_VALUE_NONE);
        }
        // Whatever its verdict, a device that took the whole image restarts.
        self->OnLost();
        if (!answered) {
          // The whole image left but no status came (devices that restart before answering): the
          // verdict is the version the device reports after its restart, so the check goes on.
          return self->Respond(wire::kCodeUpgradeChecked, true,
                               "<Upgrade Result=\"Unconfirmed\" Reason=\"" +
                                   onvif::XmlEscape(response.error) + "\"/>");
        }
        if (response.status / 100 == 2) {
          return self->Respond(wire::kCodeUpgradeChecked, true, "<Upgrade Result=\"OK\"/>");
        }
        const std::string reason = "HTTP " + std::to_string(response.status);
        self->Respond(wire::kCodeUpgradeChecked, false,
                      "<Upgrade Result=\"Failed\" Reason=\"" + onvif::XmlEscape(reason) + "\"/>");
      });
}

}  // namespace netsdk::onvif_backend
