// The batch run controller on the real main window: order, hand-overs, prompts and summaries.
// The instructions of rows 1 to 11 are stood in for by recording operations; their end events
// are delivered as the workers deliver them, as window messages.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <optional>
#include <vector>

#include "app/main_window_controls.h"
#include "batch/engine.h"
#include "batch/instruction_table.h"
#include "batch/messages.h"
#include "batch/run_controller.h"
#include "discovery/device_table.h"
#include "support/app_fixture.h"
#include "support/event_loop.h"
#include "support/sim_network.h"
#include "ui/report_ctrl.h"

namespace {

using batch::RunController;
using testsupport::RunUntil;

class Runs : public testsupport::AppFixture {
 protected:
  void BeforeInit() override {
    network = std::make_unique<testsupport::SimNetwork>(testsupport::Cameras(3));
  }
  void TearDown() override {
    AppFixture::TearDown();
    network.reset();
  }

  // Checks exactly these instruction boxes and records which operations start.
  void Choose(std::initializer_list<int> rows) {
    for (int row = 0; row < batch::kInstructionCount; ++row)
      window().CheckDlgButton(app::InstructionCheckBox(row), false);
    for (int row : rows) window().CheckDlgButton(app::InstructionCheckBox(row), true);
    for (int row = 1; row < batch::kInstructionCount; ++row)
      window().Runs().SetOperation(row, [this, row] { started.push_back(row); });
  }

  // Lists the simulator's three devices, outside a run.
  void FindDevices() {
    window().DlgItem<QComboBox>(1020)->setCurrentIndex(2);
    window().OnSelchangeExpectedCount();
    window().Devices().StartSearch();
    ASSERT_TRUE(RunUntil([&] { return window().IsDlgItemEnabled(1002); }, 30000));
    ASSERT_EQ(window().Devices().CheckedCount(), 3);
  }

  void ClickRun() { window().DlgItem<QPushButton>(1014)->click(); }
  void Deliver(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    window().SendMessage(message, wParam, lParam);
  }

  std::vector<QString> ShownTexts() const {
    std::vector<QString> texts;
    for (const auto& shown : const_cast<Runs*>(this)->dialogs().shown())
      texts.push_back(shown.text);
    return texts;
  }

  void ExpectRunEnded() {
    EXPECT_FALSE(window().Runs().IsRunning());
    EXPECT_EQ(window().GetDlgItemText(1062), window().LanguageIndex() == 0
                                                 ? QStringLiteral("执行结束")
                                                 : QStringLiteral("Complete"));
    EXPECT_TRUE(window().IsDlgItemEnabled(1014));
    EXPECT_TRUE(window().DeviceList().IsSortable());
  }

  std::unique_ptr<testsupport::SimNetwork> network;
  std::vector<int> started;
};

TEST_F(Runs, NothingCheckedDisablesAndReEnablesTheControlsAndCompletes) {
  Choose({});
  int changes = 0;
  class EnabledCounter : public QObject {
   public:
    int* count;
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::EnabledChange) ++*count;
      return false;
    }
  } counter;
  counter.count = &changes;
  window().GetDlgItem(1036)->installEventFilter(&counter);
  ClickRun();
  EXPECT_EQ(changes, 2);
  ExpectRunEnded();
  EXPECT_TRUE(started.empty());
  EXPECT_TRUE(dialogs().shown().empty());
}

TEST_F(Runs, UpgradeWithoutAUsableFileStopsBeforeAnythingIsDisabled) {
  Choose({batch::kRowSearch, batch::kRowUpgrade});
  // None, one the ANSI code page cannot hold, one longer than the library's 259 bytes.
  for (const QString& path : {QString(), QStringLiteral("/tmp/\U0001F600.bin"),
                              QStringLiteral("/tmp/") + QString(300, QLatin1Char('a'))}) {
    window().SetDlgItemText(1005, path);
    ClickRun();
  }
  const QString selectFile = QStringLiteral("请先选择升级文件!");
  ASSERT_EQ(ShownTexts(), (std::vector<QString>{selectFile, selectFile, selectFile}));
  EXPECT_FALSE(window().Runs().IsRunning());
  EXPECT_TRUE(window().IsDlgItemEnabled(1014));
  EXPECT_TRUE(window().GetDlgItemText(1062).isEmpty());
}

