// The login queue's bookkeeping around a login call: outcomes that arrive before the handle is
// stored, their bound, and requests that the window discards while the worker holds them.
#include <gtest/gtest.h>

#include "batch/login_queue.h"

namespace {

using batch::LoginQueue;
using batch::LoginRequest;

class LoginQueueTest : public testing::Test {
 protected:
  LoginRequest* Queue() {
    auto request = std::make_unique<LoginRequest>();
    LoginRequest* raw = request.get();
    logins.Append(std::move(request));
    return raw;
  }

  platform::CriticalSection lock;
  LoginQueue logins{lock};
};

TEST_F(LoginQueueTest, AnOutcomeThatArrivesBeforeTheHandleIsStoredIsAppliedWhenItIs) {
  LoginRequest* succeeding = Queue();
  LoginRequest* failing = Queue();
  logins.BeginLoginCall();
  logins.BeginLoginCall();
  // The library reports both outcomes while the calls have not returned yet.
  EXPECT_FALSE(logins.ApplyOutcome(41, batch::kLoginSucceeded));
  EXPECT_FALSE(logins.ApplyOutcome(42, batch::kLoginFailed));
  EXPECT_EQ(succeeding->loginResult, batch::kLoginPending);

  EXPECT_TRUE(logins.EndLoginCall(succeeding, 41));
  EXPECT_EQ(succeeding->loginHandle, 41);
  EXPECT_EQ(succeeding->loginResult, batch::kLoginSucceeded);
  EXPECT_TRUE(logins.EndLoginCall(failing, 42));
  EXPECT_EQ(failing->loginResult, batch::kLoginFailed);

  // Once stored, outcomes go straight to the request.
  EXPECT_TRUE(logins.ApplyOutcome(42, batch::kLoginSucceeded));
  EXPECT_EQ(failing->loginResult, batch::kLoginSucceeded);
}

TEST_F(LoginQueueTest, OutcomesOfUnknownHandlesAreNotKeptBeyondTheCallsOrTheBound) {
  LoginRequest* request = Queue();
  // No call under way: nothing is kept, so nothing can be taken for a later handle.
  logins.ApplyOutcome(7, batch::kLoginSucceeded);
  logins.BeginLoginCall();
  EXPECT_TRUE(logins.EndLoginCall(request, 7));
  EXPECT_EQ(request->loginResult, batch::kLoginPending);

  // A flood during a call keeps only the latest outcomes; the call's own, arriving last, stays.
  logins.BeginLoginCall();
  for (int handle = 1000; handle < 1000 + 10 * static_cast<int>(LoginQueue::kMaxEarlyOutcomes);
       ++handle) {
    logins.ApplyOutcome(handle, batch::kLoginFailed);
  }
  EXPECT_EQ(logins.TakeEarlyOutcome(1000), batch::kLoginPending);
  logins.ApplyOutcome(99, batch::kLoginSucceeded);
  EXPECT_EQ(logins.TakeEarlyOutcome(99), batch::kLoginSucceeded);
  EXPECT_EQ(logins.TakeEarlyOutcome(99), batch::kLoginPending);  // taken once
  logins.EndLoginCall(0);
  // Handles ≤ 0 belong to no login.
  EXPECT_FALSE(logins.ApplyOutcome(0, batch::kLoginSucceeded));
  EXPECT_FALSE(logins.ApplyOutcome(-1, batch::kLoginSucceeded));
}

TEST_F(LoginQueueTest, DiscardedRequestsLeaveTheQueueAtOnceAndTheCallThatHeldOneIsTold) {
  LoginRequest* request = Queue();
  logins.BeginLoginCall();
  logins.Discard();
  EXPECT_EQ(logins.Size(), 0u);
  EXPECT_FALSE(logins.Contains(request));
  // The worker's call returns after the discard: the request is still valid memory, but it is
  // no longer queued, so the handle is not stored in it.
  EXPECT_FALSE(logins.EndLoginCall(request, 12));
  EXPECT_EQ(request->loginHandle, 0);
  logins.FreeDiscarded();
}

TEST_F(LoginQueueTest, EndedBatchLoginsAreHeldUntilTheBatchWorkerTakesThem) {
  LoginRequest* request = Queue();
  std::unique_ptr<LoginRequest> ended = logins.Take(request);
  ASSERT_TRUE(ended);
  logins.KeepEndedBatchLogin(std::move(ended));
  EXPECT_EQ(logins.TakeEndedBatchLogin(request).get(), request);
  EXPECT_EQ(logins.TakeEndedBatchLogin(request), nullptr);
}

}  // namespace
