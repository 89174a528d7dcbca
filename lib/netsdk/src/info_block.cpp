#include "info_block.h"

#include <algorithm>
#include <cstring>

namespace netsdk {

InfoBlock MakeBlock(const wire::DeviceInfo& info) {
  InfoBlock block{};
  std::uint8_t* out = block.data();
  WriteText(out, IPC_INFO_SERIAL, kSerialSize, info.serial);
  WriteText(out, IPC_INFO_DEVICE_TYPE, kDeviceTypeSize, info.deviceType);
  WriteText(out, IPC_INFO_USER, kUserSize, info.user);
  WriteText(out, IPC_INFO_PASSWORD, IPC_INFO_PASSWORD_SIZE, info.password);
  const std::int32_t channel = info.channel;
  std::memcpy(out + IPC_INFO_CHANNEL, &channel, sizeof channel);
  const std::uint16_t port = info.port;
  std::memcpy(out + IPC_INFO_PORT, &port, sizeof port);
  WriteText(out, IPC_INFO_MAC, kMacSize, info.mac);
  block[IPC_INFO_ALLNET_SUPPORT] = info.allNetSupport;
  WriteNetworkFields(out, {info.ip, info.mask, info.gateway, info.allNetState});
  return block;
}

bool ReadText(const std::uint8_t* block, std::size_t offset, std::size_t size, std::string* text) {
  const std::uint8_t* field = block + offset;
  const auto* end = static_cast<const std::uint8_t*>(std::memchr(field, 0, size));
  if (end == nullptr) return false;
  text->assign(reinterpret_cast<const char*>(field), static_cast<std::size_t>(end - field));
  return true;
}

void WriteText(std::uint8_t* block, std::size_t offset, std::size_t size, const std::string& text) {
  const std::size_t length = std::min(text.size(), size - 1);
  std::memset(block + offset, 0, size);
  std::memcpy(block + offset, text.data(), length);
}

bool ReadNetworkFields(const std::uint8_t* block, NetworkFields* fields) {
  NetworkFields value;
  if (!ReadText(block, IPC_INFO_IP, kAddressSize, &value.ip) ||
      !ReadText(block, IPC_INFO_MASK, kAddressSize, &value.mask) ||
      !ReadText(block, IPC_INFO_GATEWAY, kAddressSize, &value.gateway)) {
    return false;
  }
  value.allNetState = block[IPC_INFO_ALLNET_STATE];
  *fields = std::move(value);
  return true;
}

void WriteNetworkFields(std::uint8_t* block, const NetworkFields& fields) {
  WriteText(block, IPC_INFO_IP, kAddressSize, fields.ip);
  WriteText(block, IPC_INFO_MASK, kAddressSize, fields.mask);
  WriteText(block, IPC_INFO_GATEWAY, kAddressSize, fields.gateway);
  block[IPC_INFO_ALLNET_STATE] = fields.allNetState;
}

}  // namespace netsdk
