#include "wire/time_scale.h"

#include <algorithm>
#include <cmath>

namespace wire {

bool TimeScale::Set(double factor) {
  if (!std::isfinite(factor) || factor <= 0) return false;
  m_factor.store(factor);
  return true;
}

std::chrono::microseconds TimeScale::Real(double ms) const {
  if (ms <= 0) return std::chrono::microseconds(0);
  const double micros = ms * 1000.0 / m_factor.load();
  return std::chrono::microseconds(std::max<long long>(1, std::llround(micros)));
}

double TimeScale::ProgramMs(std::chrono::steady_clock::duration real) const {
  return std::chrono::duration<double, std::milli>(real).count() * m_factor.load();
}

}  // namespace wire
