// Help context numbers of widgets, and F1: the topic of the focused control's context, or of the
// nearest enclosing control or window that has one; nothing when none has.
#pragma once

class QWidget;

namespace zarn {

class THelp;

void SetHelpContext(QWidget* widget, int context);
// The first non-zero context of `widget` and its parents, up to and including its window.
int HelpContextOf(const QWidget* widget);

// Makes F1 in `window` request the help topic of the focused control (see HelpContextOf).
void InstallF1Help(QWidget* window, THelp& help);

}  // namespace zarn
