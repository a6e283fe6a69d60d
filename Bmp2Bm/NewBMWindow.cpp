#include "Bmp2Bm/NewBMWindow.h"

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>

#include "Bmp2Bm/CreateGlyph.h"
#include "Bmp2Bm/MapControls.h"
#include "Mainwin/shell/BitmapImage.h"
#include "Mainwin/shell/Controls.h"
#include "Mainwin/shell/DesignScale.h"
#include "Mainwin/shell/Guard.h"
#include "Mainwin/shell/HelpContext.h"
#include "Mainwin/shell/Readout.h"
#include "Mainwin/shell/SpinEdit.h"
#include "codec/BMFormat.h"
#include "codec/Refusal.h"

namespace zarn {

namespace {

constexpr int kDesignOuterWidth = 560;
// The window's design height, with the colour conversion controls below the others.
constexpr int kDesignOuterHeight = 550;
constexpr int kDesignPanelWidth = 224;
constexpr int kDesignEntryHeight = 13;
constexpr const char* kRB8bitCaption = "8-bit BM   (BMPs must be 256 color)";
constexpr const char* kRB16bitCaption = "16-bit BM (BMPs must be truecolor)";

// The captions of the panel that have the least room beside their neighbours.
QFont PanelFont(const QWidget* window) {
  const QStyle* style = window->style();
  const int radio = style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) +
                    style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing) + 2;
  const int check = style->pixelMetric(QStyle::PM_IndicatorWidth) +
                    style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing) + 2;
  return FittedDesignFont(window, {
                                      {QLatin1String(kRB8bitCaption), 192, radio},
                                      {QLatin1String(kRB16bitCaption), 192, radio},
                                      {QStringLiteral("Include Palette"), 97, check},
                                      {QStringLiteral("X-Offset :"), 46, 0},
                                      {QStringLiteral("Y-Offset :"), 46, 0},
                                      {QStringLiteral("Transparent colour (0-255) :"), 142, 0},
                                  });
}

// Shows each entry's path so that its file name stays whole: when the path is too long for
// the list, its folder part is shortened in the middle.
class TPathDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    const QString path = option->text;
    const QFontMetrics& metrics = option->fontMetrics;
    const int room = option->rect.width() - 8;  // the style's text margins
    if (metrics.horizontalAdvance(path) <= room) return;
    const qsizetype nameStart = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\')) + 1;
    const QString name = path.mid(nameStart);
    const int folderRoom = room - metrics.horizontalAdvance(name);
    if (nameStart > 0 && folderRoom > 2 * metrics.horizontalAdvance(QChar(0x2026))) {
      option->text = metrics.elidedText(path.left(nameStart), Qt::ElideMiddle, folderRoom) + name;
    } else {
      option->text = metrics.elidedText(path, Qt::ElideLeft, room);
    }
  }
};

// Paths reach the codec as UTF-8.
std::string ToUtf8(const QString& path) {
  return path.toStdString();
}

}  // namespace

TSourceItem::TSourceItem(const QString& path, TSourceImage source)
    : QListWidgetItem(path), source_(std::move(source)) {}

TSourceItem::TSourceItem(const QString& path, TColourPicture colours)
    : QListWidgetItem(path), colours_(std::move(colours)) {}

void TSourceItem::Convert(const TCreateOptions& options) {
  if (colours_) source_.Bitmap = ConvertColours(*colours_, options);
}

TFileRequest TNewBMWindow::BMPOpenRequest() {
  return MakeFileRequest(
      QStringLiteral("BMP_Open"), EFileDialogMode::Open, QStringLiteral("Select BMP"),
      {QStringLiteral("BMP and PNG images (*.BMP *.png)"),
       QStringLiteral("Windows BMP files (*.BMP)"), QStringLiteral("PNG images (*.png)")},
      QStringLiteral("BMP"));
}

TFileRequest TNewBMWindow::BMSaveRequest() {
  TFileRequest r =
      MakeFileRequest(QStringLiteral("BM_Save"), EFileDialogMode::Save, QStringLiteral("Save BM"),
                      {QStringLiteral("Jedi Knight BM Files (*.BM)")}, QStringLiteral("BM"));
  r.ConfirmOverwrite = true;
  return r;
}

