// The batch run controller: button 1014 runs the checked instructions over the checked rows one
// after another in the order of the instruction table; each instruction hands over to the next
// checked one when its end event arrives, with the prompts and summaries of that instruction.
// Everything here runs on the window thread.
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <functional>

#include "batch/instruction_table.h"
#include "batch/run_host.h"
#include "batch/run_view.h"
#include "text/text_id.h"

namespace batch {

// Waits of the hand-overs.
constexpr unsigned kAfterModifyIpPauseMs = 1500;

class RunController {
 public:
  using Operation = std::function<void()>;
  // Why a row cannot start with the settings as they are; empty when it can.
  using Precondition = std::function<QString()>;

  RunController(RunView& view, RunHost& host);

  // Fills row's entry of the instruction table with the operation that starts it.
  void SetOperation(int row, Operation start);
  // Checked before a run that includes row disables anything: a refusal is shown and no run
  // starts.
  void SetPrecondition(int row, Precondition check);

  // Button 1014.
  void OnRunBatch();
  // A hidden button: a run of this one instruction, whatever else is checked. The controls are
  // disabled as for any run, so that nothing else starts meanwhile; its end event ends the run.
  void RunSingle(int row);
  // Starts the first checked instruction from row on; finishes the run when none is. Returns
  // whether one was started.
  bool RunNextFrom(int row);
  // Ends the run: flags back, "执行结束", controls enabled, push list emptied.
  void Finish();
  bool IsRunning() const { return m_running; }

  // End events of the instructions. One that arrives when no run is active, or while another
  // instruction runs (a late event of an earlier one), is ignored.
  void OnSearchComplete();                            // expected count reached
  void OnSearchAbandoned();                           // "No" to the search question
  void OnModifyIpVerified();                          // 2134
  void OnAllNetworkDone();                            // the all-network loop ended
  void OnUpgradeFinished();                           // 2129
  void OnRebootFinished(int succeeded, int failed);   // 2130
  void OnRestoreFinished(int succeeded, int failed);  // 2131
  void OnTimeFinished(int succeeded, int failed);     // 2132
  void OnFormatFinished();                            // 2133
  void OnPushThreadEnded();                           // 1032

 private:
  // Whether the running instruction is one of these rows.
  bool Awaits(int firstRow, int lastRow) const;
  // Whether the row takes part in the run: its box is checked (a single-instruction run has no
  // other rows).
  bool IsChecked(int row) const;
  bool AnyChecked(int fromRow, int toRow) const;
  // Shows the row's refusal, if it has one; true when it may start.
  bool PreconditionHolds(int row);
  void StartRow(int row);
  // Controls off, the run begun.
  void Begin();
  QString Text(texts::TextId id) const;
  // The prompt of an instruction that ended with failures: a Yes/No question when a later row
  // is checked (No ends the run), an OK box that ends the run otherwise. True when the run goes
  // on.
  bool ContinueAfterFailures(int nextRow, const QString& question, const QString& summary);

  RunView& m_view;
  RunHost& m_host;
  // The context of the pause after IP re-addressing: it ends with the controller.
  QObject m_pauses;
  std::array<Operation, kInstructionCount> m_operations;
  std::array<Precondition, kInstructionCount> m_preconditions;
  bool m_running = false;
  bool m_single = false;
  int m_currentRow = -1;
};

}  // namespace batch
