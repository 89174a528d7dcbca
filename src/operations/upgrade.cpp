#include "operations/upgrade.h"

#include "batch/instruction_table.h"
#include "batch/messages.h"
#include "platform/ansi_text.h"
#include "platform/clock.h"
#include "platform/dialog_service.h"
#include "platform/thread_queue.h"
#include "ui/main_dialog_ids.h"

namespace operations {
namespace {

constexpr int kMaxPathChars = 260;
constexpr std::size_t kMaxPathBytes = 259;
constexpr std::size_t kMaxVersionUnits = 255;
constexpr char16_t kVersionMarker[] = u"FileSystemVersion=\"";

bool Judged(const discovery::DeviceRecord& record) {
  return record.upgradeResult.load() != discovery::kUpgradeNone || record.retired.load();
}

}  // namespace

QString FileSystemVersion(const char* answer) {
  const QString text =
      platform::FromAnsi(answer != nullptr ? answer : "", batch::kResponseTextBytes - 1);
  const QString marker = QString::fromUtf16(kVersionMarker);
  const qsizetype start = text.indexOf(marker);
  if (start < 0) return {};
  const qsizetype from = start + marker.size();
  const qsizetype end = text.indexOf(QLatin1Char('"'), from);
  return text.mid(from, end < 0 ? -1 : end - from).left(kMaxVersionUnits);
}

void Upgrade::Register() {
  m_context.runs.SetOperation(batch::kRowUpgrade, [this] { Start(); });
}

void Upgrade::Browse() {
  const QString path =
      platform::Dialogs().GetOpenFileName(&m_context.window, QString::fromUtf16(kFirmwareFilter));
  if (!path.isEmpty()) m_context.window.SetDlgItemText(ids::IDC_FILE_PATH, path);
}

std::string Upgrade::FirmwarePath() const {
  std::lock_guard lock(m_pathMutex);
  return m_firmwarePath;
}

void Upgrade::Start() {
  batch::Engine& engine = m_context.engine;
  m_context.window.SetDlgItemText(ids::IDC_ACTION, m_context.Text(texts::kTextUpgrading));
  {
    // The run checked the path before it started; field 1005 is disabled until it ends.
    std::lock_guard lock(m_pathMutex);
    m_firmwarePath = platform::ToAnsi(
        m_context.window.GetDlgItemText(ids::IDC_FILE_PATH).left(kMaxPathChars), kMaxPathBytes);
  }
  engine.BeginUpgrade();
  std::vector<discovery::DeviceRecord*> records;
  for (int row = 0; row < m_context.list.GetItemCount(); ++row) {
    discovery::DeviceRecord* record = m_context.table.RecordAt(row);
    if (!m_context.list.GetCheck(row) || record == nullptr) continue;
    record->workPhase = discovery::kPhaseUpgradeBeforeTransfer;
    record->fileCheckState = discovery::kFileCheckRunning;
    record->verifyStartTime = 0;
    if (record->upgradeResult != discovery::kUpgradeNone) {
      // An earlier upgrade: its verdict and both versions go.
      record->upgradeResult = discovery::kUpgradeNone;
      record->versionBefore.fill(0);
      record->versionAfter.fill(0);
      m_context.list.SetItemText(row, discovery::kColumnVersionBefore, QString());
      m_context.list.SetItemText(row, discovery::kColumnVersionAfter, QString());
    }
    records.push_back(record);
  }
  if (!engine.StartUpgradeOf(records)) m_context.runs.Finish();
}

bool Upgrade::SetResult(discovery::DeviceRecord& record, discovery::UpgradeResult result) {
  discovery::UpgradeResult none = discovery::kUpgradeNone;
  return record.upgradeResult.compare_exchange_strong(none, result);
}

void Upgrade::Fail(discovery::DeviceRecord& record, texts::TextId text,
                   discovery::UpgradeResult result) {
  // Whoever sets the result writes the text: a second failure never overwrites the first.
  if (record.retired || !SetResult(record, result)) return;
  m_context.engine.ShowStatus(record, m_context.Text(text));
  m_context.engine.CheckUpgradeCompletion();
}

void Upgrade::Fail(discovery::DeviceRecord& record) {
  if (SetResult(record, discovery::kUpgradeFailed)) m_context.engine.CheckUpgradeCompletion();
}

void Upgrade::OnUpgradeDevice(discovery::DeviceRecord& record) {
  batch::Engine& engine = m_context.engine;
  if (Judged(record)) return;
  if (record.loginHandle <= 0 && record.loginState != discovery::kLoginConfirmed) {
    engine.ShowStatus(record, m_context.Text(texts::kTextLoggingIn));
    if (engine.QueueLogin(record) != 0) Fail(record);
  } else if (record.versionBefore[0] == '\0') {
    if (engine.QueueVersionQuery(record, discovery::kPhaseUpgradeBeforeTransfer) != 0) Fail(record);
  } else if (engine.QueueUpload(record) != 0) {
    Fail(record);
  }
}

void Upgrade::OnLoginEnded(std::unique_ptr<batch::LoginRequest> request) {
  discovery::DeviceRecord& record = *request->record;
  if (Judged(record)) return;
  const discovery::WorkPhase phase = record.workPhase;
  if (request->loginHandle > 0 && request->loginResult > 0) {
    record.loginHandle = request->loginHandle.load();
    record.loginState = discovery::kLoginConfirmed;
    m_context.engine.ShowStatus(record, m_context.Text(texts::kTextLoginOk));
    if (m_context.engine.QueueVersionQuery(record, phase) != 0) Fail(record);
  } else if (discovery::IsUpgradePhase(phase)) {
    Fail(record, texts::kTextLoginFailed);
  }
}

void Upgrade::OnVersionQueryEnded(std::unique_ptr<batch::VersionQuery> query) {
  batch::Engine& engine = m_context.engine;
  discovery::DeviceRecord& record = *query->record;
  if (Judged(record)) return;
  if (query->state != batch::kQueryAnswered) {
    Fail(record, texts::kTextGetVersionFailed);
    return;
  }
  const char* answer = query->responseText.data();
  const QString version = FileSystemVersion(answer);
  if (query->phase == discovery::kPhaseUpgradeBeforeTransfer) {
    discovery::DeviceRecord::CopyVersion(record.versionBefore, answer);
    engine.ShowStatus(record, version, discovery::kColumnVersionBefore);
    if (engine.QueueUpload(record) != 0) Fail(record);
    return;
  }
  discovery::DeviceRecord::CopyVersion(record.versionAfter, answer);
  // Sent and waited for: the row must have the version before the verdict takes the text.
  record.SetStatusText(version);
  engine.SendToWindow(batch::kMsgRowStatus, reinterpret_cast<WPARAM>(&record),
                      discovery::kColumnVersionAfter);
  Judge(record);
}

void Upgrade::Judge(discovery::DeviceRecord& record) {
  const std::string before = record.versionBefore.data();
  const std::string after = record.versionAfter.data();
  if (before.empty() || after.empty() || before == after) {
    Fail(record, texts::kTextSameVersionFailed, discovery::kUpgradeKeptOldVersion);
    return;
  }
  if (!SetResult(record, discovery::kUpgradeSucceeded)) return;
  m_context.engine.ShowStatus(record, m_context.Text(texts::kTextUpgradeSucceeded));
  After(kAfterSuccessMs, record,
        [this](discovery::DeviceRecord&) { m_context.engine.CheckUpgradeCompletion(); });
}

void Upgrade::OnUploadEnded(std::unique_ptr<batch::UploadRequest> request) {
  discovery::DeviceRecord& record = *request->record;
  if (Judged(record)) return;
  if (request->result != batch::kUploadAccepted) {
    Fail(record, texts::kTextSubmitUploadFailed);
  } else if (m_context.engine.QueueProgressWatch(record) != 0) {
    Fail(record);
  }
}

void Upgrade::OnFileTransferred(int loginHandle) {
  discovery::DeviceRecord* record =
      m_context.engine.EndProgressWatch(loginHandle, batch::kTransferFinished);
  if (record == nullptr || Judged(*record)) return;
  record->verifyStartTime = platform::GetTickCount();
  m_context.engine.StartFileCheck(*record);
  m_context.engine.ShowStatus(*record, m_context.Text(texts::kTextUploadedCheckingFile));
}

void Upgrade::OnTransferFailed(int loginHandle) {
  if (discovery::DeviceRecord* record =
          m_context.engine.EndProgressWatch(loginHandle, batch::kTransferFailed))
    Fail(*record, texts::kTextUploadFailed);
}

void Upgrade::OnFirmwareTaken(int loginHandle) {
  m_context.engine.OnUpgradingDevice(
      loginHandle, [this, loginHandle](discovery::DeviceRecord& record) {
        if (Judged(record)) return;
        // A check that timed out stays a failure.
        discovery::FileCheckState checking = discovery::kFileCheckRunning;
        if (!record.fileCheckState.compare_exchange_strong(checking, discovery::kFileCheckTaken))
          return;
        // The pause is this device's alone: the coordinator goes on with the others.
        After(kBeforeLogoutMs, record, [this, loginHandle](discovery::DeviceRecord& taken) {
          batch::Engine& engine = m_context.engine;
          engine.OnUpgradingDevice(loginHandle, [&](discovery::DeviceRecord& upgrading) {
            if (&upgrading != &taken || Judged(taken)) return;
            IP_NET_DVR_Logout(loginHandle);
            taken.loginHandle = 0;
            taken.loginState = discovery::kLoginUnknown;
            taken.workPhase = discovery::kPhaseUpgradeRestarting;
            engine.ShowStatus(taken, m_context.Text(texts::kTextUpgrading));
            if (engine.QueueLogin(taken) != 0) Fail(taken);
          });
        });
      });
}

void Upgrade::OnFirmwareRefused(int loginHandle) {
  m_context.engine.OnUpgradingDevice(loginHandle, [this](discovery::DeviceRecord& record) {
    if (Judged(record)) return;
    discovery::FileCheckState checking = discovery::kFileCheckRunning;
    if (!record.fileCheckState.compare_exchange_strong(checking, discovery::kFileCheckRefused))
      return;
    Fail(record, texts::kTextFileCannotUpgrade);
  });
}

void Upgrade::After(DWORD ms, discovery::DeviceRecord& record,
                    std::function<void(discovery::DeviceRecord&)> step) {
  m_timedSteps.emplace(platform::GetTickCount() + ms, TimedStep{&record, std::move(step), {}});
}

DWORD Upgrade::MsUntilNextStep() {
  if (m_timedSteps.empty()) return platform::INFINITE;
  const auto wait =
      static_cast<std::int32_t>(m_timedSteps.begin()->first - platform::GetTickCount());
  return wait > 0 ? static_cast<DWORD>(wait) : 0;
}

void Upgrade::RunDueSteps() {
  while (!m_timedSteps.empty()) {
    auto first = m_timedSteps.begin();
    if (static_cast<std::int32_t>(first->first - platform::GetTickCount()) > 0) return;
    TimedStep due = std::move(first->second);
    m_timedSteps.erase(first);
    if (!due.record->retired) due.step(*due.record);
  }
}

}  // namespace operations
