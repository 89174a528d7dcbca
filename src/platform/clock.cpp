#include "platform/clock.h"

#include <ctime>
#include <mutex>
#include <thread>

namespace platform {
namespace {

using SteadyClock = std::chrono::steady_clock;

// Clock time = base clock ms + (real now - base real time) * factor.
struct ClockState {
  std::mutex mutex;
  double factor = 1.0;
  SteadyClock::time_point baseReal = SteadyClock::now();
  double baseClockMs = 0.0;
  std::time_t startWallTime = std::time(nullptr);
};

ClockState& State() {
  static ClockState state;
  return state;
}

double ClockMsLocked(const ClockState& state) {
  const double realMs =
      std::chrono::duration<double, std::milli>(SteadyClock::now() - state.baseReal).count();
  return state.baseClockMs + realMs * state.factor;
}

double ClockMs() {
  ClockState& state = State();
  std::lock_guard lock(state.mutex);
  return ClockMsLocked(state);
}

}  // namespace

void SetSpeedFactor(double factor) {
  if (!(factor > 0.0)) return;
  ClockState& state = State();
  std::lock_guard lock(state.mutex);
  state.baseClockMs = ClockMsLocked(state);
  state.baseReal = SteadyClock::now();
  state.factor = factor;
}

double SpeedFactor() {
  ClockState& state = State();
  std::lock_guard lock(state.mutex);
  return state.factor;
}

DWORD GetTickCount() {
  return static_cast<DWORD>(static_cast<unsigned long long>(ClockMs()));
}

void GetLocalTime(SYSTEMTIME* time) {
  if (time == nullptr) return;
  const double ms = ClockMs();
  const std::time_t now = State().startWallTime + static_cast<std::time_t>(ms / 1000.0);
  std::tm local{};
  localtime_r(&now, &local);
  time->wYear = local.tm_year + 1900;
  time->wMonth = local.tm_mon + 1;
  time->wDayOfWeek = local.tm_wday;
  time->wDay = local.tm_mday;
  time->wHour = local.tm_hour;
  time->wMinute = local.tm_min;
  time->wSecond = local.tm_sec;
  time->wMilliseconds = static_cast<int>(static_cast<long long>(ms) % 1000);
}

std::chrono::microseconds RealDuration(DWORD ms) {
  if (ms == 0) return std::chrono::microseconds(0);
  const auto us = static_cast<long long>(ms * 1000.0 / SpeedFactor());
  return std::chrono::microseconds(us > 0 ? us : 1);
}

void Sleep(DWORD ms) {
  std::this_thread::sleep_for(RealDuration(ms));
}

}  // namespace platform
