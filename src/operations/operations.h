// The batch instructions after the search, one object each, all registered with the run
// controller and, for those the batch worker carries out, with the worker engine. The main
// window owns this and routes to it: the hidden buttons, timer 1007 and button 1211.
#pragma once

#include "batch/instruction_table.h"
#include "batch/worker_hooks.h"
#include "operations/all_network.h"
#include "operations/format.h"
#include "operations/ip_readdress.h"
#include "operations/operation_context.h"
#include "operations/reboot.h"
#include "operations/restore.h"
#include "operations/time_sync.h"
#include "operations/upgrade.h"

namespace operations {

class Operations : public batch::BatchOperations {
 public:
  // Fills rows 1 to 10 of the instruction table and plugs into the engine, whose threads must
  // not have started yet.
  explicit Operations(OperationContext context);

  // Timers of the instructions; false for a timer that is none of theirs.
  bool OnTimer(UINT id);
  // Button 1211: the start-address dialog.
  void OpenStartAddressDialog();
  // Button 1006: the firmware file.
  void BrowseFirmware() { m_upgrade.Browse(); }

  const IpReaddress& Readdressing() const { return m_ipReaddress; }

  // BatchOperations, on the batch worker.
  void Reboot(const platform::StopToken& stop) override;
  void RestoreFactorySettings(const platform::StopToken& stop) override;
  void SetTime(const platform::StopToken& stop) override;
  void StorageAndFormat(const platform::StopToken& stop, int diskIndex) override;

 private:
  OperationContext m_context;
  IpReaddress m_ipReaddress{m_context};
  AllNetworkSwitch m_allNetwork{m_context};
  Upgrade m_upgrade{m_context};
  TimeSync m_timeSync{m_context};
  Format m_format{m_context};
  Restore m_restore{m_context};
  operations::Reboot m_reboot{m_context};
};

}  // namespace operations
