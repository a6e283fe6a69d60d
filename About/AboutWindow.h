// The About window: the program's name, version and credits on black, shown modally by the main
// window's About command, closed by its OK button or Enter.
#pragma once

#include <QDialog>

namespace zarn {

class TAboutWindow : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutWindow(QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;
  // Only OK (or Enter, its default button) closes the window; Escape does not.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void LoadArtwork();
  bool artworkLoaded_ = false;
};

}  // namespace zarn
