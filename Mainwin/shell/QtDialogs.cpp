#include "Mainwin/shell/QtDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QWidget>
#include <QWindow>

namespace zarn {

namespace {

// Keeps a dialog above the window that asked for it, without making it that window's child
// (the file dialogs outlive any one window; the boxes stay centred on the screen).
void StayAboveActiveWindow(QWidget& dialog) {
  QWidget* active = QApplication::activeModalWidget();
  if (!active || active == &dialog) active = QApplication::activeWindow();
  if (!active || active == &dialog) return;
  dialog.winId();
  if (QWindow* window = dialog.windowHandle()) window->setTransientParent(active->windowHandle());
}

}  // namespace

TQtDialogs::TQtDialogs() = default;
TQtDialogs::~TQtDialogs() = default;

QFileDialog& TQtDialogs::Prepare(const TFileRequest& request) {
  TPersistent& entry = dialogs_[request.Id];
  if (!entry.Dialog) {
    entry.Dialog = std::make_unique<QFileDialog>();
    entry.Dialog->setObjectName(request.Id);
    entry.Dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    entry.Dialog->setViewMode(QFileDialog::Detail);
    // The default suffix follows the selected entry when the request gives one per entry.
    QFileDialog* dialog = entry.Dialog.get();
    TPersistent* persistent = &entry;
    QObject::connect(dialog, &QFileDialog::filterSelected, dialog,
                     [dialog, persistent](const QString& filter) {
                       const qsizetype at = dialog->nameFilters().indexOf(filter);
                       if (at >= 0 && at < persistent->FilterSuffixes.size())
                         dialog->setDefaultSuffix(persistent->FilterSuffixes.at(at));
                     });
  }
  QFileDialog& dialog = *entry.Dialog;
  dialog.setWindowTitle(request.Title);
  const bool save = request.Mode == EFileDialogMode::Save;
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  // Open: the folder and the file must exist. Save: any name in an existing folder.
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.ConfirmOverwrite);
  dialog.setDefaultSuffix(request.DefaultSuffix);
  entry.FilterSuffixes = request.FilterSuffixes;
  if (dialog.nameFilters() != request.Filters) dialog.setNameFilters(request.Filters);
  // setNameFilters() selects the first entry: select the one chosen last again.
  if (entry.FilterIndex >= 0 && entry.FilterIndex < request.Filters.size()) {
    dialog.selectNameFilter(request.Filters.at(entry.FilterIndex));
    if (entry.FilterIndex < request.FilterSuffixes.size())
      dialog.setDefaultSuffix(request.FilterSuffixes.at(entry.FilterIndex));
  }

  const QString name = request.PresetName.value_or(entry.LastPath);
  if (!name.isEmpty()) {
    const QFileInfo info(name);
    // A bare name keeps the dialog in its current folder; a path moves it there.
    if (info.fileName() != name && info.dir().exists()) dialog.setDirectory(info.absolutePath());
    dialog.selectFile(info.fileName());
  }
  return dialog;
}

TFileChoice TQtDialogs::Finish(const TFileRequest& request) {
  TPersistent& entry = dialogs_[request.Id];
  QFileDialog& dialog = *entry.Dialog;
  // A completion list left open by Enter keeps the keyboard after the dialog has closed.
  if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
  TFileChoice choice;
  choice.Path = QDir::toNativeSeparators(dialog.selectedFiles().value(0));
  choice.FilterIndex = static_cast<int>(dialog.nameFilters().indexOf(dialog.selectedNameFilter()));
  entry.LastPath = choice.Path;
  if (choice.FilterIndex >= 0) entry.FilterIndex = choice.FilterIndex;
  return choice;
}

std::optional<TFileChoice> TQtDialogs::RunFileDialog(const TFileRequest& request) {
  QFileDialog& dialog = Prepare(request);
  StayAboveActiveWindow(dialog);
  const int result = dialog.exec();
  if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
  if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return Finish(request);
}

std::unique_ptr<QMessageBox> TQtDialogs::MakeMessageBox(QMessageBox::Icon icon,
                                                        const QString& title, const QString& text) {
  auto box = std::make_unique<QMessageBox>(icon, title, text, QMessageBox::Ok);
  box->setTextFormat(Qt::PlainText);
  box->setDefaultButton(QMessageBox::Ok);
  box->setEscapeButton(QMessageBox::Ok);
  box->setWindowModality(Qt::ApplicationModal);
  return box;
}

void TQtDialogs::ShowBox(QMessageBox::Icon icon, const QString& title, const QString& text) {
  const auto box = MakeMessageBox(icon, title, text);
  StayAboveActiveWindow(*box);
  box->exec();
}

void TQtDialogs::Warning(const QString& text) {
  ShowBox(QMessageBox::Warning, QStringLiteral("Warning"), text);
}

void TQtDialogs::Error(const QString& text) {
  ShowBox(QMessageBox::Critical, QStringLiteral("Error"), text);
}

void TQtDialogs::ProgramError(const QString& text) {
  ShowBox(QMessageBox::Critical, QStringLiteral("Zarn"), text + u'.');
}

}  // namespace zarn
