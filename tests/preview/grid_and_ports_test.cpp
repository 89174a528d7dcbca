// The grid arithmetic of the multi-device preview, the player ports and the time stamps.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

#include "preview/grid_layout.h"
#include "preview/player_ports.h"
#include "preview/preview_ids.h"
#include "preview/preview_stream.h"

namespace preview {
namespace {

TEST(PreviewGrid, SizeIsTheSmallestSquareThatHoldsTheDevicesAndPanesFollowTheCellArithmetic) {
  const std::pair<int, int> sizes[] = {{0, 1},  {1, 1},  {2, 2},  {4, 2},    {5, 3},   {9, 3},
                                       {10, 4}, {16, 4}, {17, 5}, {250, 16}, {251, 16}};
  for (const auto& [count, size] : sizes) EXPECT_EQ(GridSize(count), size) << count;

  // 3 × 3 over 1000 × 700: cells 333.33 × 233.33, truncated; the last column and row end one
  // pixel before the client's edge.
  const std::vector<QRect> panes = PaneRects(3, QRect(0, 0, 1000, 700));
  ASSERT_EQ(panes.size(), 9u);
  EXPECT_EQ(panes[0], QRect(5, 5, 333 - 5, 233 - 5));
  EXPECT_EQ(panes[1], QRect(333 + 5, 5, 333 - 5, 233 - 5));
  EXPECT_EQ(panes[2], QRect(666 + 5, 5, (1000 - 666 - 1) - 5, 233 - 5));
  EXPECT_EQ(panes[3], QRect(5, 233 + 5, 333 - 5, 233 - 5));
  EXPECT_EQ(panes[8], QRect(666 + 5, 466 + 5, (1000 - 666 - 1) - 5, (700 - 466 - 1) - 5));
  // A client that does not start at the origin moves every pane with it.
  EXPECT_EQ(PaneRects(1, QRect(10, 20, 800, 600)).front(), QRect(15, 25, 800 - 1 - 5, 600 - 1 - 5));
  // Every pane keeps its margin and stays inside the client; no more than 250 panes.
  const std::vector<QRect> full = PaneRects(16, QRect(0, 0, 1920, 1080));
  ASSERT_EQ(full.size(), static_cast<std::size_t>(kMaxPanes));
  for (const QRect& pane : full) {
    EXPECT_GE(pane.left(), kPaneInset);
    EXPECT_LT(pane.left() + pane.width(), 1920);
    EXPECT_LT(pane.top() + pane.height(), 1080);
  }
}

TEST(PreviewPorts, GridPortsCountFrom1000To9999AndNeverRepeatAPortInUse) {
  std::set<int> taken;
  for (int i = kFirstGridPort; i <= kLastGridPort; ++i) {
    const int port = TakeGridPort();
    ASSERT_GE(port, kFirstGridPort);
    ASSERT_LE(port, kLastGridPort);
    ASSERT_TRUE(taken.insert(port).second) << "port " << port << " handed out twice";
  }
  EXPECT_EQ(TakeGridPort(), 0) << "every grid port is in use";
  ReleasePort(4321);
  EXPECT_EQ(TakeGridPort(), 4321);
  // The single view draws from 1..10000 and skips the ports the grid holds.
  for (int i = 0; i < 200; ++i) {
    const int port = TakeSinglePort();
    EXPECT_TRUE((port >= kFirstSinglePort && port < kFirstGridPort) ||
                (port > kLastGridPort && port <= kLastSinglePort))
        << port;
    ReleasePort(port);
  }
  for (int port : taken) ReleasePort(port);
  const int again = TakeGridPort();
  EXPECT_GE(again, kFirstGridPort);
  ReleasePort(again);
}

TEST(PreviewStream, TimeStampsAreTruncatedTowardZeroAndClampedToThe32BitRange) {
  EXPECT_EQ(ClampTimeStamp(1234.9), 1234);
  EXPECT_EQ(ClampTimeStamp(-1234.9), -1234);
  EXPECT_EQ(ClampTimeStamp(1e12), std::numeric_limits<int>::max());
  EXPECT_EQ(ClampTimeStamp(-1e12), std::numeric_limits<int>::min());
  EXPECT_EQ(ClampTimeStamp(std::numeric_limits<double>::infinity()),
            std::numeric_limits<int>::max());
  EXPECT_EQ(ClampTimeStamp(std::nan("")), 0);
}

}  // namespace
}  // namespace preview
