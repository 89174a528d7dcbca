// Payload fields: little-endian integers and strings with a 32-bit length. A reader checks every
// length against what is left and against the field's own limit before it copies anything; after
// the first violation it stays failed and yields zero values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace wire {

class Writer {
 public:
  Writer& U8(std::uint8_t value);
  Writer& U16(std::uint16_t value);
  Writer& U32(std::uint32_t value);
  Writer& U64(std::uint64_t value);
  Writer& I32(std::int32_t value) { return U32(static_cast<std::uint32_t>(value)); }
  Writer& Str(const std::string& value);
  Writer& Raw(const std::uint8_t* data, std::size_t size);
  std::vector<std::uint8_t> Take() { return std::move(m_bytes); }

 private:
  std::vector<std::uint8_t> m_bytes;
};

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
  explicit Reader(const std::vector<std::uint8_t>& bytes) : Reader(bytes.data(), bytes.size()) {}
  // The reader does not own what it reads.
  explicit Reader(std::vector<std::uint8_t>&& bytes) = delete;

  std::uint8_t U8();
  std::uint16_t U16();
  std::uint32_t U32();
  std::uint64_t U64();
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  // A string of at most maxLength bytes; a longer declared length fails the reader.
  std::string Str(std::size_t maxLength);
  // The rest of the payload, without copying.
  const std::uint8_t* Rest(std::size_t* size);

  bool Ok() const { return m_ok; }
  // True when every byte was read and nothing failed: trailing garbage is an error too.
  bool Done() const { return m_ok && m_pos == m_size; }

 private:
  bool Take(std::size_t count);

  const std::uint8_t* m_data;
  std::size_t m_size;
  std::size_t m_pos = 0;
  bool m_ok = true;
};

}  // namespace wire
