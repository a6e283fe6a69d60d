// The new-BM window: the user picks the kind of BM and its options, gathers source BMP files in
// an ordered list, previews them, and creates the BM, which the viewer then shows as if it had
// been opened. The checks and the writing are BMCreator's; this window only wires the controls.
#pragma once

#include <QDialog>
#include <QListWidgetItem>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "Bmp2Bm/core/BMCreator.h"
#include "Mainwin/core/BMViewer.h"
#include "Mainwin/shell/Dialogs.h"
#include "Mainwin/shell/Help.h"
#include "codec/Bitmap.h"

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;
class QShowEvent;

namespace zarn {

class TImageBox;
class TImageView;
class TMapControls;
class TReadoutBar;
class TSpinEdit;

// One entry of the source list: the path as the open dialog returned it (the text shown) and
// the bitmap loaded from that file. The entry owns its bitmap; it goes with the entry.
class TSourceItem : public QListWidgetItem {
 public:
  TSourceItem(const QString& path, TSourceImage source);
  // A source taken by its colours: its bitmap is made by Convert.
  TSourceItem(const QString& path, TColourPicture colours);
  const TBitmap& Bitmap() const { return source_.Bitmap; }
  // A PNG's clear pixels take the transparent colour chosen when the BM is created.
  TSourceImage& Source() { return source_; }
  // True for a source taken by its colours.
  bool Converted() const { return colours_.has_value(); }
  // Makes the bitmap of a source taken by its colours anew with these options.
  void Convert(const TCreateOptions& options);

 private:
  TSourceImage source_;
  std::optional<TColourPicture> colours_;
};

class TNewBMWindow : public QDialog {
  Q_OBJECT

 public:
  TNewBMWindow(TBMViewer& viewer, TDialogs& dialogs, THelp& help, QWidget* parent = nullptr);
  ~TNewBMWindow() override;

  // The kind of BM the radio buttons choose.
  EBMMode Mode() const;
  // The options as the controls show them now (each spin edit's value read from its text).
  TCreateOptions Options() const;
  // The entries' bitmaps, top to bottom.
  std::vector<const TBitmap*> Sources() const;

  // The window's two file dialogs.
  static TFileRequest BMPOpenRequest();
  static TFileRequest BMSaveRequest();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The handlers, each run by its control as the user works the window (guarded there).
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
  void Paste1Click();

  void BuildControls();
  // The window's font narrowed until every caption fits, and the buttons' glyphs.
  void FitFontAndGlyphs();
  void ConnectCommands();
  // Derives the enabled states from the list: the mode choices only while it is empty,
  // Insert, Remove, Clear and Create BM only while it is not.
  void UpdateListState();
  // Shows the transparent-colour controls of the mode and hides the other mode's.
  void ShowColourControls(EBMMode mode);
  TSourceItem* CurrentSource() const;
  // Runs BMP_Open, checks the chosen file and loads its bitmap: the new entry, or nothing when
  // the dialog was cancelled or the file refused (with its warning shown).
  std::unique_ptr<TSourceItem> OfferSource();
  // An entry named `name` for a source that passed its check.
  std::unique_ptr<TSourceItem> MakeEntry(const QString& name, TSourceImage source);
  // The same for a source taken by its colours, converted with the options shown.
  std::unique_ptr<TSourceItem> MakeEntry(const QString& name, TColourPicture colours);
  // Gives a new entry its tooltip and height.
  std::unique_ptr<TSourceItem> FinishEntry(std::unique_ptr<TSourceItem> entry);
  void AppendEntry(std::unique_ptr<TSourceItem> entry);
  // Hands the previewed picture to the read-out, with the transparent index or colour now set.
  void InspectPreview();
  // Makes every source taken by its colours again with the options shown, and the preview.
  void ConvertSources();

  TBMViewer& viewer_;
  TDialogs& dialogs_;
  THelp& help_;

  QFrame* Panel1 = nullptr;
  QRadioButton* RB8bit = nullptr;
  QRadioButton* RB16bit = nullptr;
  QLabel* Label3 = nullptr;
  TSpinEdit* SEXoff = nullptr;
  QLabel* Label4 = nullptr;
  TSpinEdit* SEYoff = nullptr;
  QLabel* Label5 = nullptr;
  TSpinEdit* SETranspClr = nullptr;
  QLabel* LabelRed = nullptr;
  TSpinEdit* SERed = nullptr;
  QLabel* LabelGreen = nullptr;
  TSpinEdit* SEGreen = nullptr;
  QLabel* LabelBlue = nullptr;
  TSpinEdit* SEBlue = nullptr;
  QCheckBox* CBIncPal = nullptr;
  QLabel* Label1 = nullptr;
  QListWidget* FileList = nullptr;
  QLabel* Label2 = nullptr;
  QPushButton* BBOk = nullptr;
  QPushButton* BitBtn2 = nullptr;
  QPushButton* BBHelp = nullptr;
  TImageBox* ScrollBox1 = nullptr;
  TImageView* BMPDisp = nullptr;
  std::unique_ptr<TMapControls> map_;
  QMenu* BMPmenu = nullptr;
  QAction* Add1 = nullptr;
  QAction* Insert1 = nullptr;
  QAction* Remove1 = nullptr;
  QAction* Clear1 = nullptr;
  QAction* Paste1 = nullptr;
  TReadoutBar* PreviewBar = nullptr;
  // The previewed picture, a copy that outlives its entry, and the read-out's view of it.
  TBitmap previewBitmap_;
  std::vector<std::uint8_t> previewScratch_;
  TPicture previewPicture_;          // holds the colour table the read-out points into
  int pasted_ = 0;                   // clipboard pictures pasted since the window was shown
  QObject* listViewport_ = nullptr;  // where the right button is kept from selecting
  // Set while the window changes the list itself, so that only the user's changes of the
  // selection update the preview.
  bool listChanging_ = false;
  bool fitted_ = false;
};

}  // namespace zarn
