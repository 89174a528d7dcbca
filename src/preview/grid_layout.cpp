#include "preview/grid_layout.h"

#include "preview/preview_ids.h"

namespace preview {
namespace {
// A grid of 16 × 16 holds the 250 panes.
constexpr int kMaxGridSize = 16;
}  // namespace

int GridSize(int deviceCount) {
  if (deviceCount < 2) return 1;
  int size = 2;
  while (size * size < deviceCount && size < kMaxGridSize) ++size;
  return size;
}

std::vector<QRect> PaneRects(int gridSize, const QRect& client) {
  std::vector<QRect> panes;
  const double cellWidth = static_cast<double>(client.width()) / gridSize;
  const double cellHeight = static_cast<double>(client.height()) / gridSize;
  // Exclusive right and bottom edges, as the window's client rectangle has them.
  const int clientRight = client.left() + client.width();
  const int clientBottom = client.top() + client.height();
  for (int row = 0; row < gridSize; ++row) {
    for (int column = 0; column < gridSize && static_cast<int>(panes.size()) < kMaxPanes;
         ++column) {
      const int left = client.left() + static_cast<int>(column * cellWidth);
      const int top = client.top() + static_cast<int>(row * cellHeight);
      int width = static_cast<int>(cellWidth);
      int height = static_cast<int>(cellHeight);
      if (left + width >= clientRight) width = clientRight - left - 1;
      if (top + height >= clientBottom) height = clientBottom - top - 1;
      panes.emplace_back(left + kPaneInset, top + kPaneInset, width - kPaneInset,
                         height - kPaneInset);
    }
  }
  return panes;
}

}  // namespace preview
