#include "Mainwin/MainWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <algorithm>

#include "Mainwin/shell/BitmapImage.h"
#include "Mainwin/shell/DesignScale.h"
#include "Mainwin/shell/Guard.h"
#include "Mainwin/shell/HelpContext.h"
#include "Mainwin/shell/SpinEdit.h"
#include "codec/Messages.h"

namespace zarn {

namespace {

// The palette readers warn through this: a warning box of the program.
class TWarningBoxes : public TMessageSink {
 public:
  explicit TWarningBoxes(TDialogs& dialogs) : dialogs_(dialogs) {}
  void Warning(const std::string& text) override { dialogs_.Warning(QString::fromStdString(text)); }

 private:
  TDialogs& dialogs_;
};

void AppendLines(QPlainTextEdit* memo, const std::vector<std::string>& lines) {
  for (const std::string& line : lines)
    memo->appendPlainText(QString::fromStdString(line));
}

QAction* AddAction(QMenu* menu, const char* name, const QString& caption) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(QLatin1String(name));
  return action;
}

void AddSeparator(QMenu* menu, const char* name) {
  menu->addSeparator()->setObjectName(QLatin1String(name));
}

// The outer size of the design includes a frame of 4 pixels on each side and a title bar of
// 19 pixels, which the window system adds around the client area.
constexpr int kDesignFrameWidth = 8;
constexpr int kDesignFrameHeight = 27;

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

TFileRequest TMainWindow::BMPSaveRequest(const QString& presetName) {
  TFileRequest r =
      MakeFileRequest(QStringLiteral("BMP_Save"), EFileDialogMode::Save, QStringLiteral("Save BMP"),
                      {QStringLiteral("Windows BMP files (*.BMP)")}, QStringLiteral("BMP"));
  r.PresetName = presetName;
  r.ConfirmOverwrite = true;
  return r;
}

TMainWindow::TMainWindow(TDialogs& dialogs, THelp& help, QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs), help_(help) {
  setObjectName(QStringLiteral("MainWindow"));
  setWindowTitle(QLatin1String(kProgramTitle));
  setFont(DesignFont(this));
  SetHelpContext(this, kHelpMainWindow);

  BuildMenu();
  BuildPanel();
  BuildViewMenu();
  ConnectCommands();
  InstallF1Help(this, help_);

  const double k = DesignScaleFactor(this);
  const QRect outer = DesignRect(179, 98, 520, 400, k);
  move(outer.topLeft());
  resize(DesignSize(this, 520 - kDesignFrameWidth, 400 - kDesignFrameHeight));
}

TMainWindow::~TMainWindow() = default;

void TMainWindow::BuildMenu() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("Menu"));
  QMenu* file = bar->addMenu(QStringLiteral("&File"));
  file->setObjectName(QStringLiteral("FileMenu"));
  OpenBM1 = AddAction(file, "OpenBM1", QStringLiteral("&Open BM"));
  NewBM1 = AddAction(file, "NewBM1", QStringLiteral("&New BM"));
  Close1 = AddAction(file, "Close1", QStringLiteral("&Close BM"));
  AddSeparator(file, "N1");
  Exit = AddAction(file, "Exit", QStringLiteral("E&xit"));
  QMenu* helpMenu = bar->addMenu(QStringLiteral("&Help"));
  helpMenu->setObjectName(QStringLiteral("Help1"));
  Overview1 = AddAction(helpMenu, "Overview1", QStringLiteral("&Overview"));
  Contents1 = AddAction(helpMenu, "Contents1", QStringLiteral("&Contents"));
  AddSeparator(helpMenu, "N2");
  About1 = AddAction(helpMenu, "About1", QStringLiteral("&About"));
  Close1->setEnabled(false);
}

void TMainWindow::BuildViewMenu() {
  // Between File and Help: the image area's zoom commands, then every step, the current one
  // checked.
  QMenu* view = new QMenu(QStringLiteral("&View"), this);
  view->setObjectName(QStringLiteral("ViewMenu"));
  menuBar()->insertMenu(menuBar()->actions().at(1), view);
  view->addAction(ScrollBox1->ZoomInAction());
  view->addAction(ScrollBox1->ZoomOutAction());
  view->addAction(ScrollBox1->ActualSizeAction());
  AddSeparator(view, "N3");
  auto* steps = new QActionGroup(view);
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
}

