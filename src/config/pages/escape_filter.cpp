#include "config/pages/escape_filter.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace config {

void EscapeFilter::Install(QWidget* dialog) {
  dialog->installEventFilter(new EscapeFilter(dialog));
}

bool EscapeFilter::eventFilter(QObject* target, QEvent* event) {
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
    if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) return true;
  }
  return QObject::eventFilter(target, event);
}

}  // namespace config
