// A number field with up and down arrows whose value is its text read as a whole number.
//
// Text that is not a number counts as the minimum. Only digits, "+", "-" and the decimal
// separator can be typed; any other character is refused with a beep. The arrows (buttons,
// Up/Down keys, wheel) step by 1 within the range without wrapping. On losing the focus, or on
// Enter, a value outside the range is replaced by the nearest bound. Every change the user
// makes emits UserChanged(); setting the minimum, maximum or value from code does not.
#pragma once

#include <QSpinBox>
#include <optional>

namespace zarn {

class TSpinEdit : public QSpinBox {
  Q_OBJECT

 public:
  explicit TSpinEdit(QWidget* parent = nullptr);

  // The text field, for reading and selecting the text.
  using QAbstractSpinBox::lineEdit;

  // The text read as a whole number, not clamped to the range; the minimum when the text is
  // not a number. A number beyond the range of int is taken as the nearest int.
  int Value() const;

  // The whole number in `text`: optional blanks, an optional sign, digits, optional blanks.
  // Nothing when the text is anything else. Saturates at the limits of int.
  static std::optional<int> ParseSaturatingNumber(const QString& text);

 signals:
  // The user changed the value: an arrow step, a keystroke, or the replacement of an
  // out-of-range value on leaving the field.
  void UserChanged();

 protected:
  QValidator::State validate(QString& input, int& pos) const override;
  void fixup(QString& input) const override;
  int valueFromText(const QString& text) const override;
  QString textFromValue(int value) const override;
  void stepBy(int steps) override;
  StepEnabled stepEnabled() const override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  bool IsAcceptedCharacter(QChar c) const;
  int Clamped(int v) const;
  // Replaces an out-of-range or non-numeric text by the clamped value; a user change when the
  // value changes thereby.
  void ClampText();
};

}  // namespace zarn
