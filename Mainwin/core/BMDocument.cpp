#include "Mainwin/core/BMDocument.h"

#include <algorithm>

#include "codec/Display.h"
#include "codec/Png.h"
#include "codec/files/AtomicFile.h"
#include "codec/files/CodecFiles.h"
#include "codec/files/FilePaths.h"

namespace zarn {

EBMKind KindOf(const TBMHeader& header) {
  switch (header.BitsPerPixel) {
    case 8:
      return header.PaletteMode == kPaletteModeIncluded ? EBMKind::Paletted8 : EBMKind::Unpaletted8;
    case 16:
      return EBMKind::Colour16;
    default:
      return EBMKind::Undecodable;
  }
}

int ImageCountOf(const TBMHeader& header) {
  return std::max(0, header.ImageCount);
}

std::optional<TRefusal> ReadDocument(TBMDocument& doc, const std::string& path) {
  return ReadBM(PathFromUtf8(path), doc.Header, doc.Images, doc.Palette);
}

void DecodeDocument8(TBMDocument& doc) {
  const int count = ImageCountOf(doc.Header);
  for (int i = 0; i < count; ++i)
    BM8ToBitmap(doc.Bitmaps[i], doc.Images[i], doc.Palette);
}

namespace {
void DecodeDocument16(TBMDocument& doc) {
  const int count = ImageCountOf(doc.Header);
  for (int i = 0; i < count; ++i)
    BM16ToBitmap(doc.Bitmaps[i], doc.Images[i]);
}
}  // namespace

void DecodeForKind(TBMDocument& doc, EBMKind kind) {
  if (kind == EBMKind::Paletted8) DecodeDocument8(doc);
  if (kind == EBMKind::Colour16) DecodeDocument16(doc);
}

std::optional<EPaletteFile> LoadPaletteKind(int filterIndex) {
  if (filterIndex < 0 || static_cast<std::size_t>(filterIndex) >= kLoadPaletteKinds.size()) {
    return std::nullopt;
  }
  return kLoadPaletteKinds[static_cast<std::size_t>(filterIndex)];
}

std::optional<TRefusal> LoadDocumentPalette(TBMDocument& doc, const std::string& path,
                                            EPaletteFile kind) {
  switch (kind) {
    case EPaletteFile::CMP:
      return ReadCMPPalette(PathFromUtf8(path), doc.Palette);
    case EPaletteFile::BM:
      return ReadBMPalette(PathFromUtf8(path), doc.Palette);
    default:
      return ReadPaletteFile(PathFromUtf8(path), doc.Palette, kind);
  }
}

TViewerState ClosedViewerState() {
  return TViewerState{};
}

TViewerState OpenedViewerState(EBMKind kind, std::int32_t imageCount) {
  TViewerState s;
  s.OpenBM = false;
  s.NewBM = false;
  s.Close = true;
  s.SelectorMax = imageCount > 1 ? imageCount - 1 : 0;
  const bool shown = kind == EBMKind::Paletted8 || kind == EBMKind::Colour16;
  s.LoadPalette = kind == EBMKind::Unpaletted8;
  s.ExportPalette = kind == EBMKind::Paletted8;
  s.Export = shown && imageCount > 0;
  s.ImageSelector = shown && imageCount > 1;
  return s;
}

TViewerState PaletteLoadedViewerState(std::int32_t imageCount) {
  TViewerState s = OpenedViewerState(EBMKind::Unpaletted8, imageCount);
  s.ExportPalette = true;
  s.Export = imageCount > 0;
  s.ImageSelector = imageCount > 1;
  return s;
}

namespace {
// "Yes", "No", "N/A" or empty.
std::string PaletteText(EBMKind kind) {
  switch (kind) {
    case EBMKind::Paletted8:
      return "Yes";
    case EBMKind::Unpaletted8:
      return "No";
    case EBMKind::Colour16:
      return "N/A";
    case EBMKind::Undecodable:
      break;
  }
  return {};
}
}  // namespace

std::vector<std::string> InfoLines(const TBMHeader& header, EInfoStyle style) {
  const char* bits = style == EInfoStyle::Opened ? "-bit BM" : " bit BM";
  return {
      std::to_string(header.BitsPerPixel) + bits,
      std::to_string(header.ImageCount) + " image(s) in BM",
      "Palette Included : " + PaletteText(KindOf(header)),
      "X-Offset : " + std::to_string(header.XOffset),
      "Y-Offset : " + std::to_string(header.YOffset),
  };
}

std::vector<std::string> ImageSizeLines(std::int32_t width, std::int32_t height) {
  return {"Width : " + std::to_string(width), "Height : " + std::to_string(height)};
}

bool IsPathSeparator(char c) {
#if defined(_WIN32)
  return c == '\\' || c == ':' || c == '/';
#else
  return c == '/';
#endif
}

namespace {
std::size_t FileNameStart(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsPathSeparator(path[i - 1])) return i;
  }
  return 0;
}
}  // namespace

