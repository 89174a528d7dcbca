#include "operations/all_network.h"

#include "batch/instruction_table.h"
#include "batch/messages.h"
#include "text/fixed_texts.h"
#include "ui/main_dialog_ids.h"

namespace operations {

void AllNetworkSwitch::Register() {
  m_context.runs.SetOperation(batch::kRowAllNetworkOn, [this] { Start(); });
  m_context.runs.SetOperation(batch::kRowAllNetworkOff, [this] { Start(); });
}

void AllNetworkSwitch::Start() {
  m_nextRow = 0;
  if (m_context.window.IsDlgButtonChecked(ids::IDC_DO_ALLNET_ON)) {
    m_wanted = 1;
  } else if (m_context.window.IsDlgButtonChecked(ids::IDC_DO_ALLNET_OFF)) {
    m_wanted = 0;
  } else {
    // Neither box: nothing to switch; the run still goes on.
    m_nextRow = m_context.list.GetItemCount();
  }
  Step();
}

void AllNetworkSwitch::Step() {
  while (m_nextRow < m_context.list.GetItemCount()) {
    const int row = m_nextRow++;
    discovery::DeviceRecord* record = m_context.table.RecordAt(row);
    if (!m_context.list.GetCheck(row) || record == nullptr ||
        record->info.AllNetSupport() != sdk::DeviceInfoBlock::kAllNetSupported) {
      continue;
    }
    Switch(row, *record);
    AfterOnWindow(m_context, 0, [this] { Step(); });
    return;
  }
  AfterOnWindow(m_context, kAfterAllNetworkPauseMs, [this] { m_context.runs.OnAllNetworkDone(); });
}

void AllNetworkSwitch::Switch(int row, discovery::DeviceRecord& record) {
  const std::uint8_t before = record.info.AllNetState();
  record.info.SetAllNetState(m_wanted);
  const bool ok = IP_NET_DVR_ModifyIPC(record.searchIndex, record.info.data()) == 0;
  // A refused change leaves the device as it was, and so the record; column 7 shows the state
  // the device now has.
  if (!ok) record.info.SetAllNetState(before);
  m_context.table.ShowAllNetworkState(row);
  m_context.list.SetItemText(
      row, discovery::kColumnStatus,
      QString::fromUtf16(ok ? texts::kModifySucceeded : texts::kModifyFailed));
}

}  // namespace operations
