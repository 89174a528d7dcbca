#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <atomic>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/dialog.h"
#include "support/event_loop.h"

namespace {

constexpr UINT kMsgA = 2126;
constexpr UINT kMsgB = 2129;

class RecordingDialog : public platform::Dialog {
 public:
  RecordingDialog() : Dialog(102) {}
  struct Entry {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };
  std::vector<Entry> received;
  std::vector<DWORD> timerTicks;

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    received.push_back({message, wParam, lParam});
    return static_cast<LRESULT>(wParam) * 2;
  }
  void OnTimer(UINT id) override {
    if (id == 1000) timerTicks.push_back(platform::GetTickCount());
    if (id == 1008) {
      ++workerTimerTicks;
      onWindowThread = onWindowThread && QThread::currentThread() == thread();
    }
  }

 public:
  int workerTimerTicks = 0;
  bool onWindowThread = true;
};

TEST(Dialog, MessagesPostedFromSeveralThreadsKeepEachThreadsOrder) {
  RecordingDialog dialog;
  constexpr int kPerThread = 200;
  std::vector<std::thread> posters;
  for (LPARAM t = 0; t < 3; ++t)
    posters.emplace_back([&dialog, t] {
      for (WPARAM i = 0; i < kPerThread; ++i) dialog.PostMessage(kMsgA, i, t);
    });
  for (auto& poster : posters) poster.join();
  ASSERT_TRUE(testsupport::RunUntil([&] { return dialog.received.size() == 3 * kPerThread; }));
  std::vector<WPARAM> next(3, 0);
  for (const auto& entry : dialog.received) {
    EXPECT_EQ(entry.message, kMsgA);
    EXPECT_EQ(entry.wParam, next[entry.lParam]++);
  }
}

TEST(Dialog, SendFromAnotherThreadWaitsForTheHandlersResult) {
  RecordingDialog dialog;
  std::atomic<LRESULT> result{-1};
  std::thread sender([&] { result = dialog.SendMessage(2133, 21, 0); });
  ASSERT_TRUE(testsupport::RunUntil([&] { return result.load() != -1; }));
  sender.join();
  EXPECT_EQ(result.load(), 42);
  ASSERT_EQ(dialog.received.size(), 1u);
  EXPECT_EQ(dialog.SendMessage(2133, 5, 0), 10);  // same thread: handled at once
}

TEST(Dialog, RemovingPendingMessagesDropsOnlyThatNumber) {
  RecordingDialog dialog;
  dialog.PostMessage(kMsgA, 1, 0);
  dialog.PostMessage(kMsgB, 2, 0);
  dialog.PostMessage(kMsgA, 3, 0);
  dialog.RemovePendingMessages(kMsgA);
  testsupport::RunUntil([&] { return !dialog.received.empty(); });
  QCoreApplication::processEvents();
  ASSERT_EQ(dialog.received.size(), 1u);
  EXPECT_EQ(dialog.received[0].message, kMsgB);
}

TEST(Dialog, ASentMessageDroppedUnhandledReleasesTheSenderWithZero) {
  RecordingDialog dialog;
  std::atomic<LRESULT> result{-1};
  std::thread sender([&] { result = dialog.SendMessage(2133, 21, 0); });
  // Events are never processed here: the sent message can only end by being dropped.
  while (result == -1) {
    dialog.RemovePendingMessages(2133);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  sender.join();
  EXPECT_EQ(result.load(), 0);
  EXPECT_TRUE(dialog.received.empty());
}

TEST(Dialog, TimersFireAtTheScaledPeriod) {
  platform::SetSpeedFactor(40.0);
  RecordingDialog dialog;
  dialog.SetTimer(1000, 1500);
  EXPECT_TRUE(dialog.IsTimerRunning(1000));
  ASSERT_TRUE(testsupport::RunUntil([&] { return dialog.timerTicks.size() >= 4; }));
  dialog.KillTimer(1000);
  EXPECT_FALSE(dialog.IsTimerRunning(1000));
  for (size_t i = 1; i < dialog.timerTicks.size(); ++i)
    EXPECT_GE(dialog.timerTicks[i] - dialog.timerTicks[i - 1], 1400u);
  platform::SetSpeedFactor(1.0);
}

TEST(Dialog, AWorkerSetsAndKillsATimerThatRunsOnTheWindowThread) {
  platform::SetSpeedFactor(40.0);
  RecordingDialog dialog;
  std::thread([&dialog] { dialog.SetTimer(1008, 1500); }).join();
  ASSERT_TRUE(testsupport::RunUntil([&] { return dialog.workerTimerTicks >= 2; }));
  EXPECT_TRUE(dialog.onWindowThread);
  EXPECT_TRUE(dialog.IsTimerRunning(1008));
  std::thread([&dialog] { dialog.KillTimer(1008); }).join();
  // The kill is carried over in order: once the window has taken it, no tick follows.
  ASSERT_TRUE(testsupport::RunUntil([&] { return !dialog.IsTimerRunning(1008); }));
  const int ticks = dialog.workerTimerTicks;
  testsupport::RunUntil([] { return false; }, 200);
  EXPECT_EQ(dialog.workerTimerTicks, ticks);
  platform::SetSpeedFactor(1.0);
}

TEST(Dialog, ControlsAreFoundByIdWithTheirTextAndState) {
  platform::Dialog dialog(102);
  auto* box = new QCheckBox(QStringLiteral("搜索"), &dialog);
  platform::Dialog::SetControlId(box, 1059);
  auto* edit = new QLineEdit(&dialog);
  platform::Dialog::SetControlId(edit, 1005);
  EXPECT_EQ(dialog.GetDlgItem(1059), box);
  EXPECT_EQ(dialog.GetDlgItem(4242), nullptr);
  EXPECT_EQ(dialog.GetDlgItemText(1059), QStringLiteral("搜索"));
  dialog.CheckDlgButton(1059, true);
  EXPECT_TRUE(dialog.IsDlgButtonChecked(1059));
  EXPECT_FALSE(dialog.IsDlgButtonChecked(1005));
  dialog.SetDlgItemText(1005, QStringLiteral("/tmp/a.bin"));
  EXPECT_EQ(dialog.GetDlgItemText(1005), QStringLiteral("/tmp/a.bin"));
  dialog.EnableDlgItem(1059, false);
  EXPECT_FALSE(dialog.IsDlgItemEnabled(1059));
  EXPECT_EQ(dialog.objectName(), QStringLiteral("102"));
}

TEST(Dialog, DialogUnitsScaleWithTheFont) {
  platform::Dialog dialog(102);
  const QRect small = dialog.DialogUnitsToPixels(4, 8, 40, 16);
  QFont big = dialog.font();
  big.setPointSize(big.pointSize() * 2);
  dialog.setFont(big);
  const QRect large = dialog.DialogUnitsToPixels(4, 8, 40, 16);
  EXPECT_GT(small.width(), 0);
  EXPECT_GT(large.width(), small.width());
  EXPECT_GT(large.height(), small.height());
}

}  // namespace
