#include "wire/firmware.h"

#include <algorithm>
#include <cstring>

#include "wire/crc32.h"

namespace wire {
namespace {

constexpr std::uint8_t kFirmwareMagic[4] = {'R', 'V', 'F', 'W'};
constexpr std::uint16_t kFirmwareFormat = 1;

template <typename T>
void PutLe(std::uint8_t* out, T value) {
  for (std::size_t i = 0; i < sizeof(T); ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

template <typename T>
T GetLe(const std::uint8_t* in) {
  T value = 0;
  for (std::size_t i = sizeof(T); i-- > 0;) value = static_cast<T>((value << 8) | in[i]);
  return value;
}

// A NUL-padded text field; an unterminated field is not text.
bool ReadField(const std::uint8_t* field, std::size_t size, std::string* text) {
  const auto* end = static_cast<const std::uint8_t*>(std::memchr(field, 0, size));
  if (end == nullptr) return false;
  text->assign(reinterpret_cast<const char*>(field), static_cast<std::size_t>(end - field));
  return true;
}

}  // namespace

std::vector<std::uint8_t> BuildFirmware(const std::string& version, const std::string& deviceType,
                                        const std::vector<std::uint8_t>& payload) {
  std::vector<std::uint8_t> file(kFirmwareHeaderSize + payload.size(), 0);
  std::uint8_t* header = file.data();
  std::memcpy(header, kFirmwareMagic, sizeof kFirmwareMagic);
  PutLe<std::uint16_t>(header + 4, kFirmwareFormat);
  PutLe<std::uint16_t>(header + 6, static_cast<std::uint16_t>(kFirmwareHeaderSize));
  std::memcpy(header + kFirmwareVersionOffset, version.data(),
              std::min(version.size(), kFirmwareVersionSize - 1));
  std::memcpy(header + kFirmwareTypeOffset, deviceType.data(),
              std::min(deviceType.size(), kFirmwareTypeSize - 1));
  PutLe<std::uint64_t>(header + kFirmwarePayloadSizeOffset, payload.size());
  PutLe<std::uint32_t>(header + kFirmwarePayloadCrcOffset,
                       Crc32(0, payload.data(), payload.size()));
  PutLe<std::uint32_t>(header + kFirmwareHeaderCrcOffset,
                       Crc32(0, header, kFirmwareHeaderCrcOffset));
  if (!payload.empty()) std::memcpy(header + kFirmwareHeaderSize, payload.data(), payload.size());
  return file;
}

const char* VerdictText(FirmwareVerdict verdict) {
  switch (verdict) {
    case FirmwareVerdict::kOk:
      return "ok";
    case FirmwareVerdict::kNoHeader:
      return "not a firmware file";
    case FirmwareVerdict::kBadChecksum:
      return "checksum mismatch";
    case FirmwareVerdict::kWrongSize:
      return "file size does not match its header";
    case FirmwareVerdict::kWrongType:
      return "firmware for another device type";
  }
  return "unknown";
}

void FirmwareChecker::Feed(const std::uint8_t* data, std::size_t size) {
  if (m_received < kFirmwareHeaderSize) {
    const std::size_t take =
        std::min<std::size_t>(size, kFirmwareHeaderSize - static_cast<std::size_t>(m_received));
    std::memcpy(m_header + m_received, data, take);
    m_received += take;
    data += take;
    size -= take;
  }
  if (size == 0) return;
  m_payloadCrc = Crc32(m_payloadCrc, data, size);
  m_received += size;
}

FirmwareVerdict FirmwareChecker::Finish(const std::string& deviceType) {
  m_version.clear();
  if (m_received < kFirmwareHeaderSize ||
      std::memcmp(m_header, kFirmwareMagic, sizeof kFirmwareMagic) != 0 ||
      GetLe<std::uint16_t>(m_header + 4) != kFirmwareFormat ||
      GetLe<std::uint16_t>(m_header + 6) != kFirmwareHeaderSize) {
    return FirmwareVerdict::kNoHeader;
  }
  if (GetLe<std::uint32_t>(m_header + kFirmwareHeaderCrcOffset) !=
      Crc32(0, m_header, kFirmwareHeaderCrcOffset)) {
    return FirmwareVerdict::kBadChecksum;
  }
  std::string version;
  std::string type;
  if (!ReadField(m_header + kFirmwareVersionOffset, kFirmwareVersionSize, &version) ||
      version.empty() || !ReadField(m_header + kFirmwareTypeOffset, kFirmwareTypeSize, &type)) {
    return FirmwareVerdict::kNoHeader;
  }
  if (GetLe<std::uint64_t>(m_header + kFirmwarePayloadSizeOffset) !=
      m_received - kFirmwareHeaderSize) {
    return FirmwareVerdict::kWrongSize;
  }
  if (GetLe<std::uint32_t>(m_header + kFirmwarePayloadCrcOffset) != m_payloadCrc) {
    return FirmwareVerdict::kBadChecksum;
  }
  m_version = version;
  if (!type.empty() && type != deviceType) return FirmwareVerdict::kWrongType;
  return FirmwareVerdict::kOk;
}

}  // namespace wire
