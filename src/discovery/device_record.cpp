#include "discovery/device_record.h"

#include <algorithm>
#include <cstring>

namespace discovery {

void DeviceRecord::ResetFrom(const sdk::DeviceInfoBlock& block) {
  info = block;
  for (AtomicInt* field : {&rowIndex, &searchIndex, &loginHandle, &diskIndex, &storageInfoReceived,
                           &sd1Total, &sd2Total, &usbTotal, &pushDone})
    field->store(0);
  loginState.store(kLoginUnknown);
  upgradeResult.store(kUpgradeNone);
  refoundState.store(kRefoundNotSeen);
  formatState.store(kStateWaiting);
  workPhase.store(kPhaseNone);
  fileCheckState.store(kFileCheckRunning);
  timeSyncState.store(kStateWaiting);
  for (AtomicInt& flag : responseFlags) flag.store(0);
  {
    std::lock_guard lock(m_statusLock);
    m_statusText.fill(0);
  }
  versionBefore.fill(0);
  versionAfter.fill(0);
  verifyStartTime.store(0);
  ownerWindow.store(nullptr);
  pushThread.store(nullptr);
}

void DeviceRecord::SetStatusText(const QString& text) {
  std::lock_guard lock(m_statusLock);
  WriteStatusText(text);
}

bool DeviceRecord::SetProgressText(const QString& text) {
  std::lock_guard lock(m_statusLock);
  if (upgradeResult.load() != kUpgradeNone) return false;
  WriteStatusText(text);
  return true;
}

void DeviceRecord::WriteStatusText(const QString& text) {
  const std::size_t units =
      std::min<std::size_t>(static_cast<std::size_t>(text.size()), kStatusTextUnits - 1);
  m_statusText.fill(0);
  std::copy_n(reinterpret_cast<const char16_t*>(text.utf16()), units, m_statusText.begin());
}

QString DeviceRecord::StatusText() const {
  std::lock_guard lock(m_statusLock);
  const auto end = std::find(m_statusText.begin(), m_statusText.end(), u'\0');
  return QString::fromUtf16(m_statusText.data(),
                            static_cast<qsizetype>(end - m_statusText.begin()));
}

void DeviceRecord::CopyVersion(std::array<char, kVersionTextBytes>& field, const char* text) {
  field.fill(0);
  if (text != nullptr) std::memcpy(field.data(), text, strnlen(text, kVersionTextBytes - 1));
}

}  // namespace discovery
