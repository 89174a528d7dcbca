// A dialog in the shape the program's windows are written against: numbered controls (each
// control's objectName is its decimal control ID), numbered window messages with two parameters
// that any thread may post, a blocking send, and numbered timers on the window clock.
#pragma once

#include <QDialog>
#include <QString>

#include "platform/win_types.h"
#include "platform/window_timers.h"

namespace platform {

class Dialog : public QDialog {
  Q_OBJECT

 public:
  Dialog(int templateId, QWidget* parent = nullptr);
  ~Dialog() override;

  int TemplateId() const { return m_templateId; }

  // Controls by ID.
  QWidget* GetDlgItem(int id) const;
  template <typename T>
  T* DlgItem(int id) const {
    return qobject_cast<T*>(GetDlgItem(id));
  }
  bool IsDlgButtonChecked(int id) const;
  void CheckDlgButton(int id, bool checked);
  QString GetDlgItemText(int id) const;
  void SetDlgItemText(int id, const QString& text);
  void EnableDlgItem(int id, bool enable);
  bool IsDlgItemEnabled(int id) const;

  // Gives a widget its control ID.
  static void SetControlId(QWidget* widget, int id);

  // Window messages. PostMessage may be called from any thread; the message is handled by
  // OnMessage on the window's thread, after the messages posted before it.
  void PostMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Handles the message on the window's thread and returns its result; a caller on another
  // thread waits for it. Returns 0 without waiting when the window goes away first.
  LRESULT SendMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Drops every pending posted message of that number.
  void RemovePendingMessages(UINT message);

  // Timers by number; period in clock milliseconds. Setting a running timer restarts it. Any
  // thread may set or kill a timer: a call from another thread is carried over to the window's
  // thread and takes effect there, in order with the messages posted before it.
  void SetTimer(UINT id, DWORD periodMs);
  void KillTimer(UINT id);
  // Window thread only.
  bool IsTimerRunning(UINT id) const;

  // Rectangle in dialog units to pixels, by the dialog font's average character size.
  QRect DialogUnitsToPixels(int x, int y, int width, int height) const;

 protected:
  virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  virtual void OnTimer(UINT id);

  bool event(QEvent* event) override;

 private:
  int m_templateId;
  WindowTimers m_timers;
};

}  // namespace platform
