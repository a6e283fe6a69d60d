// Small builders of controls that every window makes the same way.
#pragma once

#include <QIcon>
#include <QString>
#include <array>

#include "codec/ColourMap.h"

class QAction;
class QFrame;
class QHBoxLayout;
class QLabel;
class QMenu;
class QPushButton;
class QWidget;

namespace zarn {

// Adds a menu item with `caption`, named `name` as the windows name their controls.
QAction* AddNamedAction(QMenu* menu, const char* name, const QString& caption);

// Lays `host` out as a window's side panel beside its image area: a sunken frame "Panel1",
// `designWidth` design pixels wide, first in a row without margins. The caller adds the image
// area to the returned row.
struct TSidePanel {
  QFrame* Panel = nullptr;
  QHBoxLayout* Row = nullptr;
};
TSidePanel MakeSidePanel(QWidget* host, int designWidth);

// A label named `name` at its natural size, at a design position.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top);

class TSpinEdit;
// A spin edit named `name` from 0 to `maximum`, 22 design pixels high, at a design position.
TSpinEdit* MakeSpinEdit(QWidget* parent, const char* name, int maximum, int value, int left,
                        int top, int width);

// A colour's three spin edits from 0 to 255, each after its label "R", "G" or "B", in one
// design row at `top`; named Label<role>Red and SE<role>Red, and so on ("" gives LabelRed,
// SERed), and set to `colour`. The controls are stored where `labels` and `edits` point.
void MakeRgbEdits(QWidget* parent, const char* role, int top, TRgb colour,
                  const std::array<QLabel**, 3>& labels, const std::array<TSpinEdit**, 3>& edits);

// The "&Help" button, named "BBHelp". Its glyph (HelpGlyph) is set by the window once it is up:
// the first look-up in the icon theme costs more than the rest of a window together.
QPushButton* MakeHelpButton(QWidget* parent);

// The help buttons' glyph: a question mark in the platform's style.
QIcon HelpGlyph(const QWidget* widget);

}  // namespace zarn
