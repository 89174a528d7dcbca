// ONVIF's cell motion detector watches the cells of a grid fixed by the device (its CellLayout's
// Columns x Rows). The program marks blocks of a grid of its own (1x1 to 4x4, 64 flags), so the
// blocks are laid onto the device's cells, and the cells are written as ActiveCells: one bit per
// cell, row by row from the top left, the most significant bit of each byte first and the last byte
// filled with zeros, PackBits-encoded (TIFF 6.0), then base64.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace netsdk::onvif_backend {

struct BlockGrid {
  int columns = 1;
  int rows = 1;
  std::array<bool, 64> marked{};  // block = row x columns + column
};

// Device cells, row by row: a cell is active when the block holding its centre is marked.
std::vector<bool> LayOnto(const BlockGrid& blocks, int columns, int rows);
// PackBits: runs of two to 128 equal bytes as a repeat (1 - n, byte), anything else as literals
// (n - 1, n bytes), at most 128 to a packet.
std::string PackBits(const std::vector<std::uint8_t>& bytes);
// The ActiveCells value of cells in row order.
std::string ActiveCells(const std::vector<bool>& cells);

}  // namespace netsdk::onvif_backend
