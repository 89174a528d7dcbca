// What the device table needs of the window around its rows: the counters, the action line, the
// search button, the window's numbered timers and a Yes/No question. The main window provides it.
#pragma once

#include <QString>

#include "platform/win_types.h"

namespace discovery {

// The counters beside the device table.
enum class Counter { kTotal, kChecked, kSuccess, kFailure };

class TableWindow {
 public:
  virtual ~TableWindow() = default;

  virtual void ShowCounter(Counter counter, int value) = 0;
  virtual void ShowAction(const QString& text) = 0;
  virtual void EnableSearchButton(bool enable) = 0;

  // The window's timers (period in clock milliseconds); the window hands each tick of
  // kTimerSearch and kTimerRefound to the table.
  virtual void SetTimer(UINT id, DWORD periodMs) = 0;
  virtual void KillTimer(UINT id) = 0;
  virtual bool IsTimerRunning(UINT id) const = 0;

  // Drops every kMsgRowStatus not yet taken: it names a record that is about to go.
  virtual void DropPendingRowStatus() = 0;
  // Draws the changes now rather than when the window is next idle.
  virtual void Repaint() = 0;
  // True for Yes.
  virtual bool AskYesNo(const QString& question) = 0;
};

}  // namespace discovery
