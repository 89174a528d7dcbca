#include "batch/run_controller.h"

#include <QTimer>

#include "batch/disk_names.h"
#include "discovery/device_record.h"
#include "platform/ansi_text.h"
#include "platform/clock.h"
#include "text/text.h"

namespace batch {
namespace {

using namespace texts;

constexpr int kMaxFirmwarePathChars = 260;
// The library takes the path in a 260-byte buffer with its terminating zero.
constexpr std::size_t kMaxFirmwarePathBytes = 259;
// Upgrades of more devices than this get no preview offer: the grid would not find them.
constexpr int kMaxPreviewOfferTotal = 49;

// "%s:%d，%s%d %s%d。" with a summary word, the total, and the two counts.
QString CountedSummary(const QString& word, int succeeded, int failed, const QString& successWord,
                       const QString& failedWord) {
  return QStringLiteral("%1:%2，%3%4 %5%6。")
      .arg(word)
      .arg(succeeded + failed)
      .arg(successWord)
      .arg(succeeded)
      .arg(failedWord)
      .arg(failed);
}

}  // namespace

RunController::RunController(RunView& view, RunHost& host) : m_view(view), m_host(host) {}

void RunController::SetOperation(int row, Operation start) {
  if (row >= 0 && row < kInstructionCount) m_operations[row] = std::move(start);
}

void RunController::SetPrecondition(int row, Precondition check) {
  if (row >= 0 && row < kInstructionCount) m_preconditions[row] = std::move(check);
}

bool RunController::PreconditionHolds(int row) {
  if (!m_preconditions[row]) return true;
  const QString refusal = m_preconditions[row]();
  if (refusal.isEmpty()) return true;
  m_view.Tell(refusal);
  return false;
}

QString RunController::Text(TextId id) const {
  return texts::Text(id, m_host.LanguageIndex());
}

bool RunController::Awaits(int firstRow, int lastRow) const {
  return m_running && m_currentRow >= firstRow && m_currentRow <= lastRow;
}

bool RunController::IsChecked(int row) const {
  if (m_single) return false;
  return m_view.IsInstructionChecked(row);
}

bool RunController::AnyChecked(int fromRow, int toRow) const {
  for (int row = fromRow; row <= toRow && row < kInstructionCount; ++row)
    if (IsChecked(row)) return true;
  return false;
}

void RunController::OnRunBatch() {
  // A path the device library could not be handed whole is as good as none.
  const QString path = m_view.FirmwarePath().left(kMaxFirmwarePathChars);
  if (IsChecked(kRowUpgrade) &&
      (path.isEmpty() || !platform::FitsAnsi(path, kMaxFirmwarePathBytes))) {
    m_view.Tell(Text(kTextSelectUpgradeFileFirst));
    return;
  }
  for (int row = 0; row < kInstructionCount; ++row)
    if (IsChecked(row) && !PreconditionHolds(row)) return;
  Begin();
  RunNextFrom(kRowSearch);
}

void RunController::RunSingle(int row) {
  if (m_running || row < 0 || row >= kInstructionCount || !PreconditionHolds(row)) return;
  Begin();
  m_single = true;
  StartRow(row);
}

void RunController::Begin() {
  m_host.EmptyPushList();
  m_view.EnableRunControls(false);
  m_running = true;
}

bool RunController::RunNextFrom(int row) {
  for (int next = std::max(row, 0); next < kInstructionCount; ++next) {
    if (IsChecked(next)) {
      StartRow(next);
      return true;
    }
  }
  Finish();
  return false;
}

void RunController::StartRow(int row) {
  m_currentRow = row;
  if (NeedsCheckedDevices(row) && m_host.CheckedCount() <= 0) {
    m_view.Tell(Text(kTextSelectDeviceFirst));
    Finish();
    return;
  }
  // The configuration push with no device ends the run without a message.
  if (row == kRowOtherSettings && m_host.CheckedCount() <= 0) {
    Finish();
    return;
  }
  if (!m_operations[row]) {
    // An instruction this build cannot carry out ends the run rather than pretend it ran.
    Finish();
    return;
  }
  m_operations[row]();
}

void RunController::Finish() {
  m_running = false;
  m_single = false;
  m_currentRow = -1;
  m_view.ShowAction(Text(kTextComplete));
  m_view.EnableRunControls(true);
  m_host.EmptyPushList();
}

void RunController::OnSearchComplete() {
  if (!Awaits(kRowSearch, kRowSearch)) return;
  RunNextFrom(kRowModifyIp);
}

void RunController::OnSearchAbandoned() {
  if (!Awaits(kRowSearch, kRowSearch)) return;
  Finish();
}

void RunController::OnModifyIpVerified() {
  if (!Awaits(kRowModifyIp, kRowModifyIp)) return;
  m_view.Repaint();
  // The pause lets the re-addressed devices settle; a timer keeps the window responsive.
  QTimer::singleShot(std::chrono::duration_cast<std::chrono::milliseconds>(
                         platform::RealDuration(kAfterModifyIpPauseMs)),
                     &m_pauses, [this] { RunNextFrom(kRowUpgrade); });
}

void RunController::OnAllNetworkDone() {
  if (!Awaits(kRowAllNetworkOn, kRowAllNetworkOff)) return;
  RunNextFrom(kRowUpgrade);
}

void RunController::OnUpgradeFinished() {
  if (!Awaits(kRowUpgrade, kRowUpgrade)) return;
  const UpgradeCounts counts = m_host.CountUpgradeResults();
  m_view.ShowCounter(discovery::Counter::kSuccess, counts.successes);
  m_view.ShowCounter(discovery::Counter::kFailure, counts.failures);
  if (counts.failures > 0) {
    const QString summary = QStringLiteral("%1%2, %3%4, %5%6。")
                                .arg(Text(kTextUpgradeCompleteTotal))
                                .arg(counts.total)
                                .arg(Text(kTextSuccess))
                                .arg(counts.successes)
                                .arg(Text(kTextFailed))
                                .arg(counts.failures);
    const bool laterChecked = AnyChecked(kRowSetTime, kRowOtherSettings);
    if (counts.total <= kMaxPreviewOfferTotal) {
      if (m_view.AskYesNo(summary + Text(kTextAskPlayVideo))) m_host.PreviewCheckedDevices();
      if (laterChecked && !m_view.AskYesNo(Text(kTextAskContinueInstructions))) {
        Finish();
        return;
      }
    } else if (laterChecked && !m_view.AskYesNo(summary + Text(kTextAskContinueInstructions))) {
      Finish();
      return;
    }
  }
  RunNextFrom(kRowSetTime);
}

void RunController::OnRebootFinished(int succeeded, int failed) {
  if (!Awaits(kRowReboot, kRowReboot)) return;
  if (failed > 0) {
    QString summary;
    if (m_host.LanguageIndex() == kLanguageEnglish) {
      summary = QStringLiteral("%1，%2%3 %4%5。")
                    .arg(Text(kTextRebootCompleteTotal), Text(kTextSuccess))
                    .arg(succeeded)
                    .arg(Text(kTextFailed))
                    .arg(failed);
    } else {
      summary = QStringLiteral("%1:%2，%3%4 %5%6。")
                    .arg(Text(kTextRebootCompleteTotal))
                    .arg(succeeded + failed)
                    .arg(Text(kTextSuccess))
                    .arg(succeeded)
                    .arg(Text(kTextFailed))
                    .arg(failed);
    }
    m_view.Tell(summary);
  }
  Finish();
}

bool RunController::ContinueAfterFailures(int nextRow, const QString& question,
                                          const QString& summary) {
  if (AnyChecked(nextRow, kRowOtherSettings)) {
    if (m_view.AskYesNo(question)) return true;
  } else {
    m_view.Tell(summary);
  }
  Finish();
  return false;
}

void RunController::OnRestoreFinished(int succeeded, int failed) {
  if (!Awaits(kRowRestore, kRowRestore)) return;
  if (failed > 0) {
    const bool english = m_host.LanguageIndex() == kLanguageEnglish;
    const QString counted = CountedSummary(Text(kTextRestoreCompleteTotal), succeeded, failed,
                                           Text(kTextSuccess), Text(kTextFailed));
    const QString summary = english ? Text(kTextRestoreCompleteTotal) : counted;
    if (!ContinueAfterFailures(kRowReboot, summary + Text(kTextAskContinueOperating), summary))
      return;
  }
  RunNextFrom(kRowReboot);
}

void RunController::OnTimeFinished(int succeeded, int failed) {
  if (!Awaits(kRowSetTime, kRowSetTime)) return;
  if (failed > 0) {
    const QString summary = CountedSummary(Text(kTextSetTimeCompleteTotal), succeeded, failed,
                                           Text(kTextSuccess), Text(kTextFailed));
    if (!ContinueAfterFailures(kRowFormatSd1, summary + Text(kTextAskContinueOperating), summary))
      return;
  }
  RunNextFrom(kRowFormatSd1);
}

void RunController::OnFormatFinished() {
  if (!Awaits(kRowFormatSd1, kRowFormatUsb)) return;
  int succeeded = 0;
  int failed = 0;
  int diskIndex = 0;
  for (const discovery::DeviceRecord* record : m_host.CheckedRecords()) {
    if (record->formatState == discovery::kStateDone) ++succeeded;
    if (record->formatState == discovery::kStateFailed) ++failed;
    diskIndex = record->diskIndex;
  }
  // Disk 1, 2, 3 continue at rows 7, 8, 9. Without a disk index on any row, the row after the
  // format that ran, so that a format is never started again.
  const int nextRow = IsDiskIndex(diskIndex) ? kRowFormatSd1 + diskIndex : m_currentRow + 1;
  if (failed > 0) {
    const QString disk = DiskName(diskIndex);
    const QString summary = disk + QLatin1Char(' ') +
                            CountedSummary(Text(kTextFormatCompleteTotal), succeeded, failed,
                                           Text(kTextSuccess), Text(kTextFailed));
    if (!ContinueAfterFailures(nextRow, summary + Text(kTextAskContinueOperating), summary)) return;
  }
  RunNextFrom(nextRow);
}

void RunController::OnPushThreadEnded() {
  if (!Awaits(kRowOtherSettings, kRowOtherSettings)) return;
  if (m_host.AllPushRecordsDone()) Finish();
}

}  // namespace batch
