// The nearest colour of a 256-colour palette, exactly and fast.
//
// Colours are compared in OKLab, a perceptual space in which equal distances look about
// equally different, so that dark blues and greys are not matched to neighbours that merely
// have close RGB numbers. Ties go to the lowest index.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <vector>

#include "codec/BMFormat.h"
#include "codec/OkLab.h"

namespace zarn {

// The search for one palette and transparent index. It keeps, lazily, lists of candidates for
// cells of colours (cubes of RGB values, or boxes of OKLab), in two levels: a coarse cell's list
// is made from the whole palette, a fine cell's from its coarse cell's list. A list holds every
// entry that can be nearest to some colour of the cell (an entry that another is nearer to
// everywhere in the cell is left out), so the exact distances to the few candidates, nearly
// always four or fewer, give the brute-force answer.
class TPaletteMapper {
 public:
  TPaletteMapper(const TBMPalette& palette, std::uint8_t transparentIndex);

  // The index of the palette colour nearest to the colour, never the transparent index; `lab`
  // is its OKLab colour as OkLabLanes gives it.
  [[gnu::always_inline]] std::uint8_t Nearest(std::uint8_t red, std::uint8_t green,
                                              std::uint8_t blue, TFloat4 lab);

  // The OKLab cells: a grid over the box of colours within reach (kLabLow to kLabHigh), 8 coarse
  // cells a side, each of 4 fine ones a side. Finer cells have fewer candidates, but more of
  // them must be made, and their table no longer stays in the cache.
  static constexpr int kCoarseLabBits = 3;
  static constexpr int kFineLabBits = 5;
  static constexpr int kFineLabCells = 1 << kFineLabBits;
  static constexpr TFloat4 kGridScale =
      TFloat4{kFineLabCells, kFineLabCells, kFineLabCells, 0} / (kLabHigh - kLabLow);
  // Where a colour (lanes L, a, b and 0) lies in that grid, in fine cells along each axis.
  static TFloat4 GridOf(TFloat4 lab) { return (lab - kLabLow) * kGridScale; }

  // The same for a colour within reach (WithinReach), given in lanes L, a, b and 0, and also
  // where it lies in the grid: as GridOf gives it but to within 1e-4 of a cell, and before the
  // colour was moved within reach if it was. Sets `moved` to the colour less the entry's, times
  // `factor`, lane by lane and to within rounding: picked out together with the entry, so that
  // a caller that needs it next waits less. Inline, for dithering, where each pixel waits for
  // the error of the one before.
  [[gnu::always_inline]] std::uint8_t NearestWithin(TFloat4 wanted, TFloat4 grid, TFloat4 factor,
                                                    TFloat4& moved);

  // The same answers by comparing every entry, for tests and measurements.
  std::uint8_t NearestLabBruteForce(const TLab& lab) const;

  // The entry's colour in lanes L, a, b and 0.
  TFloat4 EntryLanes(std::uint8_t index) const { return lanes_[index]; }

