// The new-BM window: the user picks the kind of BM and its options, gathers source BMP files in
// an ordered list, previews them, and creates the BM, which the viewer then shows as if it had
// been opened. The checks and the writing are BMCreator's; this window only wires the controls.
#pragma once

#include <QDialog>
#include <QListWidgetItem>
#include <QString>
#include <vector>

#include "Bmp2Bm/BMCreator.h"
#include "Mainwin/BMViewer.h"
#include "Mainwin/Dialogs.h"
#include "Mainwin/Help.h"
#include "codec/Bitmap.h"

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QShowEvent;

namespace zarn {

class TSpinEdit;

// One entry of the source list: the path as the open dialog returned it (the text shown) and
// the bitmap loaded from that file. The entry owns its bitmap; it goes with the entry.
class TSourceItem : public QListWidgetItem {
 public:
  TSourceItem(const QString& path, TBitmap bitmap);
  const TBitmap& Bitmap() const { return bitmap_; }

 private:
  TBitmap bitmap_;
};

class TNewBMWindow : public QDialog {
  Q_OBJECT

 public:
  TNewBMWindow(TBMViewer& viewer, TDialogs& dialogs, THelp& help, QWidget* parent = nullptr);
  ~TNewBMWindow() override;

  // The handlers, each run by its control as the user works the window (guarded there).
  // They are public so that tests can drive the window without a display.
  void FormShow();
  void RB8bitClick();
  void RB16bitClick();
  void Add1Click();
  void Insert1Click();
  void Remove1Click();
  void Clear1Click();
  void FileListClick();
  void BBHelpClick();
  void BBOkClick();

  // The kind of BM the radio buttons choose.
  EBMMode Mode() const;
  // The options as the controls show them now (spin edits read from their text).
  TCreateOptions Options() const;
  // The entries' bitmaps, top to bottom.
  std::vector<const TBitmap*> Sources() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildControls();
  void UpdateListState();
  TSourceItem* CurrentSource() const;
  // Runs BMP_Open, checks and loads the chosen file; nullptr when cancelled or refused.
  TSourceItem* OfferSource();

  TBMViewer& viewer_;
  TDialogs& dialogs_;
  THelp& help_;

  QFrame* Panel1_ = nullptr;
  QRadioButton* RB8bit_ = nullptr;
  QRadioButton* RB16bit_ = nullptr;
  QLabel* Label3_ = nullptr;
  TSpinEdit* SEXoff_ = nullptr;
  QLabel* Label4_ = nullptr;
  TSpinEdit* SEYoff_ = nullptr;
  QLabel* Label5_ = nullptr;
  TSpinEdit* SETranspClr_ = nullptr;
  QLabel* LabelRed_ = nullptr;
  TSpinEdit* SERed_ = nullptr;
  QLabel* LabelGreen_ = nullptr;
  TSpinEdit* SEGreen_ = nullptr;
  QLabel* LabelBlue_ = nullptr;
  TSpinEdit* SEBlue_ = nullptr;
  QCheckBox* CBIncPal_ = nullptr;
  QLabel* Label1_ = nullptr;
  QListWidget* FileList_ = nullptr;
  QLabel* Label2_ = nullptr;
  QPushButton* BBOk_ = nullptr;
  QPushButton* BitBtn2_ = nullptr;
  QPushButton* BBHelp_ = nullptr;
  QScrollArea* ScrollBox1_ = nullptr;
  QWidget* BMPDisp_ = nullptr;
  QMenu* BMPmenu_ = nullptr;
  QAction* Add1_ = nullptr;
  QAction* Insert1_ = nullptr;
  QAction* Remove1_ = nullptr;
  QAction* Clear1_ = nullptr;
  // Set while the window changes the list itself, so that only the user's changes of the
  // selection update the preview.
  bool listChanging_ = false;
};

}  // namespace zarn
