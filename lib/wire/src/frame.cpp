#include "wire/frame.h"

#include <cstring>

namespace wire {
namespace {

void PutU32(std::uint8_t* out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t GetU32(const std::uint8_t* in) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | in[i];
  return value;
}

}  // namespace

void WriteHeader(std::uint8_t* out, MsgType type, std::uint32_t id, std::size_t payloadSize) {
  out[0] = kMagic0;
  out[1] = kMagic1;
  out[2] = kProtocolVersion;
  out[3] = static_cast<std::uint8_t>(type);
  PutU32(out + 4, id);
  PutU32(out + 8, static_cast<std::uint32_t>(payloadSize));
}

std::vector<std::uint8_t> EncodeFrame(MsgType type, std::uint32_t id,
                                      const std::vector<std::uint8_t>& payload) {
  std::vector<std::uint8_t> bytes(kHeaderSize + payload.size());
  WriteHeader(bytes.data(), type, id, payload.size());
  if (!payload.empty()) std::memcpy(bytes.data() + kHeaderSize, payload.data(), payload.size());
  return bytes;
}

void FrameAssembler::Feed(const std::uint8_t* data, std::size_t size) {
  if (m_failed || size == 0) return;
  // Drop consumed bytes before growing, so the buffer stays about one frame long.
  if (m_start > 0 && m_start == m_buffer.size()) {
    m_buffer.clear();
    m_start = 0;
  } else if (m_start >= 64 * 1024) {
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(m_start));
    m_start = 0;
  }
  m_buffer.insert(m_buffer.end(), data, data + size);
}

FrameAssembler::Result FrameAssembler::Next(Frame* frame) {
  if (m_failed) return Result::kBad;
  const std::size_t available = m_buffer.size() - m_start;
  if (available < kHeaderSize) return Result::kNeedMore;
  const std::uint8_t* head = m_buffer.data() + m_start;
  const std::uint32_t length = GetU32(head + 8);
  if (head[0] != kMagic0 || head[1] != kMagic1 || head[2] != kProtocolVersion ||
      head[3] < kFirstMsgType || head[3] > kLastMsgType || length > kMaxPayload) {
    m_failed = true;
    m_buffer.clear();
    m_start = 0;
    return Result::kBad;
  }
  if (available < kHeaderSize + length) return Result::kNeedMore;
  frame->type = static_cast<MsgType>(head[3]);
  frame->id = GetU32(head + 4);
  frame->payload.assign(head + kHeaderSize, head + kHeaderSize + length);
  m_start += kHeaderSize + length;
  return Result::kFrame;
}

}  // namespace wire
