// Truecolour pictures into the colours a BM can hold: each pixel to the nearest colour of a
// 256-colour palette in OKLab (8-bit BM, see PaletteSearch.h), or to RGB565 with error
// diffusion (16-bit BM). The result for a given picture and palette is the same bytes on
// every run: ties go to the lowest index and every step is deterministic.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "codec/BMFormat.h"
#include "codec/PaletteSearch.h"
#include "codec/Png.h"

namespace zarn {

struct TRgb {
  std::uint8_t Red = 0;
  std::uint8_t Green = 0;
  std::uint8_t Blue = 0;
  friend bool operator==(const TRgb&, const TRgb&) = default;
};

// How a picture is mapped to a palette.
struct TMapOptions {
  // Every pixel whose alpha is below kHalfAlpha takes this index, and no other pixel does,
  // even when its colour is nearest.
  std::uint8_t TransparentIndex = 0;
  // Pixels of exactly this colour are transparent too (art keyed with magenta, say).
  std::optional<TRgb> Key;
  // Floyd-Steinberg error diffusion, serpentine, with the error measured in OKLab; transparent
  // pixels neither take nor pass on error.
  bool Dither = false;
};

enum class ESearch { Fast, BruteForce };

// The picture as an 8-bit image of palette indices. `search` BruteForce compares every entry
// for every pixel, which gives the same bytes more slowly.
TBMImage MapToPalette(const TColourPicture& picture, const TBMPalette& palette,
                      const TMapOptions& options, ESearch search = ESearch::Fast);

// The picture as a 16-bit RGB565 image by Floyd-Steinberg error diffusion, serpentine, on the
// red, green and blue values, instead of cutting off each channel's low bits, so that
// gradients do not band. Pixels whose alpha is below kHalfAlpha, and pixels of exactly the
// transparent colour, take the transparent colour unchanged and neither take nor pass on error.
TBMImage DitherToRgb565(const TColourPicture& picture, TRgb transparent);

}  // namespace zarn
