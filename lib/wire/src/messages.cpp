#include "wire/messages.h"

#include "wire/codec.h"
#include "wire/codes.h"

namespace wire {

Bytes EncodeFlag(bool value) {
  return Writer().U8(value ? 1 : 0).Take();
}

bool DecodeFlag(const Bytes& payload, bool* value) {
  Reader reader(payload);
  const std::uint8_t byte = reader.U8();
  if (!reader.Done() || byte > 1) return false;
  *value = byte == 1;
  return true;
}

Bytes EncodeText(const std::string& text) {
  return Writer().Str(text).Take();
}

bool DecodeText(const Bytes& payload, std::string* text) {
  Reader reader(payload);
  std::string value = reader.Str(kMaxText);
  if (!reader.Done()) return false;
  *text = std::move(value);
  return true;
}

Bytes EncodeCount(std::uint64_t count) {
  return Writer().U64(count).Take();
}

bool DecodeCount(const Bytes& payload, std::uint64_t* count) {
  Reader reader(payload);
  const std::uint64_t value = reader.U64();
  if (!reader.Done()) return false;
  *count = value;
  return true;
}

Bytes Encode(const DeviceInfo& info) {
  return Writer()
      .Str(info.serial)
      .Str(info.deviceType)
      .Str(info.user)
      .Str(info.password)
      .I32(info.channel)
      .U16(info.port)
      .Str(info.mac)
      .Str(info.ip)
      .Str(info.mask)
      .Str(info.gateway)
      .U8(info.allNetSupport)
      .U8(info.allNetState)
      .Take();
}

bool Decode(const Bytes& payload, DeviceInfo* info) {
  Reader reader(payload);
  DeviceInfo value;
  value.serial = reader.Str(kMaxSerial);
  value.deviceType = reader.Str(kMaxDeviceType);
  value.user = reader.Str(kMaxUser);
  value.password = reader.Str(kMaxPassword);
  value.channel = reader.I32();
  value.port = reader.U16();
  value.mac = reader.Str(kMaxMac);
  value.ip = reader.Str(kMaxAddress);
  value.mask = reader.Str(kMaxAddress);
  value.gateway = reader.Str(kMaxAddress);
  value.allNetSupport = reader.U8();
  value.allNetState = reader.U8();
  if (!reader.Done()) return false;
  *info = std::move(value);
  return true;
}

Bytes Encode(const Modify& modify) {
  return Writer()
      .Str(modify.targetIp)
      .U16(modify.targetPort)
      .Str(modify.serial)
      .Str(modify.ip)
      .Str(modify.mask)
      .Str(modify.gateway)
      .U8(modify.allNetState)
      .Take();
}

bool Decode(const Bytes& payload, Modify* modify) {
  Reader reader(payload);
  Modify value;
  value.targetIp = reader.Str(kMaxAddress);
  value.targetPort = reader.U16();
  value.serial = reader.Str(kMaxSerial);
  value.ip = reader.Str(kMaxAddress);
  value.mask = reader.Str(kMaxAddress);
  value.gateway = reader.Str(kMaxAddress);
  value.allNetState = reader.U8();
  if (!reader.Done()) return false;
  *modify = std::move(value);
  return true;
}

Bytes Encode(const Hello& hello) {
  return Writer().Str(hello.ip).U16(hello.port).Take();
}

bool Decode(const Bytes& payload, Hello* hello) {
  Reader reader(payload);
  Hello value;
  value.ip = reader.Str(kMaxAddress);
  value.port = reader.U16();
  if (!reader.Done()) return false;
  *hello = std::move(value);
  return true;
}

Bytes Encode(const Login& login) {
  return Writer().Str(login.user).Str(login.password).Take();
}

bool Decode(const Bytes& payload, Login* login) {
  Reader reader(payload);
  Login value;
  value.user = reader.Str(kMaxAddress);
  value.password = reader.Str(kMaxAddress);
  if (!reader.Done()) return false;
  *login = std::move(value);
  return true;
}

Bytes Encode(const Command& command) {
  return Writer().U32(command.code).I32(command.channel).U8(command.kind).Str(command.text).Take();
}

bool Decode(const Bytes& payload, Command* command) {
  Reader reader(payload);
  Command value;
  value.code = reader.U32();
  value.channel = reader.I32();
  value.kind = reader.U8();
  value.text = reader.Str(kMaxText);
  if (!reader.Done() || value.kind > static_cast<std::uint8_t>(CommandKind::kAction)) return false;
  *command = std::move(value);
  return true;
}

Bytes Encode(const CommandResult& result) {
  return Writer().U32(result.code).U8(result.ok ? 1 : 0).Str(result.text).Take();
}

bool Decode(const Bytes& payload, CommandResult* result) {
  Reader reader(payload);
  CommandResult value;
  value.code = reader.U32();
  const std::uint8_t ok = reader.U8();
  value.text = reader.Str(kMaxText);
  if (!reader.Done() || ok > 1) return false;
  value.ok = ok == 1;
  *result = std::move(value);
  return true;
}

Bytes EncodeUpgradeDataPrefix(std::uint64_t offset) {
  return Writer().U64(offset).Take();
}

bool DecodeUpgradeData(const Bytes& payload, std::uint64_t* offset, const std::uint8_t** data,
                       std::size_t* size) {
  Reader reader(payload);
  const std::uint64_t value = reader.U64();
  const std::uint8_t* rest = reader.Rest(size);
  if (!reader.Ok() || *size == 0) return false;
  *offset = value;
  *data = rest;
  return true;
}

Bytes Encode(const StreamStart& start) {
  return Writer().I32(start.channel).I32(start.streamType).Take();
}

bool Decode(const Bytes& payload, StreamStart* start) {
  Reader reader(payload);
  StreamStart value;
  value.channel = reader.I32();
  value.streamType = reader.I32();
  if (!reader.Done()) return false;
  *start = value;
  return true;
}

Bytes EncodeStreamDataPrefix(std::uint8_t dataKind, std::int32_t frameKind, std::uint64_t timeMs) {
  return Writer().U8(dataKind).I32(frameKind).U64(timeMs).Take();
}

bool DecodeStreamData(const Bytes& payload, StreamPacket* packet) {
  Reader reader(payload);
  StreamPacket value;
  value.dataKind = reader.U8();
  value.frameKind = reader.I32();
  value.timeMs = reader.U64();
  value.data = reader.Rest(&value.size);
  if (!reader.Ok() || value.size == 0) return false;
  *packet = value;
  return true;
}

}  // namespace wire
