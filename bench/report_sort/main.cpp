// Times sorting a full device table (250 rows, the main window's eight columns) by each column,
// ascending and descending, each time starting from another column's order, and prints the
// figures in milliseconds.
#include <QApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

#include "ui/report_ctrl.h"

namespace {

constexpr int kRows = 250;
constexpr int kRepeats = 21;

QString Mac(std::mt19937& random) {
  QStringList parts;
  for (int i = 0; i < 6; ++i) {
    parts << QStringLiteral("%1").arg(random() % 256, 2, 16, QLatin1Char('0')).toUpper();
  }
  return parts.join(QLatin1Char(':'));
}

void Fill(CReportCtrl& list, std::mt19937& random) {
  const QStringList statuses = {QStringLiteral("升级成功"), QStringLiteral("版本号一致，升级失败"),
                                QStringLiteral("登录失败"), QStringLiteral("45%"),
                                QStringLiteral("7%"),       QString()};
  const QStringList types = {QStringLiteral("IPC"), QStringLiteral("IPC-B12"),
                             QStringLiteral("IPC-D21")};
  for (int i = 0; i < kRows; ++i) {
    const int row =
        list.InsertItem(list.GetItemCount(),
                        QStringLiteral("192.168.%1.%2").arg(random() % 3).arg(random() % 254 + 1));
    list.SetItemText(row, 1, Mac(random));
    list.SetItemText(
        row, 2,
        QStringLiteral("%1").arg(random() % 0xFFFFFFFFu, 12, 16, QLatin1Char('0')).toUpper());
    list.SetItemText(row, 3, types[static_cast<int>(random() % types.size())]);
    list.SetItemText(row, 4,
                     QStringLiteral("V5.%1.%2 build 2026%3")
                         .arg(random() % 9)
                         .arg(random() % 20)
                         .arg(random() % 1200 + 101));
    list.SetItemText(row, 5,
                     QStringLiteral("2026-%1-%2 %3:%4")
                         .arg(random() % 12 + 1)
                         .arg(random() % 28 + 1)
                         .arg(random() % 24)
                         .arg(random() % 60, 2, 10, QLatin1Char('0')));
    list.SetItemText(row, 6, statuses[static_cast<int>(random() % statuses.size())]);
    list.SetItemText(row, 7, QString::number(random() % 3));
    list.SetCheck(row, random() % 2 == 0);
    list.SetItemBkColor(row, 5, RGB(0, 200, 0));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);

  CReportCtrl list;
  const char* headings[] = {"IP地址",       "物理地址",     "序列号",   "设备类型",
                            "升级前版本号", "升级后版本号", "状态信息", "全网通"};
  for (int col = 0; col < 8; ++col) {
    list.InsertColumn(col, QString::fromUtf8(headings[col]), ui::kAlignCenter, 120);
  }
  int notifications = 0;
  list.onItemChanged = [&notifications](const ui::ItemChange&) { ++notifications; };
  std::mt19937 random(2026);
  Fill(list, random);
  list.resize(1200, 700);
  list.show();
  QApplication::processEvents();

  std::printf("sorting %d rows (median / worst of %d runs, ms)\n", kRows, kRepeats);
  double worst = 0;
  for (int col = 0; col < 8; ++col) {
    for (bool ascending : {true, false}) {
      std::vector<double> times;
      for (int run = 0; run < kRepeats; ++run) {
        // Start from another column's order, so the timed sort has real work to do.
        list.SortItems((col + 1 + run % 7) % 8, run % 2 == 0);
        QElapsedTimer timer;
        timer.start();
        list.SortItems(col, ascending);
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        QApplication::processEvents();
      }
      std::sort(times.begin(), times.end());
      worst = std::max(worst, times.back());
      std::printf("column %d %-10s %7.2f / %7.2f\n", col, ascending ? "ascending" : "descending",
                  times[times.size() / 2], times.back());
    }
  }
  std::printf("worst %.2f ms; %d item-changed notifications in all\n", worst, notifications);
  return 0;
}
