// Feeds arbitrary bytes to the BM reader; whatever it accepts is decoded for display, so both
// the reader's checks and the decoders' trust in them are exercised. Each decoded image is also
// scaled as a thumbnail, to a box size taken from the last input byte.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "codec/BMReader.h"
#include "codec/Display.h"
#include "codec/Errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zarn::TBMHeader header{};
  std::array<zarn::TBMImage, zarn::kMaxImages> images{};
  zarn::TBMPalette palette{};
  if (zarn::ReadBMFromBytes(std::span(data, size), header, images, palette)) return 0;
  // Images are read only for the two defined depths.
  const int count = zarn::BytesPerPixel(header.BitsPerPixel) != 0 && header.ImageCount > 0
                        ? header.ImageCount
                        : 0;
  zarn::TBitmap bitmap;
  zarn::TBitmap thumbnail;
  std::vector<std::uint8_t> scratch;
  const std::int32_t box = size > 0 ? data[size - 1] % 64 + 1 : 1;
  for (int i = 0; i < count; ++i) {
    // An accepted image must decode: a throw here is a fault of the reader's checks.
    if (header.BitsPerPixel == 8) zarn::BM8ToBitmap(bitmap, images[i], palette);
    if (header.BitsPerPixel == 16) zarn::BM16ToBitmap(bitmap, images[i]);
    if (bitmap.Width() > 0 && bitmap.Height() > 0)
      zarn::ScaleToFit(bitmap, box, thumbnail, scratch);
  }
  return 0;
}
