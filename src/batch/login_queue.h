// The login queue and what belongs to it under the login lock: requests that the window
// discarded, finished batch logins waiting for the batch worker, and the outcomes that the
// library reported before the login call that opened them had returned its handle.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <utility>
#include <vector>

#include "batch/guarded_list.h"
#include "batch/queue_items.h"
#include "platform/critical_section.h"

namespace batch {

class LoginQueue {
 public:
  // Early outcomes kept at most. A flood of events for unknown handles pushes out the oldest,
  // while the outcome a call is waiting for arrives just before the call ends.
  static constexpr std::size_t kMaxEarlyOutcomes = 256;

  explicit LoginQueue(platform::CriticalSection& loginLock) : m_queue(loginLock) {}
  LoginQueue(const LoginQueue&) = delete;
  LoginQueue& operator=(const LoginQueue&) = delete;

  platform::CriticalSection& Lock() const { return m_queue.Lock(); }

  // False (and the request is freed) when its record has been retired.
  bool Append(std::unique_ptr<LoginRequest> request) { return m_queue.Append(std::move(request)); }
  std::vector<LoginRequest*> Snapshot() const { return m_queue.Snapshot(); }
  bool Contains(const LoginRequest* request) const { return m_queue.Contains(request); }
  std::unique_ptr<LoginRequest> Take(const LoginRequest* request) { return m_queue.Take(request); }
  std::size_t Size() const { return m_queue.Size(); }

  // Empties the queue (clearing the device table). The login worker may be in the middle of one
  // of the requests, so they are freed at the start of its next round, not here.
  void Discard();
  // The login worker, at the start of a round, when it holds no request of an earlier copy.
  void FreeDiscarded();

  // Status events 4 and 5: the first queued request with this handle gets the result. When no
  // request has the handle yet and a login call is under way, the outcome is kept for that call.
  // True when a queued request took it.
  bool ApplyOutcome(int loginHandle, int result);

  // Brackets an IP_NET_DVR_Login call (and, for the synchronous login, its wait).
  void BeginLoginCall();
  // Ends the login worker's call for a request: stores the handle the call returned, with the
  // outcome that may have come first. False when the request left the queue meanwhile.
  bool EndLoginCall(LoginRequest* request, int loginHandle);
  // Ends a call that stored its handle elsewhere; forgets the outcome kept for that handle.
  void EndLoginCall(int loginHandle);
  // The outcome kept for a handle whose call is still under way, taken out; 0 when none came.
  int TakeEarlyOutcome(int loginHandle);

  // Batch logins that the login worker has finished, owned here until the batch worker frees
  // them after reading their outcome.
  void KeepEndedBatchLogin(std::unique_ptr<LoginRequest> request);
  std::unique_ptr<LoginRequest> TakeEndedBatchLogin(const LoginRequest* request);
  void FreeEndedBatchLogins();

  // The batch login list: the phase-4 requests of the running batch login in queueing order.
  // Not owning, no lock: only the batch worker uses it.
  std::vector<LoginRequest*>& BatchLoginList() { return m_batchLogins; }

 private:
  void EndCallLocked();
  std::deque<std::pair<int, int>>::iterator FindEarly(int loginHandle);

  ItemQueue<LoginRequest> m_queue;
  std::vector<std::unique_ptr<LoginRequest>> m_discarded;
  std::vector<std::unique_ptr<LoginRequest>> m_endedBatchLogins;
  std::deque<std::pair<int, int>> m_earlyOutcomes;  // handle, result; oldest first
  int m_callsUnderWay = 0;
  std::vector<LoginRequest*> m_batchLogins;
};

}  // namespace batch