TNewBMWindow::TNewBMWindow(TBMViewer& viewer, TDialogs& dialogs, THelp& help, QWidget* parent)
    : QDialog(parent), viewer_(viewer), dialogs_(dialogs), help_(help) {
  setObjectName(QStringLiteral("NewBMWindow"));
  setWindowTitle(QStringLiteral("Create New BM"));
  setSizeGripEnabled(false);
  SetHelpContext(this, kHelpNewBM);

  BuildControls();
  ConnectCommands();
  InstallF1Help(this, help_);

  // Centred on the screen, not over the main window.
  resize(DesignClientSize(this, kDesignOuterWidth, kDesignOuterHeight));
  if (const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
    const QSize outer = DesignSize(this, kDesignOuterWidth, kDesignOuterHeight);
    const QPoint centre = s->availableGeometry().center();
    move(centre.x() - outer.width() / 2, centre.y() - outer.height() / 2);
  }

  RB8bitClick();
  UpdateListState();
}

TNewBMWindow::~TNewBMWindow() = default;

void TNewBMWindow::BuildControls() {
  const TSidePanel side = MakeSidePanel(this, kDesignPanelWidth);
  Panel1 = side.Panel;

  BMPDisp = new TImageView;
  BMPDisp->setObjectName(QStringLiteral("BMPDisp"));
  ScrollBox1 = new TImageBox(BMPDisp, this);
  ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
  ScrollBox1->setFocusPolicy(Qt::NoFocus);
  PreviewBar = new TReadoutBar(ScrollBox1, side.Row, this);

  RB8bit = new QRadioButton(QLatin1String(kRB8bitCaption), Panel1);
  RB8bit->setObjectName(QStringLiteral("RB8bit"));
  Place(RB8bit, 12, 8, 192, 21);
  RB8bit->setChecked(true);
  RB16bit = new QRadioButton(QLatin1String(kRB16bitCaption), Panel1);
  RB16bit->setObjectName(QStringLiteral("RB16bit"));
  Place(RB16bit, 12, 28, 192, 17);

  Label3 = MakeLabel(Panel1, "Label3", QStringLiteral("X-Offset :"), 8, 60);
  SEXoff = MakeSpinEdit(Panel1, "SEXoff", kMaxXOffset, kDefaultXOffset, 56, 56, 48);
  Label4 = MakeLabel(Panel1, "Label4", QStringLiteral("Y-Offset :"), 112, 60);
  SEYoff = MakeSpinEdit(Panel1, "SEYoff", kMaxYOffset, kDefaultYOffset, 160, 56, 48);
  Label5 = MakeLabel(Panel1, "Label5", QStringLiteral("Transparent colour (0-255) :"), 8, 96);
  SETranspClr = MakeSpinEdit(Panel1, "SETranspClr", 255, kDefaultTransparentIndex, 152, 92, 56);
  MakeRgbEdits(Panel1, "", 112, kDefaultTransparentColour, {&LabelRed, &LabelGreen, &LabelBlue},
               {&SERed, &SEGreen, &SEBlue});

  CBIncPal = new QCheckBox(QStringLiteral("Include Palette"), Panel1);
  CBIncPal->setObjectName(QStringLiteral("CBIncPal"));
  Place(CBIncPal, 64, 124, 97, 17);

  Label1 = MakeLabel(Panel1, "Label1", QStringLiteral("BMP File (s) :"), 32, 160);
  FileList = new QListWidget(Panel1);
  FileList->setObjectName(QStringLiteral("FileList"));
  FileList->setSelectionMode(QAbstractItemView::ExtendedSelection);
  FileList->setUniformItemSizes(true);
  // Long paths keep their file name in view; the whole path is the entry's tooltip.
  FileList->setItemDelegate(new TPathDelegate(FileList));
  FileList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  FileList->setToolTip(QStringLiteral("Right-click here"));
  FileList->setContextMenuPolicy(Qt::CustomContextMenu);
  listViewport_ = FileList->viewport();
  listViewport_->installEventFilter(this);
  Place(FileList, 32, 176, 160, 128);

  Label2 = new QLabel(QStringLiteral("Right click above to access menu"), Panel1);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  Label2->setWordWrap(true);
  Place(Label2, 56, 308, 113, 29);

  // The buttons' glyphs come with the first showing (FitFontAndGlyphs).
  BBOk = new QPushButton(QStringLiteral("Create BM"), Panel1);
  BBOk->setObjectName(QStringLiteral("BBOk"));
  BBOk->setIconSize(QSize(kCreateBMGlyphSize, kCreateBMGlyphSize));
  BBOk->setDefault(true);
  Place(BBOk, 12, 344, 96, 25);
  BitBtn2 = new QPushButton(QStringLiteral("Cancel"), Panel1);
  BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
  Place(BitBtn2, 112, 344, 96, 25);
  BBHelp = MakeHelpButton(Panel1);
  Place(BBHelp, 64, 376, 96, 25);
  map_ = std::make_unique<TMapControls>(Panel1, dialogs_);

  BMPmenu = new QMenu(this);
  BMPmenu->setObjectName(QStringLiteral("BMPmenu"));
  Add1 = AddNamedAction(BMPmenu, "Add1", QStringLiteral("&Add"));
  Insert1 = AddNamedAction(BMPmenu, "Insert1", QStringLiteral("&Insert"));
  Remove1 = AddNamedAction(BMPmenu, "Remove1", QStringLiteral("&Remove"));
  Clear1 = AddNamedAction(BMPmenu, "Clear1", QStringLiteral("&Clear"));
  BMPmenu->addSeparator();
  Paste1 = AddNamedAction(BMPmenu, "Paste1", QStringLiteral("&Paste"));
  Paste1->setShortcut(QKeySequence::Paste);
  Paste1->setShortcutContext(Qt::WindowShortcut);
  addAction(Paste1);

  // Tab order of the panel's controls.
  QWidget* const chain[] = {BBOk, BitBtn2, RB8bit, RB16bit, FileList, BBHelp, SEXoff, SEYoff,
                            CBIncPal, SERed, SEGreen, SEBlue, SETranspClr, map_->CBMap,
                            map_->BBMapPal, map_->CBDither, map_->CBKey, map_->SEKeyRed,
                            map_->SEKeyGreen, map_->SEKeyBlue};
  for (std::size_t i = 1; i < std::size(chain); ++i)
    setTabOrder(chain[i - 1], chain[i]);
}

