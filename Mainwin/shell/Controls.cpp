#include "Mainwin/shell/Controls.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QStyle>

namespace zarn {

QAction* AddNamedAction(QMenu* menu, const char* name, const QString& caption) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(QLatin1String(name));
  return action;
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
