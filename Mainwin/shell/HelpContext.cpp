#include "Mainwin/shell/HelpContext.h"

#include <QApplication>
#include <QShortcut>
#include <QWidget>

#include "Mainwin/shell/Help.h"

namespace zarn {

namespace {

constexpr const char* kHelpContextProperty = "zarnHelpContext";

// The context of `widget` itself (0 when it has none).
int OwnHelpContext(const QWidget* widget) {
  return widget ? widget->property(kHelpContextProperty).toInt() : 0;
}

}  // namespace

void SetHelpContext(QWidget* widget, int context) {
  widget->setProperty(kHelpContextProperty, context);
}

int HelpContextOf(const QWidget* widget) {
  for (const QWidget* w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
    if (const int context = OwnHelpContext(w)) return context;
  }
  return 0;
}

void InstallF1Help(QWidget* window, THelp& help) {
  auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F1), window);
  shortcut->setContext(Qt::WindowShortcut);
  QObject::connect(shortcut, &QShortcut::activated, window, [window, &help] {
    const QWidget* focus = QApplication::focusWidget();
    if (!focus || focus->window() != window) focus = window;
    if (const int context = HelpContextOf(focus)) help.ShowContext(context);
  });
}

}  // namespace zarn
