// The payloads of the protocol's messages. Encode gives the payload bytes; Decode accepts only a
// payload that holds exactly the message, every field within its limit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace wire {

using Bytes = std::vector<std::uint8_t>;

// What a device publishes in its search answer.
struct DeviceInfo {
  std::string serial;
  std::string deviceType;
  std::string user;
  std::string password;
  std::int32_t channel = 0;
  std::uint16_t port = 0;
  std::string mac;
  std::string ip;
  std::string mask;
  std::string gateway;
  std::uint8_t allNetSupport = 0;
  std::uint8_t allNetState = 0;
};

// The device is named by where it was found (address, port and serial); the rest is what it takes.
struct Modify {
  std::string targetIp;
  std::uint16_t targetPort = 0;
  std::string serial;
  std::string ip;
  std::string mask;
  std::string gateway;
  std::uint8_t allNetState = 0;
};

struct Hello {
  std::string ip;
  std::uint16_t port = 0;
};

struct Login {
  std::string user;
  std::string password;
};

struct Command {
  std::uint32_t code = 0;
  std::int32_t channel = 0;
  std::uint8_t kind = 0;  // CommandKind
  std::string text;
};

struct CommandResult {
  std::uint32_t code = 0;
  bool ok = false;
  std::string text;
};

// Answers that carry a yes or no (ModifyResult, LoginResult) or a text (HelloAnswer: the serial;
// UpgradeFailed: the reason) use the two small helpers below.
Bytes EncodeFlag(bool value);
bool DecodeFlag(const Bytes& payload, bool* value);
Bytes EncodeText(const std::string& text);
bool DecodeText(const Bytes& payload, std::string* text);
// Probes and UpgradeDone have an empty payload; UpgradeBegin and UpgradeAck carry one count.
Bytes EncodeCount(std::uint64_t count);
bool DecodeCount(const Bytes& payload, std::uint64_t* count);

Bytes Encode(const DeviceInfo& info);
bool Decode(const Bytes& payload, DeviceInfo* info);
Bytes Encode(const Modify& modify);
bool Decode(const Bytes& payload, Modify* modify);
Bytes Encode(const Hello& hello);
bool Decode(const Bytes& payload, Hello* hello);
Bytes Encode(const Login& login);
bool Decode(const Bytes& payload, Login* login);
Bytes Encode(const Command& command);
bool Decode(const Bytes& payload, Command* command);
Bytes Encode(const CommandResult& result);
bool Decode(const Bytes& payload, CommandResult* result);

// A preview connection asks for one channel's live stream.
struct StreamStart {
  std::int32_t channel = 0;
  std::int32_t streamType = 0;
};
Bytes Encode(const StreamStart& start);
bool Decode(const Bytes& payload, StreamStart* start);

// StreamData: what the data is (the library's stream data kinds: 0 video, 1 audio, 2 header), the
// frame kind, the time stamp in stream milliseconds, then the bytes up to the end of the payload.
// Like UpgradeData, the prefix is built on its own so that a looped clip is sent without copies.
constexpr std::size_t kStreamDataPrefix = 13;
struct StreamPacket {
  std::uint8_t dataKind = 0;
  std::int32_t frameKind = 0;
  std::uint64_t timeMs = 0;
  const std::uint8_t* data = nullptr;  // into the payload it was decoded from
  std::size_t size = 0;
};
Bytes EncodeStreamDataPrefix(std::uint8_t dataKind, std::int32_t frameKind, std::uint64_t timeMs);
bool DecodeStreamData(const Bytes& payload, StreamPacket* packet);

// UpgradeData: the offset of the chunk, then its bytes up to the end of the payload. The prefix is
// built on its own so that the chunk itself can be sent from the shared file image.
constexpr std::size_t kUpgradeDataPrefix = 8;
constexpr std::size_t kUpgradeChunk = 64 * 1024;
Bytes EncodeUpgradeDataPrefix(std::uint64_t offset);
bool DecodeUpgradeData(const Bytes& payload, std::uint64_t* offset, const std::uint8_t** data,
                       std::size_t* size);

}  // namespace wire
