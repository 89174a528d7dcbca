#include "onvif_backend/settings_groups.h"

#include <array>
#include <cctype>

#include "onvif/namespaces.h"
#include "onvif/soap_xml.h"
#include "onvif_backend/audio_encoding.h"
#include "onvif_backend/motion_detection.h"
#include "onvif_backend/overlay.h"
#include "onvif_backend/text_encoding.h"
#include "onvif_backend/video_capture.h"
#include "onvif_backend/video_encoding.h"

namespace netsdk::onvif_backend {
namespace {

constexpr int kPresentMegabytes = 1;
constexpr std::array<const char*, 3> kDisks = {"SD1", "SD2", "USB"};

// The disk a local storage configuration stands for, by its token or path naming it; else the
// next SD card not yet named.
int DiskOf(const std::string& token, const std::string& path, const std::array<bool, 3>& present) {
  const std::string names = AsciiLower(token + " " + path);
  for (std::size_t disk = 0; disk < kDisks.size(); ++disk) {
    if (names.find(AsciiLower(kDisks[disk])) != std::string::npos) return static_cast<int>(disk);
  }
  for (int disk = 0; disk < 2; ++disk) {
    if (!present[static_cast<std::size_t>(disk)]) return disk;
  }
  return -1;
}

GroupOutcome Unreadable() {
  return GroupOutcome::Failed("the document cannot be read");
}

}  // namespace

bool IsSettingsGroup(std::uint32_t code) {
  return code == kCodeAudioEncode || code == kCodeVideoEncode || code == kCodeVideoCapture ||
         code == kCodeOverlay || code == kCodeMotionDetection;
}

asio::awaitable<GroupOutcome> PushSettingsGroup(ServiceCalls calls, std::uint32_t code,
                                                std::string gbkDocument) {
  switch (code) {
    case kCodeVideoEncode:
      if (const auto request = ReadVideoEncodeRequest(gbkDocument)) {
        co_return co_await PushVideoEncoding(calls, *request);
      }
      break;
    case kCodeAudioEncode:
      if (const auto request = ReadAudioEncodeRequest(gbkDocument)) {
        co_return co_await PushAudioEncoding(calls, *request);
      }
      break;
    case kCodeVideoCapture:
      if (const auto request = ReadCaptureRequest(gbkDocument)) {
        co_return co_await PushVideoCapture(calls, *request);
      }
      break;
    case kCodeOverlay:
      if (const auto request = ReadOverlayRequest(gbkDocument)) {
        co_return co_await PushOverlay(calls, *request);
      }
      break;
    case kCodeMotionDetection:
      if (const auto request = ReadMotionRequest(gbkDocument)) {
        co_return co_await PushMotionDetection(calls, *request);
      }
      break;
    default:
      co_return GroupOutcome::Failed("not available over ONVIF");
  }
  co_return Unreadable();
}

asio::awaitable<GroupOutcome> QueryStorage(ServiceCalls calls) {
  const CallResult listed = co_await calls.Call(onvif::kNsDevice, "GetStorageConfigurations",
                                                "<tds:GetStorageConfigurations/>");
  if (!listed.Ok()) co_return GroupOutcome::Failed(Reason("GetStorageConfigurations", listed));
  std::array<bool, 3> present{};
  for (const xmlNode* node :
       onvif::FindAll(listed.Body(), onvif::kNsDevice, "StorageConfigurations")) {
    const xmlNode* data = onvif::Child(node, onvif::kNsDevice, "Data");
    const std::string path = onvif::Text(onvif::Child(data, onvif::kNsDevice, "LocalPath"));
    // Network storage is not a disk of the device's own.
    if (!onvif::Text(onvif::Child(data, onvif::kNsDevice, "StorageUri")).empty()) continue;
    const int disk = DiskOf(onvif::Attribute(node, "token"), path, present);
    if (disk >= 0) present[static_cast<std::size_t>(disk)] = true;
  }
  GroupOutcome outcome{true, {}, "<Storage>", {}};
  for (std::size_t disk = 0; disk < kDisks.size(); ++disk) {
    outcome.answer += std::string("<Disk Name=\"") + kDisks[disk] + "\" Total=\"" +
                      std::to_string(present[disk] ? kPresentMegabytes : 0) + "\"/>";
  }
  outcome.answer += "</Storage>";
  co_return outcome;
}

}  // namespace netsdk::onvif_backend
