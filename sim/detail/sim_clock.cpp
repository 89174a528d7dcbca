#include "sim/detail/sim_clock.h"

#include <algorithm>
#include <cmath>

namespace camsim::detail {

SimClock::SimClock() : m_base(std::chrono::steady_clock::now()) {}

bool SimClock::SetScale(double factor) {
  if (!std::isfinite(factor) || factor <= 0) return false;
  std::lock_guard lock(m_mutex);
  const auto now = std::chrono::steady_clock::now();
  m_baseMs += std::chrono::duration<double, std::milli>(now - m_base).count() * m_factor;
  m_base = now;
  m_factor = factor;
  return true;
}

double SimClock::Scale() const {
  std::lock_guard lock(m_mutex);
  return m_factor;
}

double SimClock::NowMs() const {
  std::lock_guard lock(m_mutex);
  const auto elapsed = std::chrono::steady_clock::now() - m_base;
  return m_baseMs + std::chrono::duration<double, std::milli>(elapsed).count() * m_factor;
}

std::chrono::microseconds SimClock::Real(double ms) const {
  if (ms <= 0) return std::chrono::microseconds(0);
  std::lock_guard lock(m_mutex);
  return std::chrono::microseconds(std::max<long long>(1, std::llround(ms * 1000.0 / m_factor)));
}

}  // namespace camsim::detail
