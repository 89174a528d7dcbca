#include "sim/detail/onvif_upload.h"

#include <algorithm>

#include "sim/detail/onvif_ids.h"
#include "sim/onvif_codes.h"

namespace camsim::detail {
namespace {

// Tokens handed out and not used; older ones are forgotten.
constexpr std::size_t kMaxTokens = 16;

std::string MediaType(const std::string* contentType) {
  if (contentType == nullptr) return {};
  std::string type = contentType->substr(0, contentType->find(';'));
  while (!type.empty() && (type.back() == ' ' || type.back() == '\t')) type.pop_back();
  for (char& c : type) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return type;
}

}  // namespace

std::string OnvifUpload::NewToken() {
  if (m_tokens.size() >= kMaxTokens) m_tokens.pop_front();
  std::string token = RandomHex(16);
  m_tokens.emplace_back(token, m_device.Generation());
  return token;
}

void OnvifUpload::Answer(const std::shared_ptr<HttpConnection>& connection, int status,
                         std::string text, bool close) {
  HttpResponse response;
  response.status = status;
  response.contentType = "text/plain; charset=utf-8";
  response.body = std::move(text) + "\n";
  response.close = close;
  connection->Respond(std::move(response));
}

void OnvifUpload::OnPost(const std::shared_ptr<HttpConnection>& connection, HttpRequest& request,
                         const std::string& token) {
  const auto given = std::find_if(m_tokens.begin(), m_tokens.end(), [&](const auto& entry) {
    return entry.first == token && entry.second == m_device.Generation();
  });
  if (given == m_tokens.end()) return Answer(connection, 404, "no such upload", false);
  if (request.method != "POST") {
    HttpResponse response;
    response.status = 405;
    response.headers.emplace_back("Allow", "POST");
    return connection->Respond(std::move(response));
  }
  if (MediaType(request.Header("content-type")) != "application/octet-stream") {
    return Answer(connection, 415, "a firmware image is sent as application/octet-stream", false);
  }
  if (request.contentLength > kMaxFirmwareBytes) {
    return Answer(connection, 413, "file too large", true);
  }
  if (m_device.Config().onvif.uploadDigest) {
    const OnvifAuth::Result result =
        m_auth.CheckWeb(request.method, request.target, request.Header("authorization"));
    if (result.verdict != OnvifAuth::Verdict::kOk) {
      m_device.Record(kOnvifUpload, "upload refused",
                      (result.reason.empty() ? "no credentials" : result.reason) +
                          ", Content-Length=" + std::to_string(request.contentLength));
      HttpResponse response = m_auth.Refusal(result);
      // The body, if the client sends one anyway, is not read.
      response.close = request.contentLength > 0;
      return connection->Respond(std::move(response));
    }
  }
  if (!m_running.expired()) return Answer(connection, 503, "another transfer runs", false);
  m_tokens.erase(given);
  m_device.Record(kOnvifUpload, "upgrade", "size=" + std::to_string(request.contentLength));
  auto transfer = std::make_shared<Transfer>();
  transfer->size = request.contentLength;
  transfer->startMs = m_clock.NowMs();
  transfer->generation = m_device.Generation();
  m_running = transfer;
  std::weak_ptr<HttpConnection> weak = connection;
  connection->StreamBody(
      kMaxFirmwareBytes,
      [this, weak, transfer](const std::uint8_t* data, std::size_t size) {
        if (auto target = weak.lock()) OnData(target, *transfer, data, size);
      },
      [this, weak, transfer] {
        if (auto target = weak.lock()) OnEnd(target, transfer);
      });
}

void OnvifUpload::OnData(const std::shared_ptr<HttpConnection>& connection, Transfer& transfer,
                         const std::uint8_t* data, std::size_t size) {
  // A device that restarted meanwhile has no transfer to go on with.
  if (transfer.generation != m_device.Generation()) return connection->Close();
  transfer.checker.Feed(data, size);
  transfer.received += size;
  const int percent = static_cast<int>(transfer.received * 100 / transfer.size);
  switch (m_device.TransferAt(percent)) {
    case Device::TransferStep::kFail:
      return Answer(connection, 500, "transfer failed", true);
    case Device::TransferStep::kDrop:
      return connection->Close();
    case Device::TransferStep::kStall:
      return connection->Hold();
    case Device::TransferStep::kGo:
      break;
  }
  // The device reads no faster than its transfer rate.
  if (const double waitMs = m_device.TransferWaitMs(transfer.startMs, transfer.received);
      waitMs > 0 && transfer.received < transfer.size) {
    connection->PauseFor(waitMs);
  }
}

void OnvifUpload::OnEnd(const std::shared_ptr<HttpConnection>& connection,
                        std::shared_ptr<Transfer> transfer) {
  std::weak_ptr<HttpConnection> weak = connection;
  m_device.After(
      m_device.Config().timings.checkMs,
      [this, weak, transfer] {
        auto target = weak.lock();
        if (m_device.DropAt("check")) {
          if (target) target->Close();
          return;
        }
        const Device::FirmwareJudgement judgement = m_device.JudgeFirmware(transfer->checker);
        if (target && judgement.ok && m_device.Config().onvif.rebootBeforeStatus) {
          target->Close();
        } else if (target) {
          Answer(target, judgement.ok ? 200 : 415,
                 judgement.ok ? "accepted " + judgement.version : judgement.reason, judgement.ok);
        }
        if (judgement.ok) m_device.RestartWithFirmware(judgement.version);
      },
      [weak] {
        if (auto target = weak.lock()) target->Close();
      });
}

}  // namespace camsim::detail
