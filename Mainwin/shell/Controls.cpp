#include "Mainwin/shell/Controls.h"

#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <string>

#include "Mainwin/shell/DesignScale.h"
#include "Mainwin/shell/SpinEdit.h"

namespace zarn {

QAction* AddNamedAction(QMenu* menu, const char* name, const QString& caption) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(QLatin1String(name));
  return action;
}

TSidePanel MakeSidePanel(QWidget* host, int designWidth) {
  TSidePanel side;
  side.Row = new QHBoxLayout(host);
  side.Row->setContentsMargins(0, 0, 0, 0);
  side.Row->setSpacing(0);
  side.Panel = new QFrame(host);
  side.Panel->setObjectName(QStringLiteral("Panel1"));
  side.Panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  side.Panel->setLineWidth(1);
  side.Panel->setFixedWidth(DesignSize(host, designWidth, 0).width());
  side.Row->addWidget(side.Panel);
  return side;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  label->adjustSize();
  PlaceAt(label, left, top);
  return label;
}

TSpinEdit* MakeSpinEdit(QWidget* parent, const char* name, int maximum, int value, int left,
                        int top, int width) {
  auto* edit = new TSpinEdit(parent);
  edit->setObjectName(QLatin1String(name));
  edit->setRange(0, maximum);
  edit->setValue(value);
  Place(edit, left, top, width, 22);
  return edit;
}

void MakeRgbEdits(QWidget* parent, const char* role, int top, TRgb colour,
                  const std::array<QLabel**, 3>& labels, const std::array<TSpinEdit**, 3>& edits) {
  const char* const channels[] = {"Red", "Green", "Blue"};
  const int values[] = {colour.Red, colour.Green, colour.Blue};
  for (std::size_t i = 0; i < 3; ++i) {
    const std::string name = std::string(role) + channels[i];
    const int left = 8 + 72 * static_cast<int>(i);
    *labels[i] = MakeLabel(parent, ("Label" + name).c_str(), QString(QChar(channels[i][0])),
                           left, top + 4);
    *edits[i] = MakeSpinEdit(parent, ("SE" + name).c_str(), 255, values[i], left + 8, top, 48);
  }
}

QPushButton* MakeHelpButton(QWidget* parent) {
  auto* button = new QPushButton(QStringLiteral("&Help"), parent);
  button->setObjectName(QStringLiteral("BBHelp"));
  return button;
}

QIcon HelpGlyph(const QWidget* widget) {
  // The question mark reads as help; the style's help-button glyph can look like an alarm.
  return widget->style()->standardIcon(QStyle::SP_MessageBoxQuestion);
}

}  // namespace zarn
