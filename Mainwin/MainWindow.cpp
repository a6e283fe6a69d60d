#include "Mainwin/MainWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <algorithm>
#include <utility>

#include "Mainwin/PaletteWindow.h"
#include "Mainwin/shell/BitmapImage.h"
#include "Mainwin/shell/Controls.h"
#include "Mainwin/shell/DesignScale.h"
#include "Mainwin/shell/Guard.h"
#include "Mainwin/shell/HelpContext.h"
#include "Mainwin/shell/Program.h"
#include "Mainwin/shell/Readout.h"
#include "Mainwin/shell/SpinEdit.h"
#include "codec/Refusal.h"
#include "codec/files/CodecFiles.h"
#include "codec/files/FilePaths.h"

namespace zarn {

namespace {

void AppendLines(QPlainTextEdit* memo, const std::vector<std::string>& lines) {
  for (const std::string& line : lines)
    memo->appendPlainText(QString::fromStdString(line));
}

void AddSeparator(QMenu* menu, const char* name) {
  menu->addSeparator()->setObjectName(QLatin1String(name));
}

// The panel's captions that have the least room: the information lines in their memo, the
// selector's label beside it, the buttons' captions with some room inside their buttons.
QFont PanelFont(const QWidget* window) {
  const QStyle* style = window->style();
  const int memoFrame = style->pixelMetric(QStyle::PM_DefaultFrameWidth);
  constexpr int kMemoMargin = 4;  // QTextDocument's document margin
  const int memo = 2 * (memoFrame + kMemoMargin) + 2;
  const int button = 2 * (style->pixelMetric(QStyle::PM_ButtonMargin) + memoFrame) + 8;
  return FittedDesignFont(window, {
                                      {QStringLiteral("Palette Included : Yes"), 128, memo},
                                      {QStringLiteral("Palette Included : N/A"), 128, memo},
                                      {QStringLiteral("Image :"), 40, 2},
                                      {QStringLiteral("Load Palette"), 75, button},
                                      {QStringLiteral("BM => BMP"), 75, button},
                                  });
}

// How "Export Palette..." names each kind of palette file in its dialog.
QString PaletteFileTitle(EPaletteFile kind) {
  switch (kind) {
    case EPaletteFile::Gimp:
      return QStringLiteral("GIMP palette");
    case EPaletteFile::Act:
      return QStringLiteral("Adobe colour table");
    case EPaletteFile::Jasc:
      return QStringLiteral("JASC palette");
    case EPaletteFile::Png:
      return QStringLiteral("PNG swatch");
    default:
      return QString::fromLatin1(PaletteExtension(kind));
  }
}

}  // namespace

TFileRequest TMainWindow::BMOpenRequest() {
  return MakeFileRequest(QStringLiteral("BM_Open"), EFileDialogMode::Open,
                         QStringLiteral("Open BM"), {QStringLiteral("Jedi Knight BM files (*.BM)")},
                         QStringLiteral("BM"));
}

TFileRequest TMainWindow::PalOpenRequest() {
  return MakeFileRequest(QStringLiteral("PAL_Open"), EFileDialogMode::Open,
                         QStringLiteral("Load Palette"),
                         {QStringLiteral("Load palette from CMP file (*.CMP)"),
                          QStringLiteral("Load palette from BM (*.BM)")},
                         QStringLiteral("CMP"));
}

TFileRequest TMainWindow::BMPSaveRequest(const QString& presetName, int imageCount) {
  TFileRequest r = MakeFileRequest(
      QStringLiteral("BMP_Save"), EFileDialogMode::Save, QStringLiteral("Save BMP"),
      {QStringLiteral("Windows BMP files (*.BMP)"), QStringLiteral("PNG images (*.png)")},
      QStringLiteral("BMP"));
  r.FilterSuffixes = {QStringLiteral("BMP"), QStringLiteral("png")};
  r.PresetName = presetName;
  // Several images are written under numbered names, never under the chosen one: the export
  // asks about those itself.
  r.ConfirmOverwrite = imageCount <= 1;
  return r;
}

TFileRequest TMainWindow::PalSaveRequest() {
  QStringList filters, suffixes;
  for (const EPaletteFile kind : kWrittenPaletteKinds) {
    const QString ext = QString::fromLatin1(PaletteExtension(kind));
    suffixes << ext;
    filters << QStringLiteral("%1 (*.%2)").arg(PaletteFileTitle(kind), ext);
  }
  TFileRequest r = MakeFileRequest(QStringLiteral("PAL_Save"), EFileDialogMode::Save,
                                   QStringLiteral("Export Palette"), filters, suffixes.front());
  r.FilterSuffixes = suffixes;
  r.ConfirmOverwrite = true;
  return r;
}

TMainWindow::TMainWindow(TDialogs& dialogs, THelp& help, QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs), help_(help) {
  setObjectName(QStringLiteral("MainWindow"));
  setWindowTitle(QLatin1String(kProgramTitle));
  setFont(PanelFont(this));
  SetHelpContext(this, kHelpMainWindow);

  BuildMenu();
  BuildPanel();
  BuildViewMenu();
  ApplyState(ClosedViewerState());
  ConnectCommands();
  InstallF1Help(this, help_);
  setAcceptDrops(true);

  const double k = DesignScaleFactor(this);
  const QRect outer = DesignRect(179, 98, 520, 400, k);
  move(outer.topLeft());
  resize(DesignClientSize(this, 520, 400));
}

TMainWindow::~TMainWindow() {
  // The palette window goes first: hiding it ends a highlight, which reaches this window.
  delete PaletteWindow;
}

void TMainWindow::BuildMenu() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("Menu"));
  QMenu* file = bar->addMenu(QStringLiteral("&File"));
  file->setObjectName(QStringLiteral("FileMenu"));
  OpenBM1 = AddNamedAction(file, "OpenBM1", QStringLiteral("&Open BM"));
  NewBM1 = AddNamedAction(file, "NewBM1", QStringLiteral("&New BM"));
  Close1 = AddNamedAction(file, "Close1", QStringLiteral("&Close BM"));
  ExportPal1 = AddNamedAction(file, "ExportPal1", QStringLiteral("&Export Palette..."));
  AddSeparator(file, "N1");
  Exit = AddNamedAction(file, "Exit", QStringLiteral("E&xit"));
  QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
  edit->setObjectName(QStringLiteral("EditMenu"));
  CopyImage1 = AddNamedAction(edit, "CopyImage1", QStringLiteral("&Copy Image"));
  CopyImage1->setShortcut(QKeySequence::Copy);
  QMenu* helpMenu = bar->addMenu(QStringLiteral("&Help"));
  helpMenu->setObjectName(QStringLiteral("Help1"));
  Overview1 = AddNamedAction(helpMenu, "Overview1", QStringLiteral("&Overview"));
  Contents1 = AddNamedAction(helpMenu, "Contents1", QStringLiteral("&Contents"));
  AddSeparator(helpMenu, "N2");
  About1 = AddNamedAction(helpMenu, "About1", QStringLiteral("&About"));
}

