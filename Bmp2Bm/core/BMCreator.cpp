#include "Bmp2Bm/core/BMCreator.h"

#include <utility>

#include "codec/BMFormat.h"
#include "codec/BMWriter.h"
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

// A BMP source, checked and loaded: its bitmap alone, without clear pixels.
std::optional<TRefusal> LoadBmpSource(std::span<const std::uint8_t> bytes, int bitsPerPixel,
                                      TSourceImage& out) {
  if (auto refusal = CheckBmpHead(bytes, bitsPerPixel)) return refusal;
  TSourceImage loaded;
  loaded.Bitmap.LoadFromBmpStream(bytes);
  if (auto refusal = CheckWritable(loaded.Bitmap, bitsPerPixel)) return refusal;
  out = std::move(loaded);
  return std::nullopt;
}

}  // namespace

std::optional<TRefusal> AdmitSource(std::span<const std::uint8_t> bytes,
                                    const TCreateOptions& options, TSourceImage& source) {
  const int bitsPerPixel = BitsPerPixelOf(options.Mode);
  TSourceImage admitted;
  const auto refusal = HasPngSignature(bytes) ? DecodePngSource(bytes, bitsPerPixel, admitted)
                                              : LoadBmpSource(bytes, bitsPerPixel, admitted);
  if (refusal) return refusal;
  PaintTransparent(admitted, options);
  source = std::move(admitted);
  return std::nullopt;
}

std::optional<TRefusal> AdmitSourceFile(const std::string& path, const TCreateOptions& options,
                                        TSourceImage& source) {
  const auto file =
      ReadWholeFile(PathFromUtf8(path), static_cast<std::uint64_t>(kMaxSourceFileBytes));
  if (!file) return TRefusal{.Reason = ERefusal::InvalidBMP};
  if (file->TooLarge) {
    return TRefusal{.Reason = ERefusal::SourceFileTooLarge,
                    .Count = static_cast<std::int64_t>(file->Size)};
  }
  return AdmitSource(file->Bytes, options, source);
}

void PaintTransparent(TSourceImage& source, const TCreateOptions& options) {
  PaintClearPixels(source, Low8(options.Red), Low8(options.Green), Low8(options.Blue));
}

std::optional<TRefusal> CheckSourceCount(std::size_t count) {
  if (count == 0) return TRefusal{.Reason = ERefusal::NoSources};
  if (count > static_cast<std::size_t>(kMaxImages)) {
    return TRefusal{.Reason = ERefusal::TooManySources, .Count = static_cast<std::int64_t>(count)};
  }
  return std::nullopt;
}

void CreateBM(const std::string& path, const std::vector<const TBitmap*>& sources,
              const TCreateOptions& options) {
  if (options.Mode == EBMMode::Bit8) {
    WriteBM8(PathFromUtf8(path), sources, options.XOffset, options.YOffset,
             Low8(options.TransparentIndex), options.IncludePalette);
  } else {
    WriteBM16(PathFromUtf8(path), sources, options.XOffset, options.YOffset, Low8(options.Red),
              Low8(options.Green), Low8(options.Blue));
  }
}

}  // namespace zarn
