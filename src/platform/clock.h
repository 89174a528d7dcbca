// The one clock of the program. Every sleep, tick count, timer period and time-out goes through it,
// so that tests can run the real waits (20 s search window, 18 s login …) faster with their
// ratios kept. The speed factor is 1 in the program.
#pragma once

#include <chrono>

#include "platform/win_types.h"

namespace platform {

struct SYSTEMTIME {
  int wYear;
  int wMonth;
  int wDayOfWeek;
  int wDay;
  int wHour;
  int wMinute;
  int wSecond;
  int wMilliseconds;
};

// Sets how many clock milliseconds pass per real millisecond (> 0). Tick counts stay continuous
// across a change.
void SetSpeedFactor(double factor);
double SpeedFactor();

// Milliseconds since the process started, on the clock.
DWORD GetTickCount();

// The PC's local time, advancing at the clock's speed from the real time at start.
void GetLocalTime(SYSTEMTIME* time);

// Sleeps for ms clock milliseconds.
void Sleep(DWORD ms);

// The real duration of ms clock milliseconds (never zero for ms > 0).
std::chrono::microseconds RealDuration(DWORD ms);

}  // namespace platform