void TNewBMWindow::ConnectCommands() {
  // A mode change comes from a click or from the arrow keys; either way the shown controls
  // follow the checked button.
  connect(RB8bit, &QRadioButton::toggled, this, [this](bool on) {
    if (on) RunGuarded(dialogs_, [this] { RB8bitClick(); });
  });
  connect(RB16bit, &QRadioButton::toggled, this, [this](bool on) {
    if (on) RunGuarded(dialogs_, [this] { RB16bitClick(); });
  });
  connect(Add1, &QAction::triggered, this, Guarded(dialogs_, [this] { Add1Click(); }));
  connect(Insert1, &QAction::triggered, this, Guarded(dialogs_, [this] { Insert1Click(); }));
  connect(Remove1, &QAction::triggered, this, Guarded(dialogs_, [this] { Remove1Click(); }));
  connect(Clear1, &QAction::triggered, this, Guarded(dialogs_, [this] { Clear1Click(); }));
  connect(Paste1, &QAction::triggered, this, Guarded(dialogs_, [this] { Paste1Click(); }));
  connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
          [this] { UpdateListState(); });
  // The read-out marks the pixels of the transparent index or colour as it is set.
  for (TSpinEdit* edit : {SETranspClr, SERed, SEGreen, SEBlue})
    connect(edit, &TSpinEdit::UserChanged, this, Guarded(dialogs_, [this] { InspectPreview(); }));
  connect(FileList, &QListWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { BMPmenu->popup(FileList->viewport()->mapToGlobal(at)); });
  // The preview follows the current entry on every change of it: a click, the arrow keys, a
  // press-and-drag over several entries, a right click.
  connect(FileList, &QListWidget::currentItemChanged, this,
          Guarded(dialogs_, [this] { FileListClick(); }));
  // A click that leaves the selection as it was still shows the clicked entry.
  connect(FileList, &QListWidget::itemClicked, this,
          Guarded(dialogs_, [this] { FileListClick(); }));
  connect(BBOk, &QPushButton::clicked, this, Guarded(dialogs_, [this] { BBOkClick(); }));
  connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
  // Every option a conversion depends on makes the converted sources and the preview anew.
  map_->Connect(this, [this] { return Mode(); }, [this] { ConvertSources(); },
                {SETranspClr, SERed, SEGreen, SEBlue});
  connect(BBHelp, &QPushButton::clicked, this, Guarded(dialogs_, [this] { BBHelpClick(); }));
}

