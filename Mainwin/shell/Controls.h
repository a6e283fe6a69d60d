// Small builders of controls that every window makes the same way.
#pragma once

#include <QString>

class QAction;
class QMenu;
class QPushButton;
class QWidget;

namespace zarn {

// Adds a menu item with `caption`, named `name` as the windows name their controls.
QAction* AddNamedAction(QMenu* menu, const char* name, const QString& caption);

// The "&Help" button with a question-mark glyph in the platform's style, named "BBHelp".
QPushButton* MakeHelpButton(QWidget* parent);

}  // namespace zarn
