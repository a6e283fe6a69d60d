#include "Bmp2Bm/NewBMWindow.h"

#include <QShowEvent>

namespace zarn {

TSourceItem::TSourceItem(const QString& path, TBitmap bitmap)
    : QListWidgetItem(path), bitmap_(std::move(bitmap)) {}

TNewBMWindow::TNewBMWindow(TBMViewer& viewer, TDialogs& dialogs, THelp& help, QWidget* parent)
    : QDialog(parent), viewer_(viewer), dialogs_(dialogs), help_(help) {
  setObjectName(QStringLiteral("NewBMWindow"));
  setWindowTitle(QStringLiteral("Create New BM"));
  BuildControls();
}

TNewBMWindow::~TNewBMWindow() = default;

void TNewBMWindow::BuildControls() {}
void TNewBMWindow::UpdateListState() {}
TSourceItem* TNewBMWindow::CurrentSource() const {
  return nullptr;
}
TSourceItem* TNewBMWindow::OfferSource() {
  return nullptr;
}

void TNewBMWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TNewBMWindow::FormShow() {}
void TNewBMWindow::RB8bitClick() {}
void TNewBMWindow::RB16bitClick() {}
void TNewBMWindow::Add1Click() {}
void TNewBMWindow::Insert1Click() {}
void TNewBMWindow::Remove1Click() {}
void TNewBMWindow::Clear1Click() {}
void TNewBMWindow::FileListClick() {}
void TNewBMWindow::BBHelpClick() {
  help_.ShowContext(kHelpNewBM);
}
void TNewBMWindow::BBOkClick() {}

EBMMode TNewBMWindow::Mode() const {
  return EBMMode::Bit8;
}
TCreateOptions TNewBMWindow::Options() const {
  return {};
}
std::vector<const TBitmap*> TNewBMWindow::Sources() const {
  return {};
}

}  // namespace zarn
