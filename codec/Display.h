// Displayable bitmaps from BM images: an 8-bit image with a palette becomes a 256-colour BMP,
// a 16-bit RGB565 image a 24-bit BMP, both bottom row first with rows padded to 4 bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "codec/BMFormat.h"
#include "codec/Bitmap.h"

namespace zarn {

// Reloads `bitmap` in place with the BMP of an 8-bit image and its 256-entry palette, in the
// memory of its previous picture. Throws CodecError for an image outside ImageWithinLimits() or
// whose pixel bytes are not exactly Width x Height; the bitmap is then unchanged.
void BM8ToBitmap(TBitmap& bitmap, const TBMImage& image, const TBMPalette& palette);

// Reloads `bitmap` in place with the 24-bit BMP of a 16-bit RGB565 image; checks as above
// with 2 x Width x Height pixel bytes.
void BM16ToBitmap(TBitmap& bitmap, const TBMImage& image);

namespace detail {
// Writes the 40-byte info header of a standard-layout BMP (uncompressed, bottom row first).
void StoreBmpInfoHeader(std::uint8_t* p, std::int32_t width, std::int32_t height,
                        std::uint16_t bitCount, std::uint32_t imageSize, std::uint32_t colours);
}  // namespace detail

// The colours an 8-bit image is drawn with when it has no palette: entry i is grey i.
TBMPalette GreyRamp();

// The largest size of `width` x `height` that fits in `box` x `box` with the same proportions;
// each side at least 1. Both sides must be at least 1 and `box` at least 1.
struct TFitSize {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  friend bool operator==(const TFitSize&, const TFitSize&) = default;
};
TFitSize FitWithin(std::int32_t width, std::int32_t height, std::int32_t box);

// Reloads `out` with a 24-bit BMP of `source`'s picture scaled to fit in `box` x `box`
// (FitWithin): a side that grows repeats pixels (nearest neighbour, so pixels stay sharp), a
// side that shrinks averages the pixels each target pixel covers. `scratch` is the work area
// of TBitmap::Picture. Throws CodecError for a source without pixels or without a true
// picture, and for a box outside 1 to kMaxFitBox.
inline constexpr std::int32_t kMaxFitBox = 1024;
void ScaleToFit(const TBitmap& source, std::int32_t box, TBitmap& out,
                std::vector<std::uint8_t>& scratch);

}  // namespace zarn
