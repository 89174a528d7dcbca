#include "platform/dialog_service.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace platform {
namespace {

class WindowDialogs : public DialogService {
 public:
  int MessageBox(QWidget* parent, const QString& text, MessageButtons buttons) override {
    const QString caption = QApplication::applicationName();
    if (buttons == MessageButtons::YesNo) {
      const auto answer = QMessageBox::question(
          parent, caption, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
      return answer == QMessageBox::Yes ? IDYES : IDNO;
    }
    QMessageBox::warning(parent, caption, text);
    return IDOK;
  }

  QString GetOpenFileName(QWidget* parent, const QString& filter) override {
    return QFileDialog::getOpenFileName(parent, QApplication::applicationName(), QString(),
                                        ToQtFileFilter(filter));
  }

  QString GetSaveFileName(QWidget* parent, const QString& fileName,
                          const QString& filter) override {
    return QFileDialog::getSaveFileName(parent, QApplication::applicationName(), fileName,
                                        ToQtFileFilter(filter));
  }
};

DialogService* g_service = nullptr;

}  // namespace

DialogService& Dialogs() {
  static WindowDialogs windows;
  return g_service != nullptr ? *g_service : windows;
}

void SetDialogService(DialogService* service) {
  g_service = service;
}

int AfxMessageBox(QWidget* parent, const QString& text, MessageButtons buttons) {
  return Dialogs().MessageBox(parent, text, buttons);
}

bool AskYesNo(QWidget* parent, const QString& text) {
  return Dialogs().MessageBox(parent, text, MessageButtons::YesNo) == IDYES;
}

QString ToQtFileFilter(const QString& win32Filter) {
  const QStringList parts = win32Filter.split(QLatin1Char('|'), Qt::SkipEmptyParts);
  QStringList filters;
  // Pairs of (display name, pattern); the display name already shows the pattern.
  for (qsizetype i = 0; i < parts.size(); i += 2) filters << parts[i];
  return filters.join(QStringLiteral(";;"));
}

int ScriptedDialogs::MessageBox(QWidget*, const QString& text, MessageButtons buttons) {
  m_shown.push_back({text, buttons});
  if (m_answers.empty()) return buttons == MessageButtons::YesNo ? IDNO : IDOK;
  const int answer = m_answers.front();
  m_answers.pop_front();
  return answer;
}

QString ScriptedDialogs::GetOpenFileName(QWidget*, const QString&) {
  if (m_files.empty()) return {};
  QString path = m_files.front();
  m_files.pop_front();
  return path;
}

QString ScriptedDialogs::GetSaveFileName(QWidget* parent, const QString&, const QString& filter) {
  return GetOpenFileName(parent, filter);
}

}  // namespace platform
