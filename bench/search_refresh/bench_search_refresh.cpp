// One refresh tick of the device table with 250 devices listed, on the window thread.
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "support/event_loop.h"
#include "support/sim_network.h"
#include "support/table_harness.h"
#include "ui/device_list_view.h"
#include "ui/report_ctrl.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  constexpr int kDevices = 250;
  testsupport::SimNetwork network(testsupport::Cameras(kDevices), 1.0);
  CReportCtrl list;
  for (int column = 0; column < discovery::kColumnCount; ++column)
    list.InsertColumn(column, QString::number(column), ui::kAlignCenter, 100);
  list.resize(1200, 600);
  ui::DeviceListView rows(list);
  testsupport::TableHarness harness(rows);
  rows.Attach(harness.table());
  harness.expected = kDevices;
  QElapsedTimer searchTime;
  searchTime.start();
  harness.table().StartSearch();
  if (!testsupport::RunUntil([&] { return harness.completed == 1; }, 60000)) {
    std::fprintf(stderr, "the search did not list %d devices\n", kDevices);
    return 1;
  }
  std::printf("search of %d devices: listed after %lld ms\n", kDevices,
              static_cast<long long>(searchTime.elapsed()));

  std::vector<double> ticks;
  for (int i = 0; i < 20; ++i) {
    QElapsedTimer tick;
    tick.start();
    harness.table().Refresh();
    list.repaint();
    ticks.push_back(tick.nsecsElapsed() / 1e6);
  }
  std::sort(ticks.begin(), ticks.end());
  std::printf("refresh tick with %d rows: median %.2f ms, worst %.2f ms (aim: under 50 ms)\n",
              kDevices, ticks[ticks.size() / 2], ticks.back());
  return 0;
}
