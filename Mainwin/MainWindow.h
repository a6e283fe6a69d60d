// The main window: the viewer of BM files and home of every command of the program. It holds
// the one document; the commands' display-free logic is BMDocument's, the windows reach file
// dialogs, message boxes and help through TDialogs and THelp.
#pragma once

#include <QDialog>
#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <optional>
#include <string>

#include "Mainwin/core/BMDocument.h"
#include "Mainwin/core/BMViewer.h"
#include "Mainwin/core/DroppedFile.h"
#include "Mainwin/core/PictureProbe.h"
#include "Mainwin/shell/Dialogs.h"
#include "Mainwin/shell/Help.h"

class QAction;
class QActionGroup;
class QMimeData;

class QFrame;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace zarn {

class TImageBox;
class TImageView;
class TPaletteWindow;
class TReadoutBar;
class TSpinEdit;

class TMainWindow : public QMainWindow, public TBMViewer {
  Q_OBJECT

 public:
  TMainWindow(TDialogs& dialogs, THelp& help, QWidget* parent = nullptr);
  ~TMainWindow() override;

  // The windows that "New BM" and "About" show modally.
  void SetNewBMWindow(QDialog* window) { newBMWindow_ = window; }
  void SetAboutWindow(QDialog* window) { aboutWindow_ = window; }

  // TBMViewer
  TBMDocument& Document() override { return document_; }
  void ShowReadDocument(const std::string& path, EBMKind kind, EInfoStyle style) override;

  // The enabled states and the image selector as the controls show them now.
  TViewerState ShownState() const;

  // What Copy Image puts on the clipboard: the shown image at its own size, an 8-bit one with
  // its indices and palette; with Show Transparency on, transparent pixels as the
  // checkerboard. A null image when none is shown.
  QImage ImageToCopy() const;

  // The three file dialogs of the window.
  static TFileRequest BMOpenRequest();
  static TFileRequest PalOpenRequest();
  static TFileRequest PalSaveRequest();
  static TFileRequest BMPSaveRequest(const QString& presetName, int imageCount);

  // Opens a BM named on the program's command line exactly as "Open BM" opens a chosen file;
  // the next Open dialog offers that name.
  void OpenFromCommandLine(const QString& path);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // The commands, each run guarded by its control.
  void OpenBM1Click();
  void NewBM1Click();
  void ExportPal1Click();
  void Close1Click();
  void ExitClick();
  void BBLoadPalClick();
  void BBbm2bmpClick();
  void SEImageNumChange();
  void Overview1Click();
  void Contents1Click();
  void About1Click();
  void BBHelpClick();
  void CopyImage1Click();
  void Palette1Click();
  void ShowTransparency1Click();

  // Drops: what a dropped file would do now, and doing it (guarded, as a command).
  EDropAction DropActionFor(const QString& path) const;
  void DropFile(const QString& path);
  // The one local file that dropped data names, or an empty text.
  static QString DroppedPath(const QMimeData* data);

  void BuildMenu();
  void BuildPanel();
  void BuildViewMenu();  // needs the image area
  void ConnectCommands();
  // Sets every command's enabled state and the image selector's range and value: the one place
  // where the window takes on a viewer state.
  void ApplyState(const TViewerState& state);
  void ClearShownImage();
  // Hands the shown image (or nothing) to the read-out, the palette window and the marks.
  void Inspect(const TInspected& image);
  // The image shown now, as the inspector sees it; empty when none is.
  TInspected ShownInspected() const;
  void OpenPath(const std::string& path);  // read, then shown or refused with a warning
  void LoadPalette(const std::string& path, EPaletteFile kind);

  TDialogs& dialogs_;
  THelp& help_;
  TBMDocument document_;  // its 21 display bitmaps are made here, empty, slot 0 first
  // True while display bitmaps 0 to ImageCount - 1 hold the open BM's images.
  bool imagesDecoded_ = false;
  QPointer<QDialog> newBMWindow_;
  QPointer<QDialog> aboutWindow_;
  // The name the next Open dialog starts with, after a BM was opened from the command line.
  std::optional<QString> openPreset_;
  // Show Transparency and the palette window's highlight, over whatever image is shown.
  TMarks marks_;

  QAction* OpenBM1 = nullptr;
  QAction* NewBM1 = nullptr;
  QAction* Close1 = nullptr;
  QAction* ExportPal1 = nullptr;
  QAction* Exit = nullptr;
  QAction* Overview1 = nullptr;
  QAction* Contents1 = nullptr;
  QAction* About1 = nullptr;
  QAction* CopyImage1 = nullptr;
  QAction* Palette1 = nullptr;
  QAction* ShowTransparency1 = nullptr;
  QActionGroup* ZoomSteps = nullptr;
  QFrame* Panel1 = nullptr;
  QPlainTextEdit* BMInfo = nullptr;
  QPushButton* BBbm2bmp = nullptr;
  QPushButton* BBLoadPal = nullptr;
  TSpinEdit* SEImageNum = nullptr;
  QPlainTextEdit* ImageInfo = nullptr;
  QPushButton* BBHelp = nullptr;
  TImageBox* ScrollBox1 = nullptr;
  TImageView* Image = nullptr;
  TReadoutBar* StatusBar = nullptr;
  TPaletteWindow* PaletteWindow = nullptr;  // made when first shown
};

}  // namespace zarn
