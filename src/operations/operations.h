// The batch instructions after the search, one object each, all registered with the run
// controller and, for those the batch worker carries out, with the worker engine. The main
// window owns this and routes to it: the hidden buttons, timer 1007 and button 1211.
#pragma once

#include <array>
#include <utility>

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
#include "ui/main_dialog_ids.h"

namespace operations {

// The hidden buttons and the instruction each starts on its own.
constexpr std::array<std::pair<int, int>, 7> kHiddenButtons = {{
    {ids::IDC_MODIFY_IP_NOW, batch::kRowModifyIp},
    {ids::IDC_FORMAT_SD1_NOW, batch::kRowFormatSd1},
    {ids::IDC_FORMAT_SD2_NOW, batch::kRowFormatSd2},
    {ids::IDC_FORMAT_USB_NOW, batch::kRowFormatUsb},
    {ids::IDC_RESTORE_NOW, batch::kRowRestore},
    {ids::IDC_REBOOT_NOW, batch::kRowReboot},
    {ids::IDC_SET_TIME_NOW, batch::kRowSetTime},
}};

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
