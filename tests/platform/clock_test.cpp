#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/named_event.h"

namespace {

class SpeedFactor : public testing::Test {
 protected:
  void SetUp() override { platform::SetSpeedFactor(50.0); }
  void TearDown() override { platform::SetSpeedFactor(1.0); }
};

TEST_F(SpeedFactor, SleepAndTickCountAgreeOnTheScaledClock) {
  const DWORD before = platform::GetTickCount();
  platform::Sleep(2000);  // 40 real ms at factor 50
  const DWORD elapsed = platform::GetTickCount() - before;
  EXPECT_GE(elapsed, 2000u);
  // A loaded machine may oversleep, but not by the whole unscaled period many times over.
  EXPECT_LT(elapsed, 2000u * 25);
}

TEST_F(SpeedFactor, TickCountStaysContinuousWhenTheFactorChanges) {
  const DWORD before = platform::GetTickCount();
  platform::SetSpeedFactor(1.0);
  const DWORD after = platform::GetTickCount();
  EXPECT_GE(after, before);
  EXPECT_LT(after - before, 1000u);
}

TEST(Clock, RejectsANonPositiveFactor) {
  platform::SetSpeedFactor(0.0);
  platform::SetSpeedFactor(-3.0);
  EXPECT_DOUBLE_EQ(platform::SpeedFactor(), 1.0);
}

TEST(Clock, LocalTimeIsAPlausibleCalendarDate) {
  platform::SYSTEMTIME now{};
  platform::GetLocalTime(&now);
  EXPECT_GE(now.wYear, 2024);
  EXPECT_GE(now.wMonth, 1);
  EXPECT_LE(now.wMonth, 12);
  EXPECT_GE(now.wDay, 1);
  EXPECT_LE(now.wDay, 31);
  EXPECT_LE(now.wHour, 23);
  platform::GetLocalTime(nullptr);  // must not crash
}

TEST_F(SpeedFactor, AutoResetEventReleasesOneWaiterPerSignal) {
  auto event = platform::CreateNamedEvent("TEST_EVENT_ONE_PER_SIGNAL");
  EXPECT_EQ(event, platform::CreateNamedEvent("TEST_EVENT_ONE_PER_SIGNAL"));
  std::atomic<int> released{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 3; ++i)
    waiters.emplace_back([&] {
      if (event->Wait(100000)) ++released;
    });
  platform::Sleep(1000);
  event->Set();
  platform::Sleep(2000);
  EXPECT_EQ(released.load(), 1);
  // Two signals in a row before anyone woke would be one: release the waiters one at a time.
  event->Set();
  while (released.load() < 2) platform::Sleep(50);
  event->Set();
  for (auto& waiter : waiters) waiter.join();
  EXPECT_EQ(released.load(), 3);
}

TEST_F(SpeedFactor, AutoResetEventStaysSetUntilOneWaitTakesIt) {
  auto event = platform::CreateNamedEvent("TEST_EVENT_LATCH");
  event->Set();
  EXPECT_TRUE(event->Wait(0));
  EXPECT_FALSE(event->Wait(500));
}

}  // namespace
