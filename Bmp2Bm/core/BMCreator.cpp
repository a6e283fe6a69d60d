#include "Bmp2Bm/core/BMCreator.h"

#include <span>

#include "codec/BMFormat.h"
#include "codec/BMWriter.h"
#include "codec/Colour.h"
#include "codec/ColourSource.h"
#include "codec/Display.h"
#include "codec/files/CodecFiles.h"
#include "codec/files/FilePaths.h"

namespace zarn {

namespace {
// The file header and the longest part of an info header that the check reads.
constexpr std::size_t kCheckedBytes = kBmpFileHeaderSize + kBmpInfoHeaderSize;

// The bit count of a BMP file's head: nothing when the head is not that of a BMP ("BM" and
// the fields of its info header).
std::optional<std::uint16_t> BmpHeadBitCount(const std::optional<std::vector<std::uint8_t>>& head) {
  if (!head || head->size() < kBmpFileHeaderSize) return std::nullopt;
  if ((*head)[0] != (kBmpType & 0xFF) || (*head)[1] != (kBmpType >> 8)) return std::nullopt;
  return BmpBitCount(std::span(*head).subspan(kBmpFileHeaderSize));
}
}  // namespace

std::optional<std::string> CheckBmpFile(const std::string& path, EBMMode mode) {
  const auto bitCount = BmpHeadBitCount(ReadFileHead(PathFromUtf8(path), kCheckedBytes));
  if (!bitCount) return kInvalidBMPFile;
  if (mode == EBMMode::Bit8 && *bitCount != 8) return kBMPNot256Colour;
  if (mode == EBMMode::Bit16 && *bitCount != 24) return kBMPNotTruecolour;
  return std::nullopt;
}

std::optional<std::string> LoadSource(const std::string& path, EBMMode mode, TBitmap& bitmap) {
  TBitmap loaded;
  LoadFromBmpFile(loaded, PathFromUtf8(path));
  const std::string refusal = WriteRefusal(loaded, mode == EBMMode::Bit8 ? 8 : 16);
  if (!refusal.empty()) return refusal + "!";
  bitmap = std::move(loaded);
  return std::nullopt;
}

bool IsPngSource(const std::string& path) {
  const auto head = ReadFileHead(PathFromUtf8(path), kPngHeadSize);
  return head && HasPngSignature(*head);
}

std::optional<std::string> CheckSourceFile(const std::string& path, EBMMode mode) {
  const auto head = ReadFileHead(PathFromUtf8(path), kPngHeadSize);
  if (!head || !HasPngSignature(*head)) return CheckBmpFile(path, mode);
  return CheckPngHead(*head, mode == EBMMode::Bit8 ? 8 : 16);
}

std::optional<std::string> LoadSourceFile(const std::string& path, EBMMode mode,
                                          TSourceImage& source) {
  if (!IsPngSource(path)) {
    TBitmap bitmap;
    if (auto refusal = LoadSource(path, mode, bitmap)) return refusal;
    source.Bitmap = std::move(bitmap);
    source.ClearPixels.clear();
    return std::nullopt;
  }
  return LoadPngFile(PathFromUtf8(path), mode == EBMMode::Bit8 ? 8 : 16, source);
}

std::optional<std::string> LoadClipboardSource(std::span<const std::uint8_t> png, EBMMode mode,
                                               TSourceImage& source) {
  auto refusal = DecodePngSource(png, mode == EBMMode::Bit8 ? 8 : 16, source);
  if (refusal && *refusal == kPNGNot256Colour) return std::string(kClipboardNot256Colour);
  return refusal;
}

namespace {
std::uint8_t Low8(int v) {
  return static_cast<std::uint8_t>(v & 0xFF);
}
}  // namespace

std::optional<std::string> CheckColourSourceFile(const std::string& path) {
  const auto head = ReadFileHead(PathFromUtf8(path), kCheckedBytes);
  if (head && HasPngSignature(*head)) return CheckPngHead(*head, 16);
  const auto bitCount = BmpHeadBitCount(head);
  if (!bitCount) return kInvalidBMPFile;
  if (!IsColourSourceBitCount(*bitCount)) return kBMPNotMappable;
  return std::nullopt;
}

TBitmap ConvertColours(const TColourPicture& picture, const TCreateOptions& options) {
  const auto low8 = [](int v) { return static_cast<std::uint8_t>(v & 0xFF); };
  TBitmap bitmap;
  if (options.Mode == EBMMode::Bit8 && options.MapPalette) {
    const TMapOptions map{low8(options.TransparentIndex), options.Key, options.Dither};
    BM8ToBitmap(bitmap, MapToPalette(picture, *options.MapPalette, map), *options.MapPalette);
  } else {
    const TRgb transparent{low8(options.Red), low8(options.Green), low8(options.Blue)};
    BM16ToBitmap(bitmap, DitherToRgb565(picture, transparent));
  }
  return bitmap;
}

std::optional<std::string> LoadColourSource(const std::string& path,
                                            const TCreateOptions& options,
                                            TColourPicture& picture) {
  return LoadColourSourceFile(PathFromUtf8(path), options.Mode == EBMMode::Bit8 ? 8 : 16,
                              picture);
}

std::optional<std::string> LoadColourSource(std::span<const std::uint8_t> file,
                                            const TCreateOptions& options,
                                            TColourPicture& picture) {
  return DecodeColourSource(file, options.Mode == EBMMode::Bit8 ? 8 : 16, picture);
}

std::optional<std::string> LoadConvertedSource(const std::string& path,
                                               const TCreateOptions& options,
                                               TSourceImage& source) {
  TColourPicture picture;
  if (auto refusal = LoadColourSource(path, options, picture)) return refusal;
  source.Bitmap = ConvertColours(picture, options);
  source.ClearPixels.clear();
  return std::nullopt;
}

void PaintTransparent(TSourceImage& source, const TCreateOptions& options) {
  PaintClearPixels(source, Low8(options.Red), Low8(options.Green), Low8(options.Blue));
}

std::uint16_t TransparentRgb565(const TCreateOptions& options) {
  std::uint8_t low = 0, high = 0;
  RgbToRgb565(Low8(options.Red), Low8(options.Green), Low8(options.Blue), low, high);
  return static_cast<std::uint16_t>(low | (high << 8));
}

std::optional<std::string> CheckSourceCount(std::size_t count) {
  if (count == 0) return std::string("Add at least one BMP file first!");
  if (count > static_cast<std::size_t>(kMaxImages)) return std::string(kTooManySources);
  return std::nullopt;
}

std::vector<std::uint8_t> EncodeNewBM(const std::vector<const TBitmap*>& sources,
                                      const TCreateOptions& options) {
  std::vector<std::uint8_t> bytes;
  if (options.Mode == EBMMode::Bit8) {
    EncodeBM8(bytes, sources, options.XOffset, options.YOffset, Low8(options.TransparentIndex),
              options.IncludePalette);
  } else {
    EncodeBM16(bytes, sources, options.XOffset, options.YOffset, Low8(options.Red),
               Low8(options.Green), Low8(options.Blue));
  }
  return bytes;
}

void CreateBM(const std::string& path, const std::vector<const TBitmap*>& sources,
              const TCreateOptions& options) {
  WriteFileAtomically(PathFromUtf8(path), EncodeNewBM(sources, options));
}

}  // namespace zarn
