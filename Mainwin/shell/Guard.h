// Every command runs inside a guard: an error it raises ends the command and is reported in the
// program-wide error box; no exception ever reaches Qt's event handling.
#pragma once

#include <QString>
#include <exception>
#include <functional>
#include <new>
#include <utility>

#include "Mainwin/shell/Dialogs.h"

namespace zarn {

// Runs `command`; reports what it throws through dialogs.ProgramError().
template <class F>
void RunGuarded(TDialogs& dialogs, F&& command) noexcept {
  try {
    std::invoke(std::forward<F>(command));
  } catch (const std::bad_alloc&) {
    dialogs.ProgramError(QStringLiteral("Out of memory"));
  } catch (const std::exception& e) {
    dialogs.ProgramError(QString::fromUtf8(e.what()));
  } catch (...) {
    dialogs.ProgramError(QStringLiteral("Unexpected error"));
  }
}

// A slot that runs `command` guarded: connect(action, &QAction::triggered, this,
// Guarded(dialogs, [this] { OpenBM1Click(); })).
template <class F>
auto Guarded(TDialogs& dialogs, F command) {
  return [&dialogs, command = std::move(command)](auto&&...) mutable noexcept {
    RunGuarded(dialogs, command);
  };
}

}  // namespace zarn
