#include "Mainwin/core/DroppedFile.h"

#include <cstddef>
#include <cstdint>
#include <optional>

#include "codec/BMFormat.h"
#include "codec/files/CodecFiles.h"
#include "codec/files/FilePaths.h"

namespace zarn {

namespace {

// The bytes that tell a BM ("BM " and one more) from a CMP ("CMP ").
constexpr std::size_t kMagicSize = 4;
// A CMP file is read up to the end of its palette: the 64-byte header, then 256 triples.
constexpr std::uintmax_t kCMPReadSize = kCMPPaletteEnd;

}  // namespace

bool IsRegularFile(const std::string& path) {
  return RegularFileSize(PathFromUtf8(path)).has_value();
}

EFileKind FileKindOf(const std::string& path) {
  const std::filesystem::path file = PathFromUtf8(path);
  const std::optional<std::uint64_t> size = RegularFileSize(file);
  if (!size) return EFileKind::Other;

  const auto head = ReadFileHead(file, kMagicSize);
  if (!head) return EFileKind::Other;
  if (HasBMSignature(*head)) return EFileKind::BM;
  if (HasCMPMagic(*head) && *size >= kCMPReadSize) return EFileKind::CMP;
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