TEST_F(Runs, TheUpgradeStartsWhenTheSearchHasFoundTheExpectedCount) {
  Choose({batch::kRowSearch, batch::kRowUpgrade});
  window().SetDlgItemText(1005, QStringLiteral("/tmp/firmware.bin"));
  window().DlgItem<QComboBox>(1020)->setCurrentIndex(2);
  window().OnSelchangeExpectedCount();
  ClickRun();
  EXPECT_TRUE(window().Runs().IsRunning());
  EXPECT_FALSE(window().IsDlgItemEnabled(1014));
  EXPECT_FALSE(window().IsDlgItemEnabled(1215));
  EXPECT_TRUE(window().IsDlgItemEnabled(1003));
  EXPECT_FALSE(window().DeviceList().IsSortable());
  ASSERT_TRUE(RunUntil([&] { return !started.empty(); }, 30000));
  EXPECT_EQ(started, std::vector<int>{batch::kRowUpgrade});
  EXPECT_EQ(window().DeviceList().GetItemCount(), 3);
}

TEST_F(Runs, NoCheckedDeviceEndsTheWholeRun) {
  Choose({batch::kRowModifyIp, batch::kRowUpgrade, batch::kRowReboot});
  window().SetDlgItemText(1005, QStringLiteral("/tmp/firmware.bin"));
  ClickRun();
  EXPECT_EQ(ShownTexts(), std::vector<QString>{QStringLiteral("请先选择设备!")});
  EXPECT_TRUE(started.empty());
  ExpectRunEnded();
}

TEST_F(Runs, AllNetworkRowsAndTheSearchNeedNoCheckedDevice) {
  Choose({batch::kRowAllNetworkOn, batch::kRowOtherSettings});
  ClickRun();
  EXPECT_EQ(started, std::vector<int>{batch::kRowAllNetworkOn});
  EXPECT_TRUE(dialogs().shown().empty());
  // The configuration push with no device ends the run without a message.
  window().Runs().OnAllNetworkDone();
  EXPECT_TRUE(dialogs().shown().empty());
  ExpectRunEnded();
}

TEST_F(Runs, EachHiddenButtonRunsItsOneInstructionWhateverIsChecked) {
  FindDevices();
  Choose({batch::kRowSearch, batch::kRowUpgrade});
  for (int row = 0; row < batch::kInstructionCount; ++row)
    window().Runs().SetPrecondition(row, [] { return QString(); });
  const std::pair<int, int> hiddenButtons[] = {
      {1029, batch::kRowModifyIp},  {1030, batch::kRowFormatSd1}, {1031, batch::kRowFormatSd2},
      {1032, batch::kRowFormatUsb}, {1033, batch::kRowRestore},   {1034, batch::kRowReboot},
      {1035, batch::kRowSetTime}};
  for (const auto& [button, row] : hiddenButtons) {
    EXPECT_TRUE(window().GetDlgItem(button)->isHidden()) << button;
    started.clear();
    window().DlgItem<QPushButton>(button)->click();
    EXPECT_EQ(started, std::vector<int>{row}) << button;
    EXPECT_TRUE(window().Runs().IsRunning()) << button;
    EXPECT_FALSE(window().IsDlgItemEnabled(1014)) << button;
    window().Runs().Finish();
  }
  EXPECT_TRUE(dialogs().shown().empty());
}

class UpgradeFinished : public Runs {
 protected:
  // An upgrade device list of total records, failures of them failed.
  void Upgraded(int total, int failures) {
    window().Engine().BeginUpgrade();
    for (int i = 0; i < total; ++i) {
      records.push_back(std::make_unique<discovery::DeviceRecord>());
      records.back()->upgradeResult =
          i < failures ? discovery::kUpgradeFailed : discovery::kUpgradeSucceeded;
      window().Engine().AddUpgradeDevice(*records.back());
    }
  }
  std::vector<std::unique_ptr<discovery::DeviceRecord>> records;
};

TEST_F(UpgradeFinished, FiftyDevicesWithAFailureGetOnlyTheCountedContinuePrompt) {
  FindDevices();
  Choose({batch::kRowUpgrade, batch::kRowSetTime});
  window().SetDlgItemText(1005, QStringLiteral("/tmp/firmware.bin"));
  ClickRun();
  Upgraded(50, 1);
  dialogs().QueueAnswer(platform::IDYES);
  Deliver(batch::kMsgUpgradeFinished);
  EXPECT_EQ(ShownTexts(), std::vector<QString>{QStringLiteral(
                              "升级完成, 总共:50, 成功:49, 失败:1。是否继续执行剩下的指令？")});
  EXPECT_EQ(window().GetDlgItemText(1026), QStringLiteral("49"));
  EXPECT_EQ(window().GetDlgItemText(1027), QStringLiteral("1"));
  EXPECT_EQ(started, (std::vector<int>{batch::kRowUpgrade, batch::kRowSetTime}));
}

