// The key filter shared by the other-settings window, its tree and every page: Escape (key down
// and key up) is consumed before the dialog handles it, so it never closes or hides any of them.
#pragma once

#include <QObject>

class QWidget;

namespace config {

class EscapeFilter : public QObject {
 public:
  // Filters the key events that reach dialog, its own and those its controls pass on.
  static void Install(QWidget* dialog);

  bool eventFilter(QObject* target, QEvent* event) override;

 private:
  explicit EscapeFilter(QObject* parent) : QObject(parent) {}
};

}  // namespace config
