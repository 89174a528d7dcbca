#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "platform/blocking_call_gate.h"

namespace {

using platform::BlockingCallGate;

// One thread inside, one blocked outside in its call: closing waits for the first only, the
// second comes back to a shut gate, and a thread that starts afterwards never gets in.
TEST(BlockingCallGate, ClosingWaitsForTheThreadsInsideAndShutsOutTheOnesInACall) {
  auto gate = std::make_shared<BlockingCallGate>();
  std::promise<void> insideEntered, callEntered, letInsideGo, letCallReturn;
  std::atomic<bool> insideDone{false};
  std::promise<bool> backInside;

  std::thread inside([&, gate] {
    BlockingCallGate::Pass pass(gate);
    ASSERT_TRUE(pass);
    insideEntered.set_value();
    letInsideGo.get_future().wait();
    insideDone = true;
  });
  std::thread blocked([&, gate] {
    BlockingCallGate::Pass pass(gate);
    backInside.set_value(pass.Outside([&] {
      callEntered.set_value();
      letCallReturn.get_future().wait();
    }) || static_cast<bool>(pass));
  });
  insideEntered.get_future().wait();
  callEntered.get_future().wait();

  std::atomic<bool> insideDoneWhenClosed{false};
  std::thread closer([&] {
    gate->Close();
    insideDoneWhenClosed = insideDone.load();
  });
  // Give the closer every chance to return too early.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  letInsideGo.set_value();
  closer.join();
  inside.join();
  EXPECT_TRUE(insideDoneWhenClosed);

  letCallReturn.set_value();
  EXPECT_FALSE(backInside.get_future().get());
  blocked.join();

  BlockingCallGate::Pass late(gate);
  EXPECT_FALSE(late);
  bool called = false;
  EXPECT_FALSE(late.Outside([&] { called = true; }));
  EXPECT_TRUE(called);
}

TEST(BlockingCallGate, AnOpenGateLetsTheThreadBackInAfterEachCall) {
  auto gate = std::make_shared<BlockingCallGate>();
  {
    BlockingCallGate::Pass pass(gate);
    for (int call = 0; call < 3; ++call) EXPECT_TRUE(pass.Outside([] {}));
    EXPECT_TRUE(pass);
  }
  // Every passage has left: closing does not wait.
  gate->Close();
}

}  // namespace
