// The program's file dialogs and message boxes, with Qt's own (non-native) widgets.
#pragma once

#include <QFileDialog>
#include <QMessageBox>
#include <QString>
#include <map>
#include <memory>

#include "Mainwin/shell/Dialogs.h"

namespace zarn {

class TQtDialogs : public TDialogs {
 public:
  TQtDialogs();
  ~TQtDialogs() override;

  std::optional<TFileChoice> RunFileDialog(const TFileRequest& request) override;
  void Warning(const QString& text) override;
  void Error(const QString& text) override;
  void ProgramError(const QString& text) override;
  bool Confirm(const QString& title, const QString& text) override;

  // The persistent dialog of a request id, made and set up for `request` (tests drive it
  // with open() instead of exec()).
  QFileDialog& Prepare(const TFileRequest& request);

  // Builds the message box that Warning, Error and ProgramError run (tests inspect it).
  static std::unique_ptr<QMessageBox> MakeMessageBox(QMessageBox::Icon icon, const QString& title,
                                                     const QString& text);

 private:
  // What a prepared dialog returned after it was accepted: records the name and filter entry
  // that the next run offers again.
  TFileChoice Finish(const TFileRequest& request);
  struct TPersistent {
    std::unique_ptr<QFileDialog> Dialog;
    QString LastPath;            // the name chosen last, offered again
    int FilterIndex = 0;         // the filter entry chosen last
    QStringList FilterSuffixes;  // of the request shown last
  };
  void ShowBox(QMessageBox::Icon icon, const QString& title, const QString& text);

  std::map<QString, TPersistent> dialogs_;
  QString lastFolder_;  // the folder of the file chosen last in any dialog
};

}  // namespace zarn
