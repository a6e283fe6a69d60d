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
  // The question mark reads as help; the style's help-button glyph can look like an alarm.
  auto* button = new QPushButton(parent->style()->standardIcon(QStyle::SP_MessageBoxQuestion),
                                 QStringLiteral("&Help"), parent);
  button->setObjectName(QStringLiteral("BBHelp"));
  return button;
}

}  // namespace zarn
