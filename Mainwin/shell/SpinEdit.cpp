#include "Mainwin/shell/SpinEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>
#include <algorithm>
#include <climits>
#include <cstdint>

namespace zarn {

TSpinEdit::TSpinEdit(QWidget* parent) : QSpinBox(parent) {
  setRange(0, 0);
  setSingleStep(1);
  setWrapping(false);
  setKeyboardTracking(true);
  setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
  // textEdited comes from keystrokes, pastes and undo only, never from setValue().
  connect(lineEdit(), &QLineEdit::textEdited, this, [this] { emit UserChanged(); });
}

std::optional<int> TSpinEdit::ParseSaturatingNumber(const QString& text) {
  const QString t = text.trimmed();
  qsizetype i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) {
    negative = t[i] == u'-';
    ++i;
  }
  if (i == t.size()) return std::nullopt;
  std::int64_t magnitude = 0;
  for (; i < t.size(); ++i) {
    const char16_t c = t[i].unicode();
    if (c < u'0' || c > u'9') return std::nullopt;
    // Saturate well before 64 bits can overflow; the result is clamped to int below.
    magnitude = std::min<std::int64_t>(magnitude * 10 + (c - u'0'), std::int64_t{1} << 40);
  }
  const std::int64_t v = negative ? -magnitude : magnitude;
  return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX));
}

int TSpinEdit::Value() const {
  return ParseSaturatingNumber(lineEdit()->text()).value_or(minimum());
}

int TSpinEdit::Clamped(int v) const {
  return std::clamp(v, minimum(), maximum());
}

bool TSpinEdit::IsAcceptedCharacter(QChar c) const {
  return (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || locale().decimalPoint().contains(c);
}

QValidator::State TSpinEdit::validate(QString& input, int& /*pos*/) const {
  for (const QChar c : input) {
    if (!IsAcceptedCharacter(c) && c != u' ') return QValidator::Invalid;
  }
  const auto v = ParseSaturatingNumber(input);
  return v && *v >= minimum() && *v <= maximum() ? QValidator::Acceptable
                                                 : QValidator::Intermediate;
}

void TSpinEdit::fixup(QString& input) const {
  input = textFromValue(Clamped(ParseSaturatingNumber(input).value_or(minimum())));
}

int TSpinEdit::valueFromText(const QString& text) const {
  return Clamped(ParseSaturatingNumber(text).value_or(minimum()));
}

QString TSpinEdit::textFromValue(int value) const {
  return QString::number(value);
}

void TSpinEdit::stepBy(int steps) {
  const int before = Value();
  const std::int64_t target = std::int64_t{Clamped(before)} + steps;
  const int after = static_cast<int>(std::clamp<std::int64_t>(target, minimum(), maximum()));
  setValue(after);  // also rewrites the text when the value stays the same
  if (style()->styleHint(QStyle::SH_SpinBox_SelectOnStep, nullptr, this)) selectAll();
  if (after != before) emit UserChanged();
}

QAbstractSpinBox::StepEnabled TSpinEdit::stepEnabled() const {
  if (isReadOnly()) return StepNone;
  const int v = Value();
  StepEnabled e = StepNone;
  if (v < maximum()) e |= StepUpEnabled;
  if (v > minimum()) e |= StepDownEnabled;
  return e;
}

void TSpinEdit::ClampText() {
  const int before = Value();
  const int after = Clamped(before);
  if (lineEdit()->text() != textFromValue(after)) setValue(after);
  if (after != before) emit UserChanged();
}

void TSpinEdit::keyPressEvent(QKeyEvent* event) {
  const bool commandKey =
      event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  if (!commandKey) {
    for (const QChar c : event->text()) {
      if (c.isPrint() && !IsAcceptedCharacter(c)) {
        QApplication::beep();
        event->accept();
        return;
      }
    }
  }
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) ClampText();
  QSpinBox::keyPressEvent(event);
}

void TSpinEdit::focusOutEvent(QFocusEvent* event) {
  ClampText();
  QSpinBox::focusOutEvent(event);
}

}  // namespace zarn
