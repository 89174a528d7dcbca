#include "onvif_backend/cell_grid.h"

#include "onvif_backend/text_encoding.h"

namespace netsdk::onvif_backend {
namespace {

constexpr std::size_t kMaxPacket = 128;

}  // namespace

std::vector<bool> LayOnto(const BlockGrid& blocks, int columns, int rows) {
  std::vector<bool> cells;
  if (columns <= 0 || rows <= 0 || blocks.columns <= 0 || blocks.rows <= 0) return cells;
  cells.reserve(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
  for (int row = 0; row < rows; ++row) {
    // The block under the cell's centre, in integers: (2 x cell + 1) / (2 x cells) of the blocks.
    const long blockRow = (2L * row + 1) * blocks.rows / (2L * rows);
    for (int column = 0; column < columns; ++column) {
      const long blockColumn = (2L * column + 1) * blocks.columns / (2L * columns);
      const long block = blockRow * blocks.columns + blockColumn;
      cells.push_back(block < static_cast<long>(blocks.marked.size()) &&
                      blocks.marked[static_cast<std::size_t>(block)]);
    }
  }
  return cells;
}

std::string PackBits(const std::vector<std::uint8_t>& bytes) {
  std::string packed;
  std::size_t i = 0;
  while (i < bytes.size()) {
    std::size_t run = 1;
    while (i + run < bytes.size() && run < kMaxPacket && bytes[i + run] == bytes[i]) ++run;
    if (run >= 2) {
      packed += static_cast<char>(static_cast<std::uint8_t>(257 - run));
      packed += static_cast<char>(bytes[i]);
      i += run;
      continue;
    }
    // Literals up to the next pair of equal bytes, which packs better as a repeat.
    std::size_t end = i + 1;
    while (end < bytes.size() && end - i < kMaxPacket &&
           !(end + 1 < bytes.size() && bytes[end] == bytes[end + 1])) {
      ++end;
    }
    packed += static_cast<char>(end - i - 1);
    packed.append(bytes.begin() + static_cast<long>(i), bytes.begin() + static_cast<long>(end));
    i = end;
  }
  return packed;
}

std::string ActiveCells(const std::vector<bool>& cells) {
  std::vector<std::uint8_t> bytes((cells.size() + 7) / 8, 0);
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (cells[i]) bytes[i / 8] |= static_cast<std::uint8_t>(0x80u >> (i % 8));
  }
  return Base64(PackBits(bytes));
}

}  // namespace netsdk::onvif_backend
