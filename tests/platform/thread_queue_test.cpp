#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/thread_queue.h"
#include "platform/worker_thread.h"

namespace {

using platform::MSG;

TEST(ThreadQueue, MessagesArriveInPostingOrderAndQuitEndsTheLoop) {
  std::vector<MSG> received;
  platform::WorkerThread worker;
  worker.Start([&](const platform::StopToken&) {
    MSG msg;
    while (platform::GetMessage(&msg)) received.push_back(msg);
  });
  for (WPARAM i = 0; i < 100; ++i)
    ASSERT_TRUE(platform::PostThreadMessage(worker.Id(), 1025, i, -static_cast<LPARAM>(i)));
  platform::PostThreadMessage(worker.Id(), platform::WM_QUIT, 0, 0);
  ASSERT_TRUE(worker.Stop(60000));
  ASSERT_EQ(received.size(), 100u);
  for (WPARAM i = 0; i < 100; ++i) {
    EXPECT_EQ(received[i].message, 1025u);
    EXPECT_EQ(received[i].wParam, i);
    EXPECT_EQ(received[i].lParam, -static_cast<LPARAM>(i));
  }
}

TEST(ThreadQueue, PostingToAThreadWithoutQueueFails) {
  EXPECT_FALSE(platform::PostThreadMessage(0xFFFFFFF0u, 1025, 0, 0));
  DWORD ended = 0;
  std::thread([&] {
    platform::CreateMessageQueue();
    ended = platform::GetCurrentThreadId();
  }).join();
  EXPECT_FALSE(platform::PostThreadMessage(ended, 1025, 0, 0));
}

TEST(ThreadQueue, ThreadIdsAreDistinctAndNonZero) {
  DWORD other = 0;
  std::thread([&] { other = platform::GetCurrentThreadId(); }).join();
  EXPECT_NE(other, 0u);
  EXPECT_NE(other, platform::GetCurrentThreadId());
}

TEST(WorkerThread, AStopRequestEndsAPollingLoop) {
  std::atomic<int> rounds{0};
  platform::WorkerThread worker;
  worker.Start([&](const platform::StopToken& stop) {
    while (stop.Sleep(300)) ++rounds;
  });
  EXPECT_TRUE(worker.Stop(60000));
  EXPECT_FALSE(worker.IsRunning());
}

TEST(WorkerThread, ABlockedThreadIsLeftBehindNotWaitedFor) {
  std::atomic<bool> release{false};
  auto worker = std::make_unique<platform::WorkerThread>();
  worker->Start([&release](const platform::StopToken&) {
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  });
  EXPECT_FALSE(worker->Stop(100));
  // Asked again (a second close), it still reports the thread it left behind.
  EXPECT_FALSE(worker->Stop(0));
  release = true;
  while (worker->IsRunning()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_TRUE(worker->Stop(0));
  worker.reset();
}

}  // namespace