void TMainWindow::BuildViewMenu() {
  // Between Edit and Help: the image area's zoom commands, then every step, the current one
  // checked, then the inspector's commands.
  QMenu* view = new QMenu(QStringLiteral("&View"), this);
  view->setObjectName(QStringLiteral("ViewMenu"));
  menuBar()->insertMenu(menuBar()->actions().at(2), view);
  view->addAction(ScrollBox1->ZoomInAction());
  view->addAction(ScrollBox1->ZoomOutAction());
  view->addAction(ScrollBox1->ActualSizeAction());
  AddSeparator(view, "N3");
  auto* steps = new QActionGroup(view);
  ZoomSteps = steps;
  for (const int step : kZoomSteps) {
    QAction* action = view->addAction(QStringLiteral("%1 %").arg(step));
    action->setObjectName(QStringLiteral("Zoom%1").arg(step));
    action->setCheckable(true);
    action->setChecked(step == ScrollBox1->Zoom());
    action->setData(step);
    steps->addAction(action);
    connect(action, &QAction::triggered, this, [this, step] { ScrollBox1->SetZoom(step); });
  }
  connect(ScrollBox1, &TImageBox::ZoomChanged, steps, [steps](int percent) {
    for (QAction* action : steps->actions())
      if (action->data().toInt() == percent) action->setChecked(true);
  });
  AddSeparator(view, "N4");
  Palette1 = AddNamedAction(view, "Palette1", QStringLiteral("&Palette"));
  ShowTransparency1 =
      AddNamedAction(view, "ShowTransparency1", QStringLiteral("Show &Transparency"));
  ShowTransparency1->setCheckable(true);
}

