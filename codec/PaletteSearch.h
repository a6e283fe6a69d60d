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
#include "codec/OkLab.h"

namespace zarn {

// The search for one palette and transparent index. It keeps, lazily, lists of candidates for
// cells of colours (cubes of RGB values, or boxes of OKLab), in two levels: a coarse cell's list
// is made from the whole palette, a fine cell's from its coarse cell's list. A list holds every
// entry that can be nearest to some colour of the cell, so the exact distances to the few
// candidates give the brute-force answer; a cell of one candidate needs no distance at all.
class TPaletteMapper {
 public:
  TPaletteMapper(const TBMPalette& palette, std::uint8_t transparentIndex);

  // The index of the palette colour nearest to the colour, never the transparent index; `lab`
  // is its OKLab colour as OkLabLanes gives it.
  std::uint8_t Nearest(std::uint8_t red, std::uint8_t green, std::uint8_t blue, TFloat4 lab);
  // The same for any colour within reach (WithinReach), given in lanes L, a, b and 0; others
  // are compared with every entry.
  std::uint8_t NearestLab(TFloat4 lab);
  // The same answers by comparing every entry, for tests and measurements.
  std::uint8_t NearestLabBruteForce(const TLab& lab) const;

  // The entry's colour in lanes L, a, b and 0.
  TFloat4 EntryLanes(std::uint8_t index) const { return lanes_[index]; }

 private:
  // A list of candidates in four bytes, so that the tables of cells stay small: where it starts
  // in the pool, in groups of four (bits 8 and up), and how many candidates it has (bits 0 to
  // 7; a list never holds the transparent entry, so at most 255). 0 while the list is not made.
  using TList = std::uint32_t;
  // The OKLab values of four candidates of a list, axis by axis, so that four distances are
  // worked out at once from plain loads.
  struct TGroup {
    alignas(16) float L[4];
    float A[4];
    float B[4];
  };
  // Coarse cells, and fine cells (one table over all of them, lazily filled).
  struct TCells {
    std::vector<TList> Coarse;
    std::vector<TList> Fine;
  };
  TList Append(const std::uint8_t* entries, std::uint32_t count);
  TList Build(TList from, const std::array<float, 6>& box, float margin);
  template <class CoarseBox, class FineBox>
  TList MakeFine(TCells& cells, std::uint32_t coarse, std::uint32_t fine, float margin,
                 CoarseBox coarseBox, FineBox fineBox);
  // The lists of the fine cells that hold a colour, made on first use; kept out of line so that
  // the searches stay small.
  [[gnu::noinline]] TList MakeRgbList(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
  [[gnu::noinline]] TList MakeLabList(const std::array<std::uint32_t, 3>& at);
  std::uint8_t Closest(TList list, TFloat4 lab) const;

  std::uint8_t transparent_;
  std::array<TLab, kPaletteEntries> labs_{};
  // The same as lanes L, a, b and 0.
  std::array<TFloat4, kPaletteEntries> lanes_{};
  // The entries for the search: the transparent one and repeats of an earlier colour (which
  // can never be the lowest nearest index) are left out.
  TList all_ = 0;
  TCells rgb_;
  TCells lab_;
  // The lists one after another, each starting at a multiple of four: their entries' indices,
  // and their OKLab values in groups; the lanes after a list's last candidate are far away
  // from every colour, so that they never win.
  std::vector<std::uint8_t> pool_;
  std::vector<TGroup> groups_;
};

}  // namespace zarn