void TMainWindow::BuildPanel() {
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("Client"));
  auto* layout = new QHBoxLayout(client);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  Panel1 = new QFrame(client);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel1->setLineWidth(1);
  Panel1->setFixedWidth(DesignSize(this, 160, 0).width());
  layout->addWidget(Panel1);

  Image = new TImageView;
  Image->setObjectName(QStringLiteral("Image"));
  const QSize initial = DesignSize(this, 105, 105);
  Image->SetImageSize(initial.width(), initial.height());
  ScrollBox1 = new TImageBox(Image, client);
  ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
  layout->addWidget(ScrollBox1, 1);
  setCentralWidget(client);

  auto* label1 = new QLabel(QStringLiteral("BM Info :"), Panel1);
  label1->setObjectName(QStringLiteral("Label1"));
  label1->adjustSize();
  PlaceAt(label1, 16, 88);

  BMInfo = new QPlainTextEdit(Panel1);
  BMInfo->setObjectName(QStringLiteral("BMInfo"));
  BMInfo->setReadOnly(true);
  BMInfo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  BMInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Place(BMInfo, 16, 104, 128, 96);

  BBbm2bmp = new QPushButton(QStringLiteral("BM => BMP"), Panel1);
  BBbm2bmp->setObjectName(QStringLiteral("BBbm2bmp"));
  Place(BBbm2bmp, 40, 48, 75, 25);
  SetHelpContext(BBbm2bmp, kHelpExport);

  BBLoadPal = new QPushButton(QStringLiteral("Load Palette"), Panel1);
  BBLoadPal->setObjectName(QStringLiteral("BBLoadPal"));
  Place(BBLoadPal, 40, 16, 75, 25);
  SetHelpContext(BBLoadPal, kHelpLoadPalette);

  auto* label2 = new QLabel(QStringLiteral("Image :"), Panel1);
  label2->setObjectName(QStringLiteral("Label2"));
  label2->adjustSize();
  PlaceAt(label2, 16, 220);

  SEImageNum = new TSpinEdit(Panel1);
  SEImageNum->setObjectName(QStringLiteral("SEImageNum"));
  SEImageNum->setRange(0, 0);
  SEImageNum->setValue(0);
  Place(SEImageNum, 56, 216, 48, 22);

  ImageInfo = new QPlainTextEdit(Panel1);
  ImageInfo->setObjectName(QStringLiteral("ImageInfo"));
  ImageInfo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  ImageInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Place(ImageInfo, 16, 248, 128, 48);

  BBHelp = new QPushButton(QStringLiteral("&Help"), Panel1);
  BBHelp->setObjectName(QStringLiteral("BBHelp"));
  Place(BBHelp, 40, 312, 80, 25);
  // The help glyph comes from the icon theme, whose first look-up costs more than the rest of
  // the window together; it is fetched once the event loop runs, after the window is up.
  QMetaObject::invokeMethod(
      BBHelp, [this] { BBHelp->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton)); },
      Qt::QueuedConnection);

  // The panel's controls, in tab order; the image area takes no focus.
  setTabOrder(BMInfo, BBbm2bmp);
  setTabOrder(BBbm2bmp, BBLoadPal);
  setTabOrder(BBLoadPal, SEImageNum);
  setTabOrder(SEImageNum, ImageInfo);
  setTabOrder(ImageInfo, BBHelp);
  ScrollBox1->setFocusPolicy(Qt::NoFocus);

  BBbm2bmp->setEnabled(false);
  BBLoadPal->setEnabled(false);
  SEImageNum->setEnabled(false);
}

void TMainWindow::ConnectCommands() {
  connect(OpenBM1, &QAction::triggered, this, Guarded(dialogs_, [this] { OpenBM1Click(); }));
  connect(NewBM1, &QAction::triggered, this, Guarded(dialogs_, [this] { NewBM1Click(); }));
  connect(Close1, &QAction::triggered, this, Guarded(dialogs_, [this] { Close1Click(); }));
  connect(Exit, &QAction::triggered, this, Guarded(dialogs_, [this] { ExitClick(); }));
  connect(Overview1, &QAction::triggered, this, Guarded(dialogs_, [this] { Overview1Click(); }));
  connect(Contents1, &QAction::triggered, this, Guarded(dialogs_, [this] { Contents1Click(); }));
  connect(About1, &QAction::triggered, this, Guarded(dialogs_, [this] { About1Click(); }));
  connect(BBLoadPal, &QPushButton::clicked, this, Guarded(dialogs_, [this] { BBLoadPalClick(); }));
  connect(BBbm2bmp, &QPushButton::clicked, this, Guarded(dialogs_, [this] { BBbm2bmpClick(); }));
  connect(BBHelp, &QPushButton::clicked, this, Guarded(dialogs_, [this] { BBHelpClick(); }));
  connect(SEImageNum, &TSpinEdit::UserChanged, this,
          Guarded(dialogs_, [this] { SEImageNumChange(); }));
}

