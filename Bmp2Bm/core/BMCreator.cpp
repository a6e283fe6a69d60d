#include "Bmp2Bm/core/BMCreator.h"

#include <array>
#include <filesystem>
#include <fstream>

#include "codec/BMFormat.h"
#include "codec/BMWriter.h"
#include "codec/Errors.h"

namespace zarn {

namespace {

constexpr std::size_t kCheckedBytes = 54;  // file header and a 40-byte info header

std::uint16_t U16At(const std::array<char, kCheckedBytes>& b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(b[at]) |
                                    (static_cast<std::uint8_t>(b[at + 1]) << 8));
}

}  // namespace

std::optional<std::string> CheckBmpFile(const std::string& path, EBMMode mode) {
  std::array<char, kCheckedBytes> bytes{};
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  if (!in || !in.read(bytes.data(), bytes.size())) return kInvalidBMPFile;
  if (U16At(bytes, 0) != kBmpType) return kInvalidBMPFile;
  // The bit count sits at offset 14 of the info header, or at 10 of the older 12-byte one.
  const std::uint32_t infoSize = U16At(bytes, 14) | (std::uint32_t{U16At(bytes, 16)} << 16);
  const std::uint16_t bitCount =
      U16At(bytes, kBmpFileHeaderSize + (infoSize == kBmpCoreHeaderSize ? 10 : 14));
  if (mode == EBMMode::Bit8 && bitCount != 8) return kBMPNot256Colour;
  if (mode == EBMMode::Bit16 && bitCount != 24) return kBMPNotTruecolour;
  return std::nullopt;
}

std::optional<std::string> LoadSource(const std::string& path, EBMMode mode, TBitmap& bitmap) {
  TBitmap loaded;
  loaded.LoadFromBmpFile(PathFromUtf8(path));
  const std::string refusal = WriteRefusal(loaded, mode == EBMMode::Bit8 ? 8 : 16);
  if (!refusal.empty()) return refusal + "!";
  bitmap = std::move(loaded);
  return std::nullopt;
}

bool IsPngSource(const std::string& path) {
  std::array<std::uint8_t, 8> head{};
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  return in.read(reinterpret_cast<char*>(head.data()), head.size()) && HasPngSignature(head);
}

std::optional<std::string> CheckSourceFile(const std::string& path, EBMMode mode) {
  if (!IsPngSource(path)) return CheckBmpFile(path, mode);
  std::array<std::uint8_t, kPngHeadSize> head{};
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  in.read(reinterpret_cast<char*>(head.data()), head.size());
  return CheckPngHead(std::span(head.data(), static_cast<std::size_t>(in.gcount())),
                      mode == EBMMode::Bit8 ? 8 : 16);
}

std::optional<std::string> LoadSourceFile(const std::string& path, EBMMode mode,
                                          TPngSource& source) {
  if (!IsPngSource(path)) {
    TBitmap bitmap;
    if (auto refusal = LoadSource(path, mode, bitmap)) return refusal;
    source.Bitmap = std::move(bitmap);
    source.ClearPixels.clear();
    return std::nullopt;
  }
  return LoadPngFile(PathFromUtf8(path), mode == EBMMode::Bit8 ? 8 : 16, source);
}

void PaintTransparent(TPngSource& source, const TCreateOptions& options) {
  const auto low8 = [](int v) { return static_cast<std::uint8_t>(v & 0xFF); };
  PaintClearPixels(source, low8(options.Red), low8(options.Green), low8(options.Blue));
}

std::optional<std::string> CheckSourceCount(std::size_t count) {
  if (count == 0) return std::string("Add at least one BMP file first!");
  if (count > static_cast<std::size_t>(kMaxImages)) return std::string(kTooManySources);
  return std::nullopt;
}

void CreateBM(const std::string& path, const std::vector<const TBitmap*>& sources,
              const TCreateOptions& options) {
  const auto low8 = [](int v) { return static_cast<std::uint8_t>(v & 0xFF); };
  if (options.Mode == EBMMode::Bit8) {
    WriteBM8(PathFromUtf8(path), sources, options.XOffset, options.YOffset,
             low8(options.TransparentIndex), options.IncludePalette);
  } else {
    WriteBM16(PathFromUtf8(path), sources, options.XOffset, options.YOffset, low8(options.Red),
              low8(options.Green), low8(options.Blue));
  }
}

}  // namespace zarn
