// An IPv4 address entry in the shape of the Win32 IP address control: one sunken edit box with
// four number fields 0..255 between dots, moving between fields as the user types.
#pragma once

#include <QString>
#include <QWidget>
#include <array>

class QLineEdit;

namespace platform {

class IpAddressCtrl : public QWidget {
  Q_OBJECT
  // Dialog::GetDlgItemText/SetDlgItemText reach widgets they do not know through "text".
  Q_PROPERTY(QString text READ Text WRITE SetText)

 public:
  explicit IpAddressCtrl(QWidget* parent = nullptr);

  // The dotted text "a.b.c.d"; "" when all four fields are blank, and a blank field among filled
  // ones reads as 0.
  QString Text() const;
  // Fills the fields from a dotted quad of four numbers 0..255 (surrounding blanks allowed); any
  // other text, "" included, blanks all four fields. Does not emit FieldChanged.
  void SetText(const QString& text);
  bool IsBlank() const;
  // The field's value 0..255; -1 when it is blank or the index is not 0..3.
  int Field(int index) const;
  // Value clamped to 0..255; an index other than 0..3 is ignored. Does not emit FieldChanged.
  void SetField(int index, int value);
  // Blanks all four fields. Does not emit FieldChanged.
  void ClearAddress();

 signals:
  // The user changed a field's value (field 0..3; value -1 when the user blanked it). Only user
  // edits emit it, once per actual change of the value, the clamp to 255 included.
  void FieldChanged(int field, int value);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  enum class Caret { SelectAll, Start, End };

  static constexpr int kFieldCount = 4;

  void OnFieldEdited(int index);
  void FocusField(int index, Caret caret);
  void ShowField(int index, int value);

  std::array<QLineEdit*, kFieldCount> m_fields{};
  // The value each field last showed, so that FieldChanged reports only real changes.
  std::array<int, kFieldCount> m_values{-1, -1, -1, -1};
};

}  // namespace platform