  // The RGB cells: cubes of 8 values a side, in coarse cubes of 16.
  static constexpr int kCoarseRgbBits = 4;
  static constexpr int kFineRgbBits = 5;
  // A list's count of candidates takes its lowest bits (see TList).
  static constexpr int kCountBits = 8;

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
  // Coarse cells, and fine cells (one table over all of them, lazily filled; the OKLab tables
  // are made on first use).
  struct TCells {
    std::vector<TList> Coarse;
    std::vector<TList> Fine;
  };
  // The cell of three cube or grid numbers of `bits` bits each: where it is in its table.
  static constexpr std::uint32_t CellOf(std::uint32_t x, std::uint32_t y, std::uint32_t z,
                                        int bits) {
    return (x << bits | y) << bits | z;
  }
  // The RGB cube of `bits` bits a side that holds the colour.
  static constexpr std::uint32_t RgbCellOf(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                                           int bits) {
    return CellOf(std::uint32_t{red} >> (8 - bits), std::uint32_t{green} >> (8 - bits),
                  std::uint32_t{blue} >> (8 - bits), bits);
  }
  TList Append(const std::uint8_t* entries, std::uint32_t count);
  TList Build(TList from, const std::array<float, 6>& box, float margin);
  // How many entries, the nearest to a cell, are tried as shutting others out of its list.
  static constexpr std::uint32_t kDominators = 8;
  std::uint32_t Undominated(std::uint8_t* entries, std::uint32_t count,
                            const std::array<float, 6>& box) const;
  template <class CoarseBox, class FineBox>
  TList MakeFine(TCells& cells, std::uint32_t coarse, std::uint32_t fine, float margin,
                 CoarseBox coarseBox, FineBox fineBox);
  // The lists of the fine cells that hold a colour, made on first use; kept out of line so that
  // the searches stay small.
  [[gnu::noinline]] TList MakeRgbList(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
  [[gnu::noinline]] TList MakeLabList(const std::array<std::uint32_t, 3>& at);
  std::uint8_t Closest(TList list, TFloat4 lab) const;
  [[gnu::noinline]] std::uint8_t NearestSlowly(std::uint8_t red, std::uint8_t green,
                                               std::uint8_t blue, TFloat4 lab);
  // The lane of a group that holds the candidate nearest to the colour, the earliest on a tie
  // (lanes are in index order), as a number and as a mask of one lane; and the colour less each
  // candidate, axis by axis.
  struct TGroupPick {
    int Lane;
    TInt4 Mask;
    TFloat4 DL, DA, DB;
  };
  [[gnu::always_inline]] static TGroupPick PickInGroup(const TGroup& g, TFloat4 lab);
  // The entry nearest to a colour within reach in a fine cell whose list is not made yet or
  // has more than one group; makes the cell's line.
  [[gnu::noinline]] std::uint8_t NearestWithinSlowly(TFloat4 lab, std::uint32_t cell);

  std::uint8_t transparent_;
  std::array<TLab, kPaletteEntries> labs_{};
  // The same as lanes L, a, b and 0.
  std::array<TFloat4, kPaletteEntries> lanes_{};
  // The entries for the search: the transparent one and repeats of an earlier colour (which
  // can never be the lowest nearest index) are left out.
  TList all_ = 0;
  TCells rgb_;
  TCells lab_;
  // For dithering, made with the first OKLab list: each fine OKLab cell of one to four
  // candidates also as one cache line of their values and indices, at the address the cell
  // gives, which saves a step through its list. `Count` is 0 while the cell's list is not made,
  // over 4 if the list is longer.
  struct alignas(64) TCellLine {
    TGroup Group;
    std::uint8_t Indices[4];
    std::uint32_t Count;
  };
  std::vector<TCellLine> labLines_;
  // The lists one after another, each starting at a multiple of four: their entries' indices,
  // and their OKLab values in groups; the lanes after a list's last candidate are far away
  // from every colour, so that they never win.
  std::vector<std::uint8_t> pool_;
  std::vector<TGroup> groups_;
};

inline TPaletteMapper::TGroupPick TPaletteMapper::PickInGroup(const TGroup& g, TFloat4 lab) {
  TFloat4 dl, da, db;
  __builtin_memcpy(&dl, g.L, sizeof dl);
  __builtin_memcpy(&da, g.A, sizeof da);
  __builtin_memcpy(&db, g.B, sizeof db);
  dl = __builtin_shuffle(lab, TInt4{0, 0, 0, 0}) - dl;
  da = __builtin_shuffle(lab, TInt4{1, 1, 1, 1}) - da;
  db = __builtin_shuffle(lab, TInt4{2, 2, 2, 2}) - db;
  const TFloat4 d = dl * dl + da * da + db * db;
  // The lanes that hold the least distance; more than one only on a tie to the last bit.
  const TFloat4 pairs = Min4(d, __builtin_shuffle(d, TInt4{1, 0, 3, 2}));
  TInt4 holds = d == Min4(pairs, __builtin_shuffle(pairs, TInt4{2, 3, 0, 1}));
#if defined(__SSE2__)
  const auto lanes = static_cast<unsigned>(_mm_movemask_ps(std::bit_cast<__m128>(holds)));
#else
  const auto lanes =
      static_cast<unsigned>((holds[0] & 1) | (holds[1] & 2) | (holds[2] & 4) | (holds[3] & 8));
#endif
  const int lane = std::countr_zero(lanes);
  if ((lanes & (lanes - 1)) != 0) [[unlikely]]
    holds = TInt4{0, 1, 2, 3} == TInt4{lane, lane, lane, lane};
  return {lane, holds, dl, da, db};
}

inline std::uint8_t TPaletteMapper::Nearest(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                                            TFloat4 lab) {
  const TList list = rgb_.Fine[RgbCellOf(red, green, blue, kFineRgbBits)];
  if ((list & ((1u << kCountBits) - 1)) - 1 >= 4) [[unlikely]]
    return NearestSlowly(red, green, blue, lab);
  const std::uint32_t first = list >> kCountBits;
  return pool_[4 * first + static_cast<std::uint32_t>(PickInGroup(groups_[first], lab).Lane)];
}

inline std::uint8_t TPaletteMapper::NearestWithin(TFloat4 wanted, TFloat4 grid, TFloat4 factor,
                                                  TFloat4& moved) {
  constexpr TFloat4 kLast = {kFineLabCells - 1, kFineLabCells - 1, kFineLabCells - 1, 0};
  const TInt4 at = __builtin_convertvector(Min4(Max4(grid, TFloat4{}), kLast), TInt4);
  const std::uint32_t cell =
      CellOf(static_cast<std::uint32_t>(at[0]), static_cast<std::uint32_t>(at[1]),
             static_cast<std::uint32_t>(at[2]), kFineLabBits);
  // A list of one to four candidates, in one group: nearly every list.
  if (labLines_.empty() || labLines_[cell].Count - 1 >= 4) [[unlikely]] {
    const std::uint8_t index = NearestWithinSlowly(wanted, cell);
    moved = (wanted - lanes_[index]) * factor;
    return index;
  }
  const TCellLine& line = labLines_[cell];
  const TGroupPick pick = PickInGroup(line.Group, wanted);
  const TFloat4 dl = pick.DL, da = pick.DA, db = pick.DB;
  const TInt4 holds = pick.Mask;
  // Each lane's differences times the factor as one colour (worked out while the distances
  // are compared), and the winner's picked by the mask.
  const TFloat4 la01 = __builtin_shuffle(dl, da, TInt4{0, 4, 1, 5});
  const TFloat4 la23 = __builtin_shuffle(dl, da, TInt4{2, 6, 3, 7});
  const TFloat4 b01 = __builtin_shuffle(db, TFloat4{}, TInt4{0, 4, 1, 5});
  const TFloat4 b23 = __builtin_shuffle(db, TFloat4{}, TInt4{2, 6, 3, 7});
  const auto picked = [&](TFloat4 colour, int k) {
    return std::bit_cast<TInt4>(colour * factor) & __builtin_shuffle(holds, TInt4{k, k, k, k});
  };
  moved = std::bit_cast<TFloat4>((picked(__builtin_shuffle(la01, b01, TInt4{0, 1, 4, 5}), 0) |
                                  picked(__builtin_shuffle(la01, b01, TInt4{2, 3, 6, 7}), 1)) |
                                 (picked(__builtin_shuffle(la23, b23, TInt4{0, 1, 4, 5}), 2) |
                                  picked(__builtin_shuffle(la23, b23, TInt4{2, 3, 6, 7}), 3)));
  return line.Indices[pick.Lane];
}

}  // namespace zarn
