// Both preview windows opened from the real main window against the camera simulator: frames
// decoded and drawn, result borders, black panes, every preview stopped on close, the logins of
// the single view, and the table held still while a preview is open.
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "../operations/operations_fixture.h"
#include "preview/mul_play.h"
#include "preview/watch_video.h"

namespace optest {
namespace {

constexpr std::uint32_t kCodeStream = 1020;
constexpr std::uint32_t kCodeLogin = 1004;

class PreviewWindows : public OperationsTest {
 protected:
  discovery::DeviceRecord& Record(const std::string& serial) {
    return *window().Devices().RecordAt(RowOf(serial));
  }

  void LogIn(std::initializer_list<const char*> serials) {
    for (const char* serial : serials) ASSERT_EQ(window().Engine().QueueLogin(Record(serial)), 0);
    ASSERT_TRUE(RunUntil([&] {
      for (const char* serial : serials)
        if (Record(serial).loginState.load() != discovery::kLoginConfirmed) return false;
      return true;
    }));
  }

  // Runs inspect inside the modal window that open() shows, then closes that window.
  template <typename Window>
  bool WhileOpen(const std::function<void()>& open, const std::function<void(Window&)>& inspect) {
    bool fired = false;
    bool seen = false;
    // A real timer: a zero one would run inside the delivery of posted messages, which then holds
    // back the window's own start message.
    QTimer::singleShot(10, [&] {
      fired = true;
      auto* shown = dynamic_cast<Window*>(QApplication::activeModalWidget());
      if (shown == nullptr) return;
      seen = true;
      inspect(*shown);
      shown->close();
    });
    open();
    // A window that did not open leaves the timer for the loop here, never for a later test.
    EXPECT_TRUE(RunUntil([&] { return fired; }));
    return seen;
  }

  std::vector<std::string> StreamJournal(const std::string& serial) {
    std::vector<std::string> texts;
    for (const auto& entry : Journal(serial, kCodeStream)) texts.push_back(entry.text);
    return texts;
  }

