// What the batch run controller needs of the main window besides what the device table does: the
// instruction check boxes, the firmware path, the controls a run disables, and an OK box.
#pragma once

#include <QString>

#include "discovery/table_window.h"

namespace batch {

class RunView : public discovery::TableWindow {
 public:
  // The row's check box in the instruction table.
  virtual bool IsInstructionChecked(int row) const = 0;
  virtual QString FirmwarePath() const = 0;
  // Off at a run's start, on at its end: the controls that could start or change a run, and the
  // device list's sorting by a header click.
  virtual void EnableRunControls(bool enable) = 0;
  virtual void Tell(const QString& message) = 0;
};

}  // namespace batch
