// Message 2126: a worker's status text reaches its record's row; the upgrade verdict colours
// column 5; a text keeps the language it was written in.
#include <gtest/gtest.h>

#include <QComboBox>

#include "batch/engine.h"
#include "batch/messages.h"
#include "discovery/device_table.h"
#include "support/app_fixture.h"
#include "support/event_loop.h"
#include "support/sim_network.h"
#include "ui/report_ctrl.h"

namespace {

using testsupport::RunUntil;

class RowStatus : public testsupport::AppFixture {
 protected:
  void BeforeInit() override {
    network = std::make_unique<testsupport::SimNetwork>(testsupport::Cameras(3));
  }
  void SetUp() override {
    AppFixture::SetUp();
    window().DlgItem<QComboBox>(1020)->setCurrentIndex(2);
    window().OnSelchangeExpectedCount();
    window().Devices().StartSearch();
    ASSERT_TRUE(RunUntil([&] { return window().IsDlgItemEnabled(1002); }, 30000));
  }
  void TearDown() override {
    AppFixture::TearDown();
    network.reset();
  }

  discovery::DeviceRecord& Record(int row) { return *window().Devices().RecordAt(row); }
  CReportCtrl& list() { return window().DeviceList(); }

  // As a worker does it: the text in the record, then 2126 posted.
  void Post(int row, texts::TextId text, int column) {
    window().Engine().ShowStatus(Record(row), window().Engine().Text(text), column);
    QCoreApplication::processEvents();
  }

  // As the upgrade gives its verdict: the result, then its text and 2126, taken later.
  void Judge(int row, discovery::UpgradeResult result, texts::TextId text) {
    Record(row).upgradeResult = result;
    window().Engine().ShowStatus(Record(row), window().Engine().Text(text), 6);
  }

  std::unique_ptr<testsupport::SimNetwork> network;
};

TEST_F(RowStatus, TheTextLandsInTheRecordsRowAndColumnAlsoAfterASort) {
  list().SortItems(2, false);  // SN1002, SN1001, SN1000
  Post(0, texts::kTextLoginOk, 6);
  EXPECT_EQ(list().GetItemText(0, 6), QStringLiteral("登录成功"));
  discovery::DeviceRecord& record = Record(2);
  record.SetStatusText(QStringLiteral("V5.6.0"));
  window().PostMessage(batch::kMsgRowStatus, reinterpret_cast<WPARAM>(&record), 4);
  QCoreApplication::processEvents();
  EXPECT_EQ(list().GetItemText(2, 4), QStringLiteral("V5.6.0"));
  EXPECT_EQ(list().GetItemText(2, 2), QStringLiteral("SN1000"));
}

// The upgrade result colours column 5, whatever language its text was written in: green for an
// upgrade, red for a device that kept its old version, nothing for other failures or for a text
// that only reads like a verdict.
TEST_F(RowStatus, TheUpgradeResultColoursColumnFiveWhateverTheLanguageOfItsText) {
  const COLORREF plain = list().GetItemTextColor(0, 5);
  // Written in Chinese; English is in force by the time the window takes the messages.
  Judge(0, discovery::kUpgradeSucceeded, texts::kTextUpgradeSucceeded);
  Judge(1, discovery::kUpgradeKeptOldVersion, texts::kTextSameVersionFailed);
  window().SetLanguage(1);
  QCoreApplication::processEvents();
  Judge(2, discovery::kUpgradeFailed, texts::kTextUploadFailed);
  QCoreApplication::processEvents();
  EXPECT_EQ(list().GetItemTextColor(0, 5), RGB(0, 200, 0));
  EXPECT_EQ(list().GetItemTextColor(1, 5), RGB(255, 0, 0));
  EXPECT_EQ(list().GetItemTextColor(2, 5), plain);
  EXPECT_EQ(list().GetItemTextColor(0, 6), plain);
  Post(2, texts::kTextUpgradeSucceeded, 6);
  EXPECT_EQ(list().GetItemTextColor(2, 5), plain);
}

TEST_F(RowStatus, AStatusKeepsItsLanguageAndTheNextOneUsesTheNewLanguage) {
  Post(0, texts::kTextLoggingIn, 6);
  window().SetLanguage(1);
  EXPECT_EQ(list().GetItemText(0, 6), QStringLiteral("正在登录"));
  Post(0, texts::kTextLoginFailed, 6);
  EXPECT_EQ(list().GetItemText(0, 6), QStringLiteral("login failed"));
}

TEST_F(RowStatus, NoStaleStatusReachesAClearedTable) {
  discovery::DeviceRecord& record = Record(0);
  record.SetStatusText(QStringLiteral("late"));
  window().PostMessage(batch::kMsgRowStatus, reinterpret_cast<WPARAM>(&record), 6);
  window().Devices().StartSearch();  // clears the table before the message is handled
  QCoreApplication::processEvents();
  ASSERT_TRUE(RunUntil([&] { return window().IsDlgItemEnabled(1002); }, 30000));
  for (int row = 0; row < list().GetItemCount(); ++row)
    EXPECT_NE(list().GetItemText(row, 6), QStringLiteral("late"));
}

TEST_F(RowStatus, AMessageWithABadColumnOrNoRecordChangesNothing) {
  Record(0).SetStatusText(QStringLiteral("x"));
  window().SendMessage(batch::kMsgRowStatus, reinterpret_cast<WPARAM>(&Record(0)), 3);
  window().SendMessage(batch::kMsgRowStatus, 0, 6);
  EXPECT_NE(list().GetItemText(0, 3), QStringLiteral("x"));
  EXPECT_TRUE(list().GetItemText(0, 6).isEmpty());
}

}  // namespace
