// The device information block: the library's 4028-byte record of one search result, read from
// the search and handed back whole to change a device's network settings. Only the fields below
// are read or written; every other byte is the library's and is carried unchanged.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sdk/sdk.h"

namespace sdk {

class DeviceInfoBlock {
 public:
  static constexpr std::size_t kSize = 4028;

  struct Field {
    std::size_t offset;
    std::size_t size;
  };
  static constexpr Field kSerial{0, 32};
  static constexpr Field kDeviceType{32, 36};
  static constexpr Field kUser{68, 40};
  // The password's end is the library's choice; it never runs into the channel field.
  static constexpr Field kPassword{108, 2472 - 108};
  static constexpr Field kChannel{2472, 4};
  static constexpr Field kPort{2480, 2};
  static constexpr Field kMac{2488, 260};
  static constexpr Field kIp{2748, 256};
  static constexpr Field kMask{3004, 256};
  static constexpr Field kGateway{3260, 256};
  static constexpr Field kAllNetSupport{4026, 1};
  static constexpr Field kAllNetState{4027, 1};

  // Mask and gateway are written with at most this many characters.
  static constexpr std::size_t kMaxAddressText = 127;
  static constexpr std::uint8_t kAllNetSupported = 0xFF;

  unsigned char* data() { return m_bytes.data(); }
  const unsigned char* data() const { return m_bytes.data(); }
  void Clear() { m_bytes.fill(0); }

  // Texts are 8-bit ANSI, read up to the first zero byte or the field's end.
  std::string Serial() const { return Text(kSerial); }
  std::string DeviceType() const { return Text(kDeviceType); }
  std::string User() const { return Text(kUser); }
  std::string Password() const { return Text(kPassword); }
  std::string Mac() const { return Text(kMac); }
  std::string Ip() const { return Text(kIp); }
  std::string Mask() const { return Text(kMask); }
  std::string Gateway() const { return Text(kGateway); }
  std::int32_t Channel() const;
  std::uint16_t Port() const;
  std::uint8_t AllNetSupport() const { return m_bytes[kAllNetSupport.offset]; }
  std::uint8_t AllNetState() const { return m_bytes[kAllNetState.offset]; }

  // Writers zero the whole field first and keep its terminating zero.
  void SetIp(std::string_view ip) { SetText(kIp, ip, kIp.size - 1); }
  void SetMask(std::string_view mask) { SetText(kMask, mask, kMaxAddressText); }
  void SetGateway(std::string_view gateway) { SetText(kGateway, gateway, kMaxAddressText); }
  void SetAllNetState(std::uint8_t state) { m_bytes[kAllNetState.offset] = state; }

 private:
  std::string Text(Field field) const;
  void SetText(Field field, std::string_view text, std::size_t maxLength);

  std::array<unsigned char, kSize> m_bytes{};
};

static_assert(sizeof(DeviceInfoBlock) == DeviceInfoBlock::kSize);
static_assert(DeviceInfoBlock::kSize == IPC_INFO_SIZE);
static_assert(DeviceInfoBlock::kSerial.offset == IPC_INFO_SERIAL);
static_assert(DeviceInfoBlock::kDeviceType.offset == IPC_INFO_DEVICE_TYPE);
static_assert(DeviceInfoBlock::kUser.offset == IPC_INFO_USER);
static_assert(DeviceInfoBlock::kPassword.offset == IPC_INFO_PASSWORD);
static_assert(DeviceInfoBlock::kChannel.offset == IPC_INFO_CHANNEL);
static_assert(DeviceInfoBlock::kPort.offset == IPC_INFO_PORT);
static_assert(DeviceInfoBlock::kMac.offset == IPC_INFO_MAC);
static_assert(DeviceInfoBlock::kIp.offset == IPC_INFO_IP);
static_assert(DeviceInfoBlock::kMask.offset == IPC_INFO_MASK);
static_assert(DeviceInfoBlock::kGateway.offset == IPC_INFO_GATEWAY);
static_assert(DeviceInfoBlock::kAllNetSupport.offset == IPC_INFO_ALLNET_SUPPORT);
static_assert(DeviceInfoBlock::kAllNetState.offset == IPC_INFO_ALLNET_STATE);
static_assert(DeviceInfoBlock::kAllNetState.offset + 1 == DeviceInfoBlock::kSize);
static_assert(DeviceInfoBlock::kGateway.offset + DeviceInfoBlock::kGateway.size <=
              DeviceInfoBlock::kAllNetSupport.offset);

}  // namespace sdk