void TMainWindow::BuildPanel() {
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("Client"));
  const TSidePanel side = MakeSidePanel(client, 160);
  Panel1 = side.Panel;

  Image = new TImageView;
  Image->setObjectName(QStringLiteral("Image"));
  const QSize initial = DesignSize(this, 105, 105);
  Image->SetImageSize(initial.width(), initial.height());
  ScrollBox1 = new TImageBox(Image, client);
  ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
  // The read-out bar sits under the image area; the panel keeps the whole height.
  StatusBar = new TReadoutBar(ScrollBox1, side.Row, client);
  setCentralWidget(client);

  MakeLabel(Panel1, "Label1", QStringLiteral("BM Info :"), 16, 88);

  BMInfo = new QPlainTextEdit(Panel1);
  BMInfo->setObjectName(QStringLiteral("BMInfo"));
  BMInfo->setReadOnly(true);
  // Read-only, yet the caret shows where the keyboard is: the memo's mark of focus.
  BMInfo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  BMInfo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  BMInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  BMInfo->setTabChangesFocus(true);
  Place(BMInfo, 16, 104, 128, 96);

  BBbm2bmp = new QPushButton(QStringLiteral("BM => BMP"), Panel1);
  BBbm2bmp->setObjectName(QStringLiteral("BBbm2bmp"));
  Place(BBbm2bmp, 40, 48, 75, 25);
  SetHelpContext(BBbm2bmp, kHelpExport);

  BBLoadPal = new QPushButton(QStringLiteral("Load Palette"), Panel1);
  BBLoadPal->setObjectName(QStringLiteral("BBLoadPal"));
  Place(BBLoadPal, 40, 16, 75, 25);
  SetHelpContext(BBLoadPal, kHelpLoadPalette);

  MakeLabel(Panel1, "Label2", QStringLiteral("Image :"), 16, 220);

  SEImageNum = MakeSpinEdit(Panel1, "SEImageNum", 0, 0, 56, 216, 48);

  ImageInfo = new QPlainTextEdit(Panel1);
  ImageInfo->setObjectName(QStringLiteral("ImageInfo"));
  ImageInfo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  ImageInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  ImageInfo->setTabChangesFocus(true);
  Place(ImageInfo, 16, 248, 128, 48);
  // A file dropped on the memo goes to the window, not into the memo's text.
  ImageInfo->setAcceptDrops(false);

  BBHelp = MakeHelpButton(Panel1);
  // Alt+H opens the Help menu; the button answers to a click, F1, Tab and the space bar.
  BBHelp->setShortcut(QKeySequence());
  Place(BBHelp, 40, 312, 80, 25);
  // The help glyph comes from the icon theme, whose first look-up costs more than the rest of
  // the window together; it is fetched once the event loop runs, after the window is up.
  QMetaObject::invokeMethod(
      BBHelp, [this] { BBHelp->setIcon(HelpGlyph(this)); }, Qt::QueuedConnection);

  // The panel's controls, in tab order; the image area takes no focus.
  setTabOrder(BMInfo, BBbm2bmp);
  setTabOrder(BBbm2bmp, BBLoadPal);
  setTabOrder(BBLoadPal, SEImageNum);
  setTabOrder(SEImageNum, ImageInfo);
  setTabOrder(ImageInfo, BBHelp);
  ScrollBox1->setFocusPolicy(Qt::NoFocus);
}