TEST_F(UpgradeFinished, AFewDevicesWithAFailureGetThePreviewOfferThenTheContinueQuestion) {
  FindDevices();
  Choose({batch::kRowUpgrade, batch::kRowReboot});
  window().SetDlgItemText(1005, QStringLiteral("/tmp/firmware.bin"));
  ClickRun();
  Upgraded(10, 2);
  dialogs().QueueAnswer(platform::IDNO);
  dialogs().QueueAnswer(platform::IDNO);
  Deliver(batch::kMsgUpgradeFinished);
  EXPECT_EQ(ShownTexts(),
            (std::vector<QString>{
                QStringLiteral("升级完成, 总共:10, 成功:8, 失败:2。是否播放视频来找出这些设备?"),
                QStringLiteral("是否继续执行剩下的指令？")}));
  EXPECT_EQ(started, std::vector<int>{batch::kRowUpgrade});
  ExpectRunEnded();
}

TEST_F(UpgradeFinished, NoFailureGoesOnWithoutAQuestionInEnglishToo) {
  FindDevices();
  window().SetLanguage(1);
  Choose({batch::kRowUpgrade, batch::kRowFormatUsb});
  window().SetDlgItemText(1005, QStringLiteral("/tmp/firmware.bin"));
  ClickRun();
  Upgraded(3, 0);
  Deliver(batch::kMsgUpgradeFinished);
  EXPECT_TRUE(dialogs().shown().empty());
  EXPECT_EQ(started, (std::vector<int>{batch::kRowUpgrade, batch::kRowFormatUsb}));
}

TEST_F(Runs, RebootSummaryCarriesTheTotalOnlyInChinese) {
  FindDevices();
  Choose({batch::kRowReboot});
  ClickRun();
  Deliver(batch::kMsgRebootFinished, 2, 1);
  window().SetLanguage(1);
  ClickRun();
  Deliver(batch::kMsgRebootFinished, 2, 1);
  EXPECT_EQ(ShownTexts(),
            (std::vector<QString>{
                QStringLiteral("重启设备完成, 总共:3，成功:2 失败:1。"),
                QStringLiteral("Finished rebooting the devices，Success:2 Failed:1。")}));
  EXPECT_EQ(window().GetDlgItemText(1062), QStringLiteral("Complete"));
  ExpectRunEnded();
}

TEST_F(Runs, AnEndEventOutsideARunOrOfAnotherInstructionIsIgnored) {
  FindDevices();
  Choose({batch::kRowSetTime, batch::kRowFormatSd1});
  Deliver(batch::kMsgSetTimeFinished, 1, 2);
  Deliver(batch::kMsgRebootFinished, 1, 2);
  EXPECT_TRUE(dialogs().shown().empty());
  EXPECT_TRUE(started.empty());
  EXPECT_FALSE(window().Runs().IsRunning());

  // While the time sync runs, a late end of an upgrade or a format starts nothing.
  ClickRun();
  ASSERT_EQ(started, std::vector<int>{batch::kRowSetTime});
  Deliver(batch::kMsgUpgradeFinished);
  Deliver(batch::kMsgFormatFinished);
  EXPECT_EQ(started, std::vector<int>{batch::kRowSetTime});
  EXPECT_TRUE(window().Runs().IsRunning());
  Deliver(batch::kMsgSetTimeFinished, 3, 0);
  EXPECT_EQ(started, (std::vector<int>{batch::kRowSetTime, batch::kRowFormatSd1}));
}

TEST_F(Runs, RebootWithoutFailuresEndsSilently) {
  FindDevices();
  Choose({batch::kRowReboot});
  ClickRun();
  Deliver(batch::kMsgRebootFinished, 3, 0);
  EXPECT_TRUE(dialogs().shown().empty());
  ExpectRunEnded();
}

TEST_F(Runs, RestoreSummaryAsksWhenTheRebootFollowsAndNoEndsTheRun) {
  FindDevices();
  Choose({batch::kRowRestore, batch::kRowReboot});
  ClickRun();
  Deliver(batch::kMsgRestoreFinished, 1, 2);
  EXPECT_EQ(ShownTexts(), std::vector<QString>{QStringLiteral(
                              "恢复出厂设置完成, 总共:3，成功:1 失败:2。是否继续操作？")});
  EXPECT_EQ(started, std::vector<int>{batch::kRowRestore});
  ExpectRunEnded();

  dialogs().ClearShown();
  window().SetLanguage(1);
  dialogs().QueueAnswer(platform::IDYES);
  ClickRun();
  Deliver(batch::kMsgRestoreFinished, 1, 2);
  EXPECT_EQ(ShownTexts(), std::vector<QString>{QStringLiteral(
                              "Restoring to factory setting is complete.Continue operating？")});
  EXPECT_EQ(started.back(), batch::kRowReboot);
}

