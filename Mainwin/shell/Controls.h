// Small builders of controls that every window makes the same way.
#pragma once

#include <QIcon>
#include <QString>

class QAction;
class QMenu;
class QPushButton;
class QWidget;

namespace zarn {

// Adds a menu item with `caption`, named `name` as the windows name their controls.
QAction* AddNamedAction(QMenu* menu, const char* name, const QString& caption);

// The "&Help" button, named "BBHelp". Its glyph (HelpGlyph) is set by the window once it is up:
// the first look-up in the icon theme costs more than the rest of a window together.
QPushButton* MakeHelpButton(QWidget* parent);

// The help buttons' glyph: a question mark in the platform's style.
QIcon HelpGlyph(const QWidget* widget);

}  // namespace zarn
