// Frames of the device network protocol. Every frame is a 12-byte header followed by its payload:
//   0  'R' 'V'          magic
//   2  uint8            protocol version
//   3  uint8            message type
//   4  uint32 LE        request id (echoed by the answer)
//   8  uint32 LE        payload length, at most kMaxPayload
// A peer that sends anything else is misbehaving and its connection is closed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace wire {

constexpr std::uint8_t kMagic0 = 'R';
constexpr std::uint8_t kMagic1 = 'V';
constexpr std::uint8_t kProtocolVersion = 1;
constexpr std::size_t kHeaderSize = 12;
// Large enough for a firmware chunk or a configuration document, small enough that a hostile
// length cannot make either side allocate much.
constexpr std::size_t kMaxPayload = 256 * 1024;

enum class MsgType : std::uint8_t {
  kProbe = 1,           // library -> LAN: search probe; id = search id
  kProbeAnswer = 2,     // LAN -> library: one device's information; id = search id
  kModify = 3,          // library -> LAN: new network settings for the device at an address
  kModifyResult = 4,    // LAN -> library
  kHello = 5,           // library -> LAN: bind this connection to the device at ip:port
  kHelloAnswer = 6,     // device -> library; nobody answers for an empty address
  kLogin = 7,           // library -> device
  kLoginResult = 8,     // device -> library
  kCommand = 9,         // library -> device: control, configuration or action command
  kCommandResult = 10,  // device -> library; also sent unasked (the upgrade check, 1009)
  kUpgradeBegin = 11,   // library -> device: a firmware file of the given size follows
  kUpgradeData = 12,    // library -> device: offset and bytes
  kUpgradeAck = 13,     // device -> library: bytes taken so far
  kUpgradeDone = 14,    // device -> library: the whole file arrived
  kUpgradeFailed = 15,  // device -> library: the device abandoned the transfer
  kStreamStart = 16,    // library -> device, after the login of a preview connection
  kStreamData = 17,     // device -> library: a stream header, video or audio frame
};
constexpr std::uint8_t kFirstMsgType = 1;
constexpr std::uint8_t kLastMsgType = 17;

struct Frame {
  MsgType type = MsgType::kProbe;
  std::uint32_t id = 0;
  std::vector<std::uint8_t> payload;
};

// Writes the header of a frame whose payload has payloadSize bytes (<= kMaxPayload).
void WriteHeader(std::uint8_t* out, MsgType type, std::uint32_t id, std::size_t payloadSize);

// A whole frame as bytes.
std::vector<std::uint8_t> EncodeFrame(MsgType type, std::uint32_t id,
                                      const std::vector<std::uint8_t>& payload);

// Cuts a byte stream into frames. The header is checked before its length is trusted: a bad magic,
// version, type or length puts the assembler into the failed state for good.
class FrameAssembler {
 public:
  enum class Result { kFrame, kNeedMore, kBad };

  void Feed(const std::uint8_t* data, std::size_t size);
  // Takes the next complete frame out of the stream.
  Result Next(Frame* frame);
  bool Failed() const { return m_failed; }
  // Bytes held that do not yet make a whole frame.
  std::size_t Buffered() const { return m_buffer.size() - m_start; }

 private:
  std::vector<std::uint8_t> m_buffer;
  std::size_t m_start = 0;
  bool m_failed = false;
};

}  // namespace wire
