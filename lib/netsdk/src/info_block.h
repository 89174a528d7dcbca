// The 4028-byte device information block: the library fills it from a search answer and reads the
// fields a ModifyIPC may change. Fixed offsets from netsdk.h, checked below.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "netsdk.h"
#include "wire/messages.h"

namespace netsdk {

using InfoBlock = std::array<std::uint8_t, IPC_INFO_SIZE>;

constexpr std::size_t kSerialSize = 32;
constexpr std::size_t kDeviceTypeSize = 36;
constexpr std::size_t kUserSize = 40;
constexpr std::size_t kMacSize = 260;
constexpr std::size_t kAddressSize = 256;
static_assert(IPC_INFO_SERIAL + kSerialSize <= IPC_INFO_DEVICE_TYPE);
static_assert(IPC_INFO_DEVICE_TYPE + kDeviceTypeSize <= IPC_INFO_USER);
static_assert(IPC_INFO_USER + kUserSize <= IPC_INFO_PASSWORD);
static_assert(IPC_INFO_PASSWORD + IPC_INFO_PASSWORD_SIZE <= IPC_INFO_CHANNEL);
static_assert(IPC_INFO_CHANNEL + 4 <= IPC_INFO_PORT);
static_assert(IPC_INFO_PORT + 2 <= IPC_INFO_MAC);
static_assert(IPC_INFO_MAC + kMacSize <= IPC_INFO_IP);
static_assert(IPC_INFO_IP + kAddressSize <= IPC_INFO_MASK);
static_assert(IPC_INFO_MASK + kAddressSize <= IPC_INFO_GATEWAY);
static_assert(IPC_INFO_GATEWAY + kAddressSize <= IPC_INFO_ALLNET_SUPPORT);
static_assert(IPC_INFO_ALLNET_STATE + 1 == IPC_INFO_SIZE);

// A zeroed block with the device's fields; texts are cut to their fields less the terminator.
InfoBlock MakeBlock(const wire::DeviceInfo& info);

// The text of a field; false when the field holds no terminator (not text the library can trust).
bool ReadText(const std::uint8_t* block, std::size_t offset, std::size_t size, std::string* text);
void WriteText(std::uint8_t* block, std::size_t offset, std::size_t size, const std::string& text);

// The network part of a block as handed to ModifyIPC.
struct NetworkFields {
  std::string ip;
  std::string mask;
  std::string gateway;
  std::uint8_t allNetState = 0;
};
bool ReadNetworkFields(const std::uint8_t* block, NetworkFields* fields);
void WriteNetworkFields(std::uint8_t* block, const NetworkFields& fields);

}  // namespace netsdk
