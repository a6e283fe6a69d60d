// The seam through which every window reaches modal things: file dialogs, message boxes and the
// program-wide error box. The program uses the Qt implementation (QtDialogs.h); tests script a
// fake, so every command runs headless.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "codec/Refusal.h"

namespace zarn {

enum class EFileDialogMode { Open, Save };

struct TFileRequest {
  QString Id;  // one persistent dialog per id ("BM_Open", "PAL_Open", ...): it keeps its name
  EFileDialogMode Mode = EFileDialogMode::Open;
  QString Title;
  QStringList Filters;  // "Jedi Knight BM files (*.BM)", in order
  QString DefaultSuffix;
  // When given: the default suffix of each entry of Filters, which follows the selected entry.
  QStringList FilterSuffixes;
  // The name to start with; without it the dialog offers the name chosen last.
  std::optional<QString> PresetName;
  bool ConfirmOverwrite = false;  // save dialogs: ask before replacing a file
};

// A request with the fields every dialog sets; options and a preset name are added to it.
inline TFileRequest MakeFileRequest(const QString& id, EFileDialogMode mode, const QString& title,
                                    const QStringList& filters, const QString& defaultSuffix) {
  TFileRequest r;
  r.Id = id;
  r.Mode = mode;
  r.Title = title;
  r.Filters = filters;
  r.DefaultSuffix = defaultSuffix;
  return r;
}

struct TFileChoice {
  QString Path;
  int FilterIndex = 0;  // 0-based entry of Filters selected when the dialog closed
};

class TDialogs {
 public:
  virtual ~TDialogs() = default;
  // Runs the file dialog; nothing when the user cancels.
  virtual std::optional<TFileChoice> RunFileDialog(const TFileRequest& request) = 0;
  // Warning box: title "Warning", exclamation icon, one OK button.
  virtual void Warning(const QString& text) = 0;
  // Error box: title "Error", stop icon, one OK button.
  virtual void Error(const QString& text) = 0;
  // Question box: `title`, question icon, Yes and No buttons, No the default. True for Yes.
  virtual bool Confirm(const QString& title, const QString& text) = 0;
  // The program-wide error box for an error a command raised: the text followed by "." (unless
  // it ends with "!" already), title "Zarn", error icon, one OK button.
  virtual void ProgramError(const QString& text) = 0;
};

// The warning box of a refused file or picture, in the codec's words.
inline void WarnRefused(TDialogs& dialogs, const TRefusal& refusal) {
  dialogs.Warning(QString::fromStdString(RefusalText(refusal)));
}

}  // namespace zarn
