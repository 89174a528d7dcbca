// One login of either backend, as the C functions use it. The public methods may be called from
// any thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "firmware_cache.h"
#include "live_preview.h"
#include "wire/codes.h"

namespace netsdk {

struct LoginTarget {
  std::string ip;
  std::uint16_t port = 0;
  std::string user;
  std::string password;
};

class DeviceLogin {
 public:
  virtual ~DeviceLogin() = default;

  // Begins; the outcome arrives as status event 4 or 5.
  virtual void Start() = 0;
  virtual void SetAutoReconnect(bool enable) = 0;
  // Logout: no further events of this login are delivered.
  virtual void Close() = 0;
  // A command whose answer arrives through the response callback. 0 = sent.
  virtual int Command(wire::CommandKind kind, std::uint32_t code, std::int32_t channel,
                      std::string text) = 0;
  // A command whose outcome is the result: 0 = the device accepted it.
  virtual int Action(std::uint32_t code, std::int32_t channel) = 0;
  // Sends the firmware image; 0 = started.
  virtual int StartUpgrade(std::shared_ptr<const FirmwareImage> image) = 0;
  // 0 once an upgrade was started on this login, else -1.
  virtual int UpgradeState() const = 0;
  // Percentage of the file transferred.
  virtual int UpgradeProgress() const = 0;
  virtual bool LoggedIn() const = 0;
  // The device's port, which a preview connection names as the login does.
  virtual std::uint16_t Port() const = 0;
  // A preview of this login's device, not yet started; null when the device offers no stream.
  // May wait for the device (the ONVIF backend asks for the stream's address).
  virtual std::shared_ptr<LivePreview> MakePreview(const PreviewTarget& target,
                                                   StreamDelivery& delivery,
                                                   std::shared_ptr<StreamDelivery::Feed> feed) = 0;
};

}  // namespace netsdk
