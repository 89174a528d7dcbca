// The firmware file format and the device's check of it.
#include <gtest/gtest.h>

#include <cstring>

#include "wire/crc32.h"
#include "wire/firmware.h"

namespace {

using wire::FirmwareVerdict;

std::vector<std::uint8_t> Payload() {
  std::vector<std::uint8_t> payload(300000);
  for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<std::uint8_t>(i % 251);
  return payload;
}

// Checks a file fed in pieces of piece bytes, as it arrives over the network.
FirmwareVerdict Check(const std::vector<std::uint8_t>& file, const std::string& type,
                      std::size_t piece = 65536, std::string* version = nullptr) {
  wire::FirmwareChecker checker;
  for (std::size_t at = 0; at < file.size(); at += piece) {
    checker.Feed(file.data() + at, std::min(piece, file.size() - at));
  }
  const FirmwareVerdict verdict = checker.Finish(type);
  if (version != nullptr) *version = checker.Version();
  return verdict;
}

TEST(Crc32, MatchesTheStandardCheckValueAndContinuesPiecewise) {
  const std::uint8_t text[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  EXPECT_EQ(wire::Crc32(0, text, sizeof text), 0xCBF43926u);
  const std::vector<std::uint8_t> payload = Payload();
  const std::uint32_t whole = wire::Crc32(0, payload.data(), payload.size());
  std::uint32_t pieces = 0;
  for (std::size_t at = 0; at < payload.size(); at += 1237) {
    pieces =
        wire::Crc32(pieces, payload.data() + at, std::min<std::size_t>(1237, payload.size() - at));
  }
  EXPECT_EQ(pieces, whole);
}

TEST(Firmware, ValidFileIsAcceptedInAnyPieceSizeAndNamesItsVersion) {
  const auto file = wire::BuildFirmware("V5.7.0 build 2027", "IPC-R2M", Payload());
  for (std::size_t piece : {1u, 7u, 128u, 65536u, 1u << 20}) {
    std::string version;
    EXPECT_EQ(Check(file, "IPC-R2M", piece, &version), FirmwareVerdict::kOk) << piece;
    EXPECT_EQ(version, "V5.7.0 build 2027");
  }
  const auto anyCamera = wire::BuildFirmware("V5.7.0", "", Payload());
  EXPECT_EQ(Check(anyCamera, "IPC-R8D"), FirmwareVerdict::kOk);
}

TEST(Firmware, DamagedForeignOrTruncatedFilesAreRefused) {
  const auto good = wire::BuildFirmware("V5.7.0", "IPC-R2M", Payload());
  auto payloadFlip = good;
  payloadFlip[wire::kFirmwareHeaderSize + 1000] ^= 1;
  EXPECT_EQ(Check(payloadFlip, "IPC-R2M"), FirmwareVerdict::kBadChecksum);
  auto headerFlip = good;
  headerFlip[wire::kFirmwareVersionOffset] ^= 1;
  EXPECT_EQ(Check(headerFlip, "IPC-R2M"), FirmwareVerdict::kBadChecksum);
  EXPECT_EQ(Check(good, "NVR"), FirmwareVerdict::kWrongType);
  auto truncated = good;
  truncated.resize(good.size() - 1);
  EXPECT_EQ(Check(truncated, "IPC-R2M"), FirmwareVerdict::kWrongSize);
  auto longer = good;
  longer.push_back(0);
  EXPECT_EQ(Check(longer, "IPC-R2M"), FirmwareVerdict::kWrongSize);
  EXPECT_EQ(Check(Payload(), "IPC-R2M"), FirmwareVerdict::kNoHeader);
  EXPECT_EQ(Check({}, "IPC-R2M"), FirmwareVerdict::kNoHeader);
  EXPECT_EQ(Check(std::vector<std::uint8_t>(good.begin(), good.begin() + 100), "IPC-R2M"),
            FirmwareVerdict::kNoHeader);
  // A header whose version field has no terminator is no firmware header, checksum or not.
  auto unterminated = wire::BuildFirmware(std::string(200, 'V'), "", {});
  EXPECT_EQ(Check(unterminated, "IPC-R2M"), FirmwareVerdict::kOk) << "long versions are cut";
  std::memset(unterminated.data() + wire::kFirmwareVersionOffset, 'V', wire::kFirmwareVersionSize);
  EXPECT_NE(Check(unterminated, "IPC-R2M"), FirmwareVerdict::kOk);
}

}  // namespace