void TMainWindow::ConnectCommands() {
  connect(OpenBM1, &QAction::triggered, this, Guarded(dialogs_, [this] { OpenBM1Click(); }));
  connect(NewBM1, &QAction::triggered, this, Guarded(dialogs_, [this] { NewBM1Click(); }));
  connect(Close1, &QAction::triggered, this, Guarded(dialogs_, [this] { Close1Click(); }));
  connect(ExportPal1, &QAction::triggered, this,
          Guarded(dialogs_, [this] { ExportPal1Click(); }));
  connect(Exit, &QAction::triggered, this, Guarded(dialogs_, [this] { ExitClick(); }));
  connect(Overview1, &QAction::triggered, this, Guarded(dialogs_, [this] { Overview1Click(); }));
  connect(Contents1, &QAction::triggered, this, Guarded(dialogs_, [this] { Contents1Click(); }));
  connect(About1, &QAction::triggered, this, Guarded(dialogs_, [this] { About1Click(); }));
  connect(BBLoadPal, &QPushButton::clicked, this, Guarded(dialogs_, [this] { BBLoadPalClick(); }));
  connect(BBbm2bmp, &QPushButton::clicked, this, Guarded(dialogs_, [this] { BBbm2bmpClick(); }));
  connect(BBHelp, &QPushButton::clicked, this, Guarded(dialogs_, [this] { BBHelpClick(); }));
  connect(SEImageNum, &TSpinEdit::UserChanged, this,
          Guarded(dialogs_, [this] { SEImageNumChange(); }));
  connect(CopyImage1, &QAction::triggered, this, Guarded(dialogs_, [this] { CopyImage1Click(); }));
  connect(Palette1, &QAction::triggered, this, Guarded(dialogs_, [this] { Palette1Click(); }));
  connect(ShowTransparency1, &QAction::triggered, this,
          Guarded(dialogs_, [this] { ShowTransparency1Click(); }));
}

void TMainWindow::ApplyState(const TViewerState& state) {
  OpenBM1->setEnabled(state.OpenBM);
  NewBM1->setEnabled(state.NewBM);
  Close1->setEnabled(state.Close);
  BBLoadPal->setEnabled(state.LoadPalette);
  ExportPal1->setEnabled(state.ExportPalette);
  BBbm2bmp->setEnabled(state.Export);
  SEImageNum->setEnabled(state.ImageSelector);
  SEImageNum->setRange(state.SelectorMin, state.SelectorMax);
  SEImageNum->setValue(state.SelectorValue);
  ScrollBox1->SetZoomEnabled(state.ImageShown());
  ZoomSteps->setEnabled(state.ImageShown());
  ShowTransparency1->setEnabled(state.ImageShown());
  CopyImage1->setEnabled(state.ImageShown());
}

void TMainWindow::ClearShownImage() {
  Image->SetImageSize(0, 0);
  ImageInfo->clear();
  Inspect({});
}

TInspected TMainWindow::ShownInspected() const {
  const int count = ImageCountOf(document_.Header);
  if (!imagesDecoded_ || count == 0) return {};
  const int n = std::clamp(SEImageNum->Value(), 0, count - 1);
  // Every decoded 8-bit image shows the document's palette: its own or the one loaded.
  return InspectBMImage(document_.Images[static_cast<std::size_t>(n)], document_.Header,
                        &document_.Palette);
}

void TMainWindow::Inspect(const TInspected& image) {
  StatusBar->SetInspected(image);
  if (PaletteWindow) PaletteWindow->SetImage(image);
  if (!PaletteWindow || !PaletteWindow->HasPalette()) marks_.Highlight = -1;
  Image->SetMarks(image, marks_);
}

TViewerState TMainWindow::ShownState() const {
  TViewerState s;
  s.OpenBM = OpenBM1->isEnabled();
  s.NewBM = NewBM1->isEnabled();
  s.Close = Close1->isEnabled();
  s.LoadPalette = BBLoadPal->isEnabled();
  s.ExportPalette = ExportPal1->isEnabled();
  s.Export = BBbm2bmp->isEnabled();
  s.ImageSelector = SEImageNum->isEnabled();
  s.SelectorMin = SEImageNum->minimum();
  s.SelectorMax = SEImageNum->maximum();
  s.SelectorValue = SEImageNum->value();
  return s;
}

