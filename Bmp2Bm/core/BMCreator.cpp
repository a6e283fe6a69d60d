#include "Bmp2Bm/core/BMCreator.h"

#include <span>

#include "codec/BMFormat.h"
#include "codec/BMWriter.h"
#include "codec/files/CodecFiles.h"
#include "codec/files/FilePaths.h"

namespace zarn {

namespace {
// The file header and the longest part of an info header that the check reads.
constexpr std::size_t kCheckedBytes = kBmpFileHeaderSize + kBmpInfoHeaderSize;
}  // namespace

std::optional<std::string> CheckBmpFile(const std::string& path, EBMMode mode) {
  const auto head = ReadFileHead(PathFromUtf8(path), kCheckedBytes);
  if (!head || head->size() < kBmpFileHeaderSize) return kInvalidBMPFile;
  if ((*head)[0] != (kBmpType & 0xFF) || (*head)[1] != (kBmpType >> 8)) return kInvalidBMPFile;
  const auto bitCount = BmpBitCount(std::span(*head).subspan(kBmpFileHeaderSize));
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

void PaintTransparent(TSourceImage& source, const TCreateOptions& options) {
  const auto low8 = [](int v) { return static_cast<std::uint8_t>(v & 0xFF); };
  PaintClearPixels(source, low8(options.Red), low8(options.Green), low8(options.Blue));
}

std::optional<std::string> CheckSourceCount(std::size_t count) {
  if (count == 0) return std::string("Add at least one BMP file first!");
  if (count > static_cast<std::size_t>(kMaxImages)) return std::string(kTooManySources);
  return std::nullopt;
}

std::vector<std::uint8_t> EncodeNewBM(const std::vector<const TBitmap*>& sources,
                                      const TCreateOptions& options) {
  const auto low8 = [](int v) { return static_cast<std::uint8_t>(v & 0xFF); };
  std::vector<std::uint8_t> bytes;
  if (options.Mode == EBMMode::Bit8) {
    EncodeBM8(bytes, sources, options.XOffset, options.YOffset, low8(options.TransparentIndex),
              options.IncludePalette);
  } else {
    EncodeBM16(bytes, sources, options.XOffset, options.YOffset, low8(options.Red),
               low8(options.Green), low8(options.Blue));
  }
  return bytes;
}

void CreateBM(const std::string& path, const std::vector<const TBitmap*>& sources,
              const TCreateOptions& options) {
  WriteFileAtomically(PathFromUtf8(path), EncodeNewBM(sources, options));
}

}  // namespace zarn
