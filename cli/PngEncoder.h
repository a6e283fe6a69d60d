// PNG output of display bitmaps, encoded by libpng.
#pragma once

#include <cstdint>
#include <vector>

#include "codec/Bitmap.h"

namespace zarn::cli {

// Replaces `out` with a PNG file of the bitmap's true picture: a 256-colour picture becomes a
// palette PNG with all 256 colours of its table, a 24-bit one an RGB PNG. Chosen for speed over
// size (no row filters, light compression), as batch exports are usually read back by tools.
// `scratch` is the work area of TBitmap::Picture; reusing `out` and `scratch` across calls
// reuses their memory. Throws CodecError for a picture without pixels (a PNG holds at least
// one) or one that libpng refuses.
void EncodePng(const TBitmap& bitmap, std::vector<std::uint8_t>& out,
               std::vector<std::uint8_t>& scratch);

}  // namespace zarn::cli
