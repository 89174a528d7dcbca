#include "operations/operations.h"

#include "operations/start_address_dlg.h"

namespace operations {

Operations::Operations(OperationContext context) : m_context(std::move(context)) {
  m_ipReaddress.Register();
  m_allNetwork.Register();
  m_upgrade.Register();
  m_timeSync.Register();
  m_format.Register();
  m_restore.Register();
  m_reboot.Register();
  m_context.engine.SetBatchOperations(this);
  m_context.engine.SetUpgradeSteps(&m_upgrade);
}

bool Operations::OnTimer(UINT id) {
  if (id != kTimerModifyIpSearch) return false;
  m_ipReaddress.OnReSearchTimer();
  return true;
}

void Operations::OpenStartAddressDialog() {
  CSettingIPDlg dialog(&m_context.window);
  dialog.OnInitDialog();
  dialog.exec();
}

void Operations::Reboot(const platform::StopToken& stop) {
  m_reboot.Work(stop);
}

void Operations::RestoreFactorySettings(const platform::StopToken& stop) {
  m_restore.Work(stop);
}

void Operations::SetTime(const platform::StopToken& stop) {
  m_timeSync.Work(stop);
}

void Operations::StorageAndFormat(const platform::StopToken& stop, int diskIndex) {
  m_format.Work(stop, diskIndex);
}

}  // namespace operations
