// What the batch run controller needs from the rest of the program. The main window implements
// it over the device table and the worker engine.
#pragma once

#include <vector>

#include "batch/engine.h"

namespace batch {

class RunHost {
 public:
  virtual ~RunHost() = default;

  virtual int LanguageIndex() const = 0;
  virtual int CheckedCount() const = 0;
  // The records of the checked rows, in row order.
  virtual std::vector<discovery::DeviceRecord*> CheckedRecords() const = 0;
  // Counts the upgrade device list under the upgrade lock.
  virtual UpgradeCounts CountUpgradeResults() = 0;
  // True when every record of the configuration push list has finished.
  virtual bool AllPushRecordsDone() = 0;
  virtual void EmptyPushList() = 0;
  // Opens the preview of the checked devices.
  virtual void PreviewCheckedDevices() = 0;
};

}  // namespace batch