void TMainWindow::OpenBM1Click() {
  TFileRequest request = BMOpenRequest();
  request.PresetName = std::exchange(openPreset_, std::nullopt);
  const std::optional<TFileChoice> choice = dialogs_.RunFileDialog(request);
  if (!choice) return;
  OpenPath(choice->Path.toStdString());
}

void TMainWindow::OpenFromCommandLine(const QString& path) {
  // The caption shows the whole path, as it does for a file chosen in the Open dialog.
  const QString absolute =
      QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
  openPreset_ = absolute;
  RunGuarded(dialogs_, [&] { OpenPath(absolute.toStdString()); });
}

void TMainWindow::OpenPath(const std::string& path) {
  // Only regular files are read: a pipe or a device could keep the window waiting for ever.
  // A BM the reader refuses for a limit it is over is named by that limit.
  const auto refusal =
      IsRegularFile(path) ? ReadDocument(document_, path) : TRefusal{.Reason = ERefusal::InvalidBM};
  if (refusal) {
    WarnRefused(dialogs_, *refusal);
    return;
  }
  ShowReadDocument(path, KindOf(document_.Header), EInfoStyle::Opened);
}

void TMainWindow::ShowReadDocument(const std::string& path, EBMKind kind, EInfoStyle style) {
  // The inspector lets go of the images just replaced before anything else can happen.
  Inspect({});
  const TViewerState opened = OpenedViewerState(kind, ImageCountOf(document_.Header));
  // Until every image is decoded, neither the selector nor the export is offered: a decoding
  // error ends the command with the BM open and only Close BM to go on with.
  TViewerState decoding = opened;
  decoding.ImageSelector = false;
  decoding.Export = false;
  imagesDecoded_ = false;
  ApplyState(decoding);

  DecodeForKind(document_, kind);
  imagesDecoded_ = kind == EBMKind::Paletted8 || kind == EBMKind::Colour16;
  ApplyState(opened);
  if (imagesDecoded_) SEImageNumChange();

  setWindowTitle(CaptionFor(QString::fromStdString(path)));
  AppendLines(BMInfo, InfoLines(document_.Header, style));
  document_.BaseName = FileNamePart(path);
}

void TMainWindow::BBLoadPalClick() {
  const std::optional<TFileChoice> choice = dialogs_.RunFileDialog(PalOpenRequest());
  if (!choice) return;
  // The filter entry, not the file's extension, picks the reader.
  if (const auto kind = LoadPaletteKind(choice->FilterIndex)) {
    LoadPalette(choice->Path.toStdString(), *kind);
  }
}

void TMainWindow::ExportPal1Click() {
  const std::optional<TFileChoice> choice = dialogs_.RunFileDialog(PalSaveRequest());
  if (!choice) return;
  // A file that cannot be written throws: the guard reports it.
  WritePaletteFile(PathFromUtf8(PaletteExportPath(choice->Path.toStdString(), choice->FilterIndex)),
                   document_.Palette);
}

void TMainWindow::LoadPalette(const std::string& path, EPaletteFile kind) {
  // The reader's warning first, then the error: two boxes in a row.
  if (const auto refusal = LoadDocumentPalette(document_, path, kind)) {
    WarnRefused(dialogs_, *refusal);
    dialogs_.Error(QString::fromLatin1(kErrorRetrievingPalette));
    return;
  }
  imagesDecoded_ = false;
  DecodeDocument8(document_);
  imagesDecoded_ = true;
  ApplyState(PaletteLoadedViewerState(ImageCountOf(document_.Header)));
  SEImageNumChange();
}

