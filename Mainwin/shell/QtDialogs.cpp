#include "Mainwin/shell/QtDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QRegularExpression>
#include <QWidget>
#include <QWindow>

#include "Mainwin/shell/Program.h"

namespace zarn {

namespace {

// A name whose extension is one filter entry's while another entry is selected takes the
// selected entry's extension: the dialog never shows one format while the name says another.
QString WithSelectedFormat(const QString& name, qsizetype selectedEntry,
                           const QStringList& suffixes) {
  if (selectedEntry < 0 || selectedEntry >= suffixes.size()) return name;
  const QFileInfo info(name);
  const QString suffix = info.suffix();
  const QString selected = suffixes.at(selectedEntry);
  if (suffix.compare(selected, Qt::CaseInsensitive) == 0 ||
      !suffixes.contains(suffix, Qt::CaseInsensitive))
    return name;
  return info.completeBaseName() + u'.' + selected;
}

// Keeps a dialog above the window that asked for it, without making it that window's child
// (the file dialogs outlive any one window; the boxes stay centred on the screen).
void StayAboveActiveWindow(QWidget& dialog) {
  QWidget* active = QApplication::activeModalWidget();
  if (!active || active == &dialog) active = QApplication::activeWindow();
  if (!active || active == &dialog) return;
  dialog.winId();
  if (QWindow* window = dialog.windowHandle()) window->setTransientParent(active->windowHandle());
}

// In `folder`, the file named `base` with one of `suffixes` in any letter case: the name
// exactly as typed wins, then the first match; empty when there is none.
QString MatchSuffixAnyCase(const QDir& folder, const QString& base, const QStringList& suffixes) {
  const QStringList files = folder.entryList(QDir::Files | QDir::Hidden, QDir::Name);
  for (const QString& suffix : suffixes) {
    const QString wanted = base + u'.' + suffix;
    if (files.contains(wanted)) return wanted;
    for (const QString& file : files) {
      if (file.compare(wanted, Qt::CaseInsensitive) == 0 && file.startsWith(base)) return file;
    }
  }
  return {};
}

// The extensions an open dialog tries for a name typed without one: those of the selected
// filter ("Desc (*.BM *.CMP)"), which say what the user is looking for, then the default.
QStringList SuffixesToTry(const QFileDialog& dialog) {
  QStringList suffixes;
  static const QRegularExpression pattern(QStringLiteral(R"(\*\.(\w+))"));
  for (auto it = pattern.globalMatch(dialog.selectedNameFilter()); it.hasNext();)
    suffixes << it.next().captured(1);
  if (!dialog.defaultSuffix().isEmpty() &&
      !suffixes.contains(dialog.defaultSuffix(), Qt::CaseInsensitive))
    suffixes << dialog.defaultSuffix();
  return suffixes;
}

}  // namespace

// Qt's file dialog with two checks of the name it is given. An open dialog takes a name typed
// without extension as the existing file with the default (or the filter's) extension in any
// letter case: `wall` finds wall.bm as well as wall.BM. A save dialog refuses a name in a folder
// that does not exist, as the open dialog does, rather than failing when the file is written.
class TFileDialog : public QFileDialog {
 public:
  void accept() override {
    QLineEdit* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    const QString typed = edit ? edit->text().trimmed() : QString();
    if (!typed.isEmpty() && !typed.startsWith(u'"')) {
      const QFileInfo info(QDir(directory()).filePath(typed));
      if (acceptMode() == AcceptOpen && info.suffix().isEmpty() && !info.exists()) {
        const QString found = MatchSuffixAnyCase(info.dir(), info.fileName(), SuffixesToTry(*this));
        if (!found.isEmpty()) edit->setText(info.dir().filePath(found));
      } else if (acceptMode() == AcceptSave && !info.dir().exists()) {
        QMessageBox box(QMessageBox::Warning, windowTitle(),
                        QStringLiteral("%1\nThe folder does not exist.\nPlease check the name.")
                            .arg(QDir::toNativeSeparators(info.absolutePath())),
                        QMessageBox::Ok, this);
        box.exec();
        return;
      }
    }
    QFileDialog::accept();
  }
};

TQtDialogs::TQtDialogs() = default;
TQtDialogs::~TQtDialogs() = default;

QFileDialog& TQtDialogs::Prepare(const TFileRequest& request) {
  TPersistent& entry = dialogs_[request.Id];
  if (!entry.Dialog) {
    entry.Dialog = std::make_unique<TFileDialog>();
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

  // Every dialog opens where the user last chose a file, in any dialog, unless the name it
  // starts with carries a folder of its own.
  if (!lastFolder_.isEmpty() && QDir(lastFolder_).exists()) dialog.setDirectory(lastFolder_);
  const QString name = request.PresetName.value_or(entry.LastPath);
  if (!name.isEmpty()) {
    const QFileInfo info(name);
    if (info.fileName() != name && info.dir().exists()) dialog.setDirectory(info.absolutePath());
    dialog.selectFile(WithSelectedFormat(info.fileName(), entry.FilterIndex, entry.FilterSuffixes));
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
  lastFolder_ = QFileInfo(dialog.selectedFiles().value(0)).absolutePath();
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

namespace {

// A name at least this long may break after any of its characters.
constexpr qsizetype kLongName = 20;

// The text as a message box shows it: a path may break after each of its separators, and a
// long name in it (a folder's, a file's) after any of its characters (a zero-width space
// there), so that the whole text is visible however long the path or the name is.
QString WrappableText(const QString& text) {
  constexpr QChar kBreak(0x200B);
  const auto ends = [](QChar c) { return c.isSpace() || c == u'/' || c == u'\\'; };
  QString out;
  out.reserve(text.size() * 2);
  qsizetype start = 0;
  for (qsizetype i = 0; i <= text.size(); ++i) {
    if (i < text.size() && !ends(text.at(i))) continue;
    const QStringView name = QStringView(text).mid(start, i - start);
    for (qsizetype k = 0; k < name.size(); ++k) {
      out += name.at(k);
      if (name.size() >= kLongName && k + 1 < name.size()) out += kBreak;
    }
    if (i < text.size()) {
      out += text.at(i);
      if (!text.at(i).isSpace()) out += kBreak;
    }
    start = i + 1;
  }
  return out;
}

}  // namespace

std::unique_ptr<QMessageBox> TQtDialogs::MakeMessageBox(QMessageBox::Icon icon,
                                                        const QString& title, const QString& text) {
  auto box = std::make_unique<QMessageBox>(icon, title, WrappableText(text), QMessageBox::Ok);
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
  // A codec refusal carried by an exception ends its sentence already ("...bytes!"). A text
  // ending in "." keeps its full stop: it may be a path whose name ends with a dot.
  const bool ended = text.endsWith(u'!');
  ShowBox(QMessageBox::Critical, QLatin1String(kProgramTitle), ended ? text : text + u'.');
}

bool TQtDialogs::Confirm(const QString& title, const QString& text) {
  auto box = MakeMessageBox(QMessageBox::Question, title, text);
  box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
  box->setDefaultButton(QMessageBox::No);
  box->setEscapeButton(QMessageBox::No);
  StayAboveActiveWindow(*box);
  return box->exec() == QMessageBox::Yes;
}

}  // namespace zarn
