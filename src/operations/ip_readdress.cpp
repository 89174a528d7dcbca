#include "operations/ip_readdress.h"

#include <algorithm>
#include <cstring>

#include "batch/instruction_table.h"
#include "batch/messages.h"
#include "config/config_set.h"
#include "platform/ansi_text.h"
#include "platform/dialog_service.h"
#include "platform/host_address.h"
#include "text/fixed_texts.h"
#include "ui/main_dialog_ids.h"

namespace operations {
namespace {

template <std::size_t N>
void CopyText(std::array<char, N>& field, const std::string& text) {
  field.fill(0);
  std::memcpy(field.data(), text.data(), std::min(text.size(), N - 1));
}

StartAddressSettings StoredSettings() {
  const config::ConfigSet& set = config::ProcessConfigSet();
  return {set.Get(config::kStartAddressEnable), set.GetAnsi(config::kStartAddressIP),
          set.GetAnsi(config::kStartAddressNetmask), set.GetAnsi(config::kStartAddressGateway)};
}

// Addresses the pass cannot work with change no device at all.
bool UsableSettings(const std::string& pcAddress, const StartAddressSettings& settings) {
  if (!IsDottedQuad(pcAddress)) return false;
  return settings.mode != 1 || (IsDottedQuad(settings.startAddress) &&
                                IsDottedQuad(settings.mask) && IsDottedQuad(settings.gateway));
}

}  // namespace

void IpReaddress::Register() {
  m_context.runs.SetOperation(batch::kRowModifyIp, [this] { Start(); });
  m_context.runs.SetPrecondition(batch::kRowModifyIp, [this] { return StartAddressRefusal(); });
}

QString IpReaddress::StartAddressRefusal() const {
  const StartAddressSettings settings = StoredSettings();
  if (settings.mode != 1) return {};
  if (!IsDottedQuad(settings.mask)) return m_context.Text(texts::kTextStartMaskInvalid);
  if (!IsDottedQuad(settings.gateway)) return m_context.Text(texts::kTextStartGatewayInvalid);
  return {};
}

void IpReaddress::Start() {
  m_context.window.SetDlgItemText(ids::IDC_ACTION, m_context.Text(texts::kTextModifyingIp));
  m_modifyIpMap.clear();
  m_context.table.SetBusy(true);
  BeginPass();
}

void IpReaddress::BeginPass() {
  m_nextRow = 0;
  m_changed = 0;
  m_devicesLeftUnchanged = false;
  m_checkedSerials.clear();
  for (const discovery::DeviceRecord* record : m_context.table.CheckedRecords())
    m_checkedSerials.insert(record->info.Serial());

  m_pcAddress = platform::PcAddress();
  m_settings = StoredSettings();
  if (!UsableSettings(m_pcAddress, m_settings)) {
    m_devicesLeftUnchanged = true;
    EndPass();
    return;
  }
  m_heldBySearch.clear();
  sdk::DeviceInfoBlock block;
  for (int index = 0; index < IP_NET_DVR_GetSearchIPCCount(); ++index) {
    block.Clear();
    if (IP_NET_DVR_GetIPCInfo(index, block.data()) == 0) m_heldBySearch.insert(block.Ip());
  }
  PassStep();
}

void IpReaddress::PassStep() {
  while (m_nextRow < m_context.list.GetItemCount()) {
    const int row = m_nextRow++;
    discovery::DeviceRecord* record = m_context.table.RecordAt(row);
    if (!m_context.list.GetCheck(row) || record == nullptr) continue;
    if (!Readdress(row, *record)) {
      // This device and every later one keep their addresses.
      m_devicesLeftUnchanged = true;
      break;
    }
    AfterOnWindow(m_context, kBetweenDevicesMs, [this] { PassStep(); });
    return;
  }
  EndPass();
}

bool IpReaddress::AddressTaken(const std::string& candidate) const {
  if (m_heldBySearch.count(candidate) > 0) return true;
  for (int row = 0; row < m_context.list.GetItemCount(); ++row) {
    const discovery::DeviceRecord* record = m_context.table.RecordAt(row);
    if (record != nullptr && record->info.Ip() == candidate) return true;
  }
  return false;
}

bool IpReaddress::Readdress(int row, discovery::DeviceRecord& record) {
  std::string address;
  if (NextFreeAddress(
          m_pcAddress, m_settings,
          [this](const std::string& candidate) { return AddressTaken(candidate); },
          &address) != 0) {
    return false;
  }
  if (record.loginHandle > 0) {
    IP_NET_DVR_Logout(record.loginHandle);
    record.loginHandle = 0;
    record.loginState = discovery::kLoginUnknown;
  }
  const std::string oldAddress = record.info.Ip();
  const std::string oldMask = record.info.Mask();
  const std::string oldGateway = record.info.Gateway();
  record.info.SetIp(address);
  if (m_settings.mode == 1) {
    record.info.SetMask(m_settings.mask.substr(0, kMaxNetworkTextChars));
    record.info.SetGateway(m_settings.gateway.substr(0, kMaxNetworkTextChars));
  } else {
    record.info.SetGateway(GatewayFor(m_pcAddress, m_settings));
  }

  const std::string serial = record.info.Serial();
  _MODIFYIP entry;
  CopyText(entry.serialNumber, serial);
  CopyText(entry.oldAddress, oldAddress);
  CopyText(entry.newAddress, address);
  m_modifyIpMap[platform::FromAnsi(serial).left(32)] = entry;

  const int column = discovery::kColumnStatus;
  if (IP_NET_DVR_ModifyIPC(record.searchIndex, record.info.data()) == 0) {
    ++m_changed;
    m_context.list.SetItemText(row, column,
                               QStringLiteral("%1:%2").arg(m_context.Text(texts::kTextNewIp),
                                                           platform::FromAnsi(address)));
  } else {
    // The device kept its address: so does its record, and the next device may take the number.
    m_context.list.SetItemText(row, column, QString::fromUtf16(texts::kModifyFailed));
    record.info.SetIp(oldAddress);
    record.info.SetMask(oldMask);
    record.info.SetGateway(oldGateway);
  }
  return true;
}

void IpReaddress::EndPass() {
  // Nothing changed: a re-search would only confirm the old addresses as a success.
  if (m_changed == 0) {
    for (discovery::DeviceRecord* record : m_context.table.CheckedRecords())
      m_context.engine.ShowStatus(*record, m_context.Text(texts::kTextModifyIpFailed));
    EndWithFailure();
    return;
  }
  m_context.window.repaint();
  AfterOnWindow(m_context, kBeforeReSearchMs, [this] { StartReSearch(); });
}

void IpReaddress::StartReSearch() {
  // The re-search clears the table, whose records an open preview still shows.
  if (m_context.table.IsPreviewOpen()) {
    AfterOnWindow(m_context, kPreviewPollMs, [this] { StartReSearch(); });
    return;
  }
  m_context.table.CheckOnlySerials(m_checkedSerials);
  m_context.table.Clear();
  IP_NET_DVR_StartSearchIPC();
  m_context.table.BeginSearchWindow();
  m_context.window.SetTimer(kTimerModifyIpSearch, kModifyIpSearchPeriodMs);
}

void IpReaddress::OnReSearchTimer() {
  using Window = discovery::DeviceTable::SearchWindow;
  switch (m_context.table.CheckSearchWindow(kTimerModifyIpSearch)) {
    case Window::kOpen:
      break;
    case Window::kExtended:
      return;
    case Window::kAbandoned:
      m_context.table.SetBusy(false);
      m_context.runs.Finish();
      return;
  }
  m_context.table.Refresh();
  m_context.window.repaint();
  if (!m_context.table.ReachedExpectedCount()) return;
  m_context.window.KillTimer(kTimerModifyIpSearch);
  Verify();
}

void IpReaddress::Verify() {
  bool failed = false;
  for (discovery::DeviceRecord* record : m_context.table.CheckedRecords()) {
    const auto entry = m_modifyIpMap.find(platform::FromAnsi(record->info.Serial()).left(32));
    bool ok = false;
    if (entry != m_modifyIpMap.end()) {
      ok = record->info.Ip() == entry->second.newAddress.data();
    } else if (!m_devicesLeftUnchanged) {
      continue;
    }
    // A device the pass could not reach counts as failed as much as one that did not move.
    failed = failed || !ok;
    m_context.engine.ShowStatus(
        *record, m_context.Text(ok ? texts::kTextModifyIpOk : texts::kTextModifyIpFailed));
  }
  if (failed) {
    IP_NET_DVR_StopSearchIPC();
    EndWithFailure();
    return;
  }
  m_context.table.SetBusy(false);
  m_context.window.PostMessage(batch::kMsgModifyIpVerified, 0, 0);
}

void IpReaddress::EndWithFailure() {
  m_context.table.SetBusy(false);
  m_context.runs.Finish();
  platform::AfxMessageBox(&m_context.window, m_context.Text(texts::kTextIpModifyStopsUpgrade));
}

}  // namespace operations
