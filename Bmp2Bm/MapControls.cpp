#include "Bmp2Bm/MapControls.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

#include "Mainwin/shell/Controls.h"
#include "Mainwin/shell/DesignScale.h"
#include "Mainwin/shell/Guard.h"
#include "Mainwin/shell/SpinEdit.h"
#include "codec/files/CodecFiles.h"
#include "codec/files/FilePaths.h"

namespace zarn {

namespace {

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& text, int left,
                        int top, int width) {
  auto* box = new QCheckBox(text, parent);
  box->setObjectName(QLatin1String(name));
  Place(box, left, top, width, 17);
  return box;
}

}  // namespace

TMapControls::TMapControls(QWidget* panel, TDialogs& dialogs) : dialogs_(dialogs) {
  CBMap = MakeCheckBox(panel, "CBMap", QStringLiteral("Map colours to palette"), 12, 412, 192);
  BBMapPal = new QPushButton(QStringLiteral("Palette..."), panel);
  BBMapPal->setObjectName(QStringLiteral("BBMapPal"));
  Place(BBMapPal, 28, 432, 64, 22);
  LabelMapPal = new QLabel(QStringLiteral("(none)"), panel);
  LabelMapPal->setObjectName(QStringLiteral("LabelMapPal"));
  LabelMapPal->setAccessibleName(QStringLiteral("Palette to map to"));
  Place(LabelMapPal, 98, 436, 112, 16);
  CBDither = MakeCheckBox(panel, "CBDither", QStringLiteral("Dither"), 28, 462, 64);
  CBKey = MakeCheckBox(panel, "CBKey", QStringLiteral("Key colour"), 98, 462, 104);
  MakeRgbEdits(panel, "Key", 484, kDefaultTransparentColour,
               {&LabelKeyRed, &LabelKeyGreen, &LabelKeyBlue}, {&SEKeyRed, &SEKeyGreen, &SEKeyBlue});
  SEKeyRed->setAccessibleName(QStringLiteral("Key colour red"));
  SEKeyGreen->setAccessibleName(QStringLiteral("Key colour green"));
  SEKeyBlue->setAccessibleName(QStringLiteral("Key colour blue"));
}

void TMapControls::Connect(QObject* window, std::function<EBMMode()> mode,
                           std::function<void()> changed,
                           std::initializer_list<TSpinEdit*> alsoChanging) {
  QObject::connect(CBMap, &QCheckBox::toggled, window, [this, mode](bool on) {
    RunGuarded(dialogs_, [&] {
      if (on && !Mapping(mode()) && !ChoosePalette()) CBMap->setChecked(false);
    });
  });
  QObject::connect(BBMapPal, &QPushButton::clicked, window, Guarded(dialogs_, [this, changed] {
                     if (ChoosePalette()) changed();
                   }));
  for (QCheckBox* box : {CBDither, CBKey})
    QObject::connect(box, &QCheckBox::toggled, window, Guarded(dialogs_, changed));
  for (TSpinEdit* edit : {SEKeyRed, SEKeyGreen, SEKeyBlue})
    QObject::connect(edit, &TSpinEdit::UserChanged, window, Guarded(dialogs_, changed));
  for (TSpinEdit* edit : alsoChanging)
    QObject::connect(edit, &TSpinEdit::UserChanged, window, Guarded(dialogs_, changed));
}

TFileRequest TMapControls::PaletteOpenRequest() {
  return MakeFileRequest(
      QStringLiteral("Map_Open"), EFileDialogMode::Open, QStringLiteral("Palette to map to"),
      {QStringLiteral("Palettes (*.CMP *.BM *.gpl *.act *.pal *.png *.BMP)"),
       QStringLiteral("All files (*)")},
      QStringLiteral("CMP"));
}

void TMapControls::ShowForMode(EBMMode mode) {
  const bool eight = mode == EBMMode::Bit8;
  for (QWidget* w : std::initializer_list<QWidget*>{
           CBMap, BBMapPal, LabelMapPal, CBKey, LabelKeyRed, SEKeyRed, LabelKeyGreen, SEKeyGreen,
           LabelKeyBlue, SEKeyBlue}) {
    w->setVisible(eight);
  }
}

void TMapControls::EnableMapChoice(bool enabled) {
  CBMap->setEnabled(enabled);
}

bool TMapControls::ChoosePalette() {
  const std::optional<TFileChoice> choice = dialogs_.RunFileDialog(PaletteOpenRequest());
  if (!choice) return false;
  const std::filesystem::path path = PathFromUtf8(choice->Path.toStdString());
  TBMPalette palette{};
  if (const auto failure = OpenFailure(path)) {
    dialogs_.Warning(QString::fromStdString(*failure));
    return false;
  }
  if (const auto refusal = ReadPaletteFile(path, palette)) {
    WarnRefused(dialogs_, *refusal);
    return false;
  }
  palette_ = palette;
  LabelMapPal->setText(QFileInfo(choice->Path).fileName());
  LabelMapPal->setToolTip(choice->Path);
  return true;
}

bool TMapControls::Mapping(EBMMode mode) const {
  return mode == EBMMode::Bit8 && CBMap->isChecked() && palette_.has_value();
}

void TMapControls::ApplyTo(TCreateOptions& options) const {
  if (Mapping(options.Mode)) {
    options.MapPalette = palette_;
    if (CBKey->isChecked()) {
      const auto low8 = [](const TSpinEdit* s) { return static_cast<std::uint8_t>(s->Value() & 0xFF); };
      options.Key = TRgb{low8(SEKeyRed), low8(SEKeyGreen), low8(SEKeyBlue)};
    }
  }
  options.Dither = CBDither->isChecked() && (options.Mode == EBMMode::Bit16 || options.MapPalette);
}

}  // namespace zarn