void TNewBMWindow::FitFontAndGlyphs() {
  setFont(PanelFont(this));
  for (QLabel* label : {Label1, Label3, Label4, Label5, LabelRed, LabelGreen, LabelBlue})
    label->adjustSize();
  BBOk->setIcon(CreateBMIcon());
  BitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
  BBHelp->setIcon(HelpGlyph(this));
  fitted_ = true;
}

void TNewBMWindow::showEvent(QShowEvent* event) {
  // Fitting the font (which loads narrower faces), painting the glyphs and looking them up in
  // the icon theme wait until the window is first shown, so that they cost nothing at program
  // start.
  if (!fitted_) FitFontAndGlyphs();
  QDialog::showEvent(event);
  // Each showing by the program starts afresh; the window system's re-showing (a restore
  // from minimised) does not.
  if (!event->spontaneous()) RunGuarded(dialogs_, [this] { FormShow(); });
}

bool TNewBMWindow::eventFilter(QObject* watched, QEvent* event) {
  // A right click on an entry makes it the current entry, and selects it unless it is selected
  // already, so that BMPmenu's commands act on the entry the user pointed at. On empty space it
  // leaves the list as it is. Either way the menu follows (customContextMenuRequested).
  const QEvent::Type type = event->type();
  if (watched == listViewport_ &&
      (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
       type == QEvent::MouseButtonDblClick) &&
      static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
    if (type == QEvent::MouseButtonPress) {
      const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
      if (QListWidgetItem* item = FileList->itemAt(at)) {
        FileList->setCurrentItem(item, item->isSelected() ? QItemSelectionModel::NoUpdate
                                                          : QItemSelectionModel::ClearAndSelect);
      }
    }
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TNewBMWindow::FormShow() {
  RB8bit->setEnabled(true);
  RB16bit->setEnabled(true);
  SEXoff->setValue(kDefaultXOffset);
  SEYoff->setValue(kDefaultYOffset);
  SERed->setValue(kDefaultTransparentColour.Red);
  SEGreen->setValue(kDefaultTransparentColour.Green);
  SEBlue->setValue(kDefaultTransparentColour.Blue);
  CBIncPal->setChecked(false);
  {
    const QScopedValueRollback<bool> changing(listChanging_, true);
    FileList->clear();
  }
  UpdateListState();
  BMPDisp->SetImageSize(0, 0);
  BMPDisp->SetPicture(QImage());
  ScrollBox1->ActualSize();
  previewBitmap_ = TBitmap();
  InspectPreview();
  pasted_ = 0;
}

void TNewBMWindow::RB8bitClick() {
  ShowColourControls(EBMMode::Bit8);
}

void TNewBMWindow::RB16bitClick() {
  ShowColourControls(EBMMode::Bit16);
}

void TNewBMWindow::ConvertSources() {
  const TCreateOptions options = Options();
  for (int i = 0; i < FileList->count(); ++i)
    static_cast<TSourceItem*>(FileList->item(i))->Convert(options);
  if (const TSourceItem* entry = CurrentSource(); entry && entry->Converted()) FileListClick();
}

void TNewBMWindow::ShowColourControls(EBMMode mode) {
  map_->ShowForMode(mode);
  // The 8-bit index and palette choice share their place with the 16-bit colour.
  const bool sixteen = mode == EBMMode::Bit16;
  SETranspClr->setVisible(!sixteen);
  CBIncPal->setVisible(!sixteen);
  for (QWidget* w : {static_cast<QWidget*>(LabelRed), static_cast<QWidget*>(LabelGreen),
                     static_cast<QWidget*>(LabelBlue), static_cast<QWidget*>(SERed),
                     static_cast<QWidget*>(SEGreen), static_cast<QWidget*>(SEBlue)}) {
    w->setVisible(sixteen);
  }
}

void TNewBMWindow::UpdateListState() {
  const bool filled = FileList->count() > 0;
  RB8bit->setEnabled(!filled);
  RB16bit->setEnabled(!filled);
  Insert1->setEnabled(filled);
  Remove1->setEnabled(filled);
  Clear1->setEnabled(filled);
  BBOk->setEnabled(filled);
  Add1->setEnabled(true);
  // Whether sources are mapped, or in 16-bit mode dithered, is fixed while there are any.
  map_->EnableMapChoice(!filled);
  map_->CBDither->setEnabled(!filled || Mode() == EBMMode::Bit8);
  const QMimeData* clipboard = QGuiApplication::clipboard()->mimeData();
  Paste1->setEnabled(clipboard && clipboard->hasImage());
}

TSourceItem* TNewBMWindow::CurrentSource() const {
  return static_cast<TSourceItem*>(FileList->currentItem());
}

std::unique_ptr<TSourceItem> TNewBMWindow::OfferSource() {
  const std::optional<TFileChoice> choice = dialogs_.RunFileDialog(BMPOpenRequest());
  if (!choice) return nullptr;
  // A bitmap that cannot be loaded at all throws: the guard reports it and the list stays.
  // The file is read once; a source taken by its colours keeps them, to be converted again
  // when the options change.
  TColourPicture colours;
  TSourceImage source;
  const TCreateOptions options = Options();
  std::vector<std::uint8_t> bytes;
  std::optional<TRefusal> refusal = ReadSourceFile(ToUtf8(choice->Path), bytes);
  if (!refusal) {
    refusal = options.ConvertsColours() ? AdmitColourSource(bytes, options, colours)
                                        : AdmitSource(bytes, options, source);
  }
  if (refusal) {
    WarnRefused(dialogs_, *refusal);
    return nullptr;
  }
  return options.ConvertsColours() ? MakeEntry(choice->Path, std::move(colours))
                                   : MakeEntry(choice->Path, std::move(source));
}

std::unique_ptr<TSourceItem> TNewBMWindow::MakeEntry(const QString& name, TColourPicture colours) {
  auto entry = std::make_unique<TSourceItem>(name, std::move(colours));
  entry->Convert(Options());
  return FinishEntry(std::move(entry));
}

std::unique_ptr<TSourceItem> TNewBMWindow::MakeEntry(const QString& name, TSourceImage source) {
  PaintTransparent(source, Options());
  return FinishEntry(std::make_unique<TSourceItem>(name, std::move(source)));
}

std::unique_ptr<TSourceItem> TNewBMWindow::FinishEntry(std::unique_ptr<TSourceItem> entry) {
  entry->setToolTip(entry->text());
  // Entries are 13 design pixels high, or as high as the font needs.
  entry->setSizeHint(QSize(-1, std::max(DesignSize(this, 0, kDesignEntryHeight).height(),
                                        FileList->fontMetrics().height())));
  return entry;
}

void TNewBMWindow::AppendEntry(std::unique_ptr<TSourceItem> entry) {
  {
    const QScopedValueRollback<bool> changing(listChanging_, true);
    FileList->addItem(entry.release());
  }
  UpdateListState();
}

void TNewBMWindow::Add1Click() {
  if (std::unique_ptr<TSourceItem> entry = OfferSource()) AppendEntry(std::move(entry));
}

void TNewBMWindow::Paste1Click() {
  const QImage picture = QGuiApplication::clipboard()->image();
  if (picture.isNull()) return;
  // The picture goes through the check and the loading of a PNG source file.
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!picture.save(&buffer, "PNG")) throw std::bad_alloc();
  TSourceImage source;
  TColourPicture colours;
  const TCreateOptions options = Options();
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(png.constData());
  const std::span<const std::uint8_t> file(bytes, static_cast<std::size_t>(png.size()));
  if (const auto refusal = options.ConvertsColours()
                               ? AdmitColourSource(file, options, colours)
                               : AdmitClipboardSource(file, options, source)) {
    WarnRefused(dialogs_, *refusal);
    return;
  }
  const QString name = QStringLiteral("Clipboard %1").arg(++pasted_);
  AppendEntry(options.ConvertsColours() ? MakeEntry(name, std::move(colours))
                                        : MakeEntry(name, std::move(source)));
}

void TNewBMWindow::Insert1Click() {
  if (FileList->selectedItems().isEmpty()) return;
  QListWidgetItem* current = FileList->currentItem();
  if (!current) return;  // nothing to insert before
  std::unique_ptr<TSourceItem> entry = OfferSource();
  if (!entry) return;
  {
    const QScopedValueRollback<bool> changing(listChanging_, true);
    FileList->insertItem(FileList->row(current), entry.release());
    // The entry inserted before stays the current one; the selection is untouched.
    FileList->setCurrentItem(current, QItemSelectionModel::NoUpdate);
  }
  UpdateListState();
}

void TNewBMWindow::Remove1Click() {
  if (FileList->selectedItems().isEmpty()) return;
  const int row = FileList->currentRow();
  if (row < 0) return;
  {
    const QScopedValueRollback<bool> changing(listChanging_, true);
    delete FileList->takeItem(row);
    // The entry that moves up into the place (or the new last one) becomes current; the
    // selection of the other entries stays as it was.
    if (FileList->count() > 0) {
      FileList->setCurrentRow(std::min(row, FileList->count() - 1), QItemSelectionModel::NoUpdate);
    }
  }
  UpdateListState();
}

void TNewBMWindow::Clear1Click() {
  {
    const QScopedValueRollback<bool> changing(listChanging_, true);
    FileList->clear();
  }
  UpdateListState();
}

void TNewBMWindow::FileListClick() {
  if (listChanging_) return;
  const TSourceItem* entry = CurrentSource();
  if (!entry) return;
  PreviewBar->SetInspected({});  // it lets go of the picture about to be replaced
  previewBitmap_ = entry->Bitmap();
  BMPDisp->ShowBitmap(previewBitmap_);
  InspectPreview();
}

void TNewBMWindow::InspectPreview() {
  if (previewBitmap_.Empty()) {
    PreviewBar->SetInspected({});
    return;
  }
  const TCreateOptions options = Options();
  previewPicture_ = previewBitmap_.Picture(previewScratch_);
  PreviewBar->SetInspected(InspectPicture(
      previewPicture_, previewPicture_.BitCount == 8
                           ? static_cast<std::uint16_t>(options.TransparentIndex & 0xFF)
                           : TransparentRgb565(options)));
  // A mapped picture shows its transparent pixels as such.
  if (const TSourceItem* entry = CurrentSource(); entry && entry->Converted() && options.MapPalette)
    BMPDisp->SetMarks(PreviewBar->Inspected(), TMarks{true, -1});
}

void TNewBMWindow::BBHelpClick() {
  help_.ShowContext(HelpContextOf(BBHelp));
}

void TNewBMWindow::BBOkClick() {
  // A list the document cannot hold is refused before the user is asked for a name.
  const std::vector<const TBitmap*> sources = Sources();
  if (const auto refusal = CheckSourceCount(sources.size())) {
    WarnRefused(dialogs_, *refusal);
    return;
  }
  const std::optional<TFileChoice> choice = dialogs_.RunFileDialog(BMSaveRequest());
  if (!choice) return;
  const std::string path = ToUtf8(choice->Path);
  const TCreateOptions options = Options();
  for (int i = 0; i < FileList->count(); ++i) {
    auto* entry = static_cast<TSourceItem*>(FileList->item(i));
    if (entry->Converted()) {
      entry->Convert(options);
    } else {
      PaintTransparent(entry->Source(), options);
    }
  }
  // A failed write throws: the guard reports it; the window stays open and the viewer closed.
  CreateBM(path, sources, options);
  accept();

  TBMDocument& doc = viewer_.Document();
  if (const auto refusal = ReadDocument(doc, path)) {
    WarnRefused(dialogs_, *refusal);
    return;
  }
  // The radio buttons, not the bits read back, pick how the new BM is shown.
  EBMKind kind = EBMKind::Colour16;
  if (options.Mode == EBMMode::Bit8) {
    kind =
        doc.Header.PaletteMode == kPaletteModeIncluded ? EBMKind::Paletted8 : EBMKind::Unpaletted8;
  }
  viewer_.ShowReadDocument(path, kind, EInfoStyle::Created);
}

EBMMode TNewBMWindow::Mode() const {
  return RB16bit->isChecked() ? EBMMode::Bit16 : EBMMode::Bit8;
}

TCreateOptions TNewBMWindow::Options() const {
  TCreateOptions o;
  o.Mode = Mode();
  o.XOffset = SEXoff->Value();
  o.YOffset = SEYoff->Value();
  o.TransparentIndex = SETranspClr->Value();
  o.IncludePalette = CBIncPal->isChecked();
  o.Red = SERed->Value();
  o.Green = SEGreen->Value();
  o.Blue = SEBlue->Value();
  map_->ApplyTo(o);
  return o;
}

std::vector<const TBitmap*> TNewBMWindow::Sources() const {
  std::vector<const TBitmap*> sources;
  sources.reserve(static_cast<std::size_t>(FileList->count()));
  for (int i = 0; i < FileList->count(); ++i) {
    sources.push_back(&static_cast<const TSourceItem*>(FileList->item(i))->Bitmap());
  }
  return sources;
}

}  // namespace zarn
