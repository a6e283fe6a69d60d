// The main window's file drops: a BM dropped while none is open opens it; a CMP or BM dropped
// while an 8-bit BM without a palette is open gives it that palette (DroppedFile.h decides).
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "Mainwin/MainWindow.h"
#include "Mainwin/shell/Guard.h"

namespace zarn {

EDropAction TMainWindow::DropActionFor(const QString& path) const {
  if (path.isEmpty()) return EDropAction::Refuse;
  return zarn::DropActionFor(ShownState(), FileKindOf(path.toStdString()));
}

void TMainWindow::DropFile(const QString& path) {
  RunGuarded(dialogs_, [&] {
    const EDropAction action = DropActionFor(path);
    const std::string file = QDir::toNativeSeparators(path).toStdString();
    if (action == EDropAction::OpenBM) OpenPath(file);
    if (const auto kind = PaletteFileFor(action)) LoadPalette(file, *kind);
  });
}

QString TMainWindow::DroppedPath(const QMimeData* data) {
  if (!data || !data->hasUrls()) return {};
  const QList<QUrl> urls = data->urls();
  if (urls.size() != 1 || !urls.front().isLocalFile()) return {};
  return urls.front().toLocalFile();
}

namespace {

// Takes a drop as a copy, or as a link where no copy is offered: the source must never delete
// the file it offered. A source that offers only to move is refused, as the toolkit cannot
// confirm such a drop as a copy.
bool AcceptWithoutMove(QDropEvent* event, bool accept) {
  const Qt::DropActions offered = event->possibleActions();
  const Qt::DropAction action = offered.testFlag(Qt::CopyAction)   ? Qt::CopyAction
                                : offered.testFlag(Qt::LinkAction) ? Qt::LinkAction
                                                                   : Qt::IgnoreAction;
  if (!accept || action == Qt::IgnoreAction) {
    event->ignore();
    return false;
  }
  event->setDropAction(action);
  event->accept();
  return true;
}

}  // namespace

// The whole window takes the file, so the cursor gives the same answer everywhere over it; a
// refused file gets no box.
void TMainWindow::dragEnterEvent(QDragEnterEvent* event) {
  AcceptWithoutMove(event, DropActionFor(DroppedPath(event->mimeData())) != EDropAction::Refuse);
}

void TMainWindow::dragMoveEvent(QDragMoveEvent* event) {
  // Moves reach the window only after it took the file on entering.
  AcceptWithoutMove(event, true);
}

void TMainWindow::dropEvent(QDropEvent* event) {
  const QString path = DroppedPath(event->mimeData());
  if (!AcceptWithoutMove(event, DropActionFor(path) != EDropAction::Refuse)) return;
  // The drop ends first: a box shown while it is under way would hold the file manager that
  // the file came from until the box is closed.
  QMetaObject::invokeMethod(
      this, [this, path] { DropFile(path); }, Qt::QueuedConnection);
}

}  // namespace zarn
