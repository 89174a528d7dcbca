// Message boxes, Yes/No questions and the open- and save-file dialogs, all through one service so
// that tests script the answers instead of clicking modal windows. Captions are the application
// name.
#pragma once

#include <QString>
#include <deque>
#include <vector>

class QWidget;

namespace platform {

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

enum class MessageButtons { Ok, YesNo };

class DialogService {
 public:
  virtual ~DialogService() = default;
  // Shows text with the buttons; returns IDOK, IDYES or IDNO.
  virtual int MessageBox(QWidget* parent, const QString& text, MessageButtons buttons) = 0;
  // Asks for a file to open; filter in the Win32 form "name|pattern|name|pattern||".
  // Returns the chosen path, or an empty text when the user cancelled.
  virtual QString GetOpenFileName(QWidget* parent, const QString& filter) = 0;
  // Asks where to save, proposing fileName; the same filter form. Empty when cancelled.
  virtual QString GetSaveFileName(QWidget* parent, const QString& fileName,
                                  const QString& filter) = 0;
};

// The service in use: the real windows unless a test installed its own.
DialogService& Dialogs();
// Installs a service (nullptr restores the real one). The caller keeps ownership.
void SetDialogService(DialogService* service);

// Shorthands.
int AfxMessageBox(QWidget* parent, const QString& text,
                  MessageButtons buttons = MessageButtons::Ok);
bool AskYesNo(QWidget* parent, const QString& text);

// "bin Files (*.bin)|*.bin|ALL Files (*.*)|*.*||" -> "bin Files (*.bin);;ALL Files (*.*)".
QString ToQtFileFilter(const QString& win32Filter);

// A scripted service for tests: answers from a queue (IDOK for an OK box, IDNO for an
// unscripted question) and remembers every text shown.
class ScriptedDialogs : public DialogService {
 public:
  struct Shown {
    QString text;
    MessageButtons buttons;
  };

  int MessageBox(QWidget* parent, const QString& text, MessageButtons buttons) override;
  QString GetOpenFileName(QWidget* parent, const QString& filter) override;
  // Both file dialogs answer from the one queue of files.
  QString GetSaveFileName(QWidget* parent, const QString& fileName, const QString& filter) override;

  void QueueAnswer(int answer) { m_answers.push_back(answer); }
  void QueueFile(const QString& path) { m_files.push_back(path); }
  const std::vector<Shown>& shown() const { return m_shown; }
  void ClearShown() { m_shown.clear(); }

 private:
  std::deque<int> m_answers;
  std::deque<QString> m_files;
  std::vector<Shown> m_shown;
};

}  // namespace platform
