// Feeds arbitrary bytes to the decoder of colour sources (PNG, and BMP of 8, 24 or 32 bits);
// whatever it accepts is mapped to a palette, plainly and dithered, and dithered to RGB565,
// so the decoder's checks and the mapping's trust in them are both exercised.
#include <cstddef>
#include <cstdint>
#include <span>

#include "codec/ColourMap.h"
#include "codec/ColourSource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zarn::TColourPicture picture;
  if (zarn::DecodeColourSource(std::span(data, size), 8, picture)) return 0;
  const auto pixels = static_cast<std::size_t>(picture.Width) *
                      static_cast<std::size_t>(picture.Height);
  if (picture.Pixels.size() != 4 * pixels) __builtin_trap();
  zarn::TBMPalette palette{};
  for (std::size_t i = 0; i < palette.size(); ++i) {
    const auto v = static_cast<std::uint8_t>(i * 37);
    palette[i] =
        zarn::TRGBQuad{v, static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), 0};
  }
  const std::uint8_t transparent = size > 0 ? data[0] : 0;
  for (const bool dither : {false, true}) {
    const zarn::TBMImage image =
        zarn::MapToPalette(picture, palette, {transparent, zarn::TRgb{255, 0, 255}, dither});
    if (image.Pixels.size() != pixels) __builtin_trap();
  }
  const zarn::TBMImage image = zarn::DitherToRgb565(picture, {255, 0, 255});
  if (image.Pixels.size() != 2 * pixels) __builtin_trap();
  return 0;
}
