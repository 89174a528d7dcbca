// CRC-32 (the IEEE polynomial of zip and Ethernet), computed piecewise so that a device can check a
// firmware file while it arrives.
#pragma once

#include <cstddef>
#include <cstdint>

namespace wire {

// Continues a CRC over more bytes; start with crc = 0.
std::uint32_t Crc32(std::uint32_t crc, const std::uint8_t* data, std::size_t size);

}  // namespace wire
