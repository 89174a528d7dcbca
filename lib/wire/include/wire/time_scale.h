// The sped-up clock shared in spirit by the library and the simulator: a delay of ms program
// milliseconds lasts ms / factor real milliseconds. Factor 1 is real time; tests use 20 to 50.
#pragma once

#include <atomic>
#include <chrono>

namespace wire {

class TimeScale {
 public:
  // Ignores factors that are not positive and finite.
  bool Set(double factor);
  double Get() const { return m_factor.load(); }
  // The real duration of ms program milliseconds (at least 1 µs for ms > 0).
  std::chrono::microseconds Real(double ms) const;
  // Program milliseconds in a real duration.
  double ProgramMs(std::chrono::steady_clock::duration real) const;

 private:
  std::atomic<double> m_factor{1.0};
};

}  // namespace wire
