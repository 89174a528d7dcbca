#include "discovery/device_record.h"

#include <algorithm>
#include <cstring>

namespace discovery {

void DeviceRecord::ResetFrom(const sdk::DeviceInfoBlock& block) {
  info = block;
  for (AtomicInt* field :
       {&rowIndex, &searchIndex, &loginHandle, &loginState, &upgradeResult, &refoundState,
        &formatState, &diskIndex, &storageInfoReceived, &sd1Total, &sd2Total, &usbTotal, &workPhase,
        &upgradeState, &timeSyncState, &pushDone})
    field->store(0);
  for (AtomicInt& flag : responseFlags) flag.store(0);
  statusText.fill(0);
  versionBefore.fill(0);
  versionAfter.fill(0);
  verifyStartTime.store(0);
  ownerWindow.store(nullptr);
  pushThread.store(nullptr);
}

void DeviceRecord::SetStatusText(const QString& text) {
  const std::size_t units =
      std::min<std::size_t>(static_cast<std::size_t>(text.size()), kStatusTextUnits - 1);
  statusText.fill(0);
  std::copy_n(reinterpret_cast<const char16_t*>(text.utf16()), units, statusText.begin());
}

QString DeviceRecord::StatusText() const {
  const auto end = std::find(statusText.begin(), statusText.end(), u'\0');
  return QString::fromUtf16(statusText.data(), static_cast<qsizetype>(end - statusText.begin()));
}

void DeviceRecord::CopyVersion(std::array<char, kVersionTextBytes>& field, const char* text) {
  field.fill(0);
  if (text != nullptr) std::memcpy(field.data(), text, strnlen(text, kVersionTextBytes - 1));
}

}  // namespace discovery