  static QImage Grab(QWidget& widget) { return widget.grab().toImage(); }
  static QRgb Pixel(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }
};

TEST_F(PreviewWindows, TheGridPlaysTheLoggedInDevicesInsideTheirResultBordersAndStopsThemAll) {
  StartWith(testsupport::Cameras(5));
  FindDevices(5);
  LogIn({"SN1000", "SN1001", "SN1002", "SN1003"});
  Record("SN1000").upgradeResult = discovery::kUpgradeSucceeded;
  Record("SN1001").upgradeResult = discovery::kUpgradeFailed;
  list().SetCheck(RowOf("SN1003"), false);  // checked rows only

  std::vector<int> ports;
  const bool opened = WhileOpen<preview::CMULPLay>(
      [&] { Click(1054); },
      [&](preview::CMULPLay& grid) {
        EXPECT_EQ(grid.DeviceCount(), 4);
        EXPECT_EQ(grid.PaneCount(), 4);
        EXPECT_EQ(grid.frameGeometry(), QGuiApplication::primaryScreen()->geometry());
        const auto pane = [&](const std::string& serial) -> preview::CStaWnd& {
          for (int i = 0; i < grid.DeviceCount(); ++i)
            if (grid.Slot(i).record == &Record(serial)) return *grid.Slot(i).pane;
          throw std::runtime_error("no pane for " + serial);
        };
        ASSERT_TRUE(RunUntil([&] {
          return pane("SN1000").Surface().PicturesShown() >= 5 &&
                 pane("SN1001").Surface().PicturesShown() >= 5 &&
                 pane("SN1002").Surface().PicturesShown() >= 5;
        }));
        const QImage first = Grab(pane("SN1000"));
        RunUntil([] { return false; }, 400);
        const QImage later = Grab(pane("SN1000"));
        const int w = first.width();
        const int h = first.height();
        EXPECT_EQ(Pixel(first, 2, h / 2), 0x00FF00u);
        EXPECT_EQ(Pixel(Grab(pane("SN1001")), 2, h / 2), 0xFF0000u);
        const QImage plain = Grab(pane("SN1002"));
        EXPECT_EQ(Pixel(plain, 2, h / 2), 0u) << "no result, no border";
        EXPECT_NE(Pixel(plain, w / 2, h / 2), 0u) << "the video is drawn";
        EXPECT_NE(first.copy(5, 5, w - 10, h - 10), later.copy(5, 5, w - 10, h - 10))
            << "the picture does not move";
        // Not logged in: a black pane and no stream asked for.
        EXPECT_EQ(pane("SN1004").Surface().PicturesShown(), 0);
        EXPECT_EQ(grid.Slot(3).record, &Record("SN1004"));
        EXPECT_EQ(grid.Slot(3).previewHandle.load(), 0);
        // A window manager that keeps the window off part of the screen leaves it less room:
        // every pane, border included, stays inside what is left.
        grid.resize(grid.width() - 37, grid.height() - 61);
        for (int i = 0; i < grid.PaneCount(); ++i) {
          EXPECT_TRUE(grid.rect().contains(grid.Slot(i).pane->geometry())) << "pane " << i;
        }
        for (int i = 0; i < grid.DeviceCount(); ++i) ports.push_back(grid.Slot(i).port.load());
        grid.DestroyWindow();
        for (int i = 0; i < grid.DeviceCount(); ++i) {
          EXPECT_EQ(grid.Slot(i).previewHandle.load(), 0);
          EXPECT_EQ(grid.Slot(i).port.load(), 0);
        }
      });
  ASSERT_TRUE(opened);
  for (int port : ports) {
    if (port > 0) {
      EXPECT_EQ(IP_KMR_Stop(port), -1) << "port " << port << " still open";
    }
  }
  for (const char* serial : {"SN1000", "SN1001", "SN1002"}) {
    EXPECT_TRUE(RunUntil([&] { return StreamJournal(serial).size() == 2; })) << serial;
    EXPECT_EQ(StreamJournal(serial), (std::vector<std::string>{"start channel=1", "stop"}));
  }
  EXPECT_TRUE(StreamJournal("SN1003").empty()) << "an unchecked row is not played";
  EXPECT_TRUE(StreamJournal("SN1004").empty()) << "a device not logged in is not played";
}

TEST_F(PreviewWindows, ADoubleClickLogsADeviceInPlaysItAndKeepsTheLoginAfterClosing) {
  StartWith(testsupport::Cameras(2));
  FindDevices(2);
  const int row = RowOf("SN1001");
  ASSERT_EQ(Record("SN1001").loginHandle.load(), 0);
  const QRect cell = list().visualRect(list().model()->index(row, kColumnSerial));
  const bool opened = WhileOpen<preview::WatchVideo>(
      [&] { QTest::mouseDClick(list().viewport(), Qt::LeftButton, {}, cell.center()); },
      [&](preview::WatchVideo& single) {
        ASSERT_TRUE(RunUntil([&] { return single.Surface().PicturesShown() >= 3; }));
        EXPECT_GT(single.Port(), 0);
        EXPECT_LE(single.Port(), 10000);
        EXPECT_NE(Pixel(Grab(single), 0, 0), 0u) << "the video fills the window";
      });
  ASSERT_TRUE(opened);
  EXPECT_TRUE(list().GetCheck(row)) << "a double-click plays, it does not uncheck";
  EXPECT_EQ(Journal("SN1001", kCodeLogin).size(), 2u) << "the device's login and the preview's";
  EXPECT_GT(Record("SN1001").loginHandle.load(), 0);
  EXPECT_EQ(Record("SN1001").loginState.load(), discovery::kLoginConfirmed);
  EXPECT_TRUE(RunUntil([&] { return StreamJournal("SN1001").size() == 2; }));
  EXPECT_TRUE(Journal("SN1000", kCodeLogin).empty());
}

TEST_F(PreviewWindows, NoLoginDuringARunAndNoPreviewWhileTheTableMayBeCleared) {
  StartWith(testsupport::Cameras(3));
  FindDevices(3);
  // During a run the single view plays only what is logged in: no login of its own.
  preview::WatchVideo single(Record("SN1000"), window().Engine(), false, &window());
  single.OnInitDialog();
  RunUntil([] { return false; }, 300);
  EXPECT_EQ(single.PreviewHandle(), 0);
  EXPECT_TRUE(Journal("SN1000", kCodeLogin).empty());
  single.DestroyWindow();

  // While the table is busy or a search runs, neither window opens.
  window().Devices().SetBusy(true);
  EXPECT_FALSE(WhileOpen<preview::CMULPLay>([&] { Click(1054); }, [](preview::CMULPLay&) {}));
  EXPECT_FALSE(
      WhileOpen<preview::WatchVideo>([&] { window().PlayDevice(0); }, [](preview::WatchVideo&) {}));
  window().Devices().SetBusy(false);

  // An IP pass holds back its re-search, which clears the table, while a preview is open.
  discovery::DeviceRecord* const first = &Record("SN1000");
  window().Devices().SetPreviewOpen(true);
  window().DlgItem<QPushButton>(1029)->click();
  ASSERT_TRUE(RunUntil([&] { return Journal("SN1002", 1003).size() == 1; }));
  RunUntil([] { return false; }, 1000);  // well past the pause before the re-search
  EXPECT_TRUE(window().Devices().Lists(first));
  EXPECT_EQ(window().Devices().RetiredCount(), 0u);
  window().Devices().SetPreviewOpen(false);
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_FALSE(window().Devices().Lists(first));
  EXPECT_EQ(StatusOf("SN1002"), QStringLiteral("修改IP成功"));
}

}  // namespace
}  // namespace optest
