// Where the panes of the multi-device preview go: a d × d grid over the client rectangle, each
// pane inset in its cell.
#pragma once

#include <QRect>
#include <vector>

namespace preview {

// 1 below two devices, else the smallest d >= 2 with d × d >= count.
int GridSize(int deviceCount);

// The pane rectangles, row by row, at most kMaxPanes. Cells are client / d wide and high,
// truncated; a cell that would reach the client's right or bottom edge ends one pixel before it,
// and each pane sits kPaneInset pixels into its cell.
std::vector<QRect> PaneRects(int gridSize, const QRect& client);

}  // namespace preview
