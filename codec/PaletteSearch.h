// The nearest colour of a 256-colour palette, exactly and fast.
//
// Colours are compared in OKLab, a perceptual space in which equal distances look about
// equally different, so that dark blues and greys are not matched to neighbours that merely
// have close RGB numbers. Ties go to the lowest index.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "codec/BMFormat.h"

namespace zarn {

// A colour in OKLab: lightness L and the two opponent axes a and b.
struct TLab {
  float L = 0;
  float A = 0;
  float B = 0;
};
// OKLab from 8-bit sRGB. The cube roots are computed to about 2e-5 of their value: far below
// what anyone can see, and the same on every run.
TLab OkLab(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
// OkLab of `count` pixels stored blue, green, red, alpha, bit for bit as OkLab gives each, but
// several at once.
void OkLabPixels(const std::uint8_t* bgra, std::size_t count, TLab* out);

// The box of L, a and b that holds every colour sRGB can reach (L 0 to 1, a -0.234 to 0.277,
// b -0.312 to 0.199), with a small margin.
inline constexpr std::array<float, 3> kLabLow = {0.0f, -0.24f, -0.32f};
inline constexpr std::array<float, 3> kLabHigh = {1.0f, 0.28f, 0.20f};

// The colour moved into that box.
inline TLab WithinReach(const TLab& lab) {
  const auto clamp = [](float v, std::size_t axis) {
    return std::min(std::max(v, kLabLow[axis]), kLabHigh[axis]);
  };
  return TLab{clamp(lab.L, 0), clamp(lab.A, 1), clamp(lab.B, 2)};
}

// The search for one palette and transparent index. It keeps, lazily, lists of candidates for
// cells of colours (cubes of RGB values, or boxes of OKLab), in two levels: a coarse cell's list
// is made from the whole palette, a fine cell's from its coarse cell's list. A list holds every
// entry that can be nearest to some colour of the cell, so the exact distances to the few
// candidates give the brute-force answer; a cell of one candidate needs no distance at all.
class TPaletteMapper {
 public:
  TPaletteMapper(const TBMPalette& palette, std::uint8_t transparentIndex);

  // The index of the palette colour nearest to the colour, never the transparent index; `lab`
  // is OkLab(red, green, blue).
  std::uint8_t Nearest(std::uint8_t red, std::uint8_t green, std::uint8_t blue, const TLab& lab);
  // The same for any colour within reach (WithinReach); others are compared with every entry.
  std::uint8_t NearestLab(const TLab& lab);
  // The same answers by comparing every entry, for tests and measurements.
  std::uint8_t NearestLabBruteForce(const TLab& lab) const;

  const TLab& EntryLab(std::uint8_t index) const { return labs_[index]; }

 private:
  struct TList {
    std::uint32_t Offset = 0;
    std::uint32_t Count = 0;  // 0 while the list is not made
  };
  // Coarse cells, and the fine cells of each coarse cell one after another.
  struct TCells {
    std::vector<TList> Coarse;
    std::vector<TList> Fine;
  };
  template <class CoarseBox, class FineBox>
  TList Lookup(TCells& cells, std::uint32_t coarse, std::uint32_t fine, CoarseBox coarseBox,
               FineBox fineBox);
  TList Build(TList from, const std::array<float, 6>& box, float margin);
  std::uint8_t Closest(TList list, const TLab& lab) const;

  std::uint8_t transparent_;
  std::array<TLab, kPaletteEntries> labs_{};
  // The entries for the search: the transparent one and repeats of an earlier colour (which
  // can never be the lowest nearest index) are moved far away so that they never win.
  std::array<float, kPaletteEntries> l_{}, a_{}, b_{};
  TList all_;
  TCells rgb_;
  TCells lab_;
  std::vector<std::uint8_t> pool_;  // the lists, one after another
};

}  // namespace zarn
