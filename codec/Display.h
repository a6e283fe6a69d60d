// Displayable bitmaps from BM images: an 8-bit image with a palette becomes a 256-colour BMP,
// a 16-bit RGB565 image a 24-bit BMP, both bottom row first with rows padded to 4 bytes.
#pragma once

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

}  // namespace zarn
