#include "platform/ip_address_ctrl.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>

namespace platform {
namespace {

constexpr int kMaxFieldValue = 255;
constexpr int kFieldDigits = 3;

// The number a field's text shows, unclamped; -1 for a blank field.
int FieldValue(const QString& text) {
  return text.isEmpty() ? -1 : text.toInt();
}

}  // namespace

IpAddressCtrl::IpAddressCtrl(QWidget* parent) : QWidget(parent) {
  // White like an edit box while usable; a disabled control keeps the style's disabled base.
  QPalette colors = palette();
  colors.setColor(QPalette::Active, QPalette::Base, Qt::white);
  colors.setColor(QPalette::Inactive, QPalette::Base, Qt::white);
  setPalette(colors);
  setBackgroundRole(QPalette::Base);

  auto* layout = new QHBoxLayout(this);
  const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
  layout->setContentsMargins(frame + 1, frame, frame + 1, frame);
  layout->setSpacing(0);
  layout->addStretch();
  auto* digits = new QRegularExpressionValidator(
      QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(kFieldDigits)), this);
  const int fieldWidth = fontMetrics().horizontalAdvance(QStringLiteral("000")) + 4;
  for (int i = 0; i < kFieldCount; ++i) {
    if (i > 0) layout->addWidget(new QLabel(QStringLiteral("."), this));
    auto* field = new QLineEdit(this);
    field->setFrame(false);
    field->setMaxLength(kFieldDigits);
    field->setValidator(digits);
    field->setAlignment(Qt::AlignCenter);
    field->setFixedWidth(fieldWidth);
    field->installEventFilter(this);
    // The whole control is one tab stop; the later fields are reached by typing or the arrows.
    if (i > 0) field->setFocusPolicy(Qt::ClickFocus);
    connect(field, &QLineEdit::textEdited, this, [this, i] { OnFieldEdited(i); });
    layout->addWidget(field);
    m_fields[i] = field;
  }
  layout->addStretch();
  setFocusProxy(m_fields[0]);
}

QString IpAddressCtrl::Text() const {
  if (IsBlank()) return {};
  QStringList parts;
  for (int i = 0; i < kFieldCount; ++i) parts << QString::number(std::max(Field(i), 0));
  return parts.join(QLatin1Char('.'));
}

void IpAddressCtrl::SetText(const QString& text) {
  static const QRegularExpression kQuad(QRegularExpression::anchoredPattern(
      QStringLiteral("([0-9]{1,3})\\.([0-9]{1,3})\\.([0-9]{1,3})\\.([0-9]{1,3})")));
  std::array<int, kFieldCount> values{-1, -1, -1, -1};
  const QRegularExpressionMatch match = kQuad.match(text.trimmed());
  if (match.hasMatch()) {
    for (int i = 0; i < kFieldCount; ++i) values[i] = match.captured(i + 1).toInt();
    // One number out of range makes the whole text no address, not a partly filled one.
    if (std::any_of(values.begin(), values.end(), [](int v) { return v > kMaxFieldValue; }))
      values.fill(-1);
  }
  for (int i = 0; i < kFieldCount; ++i) ShowField(i, values[i]);
}

bool IpAddressCtrl::IsBlank() const {
  return std::all_of(m_fields.begin(), m_fields.end(),
                     [](const QLineEdit* field) { return field->text().isEmpty(); });
}

int IpAddressCtrl::Field(int index) const {
  if (index < 0 || index >= kFieldCount) return -1;
  return std::min(FieldValue(m_fields[index]->text()), kMaxFieldValue);
}

void IpAddressCtrl::SetField(int index, int value) {
  if (index < 0 || index >= kFieldCount) return;
  ShowField(index, std::clamp(value, 0, kMaxFieldValue));
}

void IpAddressCtrl::ClearAddress() {
  for (int i = 0; i < kFieldCount; ++i) ShowField(i, -1);
}

bool IpAddressCtrl::eventFilter(QObject* watched, QEvent* event) {
  const auto it = std::find(m_fields.begin(), m_fields.end(), watched);
  if (it == m_fields.end()) return QWidget::eventFilter(watched, event);
  if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) update();
  if (event->type() != QEvent::KeyPress) return false;

  const int index = static_cast<int>(it - m_fields.begin());
  const QLineEdit* field = *it;
  const auto* key = static_cast<const QKeyEvent*>(event);
  const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  const bool atStart = !field->hasSelectedText() && field->cursorPosition() == 0;
  const bool atEnd = !field->hasSelectedText() && field->cursorPosition() == field->text().size();
  switch (key->key()) {
    case Qt::Key_Period:
    case Qt::Key_Space:
      if (index + 1 < kFieldCount) FocusField(index + 1, Caret::SelectAll);
      return true;
    case Qt::Key_Backspace:
      if (!atStart || index == 0) return false;
      FocusField(index - 1, Caret::End);
      return true;
    case Qt::Key_Left:
      if (!plain || !atStart || index == 0) return false;
      FocusField(index - 1, Caret::End);
      return true;
    case Qt::Key_Right:
      if (!plain || !atEnd || index + 1 == kFieldCount) return false;
      FocusField(index + 1, Caret::Start);
      return true;
    default:
      return false;
  }
}

void IpAddressCtrl::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QStyleOptionFrame option;
  option.initFrom(this);
  option.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
  option.midLineWidth = 0;
  option.state |= QStyle::State_Sunken;
  if (std::any_of(m_fields.begin(), m_fields.end(),
                  [](const QLineEdit* field) { return field->hasFocus(); }))
    option.state |= QStyle::State_HasFocus;
  style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
}

void IpAddressCtrl::OnFieldEdited(int index) {
  QLineEdit* field = m_fields[index];
  int value = FieldValue(field->text());
  if (value > kMaxFieldValue) {
    value = kMaxFieldValue;
    field->setText(QString::number(value));
  }
  if (field->text().size() == kFieldDigits && field->cursorPosition() == kFieldDigits &&
      index + 1 < kFieldCount)
    FocusField(index + 1, Caret::SelectAll);
  // Emitted last: a receiver may refill the control, and nothing here runs after it.
  if (value != m_values[index]) {
    m_values[index] = value;
    emit FieldChanged(index, value);
  }
}

void IpAddressCtrl::FocusField(int index, Caret caret) {
  QLineEdit* field = m_fields[index];
  field->setFocus(Qt::OtherFocusReason);
  switch (caret) {
    case Caret::SelectAll:
      field->selectAll();
      break;
    case Caret::Start:
      field->setCursorPosition(0);
      break;
    case Caret::End:
      field->setCursorPosition(static_cast<int>(field->text().size()));
      break;
  }
}

void IpAddressCtrl::ShowField(int index, int value) {
  m_fields[index]->setText(value < 0 ? QString() : QString::number(value));
  m_values[index] = value;
}

}  // namespace platform
