// The viewer's one document and the display-free logic of the viewer's commands: what an open
// BM is, which commands it enables, the information lines, the names of exported files.
// The main window, the creator and the command-line tool all go through these.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codec/BMFormat.h"
#include "codec/Bitmap.h"
#include "codec/PaletteFormats.h"
#include "codec/Refusal.h"
#include "codec/files/AtomicFile.h"

namespace zarn {

inline constexpr const char* kErrorRetrievingPalette = "Error retrieving Palette!";

struct TBMDocument {
  TBMHeader Header{};
  std::array<TBMImage, kMaxImages> Images{};
  TBMPalette Palette{};
  std::array<TBitmap, kMaxImages> Bitmaps{};
  std::string ExportDir;  // folder of the last confirmed export, with its trailing separator
  std::string BaseName;   // file-name part of the open BM, extension included
};

// What a successfully read BM is, as far as showing it goes.
enum class EBMKind {
  Paletted8,    // 8-bit with its own palette: decoded and shown
  Unpaletted8,  // 8-bit without: shown once a palette is loaded
  Colour16,     // 16-bit: decoded and shown
  Undecodable,  // any other bit depth: properties only
};
EBMKind KindOf(const TBMHeader& header);

// The number of images that belong to the open BM: ImageCount, or 0 when it is 0 or less.
int ImageCountOf(const TBMHeader& header);

// Reads `path` into the document (header, images, palette), or returns why ReadBM refuses it,
// the document then unchanged. Decodes nothing.
std::optional<TRefusal> ReadDocument(TBMDocument& doc, const std::string& path);

// Decodes images 0 to ImageCount - 1 into the display bitmaps: as 8-bit with the document's
// palette (DecodeDocument8), or by kind (DecodeForKind: 8-bit with the BM's own palette, or
// 16-bit; nothing when the kind is not shown). Throws CodecError when an image cannot be
// decoded.
void DecodeDocument8(TBMDocument& doc);
void DecodeForKind(TBMDocument& doc, EBMKind kind);

// The kinds of palette file that "Load Palette" offers, in the order of its filter entries.
inline constexpr std::array<EPaletteFile, 2> kLoadPaletteKinds = {EPaletteFile::CMP,
                                                                  EPaletteFile::BM};
// The kind of the "Load Palette" filter entry `filterIndex` (0-based); nothing for any other.
std::optional<EPaletteFile> LoadPaletteKind(int filterIndex);

// Loads a palette of kind `kind` into the document, whatever the file's extension: a CMP or a
// BM with its reader, any other kind as ReadPaletteFile reads it. Returns the refusal
// (InvalidCMP, ...), the palette then unchanged, or nothing.
std::optional<TRefusal> LoadDocumentPalette(TBMDocument& doc, const std::string& path,
                                            EPaletteFile kind);

// Enabled states and image-selector range of the main window.
struct TViewerState {
  bool OpenBM = true;
  bool NewBM = true;
  bool Close = false;
  bool LoadPalette = false;
  bool Export = false;
  bool ExportPalette = false;  // the open BM has a palette, its own or a loaded one
  bool ImageSelector = false;
  int SelectorMin = 0;
  int SelectorMax = 0;
  int SelectorValue = 0;
  // An image of the open BM is shown exactly while it can be exported: the zoom, Show
  // Transparency and Copy Image apply then, and only then.
  bool ImageShown() const { return Export; }
  friend bool operator==(const TViewerState&, const TViewerState&) = default;
};
TViewerState ClosedViewerState();
// After a BM of this kind and image count has been opened or created. A BM without images
// (ImageCount 0 or less) gets neither the selector nor the export.
TViewerState OpenedViewerState(EBMKind kind, std::int32_t imageCount);
// After a palette has been loaded for the open BM.
TViewerState PaletteLoadedViewerState(std::int32_t imageCount);

// The five information lines. Opening writes "8-bit BM"; creating writes "8 bit BM".
enum class EInfoStyle { Opened, Created };
std::vector<std::string> InfoLines(const TBMHeader& header, EInfoStyle style);
// "Width : 64" and "Height : 32".
std::vector<std::string> ImageSizeLines(std::int32_t width, std::int32_t height);

// Path pieces. A separator is "/" here; a Windows build also takes "\" and ":".
bool IsPathSeparator(char c);
std::string FileNamePart(std::string_view path);  // after the last separator, or the whole path
std::string FolderPart(std::string_view path);    // up to and including the last separator

// A file name without its extension: everything before its last ".", or all of it.
std::string WithoutExtension(std::string_view fileName);
// The name the export dialog starts with: ExportDir, BaseName without its extension, ".BMP".
std::string DefaultExportName(const std::string& exportDir, const std::string& baseName);
// The file image `index` is exported to when the user chose `chosen` for `count` images: the
// chosen path itself for one image, otherwise "_<index>" before the first "." of the file-name
// part (at its end when it has none).
std::string ExportPathFor(const std::string& chosen, int index, int count);

// The numbered files of an export of `count` images to `chosen` that exist already: nothing for
// one image, whose name the save dialog itself asks about.
std::vector<std::string> ExistingExportFiles(const std::string& chosen, int count);
// The question before those files are replaced: "WALL_0.BMP already exists. Replace it?" or
// "WALL_0.BMP and 2 more files already exist. Replace them?"; file names without their folder.
std::string ReplaceQuestion(const std::vector<std::string>& existing);

// The extension of a path's file-name part, "." included, in ASCII lower case; empty without one.
std::string LowerExtension(std::string_view path);

// The file "Export Palette..." writes for `chosen` in the save dialog: `chosen` itself when its
// extension names a kind of palette file that is written, else `chosen` with the extension of
// the dialog's filter entry `filterIndex` (kWrittenPaletteKinds, in order) added.
std::string PaletteExportPath(const std::string& chosen, int filterIndex);

enum class EExportFormat { Bmp, Png };
// The format of an export to `chosen`: by its extension when that is .png or .bmp (any case),
// else by the save dialog's filter entry (0: BMP, 1: PNG).
EExportFormat ExportFormatFor(const std::string& chosen, int filterIndex);

// Saves display bitmaps 0 to ImageCount - 1 under the export names of `chosen` as BMP or PNG
// files, each file written atomically, then sets ExportDir. An error stops at that image,
// leaves the files written before it and ExportDir unchanged, and propagates.
void ExportDocument(TBMDocument& doc, const std::string& chosen,
                    EDurability durability = EDurability::Synced,
                    EExportFormat format = EExportFormat::Bmp);

}  // namespace zarn
