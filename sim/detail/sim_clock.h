// The simulator's clock: program milliseconds that run factor times faster than real time, and
// stay continuous when the factor changes.
#pragma once

#include <chrono>
#include <mutex>

namespace camsim::detail {

class SimClock {
 public:
  SimClock();
  bool SetScale(double factor);
  double Scale() const;
  double NowMs() const;
  // The real duration of ms program milliseconds.
  std::chrono::microseconds Real(double ms) const;

 private:
  mutable std::mutex m_mutex;
  std::chrono::steady_clock::time_point m_base;
  double m_baseMs = 0;
  double m_factor = 1;
};

}  // namespace camsim::detail
