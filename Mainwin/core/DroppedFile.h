// Files that reach the viewer from outside its dialogs, dropped on the main window: what kind
// of file each is by its content, and what the window does with it in its present state.
#pragma once

#include <optional>
#include <string>

#include "Mainwin/core/BMDocument.h"

namespace zarn {

// True for a regular file (after symbolic links). Only those are read: reading a pipe or a
// device could wait for ever.
bool IsRegularFile(const std::string& path);

// BM: a regular file that begins with the BM signature "BM ". CMP: a regular file that begins
// with "CMP " and is long enough to hold the whole palette. Other: anything else, including a
// file that cannot be read and anything that is not a regular file (a folder, a pipe).
enum class EFileKind { BM, CMP, Other };
EFileKind FileKindOf(const std::string& path);

enum class EDropAction {
  Refuse,          // the drop cursor refuses the file
  OpenBM,          // opened as "Open BM" opens the chosen file
  PaletteFromCMP,  // read as "Load Palette" reads with its CMP entry
  PaletteFromBM,   // read as "Load Palette" reads with its BM entry
};
// A BM is opened while no BM is open; a CMP or a BM gives its palette while "Load Palette" is
// enabled (an 8-bit BM without palette is open). Everything else is refused.
EDropAction DropActionFor(const TViewerState& state, EFileKind kind);

// The kind of palette file a palette drop reads (CMP or BM); nothing for the other actions.
std::optional<EPaletteFile> PaletteFileFor(EDropAction action);

}  // namespace zarn
