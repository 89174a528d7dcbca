#include "platform/dialog.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLineEdit>
#include <QThread>
#include <future>
#include <memory>

namespace platform {
namespace {

// A posted window message; the event type is the message number (Qt accepts 1000..65535 for
// its own events; every message number of the program lies there). A sent message carries a
// promise for its result, which is kept even when the event is dropped unhandled.
class WindowMessageEvent : public QEvent {
 public:
  WindowMessageEvent(UINT message, WPARAM wParam, LPARAM lParam,
                     std::shared_ptr<std::promise<LRESULT>> reply = nullptr)
      : QEvent(static_cast<QEvent::Type>(message)),
        m_wParam(wParam),
        m_lParam(lParam),
        m_reply(std::move(reply)) {}
  ~WindowMessageEvent() override {
    if (m_reply) m_reply->set_value(0);
  }

  WPARAM wParam() const { return m_wParam; }
  LPARAM lParam() const { return m_lParam; }
  void Reply(LRESULT result) {
    if (m_reply) m_reply->set_value(result);
    m_reply.reset();
  }

 private:
  WPARAM m_wParam;
  LPARAM m_lParam;
  std::shared_ptr<std::promise<LRESULT>> m_reply;
};

bool IsValidMessageNumber(UINT message) {
  return message >= static_cast<UINT>(QEvent::User) &&
         message <= static_cast<UINT>(QEvent::MaxUser);
}

}  // namespace

Dialog::Dialog(int templateId, QWidget* parent)
    : QDialog(parent), m_templateId(templateId), m_timers([this](UINT id) { OnTimer(id); }) {
  setObjectName(QString::number(templateId));
}

Dialog::~Dialog() = default;

QWidget* Dialog::GetDlgItem(int id) const {
  return findChild<QWidget*>(QString::number(id));
}

bool Dialog::IsDlgButtonChecked(int id) const {
  auto* button = DlgItem<QAbstractButton>(id);
  return button != nullptr && button->isChecked();
}

void Dialog::CheckDlgButton(int id, bool checked) {
  if (auto* button = DlgItem<QAbstractButton>(id)) button->setChecked(checked);
}

QString Dialog::GetDlgItemText(int id) const {
  QWidget* item = GetDlgItem(id);
  if (auto* edit = qobject_cast<QLineEdit*>(item)) return edit->text();
  if (auto* combo = qobject_cast<QComboBox*>(item)) return combo->currentText();
  if (auto* button = qobject_cast<QAbstractButton*>(item)) return button->text();
  if (auto* group = qobject_cast<QGroupBox*>(item)) return group->title();
  if (item != nullptr) return item->property("text").toString();
  return {};
}

void Dialog::SetDlgItemText(int id, const QString& text) {
  QWidget* item = GetDlgItem(id);
  if (auto* edit = qobject_cast<QLineEdit*>(item)) {
    edit->setText(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(item)) {
    button->setText(text);
  } else if (auto* group = qobject_cast<QGroupBox*>(item)) {
    group->setTitle(text);
  } else if (item != nullptr) {
    item->setProperty("text", text);
  }
}

void Dialog::EnableDlgItem(int id, bool enable) {
  if (QWidget* item = GetDlgItem(id)) item->setEnabled(enable);
}

bool Dialog::IsDlgItemEnabled(int id) const {
  QWidget* item = GetDlgItem(id);
  return item != nullptr && item->isEnabled();
}

void Dialog::SetControlId(QWidget* widget, int id) {
  widget->setObjectName(QString::number(id));
}

void Dialog::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!IsValidMessageNumber(message)) return;
  QCoreApplication::postEvent(this, new WindowMessageEvent(message, wParam, lParam));
}

LRESULT Dialog::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (QThread::currentThread() == thread()) return OnMessage(message, wParam, lParam);
  if (!IsValidMessageNumber(message)) return 0;
  auto reply = std::make_shared<std::promise<LRESULT>>();
  std::future<LRESULT> result = reply->get_future();
  QCoreApplication::postEvent(this, new WindowMessageEvent(message, wParam, lParam, reply));
  return result.get();
}

void Dialog::RemovePendingMessages(UINT message) {
  if (IsValidMessageNumber(message))
    QCoreApplication::removePostedEvents(this, static_cast<int>(message));
}

void Dialog::SetTimer(UINT id, DWORD periodMs) {
  m_timers.SetTimer(id, periodMs);
}

void Dialog::KillTimer(UINT id) {
  m_timers.KillTimer(id);
}

bool Dialog::IsTimerRunning(UINT id) const {
  return m_timers.IsTimerRunning(id);
}

QRect Dialog::DialogUnitsToPixels(int x, int y, int width, int height) const {
  const QFontMetrics metrics(font());
  static const QString kAlphabet =
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  const int baseX = (metrics.horizontalAdvance(kAlphabet) / 26 + 1) / 2;
  const int baseY = metrics.height();
  auto px = [baseX](int dlu) { return dlu * baseX / 4; };
  auto py = [baseY](int dlu) { return dlu * baseY / 8; };
  return QRect(px(x), py(y), px(width), py(height));
}

LRESULT Dialog::OnMessage(UINT, WPARAM, LPARAM) {
  return 0;
}

void Dialog::OnTimer(UINT) {}

bool Dialog::event(QEvent* event) {
  if (auto* message = dynamic_cast<WindowMessageEvent*>(event)) {
    message->Reply(
        OnMessage(static_cast<UINT>(event->type()), message->wParam(), message->lParam()));
    return true;
  }
  return QDialog::event(event);
}

}  // namespace platform
