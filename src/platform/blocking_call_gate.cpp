#include "platform/blocking_call_gate.h"

namespace platform {

void BlockingCallGate::Close() {
  std::unique_lock lock(m_mutex);
  m_left.wait(lock, [this] { return m_inside == 0; });
  m_closed = true;
}

bool BlockingCallGate::Enter() {
  std::lock_guard lock(m_mutex);
  if (m_closed) return false;
  ++m_inside;
  return true;
}

void BlockingCallGate::Leave() {
  std::lock_guard lock(m_mutex);
  if (--m_inside == 0) m_left.notify_all();
}

BlockingCallGate::Pass::Pass(std::shared_ptr<BlockingCallGate> gate)
    : m_gate(std::move(gate)), m_inside(m_gate->Enter()) {}

BlockingCallGate::Pass::~Pass() {
  if (m_inside) m_gate->Leave();
}

}  // namespace platform
