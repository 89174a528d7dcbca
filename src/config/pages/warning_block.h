// The motion page's grid of picture areas: a black pane of 1 to 16 cells outlined in red, marked
// cells filled green. A press inside a cell marks or unmarks it, together with its BlockConfig
// byte in the configuration set.
#pragma once

#include <QWidget>
#include <array>
#include <cstdint>

#include "config/config_fields.h"

namespace config {

class WarningBlock : public QWidget {
 public:
  // Client position on the page and size, in pixels.
  static constexpr int kX = 370;
  static constexpr int kY = 50;
  static constexpr int kWidth = 250;
  static constexpr int kHeight = 220;

  struct Cell {
    int left;
    int top;
    int right;
    int bottom;
  };

  explicit WarningBlock(QWidget* parent);

  // Takes the position of the "区域数量" choice, recomputes the cells and repaints; an index
  // outside the six grids draws 3 x 3. The flags are kept by cell number.
  void SetBlockIndex(int index);
  // Copies the 64 BlockConfig bytes of the configuration set into the flags and repaints.
  void LoadFlags();

  int BlockIndex() const { return m_blockIndex; }
  int CellCount() const { return m_cellCount; }
  Cell CellRect(int cell) const { return m_cells[static_cast<std::size_t>(cell)]; }
  std::uint8_t Flag(int cell) const { return m_flags[static_cast<std::size_t>(cell)]; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  int m_blockIndex = 0;
  int m_cellCount = 0;
  std::array<std::uint8_t, kMotionBlockFlagCount> m_flags{};
  std::array<Cell, kMotionBlockFlagCount> m_cells{};
};

}  // namespace config
