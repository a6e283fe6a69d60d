#include "codec/Display.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "codec/ByteSource.h"
#include "codec/Errors.h"
#include "codec/PixelRows.h"

namespace zarn {

using detail::StoreI32;
using detail::StoreU16;
using detail::StoreU32;

namespace {

constexpr std::size_t kColourTableBytes = 4 * kPaletteEntries;

void CheckImage(const TBMImage& image, std::int32_t bitsPerPixel) {
  if (!ImageWithinLimits(image.Width, image.Height, bitsPerPixel)) {
    throw CodecError(ImageTooLargeText("The image", image.Width, image.Height, bitsPerPixel));
  }
  const auto expected = static_cast<std::size_t>(image.Width) *
                        static_cast<std::size_t>(image.Height) *
                        static_cast<std::size_t>(BytesPerPixel(bitsPerPixel));
  if (image.Pixels.size() != expected) throw CodecError("Image data is incomplete");
}

// Writes the 40-byte info header of a standard-layout BMP.
void StoreInfoHeader(std::uint8_t* p, std::int32_t width, std::int32_t height,
                     std::uint16_t bitCount, std::uint32_t imageSize, std::uint32_t colours) {
  StoreU32(p, static_cast<std::uint32_t>(kBmpInfoHeaderSize));
  StoreI32(p + 4, width);
  StoreI32(p + 8, height);
  StoreU16(p + 12, 1);
  StoreU16(p + 14, bitCount);
  StoreU32(p + 16, 0);
  StoreU32(p + 20, imageSize);
  StoreU32(p + 24, 0);
  StoreU32(p + 28, 0);
  StoreU32(p + 32, colours);
  StoreU32(p + 36, colours);
}

}  // namespace

void BM8ToBitmap(TBitmap& bitmap, const TBMImage& image, const TBMPalette& palette) {
  CheckImage(image, 8);
  const auto width = static_cast<std::size_t>(image.Width);
  const auto height = static_cast<std::size_t>(image.Height);
  const auto rowSize = static_cast<std::size_t>(PaddedRowSize(image.Width, 1));
  const std::size_t pixelsAt = kBmpInfoHeaderSize + kColourTableBytes;

  // The previous picture's memory is reused; every byte of it is written below, padding too.
  // Should the memory run out, the bitmap is left empty.
  std::vector<std::uint8_t> out = bitmap.ReleaseStoredForm();
  out.resize(pixelsAt + rowSize * height);
  std::uint8_t* p = out.data();
  StoreInfoHeader(p, image.Width, image.Height, 8, static_cast<std::uint32_t>(rowSize * height),
                  kPaletteEntries);
  static_assert(sizeof(TBMPalette) == kColourTableBytes);
  std::memcpy(p + kBmpInfoHeaderSize, palette.data(), kColourTableBytes);
  // BMP rows are stored bottom row first; the padding bytes are zeroed.
  const std::uint8_t* src = image.Pixels.data();
  for (std::size_t y = 0; y < height; ++y) {
    std::uint8_t* dst = p + pixelsAt + y * rowSize;
    if (width > 0) std::memcpy(dst, src + (height - 1 - y) * width, width);
    std::memset(dst + width, 0, rowSize - width);
  }
  bitmap.AdoptStoredForm(std::move(out));
}

void BM16ToBitmap(TBitmap& bitmap, const TBMImage& image) {
  CheckImage(image, 16);
  const auto width = static_cast<std::size_t>(image.Width);
  const auto height = static_cast<std::size_t>(image.Height);
  const auto rowSize = static_cast<std::size_t>(PaddedRowSize(image.Width, 3));
  const std::size_t pixelsAt = kBmpInfoHeaderSize;

  std::vector<std::uint8_t> out = bitmap.ReleaseStoredForm();
  out.resize(pixelsAt + rowSize * height);
  std::uint8_t* p = out.data();
  StoreInfoHeader(p, image.Width, image.Height, 24, static_cast<std::uint32_t>(rowSize * height),
                  0);
  const std::uint8_t* src = image.Pixels.data();
  for (std::size_t y = 0; y < height; ++y) {
    std::uint8_t* d = p + pixelsAt + y * rowSize;
    detail::Rgb565RowToBgr(src + (height - 1 - y) * width * 2, d, width);
    std::memset(d + 3 * width, 0, rowSize - 3 * width);
  }
  bitmap.AdoptStoredForm(std::move(out));
}

}  // namespace zarn