void TMainWindow::SEImageNumChange() {
  const int count = ImageCountOf(document_.Header);
  if (!imagesDecoded_ || count == 0) {
    // Nothing of this BM can be shown, and nothing of an earlier one may be.
    ClearShownImage();
    return;
  }
  // A typed number outside the range shows the nearest image.
  const int n = std::clamp(SEImageNum->Value(), 0, count - 1);
  const TBitmap& bitmap = document_.Bitmaps[static_cast<std::size_t>(n)];
  Image->ShowBitmap(bitmap);
  ImageInfo->clear();
  AppendLines(ImageInfo, ImageSizeLines(bitmap.Width(), bitmap.Height()));
  Inspect(ShownInspected());
}

void TMainWindow::BBbm2bmpClick() {
  const QString preset =
      QString::fromStdString(DefaultExportName(document_.ExportDir, document_.BaseName));
  const int count = ImageCountOf(document_.Header);
  const std::optional<TFileChoice> choice = dialogs_.RunFileDialog(BMPSaveRequest(preset, count));
  if (!choice) return;
  const std::string chosen = choice->Path.toStdString();
  const std::vector<std::string> existing = ExistingExportFiles(chosen, count);
  if (!existing.empty() && !dialogs_.Confirm(QStringLiteral("Save BMP"),
                                             QString::fromStdString(ReplaceQuestion(existing))))
    return;
  ExportDocument(document_, chosen, EDurability::Synced,
                 ExportFormatFor(chosen, choice->FilterIndex));
}

void TMainWindow::Close1Click() {
  setWindowTitle(QLatin1String(kProgramTitle));
  BMInfo->clear();
  ImageInfo->clear();
  Image->SetImageSize(0, 0);
  ScrollBox1->ActualSize();
  imagesDecoded_ = false;
  Inspect({});
  // The selector keeps its range and value while it is disabled.
  TViewerState closed = ClosedViewerState();
  closed.SelectorMin = SEImageNum->minimum();
  closed.SelectorMax = SEImageNum->maximum();
  closed.SelectorValue = SEImageNum->value();
  ApplyState(closed);
}

void TMainWindow::CopyImage1Click() {
  const QImage image = ImageToCopy();
  if (!image.isNull()) QGuiApplication::clipboard()->setImage(image);
}

QImage TMainWindow::ImageToCopy() const {
  return CopyableImage(*Image, ShownInspected(), marks_.Transparency);
}

void TMainWindow::Palette1Click() {
  if (!PaletteWindow) {
    PaletteWindow = new TPaletteWindow(this);
    connect(PaletteWindow, &TPaletteWindow::HighlightChanged, this, [this](int index) {
      marks_.Highlight = index;
      Image->SetMarks(StatusBar->Inspected(), marks_);
    });
    PaletteWindow->SetImage(StatusBar->Inspected());
    // Beside the main window's right edge, where it hides none of the picture's top-left, as
    // far as the screen allows.
    QPoint at = frameGeometry().topRight() + QPoint(8, 0);
    if (const QScreen* s = screen()) {
      const QRect room = s->availableGeometry();
      const QSize size = PaletteWindow->sizeHint();
      at.setX(std::max(room.left(), std::min(at.x(), room.right() + 1 - size.width())));
      at.setY(std::max(room.top(), std::min(at.y(), room.bottom() + 1 - size.height())));
    }
    PaletteWindow->move(at);
  }
  PaletteWindow->show();
  PaletteWindow->raise();
}

void TMainWindow::ShowTransparency1Click() {
  marks_.Transparency = ShowTransparency1->isChecked();
  Image->SetMarks(StatusBar->Inspected(), marks_);
}

void TMainWindow::NewBM1Click() {
  if (newBMWindow_) newBMWindow_->exec();
}

void TMainWindow::ExitClick() {
  close();
}

void TMainWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  // The program ends with its main window, whatever other windows (help) are still open.
  QCoreApplication::quit();
}

void TMainWindow::Overview1Click() {
  help_.ShowTopic("Overview");
}

void TMainWindow::Contents1Click() {
  help_.ShowContents();
}

void TMainWindow::About1Click() {
  if (aboutWindow_) aboutWindow_->exec();
}

void TMainWindow::BBHelpClick() {
  help_.ShowContext(HelpContextOf(BBHelp));
}

}  // namespace zarn
