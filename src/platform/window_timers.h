// Numbered timers on the window clock, the kind a window sets: each fires its number to one
// handler on the thread the timers belong to. A window holds one set; a window-less test of a
// part that uses window timers holds one too.
#pragma once

#include <QObject>
#include <functional>
#include <map>

#include "platform/win_types.h"

class QTimer;

namespace platform {

class WindowTimers : public QObject {
 public:
  explicit WindowTimers(std::function<void(UINT id)> onTimer, QObject* parent = nullptr);

  // Period in clock milliseconds. Setting a running timer restarts it. Any thread may set or kill
  // a timer: a call from another thread is carried over to the timers' thread and takes effect
  // there, in order with the events posted to it before.
  void SetTimer(UINT id, DWORD periodMs);
  void KillTimer(UINT id);
  // The timers' thread only.
  bool IsTimerRunning(UINT id) const;

 private:
  std::function<void(UINT id)> m_onTimer;
  std::map<UINT, QTimer*> m_timers;  // children of this object
};

}  // namespace platform
