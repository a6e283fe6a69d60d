// The new-BM window's colour conversion: "Map colours to palette" with the palette file to map
// to, "Dither" and the key colour. They take truecolour sources by their colours (see
// TCreateOptions::ConvertsColours); the window places them below its other controls.
#pragma once

#include <QString>
#include <functional>
#include <initializer_list>
#include <optional>

#include "Bmp2Bm/core/BMCreator.h"
#include "Mainwin/shell/Dialogs.h"

class QCheckBox;
class QObject;
class QLabel;
class QPushButton;
class QWidget;

namespace zarn {

class TSpinEdit;

class TMapControls {
 public:
  // Builds the controls on `panel` at their design places.
  TMapControls(QWidget* panel, TDialogs& dialogs);

  // Wires the controls in `window`: checking "Map colours to palette" without a palette asks
  // for one (in the mode `mode` gives), "Palette..." chooses another; a new palette, a change
  // of Dither or of the key colour, and a change the user makes in any of `alsoChanging` run
  // `changed`.
  void Connect(QObject* window, std::function<EBMMode()> mode, std::function<void()> changed,
               std::initializer_list<TSpinEdit*> alsoChanging);

  // The dialog of the palette file to map to: every kind zarn reads.
  static TFileRequest PaletteOpenRequest();

  // 8-bit shows every control; 16-bit only "Dither" (to RGB565).
  void ShowForMode(EBMMode mode);
  // While the list holds entries the choice to map cannot change, as the mode cannot.
  void EnableMapChoice(bool enabled);
  // Runs the palette dialog and reads the chosen file: true when a palette was taken; a
  // refused file gets its warning and leaves the palette as it was.
  bool ChoosePalette();
  // The controls into `options` (which hold the mode): the palette when mapping, the key
  // colour, and dithering.
  void ApplyTo(TCreateOptions& options) const;
  // True when "Map colours to palette" is checked in 8-bit mode with a palette chosen.
  bool Mapping(EBMMode mode) const;

  QCheckBox* CBMap = nullptr;
  QPushButton* BBMapPal = nullptr;
  QLabel* LabelMapPal = nullptr;
  QCheckBox* CBDither = nullptr;
  QCheckBox* CBKey = nullptr;
  QLabel* LabelKeyRed = nullptr;
  TSpinEdit* SEKeyRed = nullptr;
  QLabel* LabelKeyGreen = nullptr;
  TSpinEdit* SEKeyGreen = nullptr;
  QLabel* LabelKeyBlue = nullptr;
  TSpinEdit* SEKeyBlue = nullptr;

 private:
  TDialogs& dialogs_;
  std::optional<TBMPalette> palette_;
};

}  // namespace zarn