TEST_F(Runs, RestoreAloneShowsTheSummaryAndEnds) {
  FindDevices();
  Choose({batch::kRowRestore});
  window().SetLanguage(1);
  ClickRun();
  Deliver(batch::kMsgRestoreFinished, 2, 1);
  EXPECT_EQ(ShownTexts(),
            std::vector<QString>{QStringLiteral("Restoring to factory setting is complete.")});
  EXPECT_EQ(dialogs().shown()[0].buttons, platform::MessageButtons::Ok);
  ExpectRunEnded();
}

TEST_F(Runs, TimeSummaryIsTheSameShapeInBothLanguages) {
  FindDevices();
  Choose({batch::kRowSetTime, batch::kRowFormatSd1});
  window().SetLanguage(1);
  dialogs().QueueAnswer(platform::IDYES);
  ClickRun();
  Deliver(batch::kMsgSetTimeFinished, 2, 1);
  EXPECT_EQ(ShownTexts(),
            std::vector<QString>{QStringLiteral(
                "Time Changed is complete, Total:3，Success:2 Failed:1。Continue operating？")});
  EXPECT_EQ(started, (std::vector<int>{batch::kRowSetTime, batch::kRowFormatSd1}));
}

TEST_F(Runs, Sd2RunsAfterTheSd1Prompt) {
  FindDevices();
  Choose({batch::kRowFormatSd1, batch::kRowFormatSd2});
  ClickRun();
  ASSERT_EQ(started, std::vector<int>{batch::kRowFormatSd1});
  for (int row = 0; row < 3; ++row) {
    discovery::DeviceRecord* record = window().Devices().RecordAt(row);
    record->diskIndex = 1;
    record->formatState = row == 0 ? discovery::kStateFailed : discovery::kStateDone;
  }
  dialogs().QueueAnswer(platform::IDYES);
  Deliver(batch::kMsgFormatFinished);
  EXPECT_EQ(ShownTexts(), std::vector<QString>{QStringLiteral(
                              "SD1 格式化完成, 总共:3，成功:2 失败:1。是否继续操作？")});
  EXPECT_EQ(started, (std::vector<int>{batch::kRowFormatSd1, batch::kRowFormatSd2}));
}

TEST_F(Runs, ThePushEndsTheRunOnlyWhenEveryRecordIsDone) {
  FindDevices();
  Choose({batch::kRowOtherSettings});
  ClickRun();
  ASSERT_EQ(started, std::vector<int>{batch::kRowOtherSettings});
  discovery::DeviceRecord* first = window().Devices().RecordAt(0);
  discovery::DeviceRecord* second = window().Devices().RecordAt(1);
  window().Engine().AddToPushList(*first);
  window().Engine().AddToPushList(*second);
  first->pushDone = 1;
  Deliver(batch::kMsgPushThreadEnded);
  EXPECT_TRUE(window().Runs().IsRunning());
  second->pushDone = 1;
  Deliver(batch::kMsgPushThreadEnded);
  ExpectRunEnded();
  EXPECT_TRUE(window().Engine().PushListEmpty());
}

TEST_F(Runs, WhileARunGoesOnNeitherAClickNorADoubleClickChangesACheckMark) {
  FindDevices();
  Choose({batch::kRowModifyIp});
  ClickRun();
  ASSERT_TRUE(window().Runs().IsRunning());
  window().show();
  CReportCtrl& list = window().DeviceList();
  const QRect cell = list.visualItemRect(list.item(1, 0));
  std::optional<QPoint> box;
  for (int x = cell.left(); x <= cell.right() && !box; ++x) {
    unsigned flags = 0;
    const QPoint point(x + 2, cell.center().y());
    if (list.HitTest(point, &flags) == 1 && flags == ui::kHitOnStateIcon) box = point;
  }
  ASSERT_TRUE(box.has_value()) << "no check box found in row 1";
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, *box);
  EXPECT_TRUE(list.GetCheck(1));
  EXPECT_TRUE(list.IsSelected(1));
  // The double-click opens the row's single-device preview (modal, black without a login);
  // closing it leaves the mark as it was.
  QTimer::singleShot(10, [] {
    if (QWidget* preview = QApplication::activeModalWidget()) preview->close();
  });
  QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, *box);
  EXPECT_TRUE(list.GetCheck(1));
  EXPECT_EQ(window().Devices().CheckedCount(), 3);

  // Once the run is over, a click changes the mark again.
  window().Runs().Finish();
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, *box);
  EXPECT_FALSE(list.GetCheck(1));
}

}  // namespace
