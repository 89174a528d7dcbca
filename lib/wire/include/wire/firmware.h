// Firmware files of the simulated devices. A 128-byte header, then the payload:
//   0    char[4]   "RVFW"
//   4    uint16    format version (1)
//   6    uint16    header size (128)
//   8    char[64]  version text the device reports after the upgrade, NUL-padded
//   72   char[36]  device type the file is for, NUL-padded; empty = any camera
//   108  uint32    reserved, 0
//   112  uint64    payload size
//   120  uint32    CRC-32 of the payload
//   124  uint32    CRC-32 of bytes 0..123
// All integers little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace wire {

constexpr std::size_t kFirmwareHeaderSize = 128;
constexpr std::size_t kFirmwareVersionOffset = 8;
constexpr std::size_t kFirmwareVersionSize = 64;
constexpr std::size_t kFirmwareTypeOffset = 72;
constexpr std::size_t kFirmwareTypeSize = 36;
constexpr std::size_t kFirmwarePayloadSizeOffset = 112;
constexpr std::size_t kFirmwarePayloadCrcOffset = 120;
constexpr std::size_t kFirmwareHeaderCrcOffset = 124;
static_assert(kFirmwareVersionOffset + kFirmwareVersionSize <= kFirmwareTypeOffset);
static_assert(kFirmwareTypeOffset + kFirmwareTypeSize <= 108);
static_assert(kFirmwareHeaderCrcOffset + 4 == kFirmwareHeaderSize);

// A whole firmware file. version and deviceType are cut to their fields (less the terminator).
std::vector<std::uint8_t> BuildFirmware(const std::string& version, const std::string& deviceType,
                                        const std::vector<std::uint8_t>& payload);

enum class FirmwareVerdict { kOk, kNoHeader, kBadChecksum, kWrongSize, kWrongType };
const char* VerdictText(FirmwareVerdict verdict);

// Checks a firmware file as it arrives, keeping only its header.
class FirmwareChecker {
 public:
  void Feed(const std::uint8_t* data, std::size_t size);
  // The verdict for a device of the given type once every byte has been fed.
  FirmwareVerdict Finish(const std::string& deviceType);
  // Valid when Finish gave kOk or kWrongType.
  const std::string& Version() const { return m_version; }

 private:
  std::uint8_t m_header[kFirmwareHeaderSize] = {};
  std::uint64_t m_received = 0;
  std::uint32_t m_payloadCrc = 0;
  std::string m_version;
};

}  // namespace wire
