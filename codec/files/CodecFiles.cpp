#include "codec/files/CodecFiles.h"

#include <algorithm>

#include "codec/BMReader.h"
#include "codec/BMWriter.h"
#include "codec/ColourSource.h"
#include "codec/Errors.h"
#include "codec/files/FilePaths.h"
#include "codec/files/FileSource.h"

namespace zarn {

using detail::TFileSource;

namespace {
// Source files are read whole. Nothing this program uses comes near these sizes: a PNG of the
// largest image a BM holds is far smaller than its limit.
constexpr std::uint64_t kMaxBmpFileBytes = 256u << 20;
constexpr std::uint64_t kMaxPngFileBytes = 64u << 20;

// The whole file, at most `limit` bytes; `kind` names it in the refusal of a larger one.
std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path, std::uint64_t limit,
                                        const char* kind) {
  TFileSource source(path);
  if (!source.IsOpen()) throw CodecError(CannotOpenFileText(path));
  if (source.Size() > limit) {
    throw CodecError(std::string(kind) + " file is too large: " + DisplayPath(path));
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(source.Size()));
  if (!source.Read(bytes)) throw CodecError(kStreamReadError);
  return bytes;
}
}  // namespace

bool ReadBM(const std::filesystem::path& FileName, TBMHeader& Header, std::span<TBMImage> Images,
            TBMPalette& Palette, std::string* refusal) {
  TFileSource source(FileName);
  if (!source.IsOpen()) {
    if (refusal != nullptr) *refusal = kInvalidBMFile;
    return false;
  }
  return ReadBMFromSource(source, Header, Images, Palette, refusal);
}

bool ReadCMPPalette(const std::filesystem::path& FileName, TBMPalette& Palette,
                    TMessageSink& messages) {
  TFileSource source(FileName);
  return ReadCMPPaletteFromSource(source, Palette, messages);
}

bool ReadBMPalette(const std::filesystem::path& FileName, TBMPalette& Palette,
                   TMessageSink& messages) {
  TFileSource source(FileName);
  return ReadBMPaletteFromSource(source, Palette, messages);
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
  bitmap.LoadFromBmpStream(ReadWholeFile(path, kMaxBmpFileBytes, "BMP"));
}

std::optional<std::string> LoadPngFile(const std::filesystem::path& path, int bitsPerPixel,
                                       TSourceImage& out) {
  return DecodePngSource(ReadWholeFile(path, kMaxPngFileBytes, "PNG"), bitsPerPixel, out);
}

std::optional<std::string> LoadColourSourceFile(const std::filesystem::path& path,
                                                std::int32_t bitsPerPixel, TColourPicture& out) {
  return DecodeColourSource(ReadWholeFile(path, kMaxBmpFileBytes, "Source"), bitsPerPixel, out);
}

std::optional<std::string> ReadPaletteFile(const std::filesystem::path& path, TBMPalette& palette,
                                           std::optional<EPaletteFile> kind) {
  const std::vector<std::uint8_t> bytes = ReadWholeFile(path, kMaxPaletteFileBytes, "Palette");
  if (!kind) kind = PaletteFileOf(bytes, path.generic_string());
  if (!kind) return std::string(kNotAPaletteFile);
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
