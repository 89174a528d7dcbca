#include "batch/login_queue.h"

#include <algorithm>

namespace batch {

void LoginQueue::Discard() {
  platform::CriticalSectionLock lock(Lock());
  for (auto& request : m_queue.TakeAll()) m_discarded.push_back(std::move(request));
}

void LoginQueue::FreeDiscarded() {
  std::vector<std::unique_ptr<LoginRequest>> discarded;
  {
    platform::CriticalSectionLock lock(Lock());
    discarded.swap(m_discarded);
  }
}

bool LoginQueue::ApplyOutcome(int loginHandle, int result) {
  if (loginHandle <= 0) return false;
  platform::CriticalSectionLock lock(Lock());
  LoginRequest* request = m_queue.FindFirst([loginHandle](const LoginRequest& queued) {
    return queued.loginHandle.load() == loginHandle;
  });
  if (request != nullptr) {
    request->loginResult.store(result);
    return true;
  }
  if (m_callsUnderWay == 0) return false;
  auto kept = FindEarly(loginHandle);
  if (kept != m_earlyOutcomes.end()) {
    kept->second = result;
  } else {
    m_earlyOutcomes.emplace_back(loginHandle, result);
    if (m_earlyOutcomes.size() > kMaxEarlyOutcomes) m_earlyOutcomes.pop_front();
  }
  return false;
}

void LoginQueue::BeginLoginCall() {
  platform::CriticalSectionLock lock(Lock());
  ++m_callsUnderWay;
}

bool LoginQueue::EndLoginCall(LoginRequest* request, int loginHandle) {
  platform::CriticalSectionLock lock(Lock());
  const bool queued = m_queue.Contains(request);
  if (queued) {
    request->loginHandle.store(loginHandle);
    if (const int early = TakeEarlyOutcome(loginHandle); early != kLoginPending) {
      request->loginResult.store(early);
    }
  }
  EndCallLocked();
  return queued;
}

void LoginQueue::EndLoginCall(int loginHandle) {
  platform::CriticalSectionLock lock(Lock());
  TakeEarlyOutcome(loginHandle);
  EndCallLocked();
}

void LoginQueue::EndCallLocked() {
  if (m_callsUnderWay > 0) --m_callsUnderWay;
  // Nobody can claim a kept outcome any more.
  if (m_callsUnderWay == 0) m_earlyOutcomes.clear();
}

int LoginQueue::TakeEarlyOutcome(int loginHandle) {
  platform::CriticalSectionLock lock(Lock());
  auto it = FindEarly(loginHandle);
  if (it == m_earlyOutcomes.end()) return kLoginPending;
  const int result = it->second;
  m_earlyOutcomes.erase(it);
  return result;
}

std::deque<std::pair<int, int>>::iterator LoginQueue::FindEarly(int loginHandle) {
  return std::find_if(m_earlyOutcomes.begin(), m_earlyOutcomes.end(),
                      [loginHandle](const auto& kept) { return kept.first == loginHandle; });
}

void LoginQueue::KeepEndedBatchLogin(std::unique_ptr<LoginRequest> request) {
  platform::CriticalSectionLock lock(Lock());
  m_endedBatchLogins.push_back(std::move(request));
}

std::unique_ptr<LoginRequest> LoginQueue::TakeEndedBatchLogin(const LoginRequest* request) {
  platform::CriticalSectionLock lock(Lock());
  auto it = std::find_if(m_endedBatchLogins.begin(), m_endedBatchLogins.end(),
                         [request](const auto& ended) { return ended.get() == request; });
  if (it == m_endedBatchLogins.end()) return nullptr;
  std::unique_ptr<LoginRequest> taken = std::move(*it);
  m_endedBatchLogins.erase(it);
  return taken;
}

void LoginQueue::FreeEndedBatchLogins() {
  std::vector<std::unique_ptr<LoginRequest>> ended;
  {
    platform::CriticalSectionLock lock(Lock());
    ended.swap(m_endedBatchLogins);
  }
}

}  // namespace batch
