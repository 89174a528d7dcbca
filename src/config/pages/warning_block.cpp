#include "config/pages/warning_block.h"

#include <QMouseEvent>
#include <QPainter>

#include "config/config_set.h"
#include "config/requests/request_tables.h"

namespace config {
namespace {

// The grid this pane draws for a position that names none; the request sends 1 x 1 instead.
constexpr requests::MotionGrid kDrawnFallback{3, 3};

}  // namespace

WarningBlock::WarningBlock(QWidget* parent) : QWidget(parent) {
  setGeometry(kX, kY, kWidth, kHeight);
  // Painted whole every time: nothing of the page shows through.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void WarningBlock::SetBlockIndex(int index) {
  m_blockIndex = index;
  const requests::MotionGrid grid =
      requests::TableEntry(requests::kMotionGrids, index, kDrawnFallback);
  m_cellCount = grid.columns * grid.rows;
  m_cells.fill(Cell{0, 0, 0, 0});
  const double cellWidth = static_cast<double>(width()) / grid.columns;
  const double cellHeight = static_cast<double>(height()) / grid.rows;
  int cell = 0;
  for (int row = 0; row < grid.rows; ++row) {
    for (int column = 0; column < grid.columns; ++column) {
      // Truncation toward zero leaves a gap of about two pixels between neighbours.
      Cell& rect = m_cells[static_cast<std::size_t>(cell++)];
      rect.top = static_cast<int>(row * cellHeight + 1);
      rect.bottom = static_cast<int>(rect.top + cellHeight - 2);
      rect.left = static_cast<int>(column * cellWidth + 1);
      rect.right = static_cast<int>(rect.left + cellWidth - 2);
    }
  }
  update();
}

void WarningBlock::LoadFlags() {
  const ConfigSet& set = ProcessConfigSet();
  for (int i = 0; i < kMotionBlockFlagCount; ++i)
    m_flags[static_cast<std::size_t>(i)] = set.Get(MotionBlockFlag(i));
  update();
}

void WarningBlock::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  painter.setPen(QPen(QColor(255, 0, 0), 1, Qt::SolidLine));
  for (int i = 0; i < m_cellCount; ++i) {
    const Cell& cell = m_cells[static_cast<std::size_t>(i)];
    painter.drawLine(cell.left, cell.top, cell.right, cell.top);
    painter.drawLine(cell.right, cell.top, cell.right, cell.bottom);
    painter.drawLine(cell.right, cell.bottom, cell.left, cell.bottom);
    painter.drawLine(cell.left, cell.bottom, cell.left, cell.top);
  }
  for (int i = 0; i < m_cellCount; ++i) {
    const Cell& cell = m_cells[static_cast<std::size_t>(i)];
    if (Flag(i) == 1)
      painter.fillRect(cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top,
                       QColor(0, 255, 0));
  }
}

void WarningBlock::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    const QPoint point = event->position().toPoint();
    for (int i = 0; i < m_cellCount; ++i) {
      const Cell& cell = m_cells[static_cast<std::size_t>(i)];
      // Strictly inside: presses on an outline or in a gap mark nothing.
      if (cell.left < point.x() && point.x() < cell.right && cell.top < point.y() &&
          point.y() < cell.bottom) {
        std::uint8_t& flag = m_flags[static_cast<std::size_t>(i)];
        flag = flag == 0 ? 1 : 0;
        ProcessConfigSet().Set(MotionBlockFlag(i), flag);
        update();
        break;
      }
    }
  }
  QWidget::mousePressEvent(event);
}

}  // namespace config