void TMainWindow::SetOpenCommands(bool open) {
  OpenBM1->setEnabled(!open);
  NewBM1->setEnabled(!open);
  Close1->setEnabled(open);
}

void TMainWindow::SetSelectorRange(int imageCount) {
  // A BM without images gets the range 0 to 0 rather than the empty range 0 to -1.
  SEImageNum->setRange(0, std::max(0, imageCount - 1));
  SEImageNum->setValue(0);
}

void TMainWindow::ClearShownImage() {
  Image->SetImageSize(0, 0);
  ImageInfo->clear();
}

TViewerState TMainWindow::ShownState() const {
  TViewerState s;
  s.OpenBM = OpenBM1->isEnabled();
  s.NewBM = NewBM1->isEnabled();
  s.Close = Close1->isEnabled();
  s.LoadPalette = BBLoadPal->isEnabled();
  s.Export = BBbm2bmp->isEnabled();
  s.ImageSelector = SEImageNum->isEnabled();
  s.SelectorMin = SEImageNum->minimum();
  s.SelectorMax = SEImageNum->maximum();
  s.SelectorValue = SEImageNum->value();
  return s;
}

void TMainWindow::OpenBM1Click() {
  const std::optional<TFileChoice> choice = dialogs_.RunFileDialog(BMOpenRequest());
  if (!choice) return;
  const std::string path = choice->Path.toStdString();
  if (!ReadDocument(document_, path)) {
    dialogs_.Warning(QString::fromLatin1(kInvalidBMFile));
    return;
  }
  ShowReadDocument(path, KindOf(document_.Header), EInfoStyle::Opened);
}

void TMainWindow::ShowReadDocument(const std::string& path, EBMKind kind, EInfoStyle style) {
  const std::int32_t count = ImageCountOf(document_.Header);
  const TViewerState opened = OpenedViewerState(kind, count);
  imagesDecoded_ = false;
  SetOpenCommands(true);
  SetSelectorRange(count);

  DecodeForKind(document_, kind);
  if (kind == EBMKind::Paletted8 || kind == EBMKind::Colour16) {
    imagesDecoded_ = true;
    SEImageNum->setEnabled(opened.ImageSelector);
    BBbm2bmp->setEnabled(opened.Export);
    SEImageNumChange();
  } else if (kind == EBMKind::Unpaletted8) {
    BBLoadPal->setEnabled(true);
  }

  setWindowTitle(QString::fromStdString(CaptionFor(path)));
  AppendLines(BMInfo, InfoLines(document_.Header, style));
  document_.BaseName = FileNamePart(path);
}

void TMainWindow::BBLoadPalClick() {
  const std::optional<TFileChoice> choice = dialogs_.RunFileDialog(PalOpenRequest());
  if (!choice) return;
  // The filter entry, not the file's extension, picks the reader.
  if (choice->FilterIndex != 0 && choice->FilterIndex != 1) return;
  TWarningBoxes warnings(dialogs_);
  if (!LoadDocumentPalette(document_, choice->Path.toStdString(), choice->FilterIndex, warnings)) {
    dialogs_.Error(QString::fromLatin1(kErrorRetrievingPalette));
    return;
  }
  imagesDecoded_ = false;
  DecodeDocument8(document_);
  imagesDecoded_ = true;

  const std::int32_t count = ImageCountOf(document_.Header);
  const TViewerState loaded = PaletteLoadedViewerState(count);
  SEImageNum->setEnabled(loaded.ImageSelector);
  BBbm2bmp->setEnabled(loaded.Export);
  SetSelectorRange(count);
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
}

void TMainWindow::BBbm2bmpClick() {
  const QString preset =
      QString::fromStdString(DefaultExportName(document_.ExportDir, document_.BaseName));
  const std::optional<TFileChoice> choice = dialogs_.RunFileDialog(BMPSaveRequest(preset));
  if (!choice) return;
  ExportDocument(document_, choice->Path.toStdString());
}

void TMainWindow::Close1Click() {
  setWindowTitle(QLatin1String(kProgramTitle));
  BMInfo->clear();
  ImageInfo->clear();
  Image->SetImageSize(0, 0);
  ScrollBox1->ActualSize();
  imagesDecoded_ = false;
  SetOpenCommands(false);
  BBbm2bmp->setEnabled(false);
  BBLoadPal->setEnabled(false);
  SEImageNum->setEnabled(false);
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
