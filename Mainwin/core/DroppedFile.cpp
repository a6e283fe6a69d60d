#include "Mainwin/core/DroppedFile.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "codec/BMFormat.h"
#include "codec/files/CodecFiles.h"
#include "codec/files/FilePaths.h"

namespace zarn {

namespace {

constexpr std::string_view kBMSignature = "BM ";
constexpr std::string_view kCMPMagic = "CMP ";
// A CMP file is read up to the end of its palette: the 64-byte header, then 256 triples.
constexpr std::uintmax_t kCMPReadSize = kCMPHeaderSize + kPaletteTrailerSize;

bool StartsWith(const std::vector<std::uint8_t>& head, std::string_view magic) {
  return head.size() >= magic.size() && std::equal(magic.begin(), magic.end(), head.begin());
}

}  // namespace

bool IsRegularFile(const std::string& path) {
  return RegularFileSize(PathFromUtf8(path)).has_value();
}

EFileKind FileKindOf(const std::string& path) {
  const std::filesystem::path file = PathFromUtf8(path);
  const std::optional<std::uint64_t> size = RegularFileSize(file);
  if (!size) return EFileKind::Other;

  const auto head = ReadFileHead(file, kCMPMagic.size());
  if (!head) return EFileKind::Other;
  if (StartsWith(*head, kBMSignature)) return EFileKind::BM;
  if (StartsWith(*head, kCMPMagic) && *size >= kCMPReadSize) return EFileKind::CMP;
  return EFileKind::Other;
}

EDropAction DropActionFor(const TViewerState& state, EFileKind kind) {
  // "Open BM" is enabled exactly while no BM is open.
  if (state.OpenBM) return kind == EFileKind::BM ? EDropAction::OpenBM : EDropAction::Refuse;
  if (!state.LoadPalette) return EDropAction::Refuse;
  switch (kind) {
    case EFileKind::CMP:
      return EDropAction::PaletteFromCMP;
    case EFileKind::BM:
      return EDropAction::PaletteFromBM;
    case EFileKind::Other:
      break;
  }
  return EDropAction::Refuse;
}

std::optional<EPaletteFile> PaletteFileFor(EDropAction action) {
  switch (action) {
    case EDropAction::PaletteFromCMP:
      return EPaletteFile::CMP;
    case EDropAction::PaletteFromBM:
      return EPaletteFile::BM;
    default:
      return std::nullopt;
  }
}

}  // namespace zarn