std::string FileNamePart(std::string_view path) {
  return std::string(path.substr(FileNameStart(path)));
}

std::string FolderPart(std::string_view path) {
  return std::string(path.substr(0, FileNameStart(path)));
}

std::string WithoutExtension(std::string_view fileName) {
  return std::string(fileName.substr(0, fileName.rfind('.')));
}

std::string DefaultExportName(const std::string& exportDir, const std::string& baseName) {
  return exportDir + WithoutExtension(baseName) + ".BMP";
}

std::string ExportPathFor(const std::string& chosen, int index, int count) {
  if (count <= 1) return chosen;
  const std::size_t nameStart = FileNameStart(chosen);
  std::size_t dot = chosen.find('.', nameStart);
  if (dot == std::string::npos) dot = chosen.size();
  return chosen.substr(0, dot) + "_" + std::to_string(index) + chosen.substr(dot);
}

std::string LowerExtension(std::string_view path) {
  const std::string name = FileNamePart(path);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos) return {};
  std::string extension = name.substr(dot);
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return extension;
}

std::string PaletteExportPath(const std::string& chosen, int filterIndex) {
  if (PaletteOutputFor(chosen)) return chosen;
  const auto count = static_cast<int>(std::size(kWrittenPaletteKinds));
  const EPaletteFile kind = kWrittenPaletteKinds[filterIndex >= 0 && filterIndex < count
                                                     ? static_cast<std::size_t>(filterIndex)
                                                     : 0];
  return chosen + "." + std::string(PaletteExtension(kind));
}

EExportFormat ExportFormatFor(const std::string& chosen, int filterIndex) {
  const std::string extension = LowerExtension(chosen);
  if (extension == ".png") return EExportFormat::Png;
  if (extension == ".bmp") return EExportFormat::Bmp;
  return filterIndex == 1 ? EExportFormat::Png : EExportFormat::Bmp;
}

std::vector<std::string> ExistingExportFiles(const std::string& chosen, int count) {
  std::vector<std::string> existing;
  if (count <= 1) return existing;
  for (int i = 0; i < count; ++i) {
    std::string path = ExportPathFor(chosen, i, count);
    if (Exists(PathFromUtf8(path))) existing.push_back(std::move(path));
  }
  return existing;
}

std::string ReplaceQuestion(const std::vector<std::string>& existing) {
  if (existing.empty()) return {};
  const std::string first = FileNamePart(existing.front());
  const std::size_t more = existing.size() - 1;
  if (more == 0) return first + " already exists. Replace it?";
  return first + " and " + std::to_string(more) + (more == 1 ? " more file" : " more files") +
         " already exist. Replace them?";
}

void ExportDocument(TBMDocument& doc, const std::string& chosen, EDurability durability,
                    EExportFormat format) {
  const int count = ImageCountOf(doc.Header);
  std::vector<std::uint8_t> png;
  std::vector<std::uint8_t> scratch;
  for (int i = 0; i < count; ++i) {
    const auto path = PathFromUtf8(ExportPathFor(chosen, i, count));
    if (format == EExportFormat::Png) {
      EncodePng(doc.Bitmaps[i], png, scratch);
      WriteFileAtomically(path, png, durability);
    } else {
      SaveToBmpFile(doc.Bitmaps[i], path, durability);
    }
  }
  doc.ExportDir = FolderPart(chosen);
}

}  // namespace zarn
