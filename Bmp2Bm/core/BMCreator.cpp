#include "Bmp2Bm/core/BMCreator.h"

#include <utility>

#include "codec/BMFormat.h"
#include "codec/BMWriter.h"
#include "codec/Colour.h"
#include "codec/ColourSource.h"
#include "codec/Display.h"
#include "codec/files/CodecFiles.h"
#include "codec/files/FilePaths.h"

namespace zarn {

namespace {

int BitsPerPixelOf(EBMMode mode) {
  return mode == EBMMode::Bit8 ? 8 : 16;
}

std::uint8_t Low8(int value) {
  return static_cast<std::uint8_t>(value & 0xFF);
}

// The head check of a source taken by its colours: a PNG by its signature and header chunk, a
// BMP by its type and a bit count of 8, 24 or 32.
std::optional<TRefusal> CheckColourHead(std::span<const std::uint8_t> head) {
  if (HasPngSignature(head)) return CheckPngHead(head, 16);
  const auto bitCount = BmpHeadBitCount(head);
  if (!bitCount) return TRefusal{.Reason = ERefusal::InvalidBMP};
  if (!IsColourSourceBitCount(*bitCount)) return TRefusal{.Reason = ERefusal::BMPNotMappable};
  return std::nullopt;
}

std::optional<TRefusal> CheckSourceHead(std::span<const std::uint8_t> head,
                                        const TCreateOptions& options) {
  if (options.MapPalette) return CheckColourHead(head);
  const int bitsPerPixel = BitsPerPixelOf(options.Mode);
  return HasPngSignature(head) ? CheckPngHead(head, bitsPerPixel)
                               : CheckBmpHead(head, bitsPerPixel);
}

// A source as it is stored, loaded: a BMP's bitmap alone, a PNG's with its clear pixels.
std::optional<TRefusal> LoadStoredSource(std::span<const std::uint8_t> bytes, int bitsPerPixel,
                                         TSourceImage& out) {
  if (HasPngSignature(bytes)) return DecodePngSource(bytes, bitsPerPixel, out);
  TSourceImage loaded;
  loaded.Bitmap.LoadFromBmpStream(bytes);
  if (auto refusal = CheckWritable(loaded.Bitmap, bitsPerPixel)) return refusal;
  out = std::move(loaded);
  return std::nullopt;
}

}  // namespace

std::optional<TRefusal> AdmitColourSource(std::span<const std::uint8_t> bytes,
                                          const TCreateOptions& options, TColourPicture& colours) {
  if (auto refusal = CheckSourceHead(bytes, options)) return refusal;
  return DecodeColourSource(bytes, BitsPerPixelOf(options.Mode), colours);
}

std::optional<TRefusal> AdmitSource(std::span<const std::uint8_t> bytes,
                                    const TCreateOptions& options, TSourceImage& source) {
  TSourceImage admitted;
  if (options.ConvertsColours()) {
    TColourPicture colours;
    if (auto refusal = AdmitColourSource(bytes, options, colours)) return refusal;
    admitted.Bitmap = ConvertColours(colours, options);
  } else {
    if (auto refusal = CheckSourceHead(bytes, options)) return refusal;
    if (auto refusal = LoadStoredSource(bytes, BitsPerPixelOf(options.Mode), admitted)) {
      return refusal;
    }
    PaintTransparent(admitted, options);
  }
  source = std::move(admitted);
  return std::nullopt;
}

std::optional<TRefusal> AdmitClipboardSource(std::span<const std::uint8_t> png,
                                             const TCreateOptions& options, TSourceImage& source) {
  auto refusal = AdmitSource(png, options, source);
  if (refusal && refusal->Reason == ERefusal::PNGNot256Colour) {
    refusal->Reason = ERefusal::ClipboardNot256Colour;
  }
  return refusal;
}

std::optional<TRefusal> ReadSourceFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  auto file = ReadWholeFile(PathFromUtf8(path), static_cast<std::uint64_t>(kMaxSourceFileBytes));
  if (!file) return TRefusal{.Reason = ERefusal::InvalidBMP};
  if (file->TooLarge) {
    return TRefusal{.Reason = ERefusal::SourceFileTooLarge,
                    .Count = static_cast<std::int64_t>(file->Size)};
  }
  bytes = std::move(file->Bytes);
  return std::nullopt;
}

std::optional<TRefusal> AdmitSourceFile(const std::string& path, const TCreateOptions& options,
                                        TSourceImage& source) {
  std::vector<std::uint8_t> bytes;
  if (auto refusal = ReadSourceFile(path, bytes)) return refusal;
  return AdmitSource(bytes, options, source);
}

TBitmap ConvertColours(const TColourPicture& picture, const TCreateOptions& options) {
  TBitmap bitmap;
  if (options.Mode == EBMMode::Bit8 && options.MapPalette) {
    const TMapOptions map{Low8(options.TransparentIndex), options.Key, options.Dither};
    BM8ToBitmap(bitmap, MapToPalette(picture, *options.MapPalette, map), *options.MapPalette);
  } else {
    const TRgb transparent{Low8(options.Red), Low8(options.Green), Low8(options.Blue)};
    BM16ToBitmap(bitmap, DitherToRgb565(picture, transparent));
  }
  return bitmap;
}

void PaintTransparent(TSourceImage& source, const TCreateOptions& options) {
  PaintClearPixels(source, Low8(options.Red), Low8(options.Green), Low8(options.Blue));
}

std::uint16_t TransparentRgb565(const TCreateOptions& options) {
  std::uint8_t low = 0, high = 0;
  RgbToRgb565(Low8(options.Red), Low8(options.Green), Low8(options.Blue), low, high);
  return static_cast<std::uint16_t>(low | (high << 8));
}

std::optional<TRefusal> CheckSourceCount(std::size_t count) {
  if (count == 0) return TRefusal{.Reason = ERefusal::NoSources};
  if (count > static_cast<std::size_t>(kMaxImages)) {
    return TRefusal{.Reason = ERefusal::TooManySources, .Count = static_cast<std::int64_t>(count)};
  }
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
