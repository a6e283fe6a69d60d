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

// Where the rows of a standard-layout stored form are (see StartStandardForm).
struct TStandardForm {
  std::size_t PixelsAt = 0;  // the first stored row, the picture's bottom row
  std::size_t RowSize = 0;   // bytes of one row, padding included
  std::size_t Height = 0;
  // Where the picture's row y (0 the top row) starts in the stored form.
  std::size_t RowAt(std::size_t y) const { return PixelsAt + (Height - 1 - y) * RowSize; }
};

// Makes `stored` the stored form of a standard-layout BMP of width x height pixels, in the
// memory it holds already: the 40-byte info header, for 8 bits the colour table `colours`
// (256 entries; null for 24 bits), then the rows, uncompressed, bottom row first, each padded
// with zeros to a multiple of 4 bytes. Only the pixel bytes are left to the caller. The picture
// must be within ImageWithinLimits(). Throws std::bad_alloc.
TStandardForm StartStandardForm(std::vector<std::uint8_t>& stored, std::int32_t width,
                                std::int32_t height, const TBMPalette* colours);

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
