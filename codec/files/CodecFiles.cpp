#include "codec/files/CodecFiles.h"

#include <algorithm>
#include <utility>

#include "codec/BMReader.h"
#include "codec/BMWriter.h"
#include "codec/Errors.h"
#include "codec/files/FilePaths.h"
#include "codec/files/FileSource.h"

namespace zarn {

using detail::TFileSource;

namespace {
TRefusal TooLarge(ERefusal reason, std::uint64_t size) {
  return {.Reason = reason, .Count = static_cast<std::int64_t>(size)};
}

// The whole file for the readers that throw: "Cannot open file <path>" when it cannot be read,
// "<kind> file is too large: <path>" above `limit`.
std::vector<std::uint8_t> ReadWholeFileOrThrow(const std::filesystem::path& path,
                                               std::uint64_t limit, const char* kind) {
  auto file = ReadWholeFile(path, limit);
  if (!file) throw CodecError(CannotOpenFileText(path));
  if (file->TooLarge) {
    throw CodecError(std::string(kind) + " file is too large: " + DisplayPath(path));
  }
  return std::move(file->Bytes);
}

// The whole of a BM file into `bytes`, or why it is refused unread.
std::optional<TRefusal> ReadBMFile(const std::filesystem::path& path,
                                   std::vector<std::uint8_t>& bytes) {
  auto file = ReadWholeFile(path, static_cast<std::uint64_t>(kMaxBMFileBytes));
  if (!file) return TRefusal{.Reason = ERefusal::InvalidBM};
  if (file->TooLarge) return TooLarge(ERefusal::BMFileTooLarge, file->Size);
  bytes = std::move(file->Bytes);
  return std::nullopt;
}
}  // namespace

std::optional<TWholeFile> ReadWholeFile(const std::filesystem::path& path, std::uint64_t limit) {
  TFileSource source(path);
  if (!source.IsOpen()) return std::nullopt;
  TWholeFile file;
  file.Size = source.Size();
  if (file.Size > limit) {
    file.TooLarge = true;
    return file;
  }
  file.Bytes.resize(static_cast<std::size_t>(file.Size));
  if (!source.Read(file.Bytes)) return std::nullopt;
  return file;
}

std::optional<TRefusal> ReadBM(const std::filesystem::path& FileName, TBMHeader& Header,
                               std::span<TBMImage> Images, TBMPalette& Palette) {
  std::vector<std::uint8_t> bytes;
  if (auto refusal = ReadBMFile(FileName, bytes)) return refusal;
  return ReadBMFromBytes(bytes, Header, Images, Palette);
}

std::optional<TRefusal> ReadCMPPalette(const std::filesystem::path& FileName, TBMPalette& Palette) {
  // Only the header and the palette are read, however long the file is.
  const auto head = ReadFileHead(FileName, kCMPPaletteEnd);
  return ReadCMPPaletteFromBytes(head ? *head : std::vector<std::uint8_t>{}, Palette);
}

std::optional<TRefusal> ReadBMPalette(const std::filesystem::path& FileName, TBMPalette& Palette) {
  std::vector<std::uint8_t> bytes;
  if (auto refusal = ReadBMFile(FileName, bytes)) return refusal;
  return ReadBMPaletteFromBytes(bytes, Palette);
}

void WriteBM8(const std::filesystem::path& FileName, std::span<const TBitmap* const> Sources,
              std::int32_t XOffset, std::int32_t YOffset, std::uint8_t TransparentIndex,
              bool IncludePalette) {
  std::vector<std::uint8_t> bytes;
  EncodeBM8(bytes, Sources, XOffset, YOffset, TransparentIndex, IncludePalette);
  WriteFileAtomically(FileName, bytes);
}

void WriteBM16(const std::filesystem::path& FileName, std::span<const TBitmap* const> Sources,
               std::int32_t XOffset, std::int32_t YOffset, std::uint8_t Red, std::uint8_t Green,
               std::uint8_t Blue) {
  std::vector<std::uint8_t> bytes;
  EncodeBM16(bytes, Sources, XOffset, YOffset, Red, Green, Blue);
  WriteFileAtomically(FileName, bytes);
}

void LoadFromBmpFile(TBitmap& bitmap, const std::filesystem::path& path) {
  bitmap.LoadFromBmpStream(
      ReadWholeFileOrThrow(path, static_cast<std::uint64_t>(kMaxSourceFileBytes), "BMP"));
}

std::optional<TRefusal> ReadPaletteFile(const std::filesystem::path& path, TBMPalette& palette,
                                        std::optional<EPaletteFile> kind) {
  const std::vector<std::uint8_t> bytes =
      ReadWholeFileOrThrow(path, kMaxPaletteFileBytes, "Palette");
  if (!kind) kind = PaletteFileOf(bytes, path.generic_string());
  if (!kind) return TRefusal{.Reason = ERefusal::NotAPaletteFile};
  return ReadPaletteBytes(bytes, *kind, palette);
}

void WritePaletteFile(const std::filesystem::path& path, const TBMPalette& palette) {
  const std::optional<EPaletteFile> kind = PaletteOutputFor(path.generic_string());
  if (!kind) throw CodecError(kNotAPaletteOutput);
  std::vector<std::uint8_t> bytes;
  EncodePalette(palette, *kind, bytes);
  WriteFileAtomically(path, bytes);
}

void SaveToBmpFile(const TBitmap& bitmap, const std::filesystem::path& path,
                   EDurability durability) {
  if (bitmap.Empty()) throw CodecError("Cannot save an empty bitmap to " + DisplayPath(path));
  const std::vector<std::uint8_t> header = bitmap.BmpFileHeader();
  const std::span<const std::uint8_t> pieces[] = {header, bitmap.StoredForm()};
  WriteFileAtomically(path, pieces, durability);
}

std::optional<std::vector<std::uint8_t>> ReadFileHead(const std::filesystem::path& path,
                                                      std::size_t count) {
  TFileSource source(path);
  if (!source.IsOpen()) return std::nullopt;
  std::vector<std::uint8_t> head(
      static_cast<std::size_t>(std::min<std::uint64_t>(count, source.Size())));
  if (!source.Read(head)) return std::nullopt;
  return head;
}

}  // namespace zarn
