#include "platform/window_timers.h"

#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>

#include "platform/clock.h"

namespace platform {

WindowTimers::WindowTimers(std::function<void(UINT id)> onTimer, QObject* parent)
    : QObject(parent), m_onTimer(std::move(onTimer)) {}

void WindowTimers::SetTimer(UINT id, DWORD periodMs) {
  if (QThread::currentThread() != thread()) {
    QMetaObject::invokeMethod(
        this, [this, id, periodMs] { SetTimer(id, periodMs); }, Qt::QueuedConnection);
    return;
  }
  QTimer*& timer = m_timers[id];
  if (timer == nullptr) {
    timer = new QTimer(this);
    // A coarse timer may fire up to 5 % early; a window timer never fires before its period.
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, [this, id] { m_onTimer(id); });
  }
  const auto realMs = std::chrono::duration_cast<std::chrono::milliseconds>(RealDuration(periodMs));
  timer->start(std::max<int>(1, static_cast<int>(realMs.count())));
}

void WindowTimers::KillTimer(UINT id) {
  if (QThread::currentThread() != thread()) {
    QMetaObject::invokeMethod(
        this, [this, id] { KillTimer(id); }, Qt::QueuedConnection);
    return;
  }
  auto it = m_timers.find(id);
  if (it != m_timers.end()) it->second->stop();
}

bool WindowTimers::IsTimerRunning(UINT id) const {
  auto it = m_timers.find(id);
  return it != m_timers.end() && it->second->isActive();
}

}  // namespace platform
