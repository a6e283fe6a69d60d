#include "codec/PaletteSearch.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace zarn {

namespace {

// ---- OKLab --------------------------------------------------------------------------------

std::array<float, 256> MakeLinearTable() {
  std::array<float, 256> table{};
  for (int v = 0; v < 256; ++v) {
    const double c = v / 255.0;
    table[static_cast<std::size_t>(v)] =
        static_cast<float>(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
  }
  return table;
}
const std::array<float, 256> kLinear = MakeLinearTable();

// Four floats at once (a vector of the GCC and Clang compilers): pixels are converted four at a
// time, and a single colour goes through the same code in one lane, so both give the same bits.
using TFloat4 = float __attribute__((vector_size(16)));
using TUint4 = std::uint32_t __attribute__((vector_size(16)));

// The cube roots of values >= 0 to within 2.3e-5 of their value: a first guess from the bits
// of each value, then one step of Halley's method. Many times faster than std::cbrt, and the
// same on every run. The smallest value keeps the step from 0 / 0: black's root is 1e-10.
TFloat4 CubeRoot4(TFloat4 x) {
  const TFloat4 tiny = {1e-30f, 1e-30f, 1e-30f, 1e-30f};
  const TFloat4 v = x < tiny ? tiny : x;
  const TFloat4 y = std::bit_cast<TFloat4>(std::bit_cast<TUint4>(v) / 3u + 0x2A5137A0u);
  const TFloat4 y3 = y * y * y;
  return y * (y3 + 2.0f * v) / (2.0f * y3 + v);
}

// Linear RGB to the cone responses (all weights positive, so each grows with every channel),
// then their cube roots to L, a, b.
constexpr float kM1[3][3] = {{0.4122214708f, 0.5363325363f, 0.0514459929f},
                             {0.2119034982f, 0.6806995451f, 0.1073969566f},
                             {0.0883024619f, 0.2817188376f, 0.6299787005f}};
constexpr float kM2[3][3] = {{0.2104542553f, 0.7936177850f, -0.0040720468f},
                             {1.9779984951f, -2.4285922050f, 0.4505937099f},
                             {0.0259040371f, 0.7827717662f, -0.8086757660f}};

// OKLab of four colours given in linear RGB, lane by lane.
std::array<TFloat4, 3> OkLab4(TFloat4 r, TFloat4 g, TFloat4 b) {
  std::array<TFloat4, 3> c{};
  for (std::size_t i = 0; i < 3; ++i)
    c[i] = CubeRoot4(kM1[i][0] * r + kM1[i][1] * g + kM1[i][2] * b);
  std::array<TFloat4, 3> lab{};
  for (std::size_t i = 0; i < 3; ++i)
    lab[i] = kM2[i][0] * c[0] + kM2[i][1] * c[1] + kM2[i][2] * c[2];
  return lab;
}

// For the boxes: the cone responses of one linear colour, their cube roots, and L, a, b.
std::array<float, 4> ConeSums(float r, float g, float b) {
  std::array<float, 4> c{};
  for (std::size_t i = 0; i < 3; ++i)
    c[i] = kM1[i][0] * r + kM1[i][1] * g + kM1[i][2] * b;
  return c;
}

std::array<float, 4> CubeRoots(const std::array<float, 4>& x) {
  return std::bit_cast<std::array<float, 4>>(CubeRoot4(std::bit_cast<TFloat4>(x)));
}

std::array<float, 4> Cones(float r, float g, float b) {
  return CubeRoots(ConeSums(r, g, b));
}

float Row(std::size_t i, const std::array<float, 4>& c) {
  return kM2[i][0] * c[0] + kM2[i][1] * c[1] + kM2[i][2] * c[2];
}

// The one distance every search uses, so that all of them compare the same numbers.
inline float Distance(const TLab& x, float l, float a, float b) {
  const float dl = x.L - l;
  const float da = x.A - a;
  const float db = x.B - b;
  return dl * dl + da * da + db * db;
}

// ---- the cells ----------------------------------------------------------------------------

// Coarse RGB cubes of 16 values a side, fine ones of 8.
constexpr int kCoarseRgbSide = 16;
constexpr int kFineRgbSide = 8;
constexpr std::uint32_t kFineRgbPerCoarse = kCoarseRgbSide / kFineRgbSide;
// The OKLab cells: a grid over the box of colours within reach (kLabLow to kLabHigh), 16 coarse
// cells a side, each of 4 fine ones a side.
constexpr int kCoarseLabCells = 16;
constexpr int kFinePerCoarse = 4;
constexpr int kFineLabCells = kCoarseLabCells * kFinePerCoarse;
constexpr std::uint32_t kFineCellsPerBlock = kFinePerCoarse * kFinePerCoarse * kFinePerCoarse;
// Boxes are widened by these: an RGB cube's box by more than the error of the cube roots (twice
// 2e-5 of values up to 1, through weights that sum to under 5), an OKLab cell's by more than
// the rounding that places a colour in it.
constexpr float kRgbBoxMargin = 5e-4f;
constexpr float kLabBoxMargin = 1e-5f;
// Where the entries that never win are put for the search: farther than any colour from all.
constexpr float kFarAway = 1e6f;

std::array<float, 6> Widened(std::array<float, 6> box, float margin) {
  for (std::size_t i = 0; i < 3; ++i) {
    box[i] -= margin;
    box[i + 3] += margin;
  }
  return box;
}

// The OKLab box of the RGB cube of side kSide that holds the colour, two ways, each holding the
// OKLab colour of every RGB value of the cube, and the smaller of each:
// - by intervals: each cone response grows with every channel, so its range is spanned by the
//   cube's darkest and brightest corners; the cube roots keep the order, and the last step
//   takes each weight's sign into account;
// - by the mean value: from the cube's centre, the change of L, a, b is the change of linear
//   RGB times a matrix whose entries lie within bounds set by the range of the cube roots'
//   slopes over the cube. Far tighter for all but the darkest cubes, as it keeps the changes of
//   the three cone responses together.
std::array<float, 6> RgbCellBox(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                                int kSide) {
  const std::array<int, 3> low = {red & ~(kSide - 1), green & ~(kSide - 1), blue & ~(kSide - 1)};
  std::array<float, 3> linLow{}, linHigh{};
  for (std::size_t j = 0; j < 3; ++j) {
    linLow[j] = kLinear[static_cast<std::size_t>(low[j])];
    linHigh[j] = kLinear[static_cast<std::size_t>(low[j] + kSide - 1)];
  }
  const auto sumLow = ConeSums(linLow[0], linLow[1], linLow[2]);
  const auto sumHigh = ConeSums(linHigh[0], linHigh[1], linHigh[2]);
  const auto lo = CubeRoots(sumLow);
  const auto hi = CubeRoots(sumHigh);
  std::array<float, 6> box{};
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = 0; j < 3; ++j) {
      const float w = kM2[i][j];
      box[i] += w * (w >= 0 ? lo[j] : hi[j]);
      box[i + 3] += w * (w >= 0 ? hi[j] : lo[j]);
    }
  }
  if (sumLow[0] <= 1e-20f || sumLow[1] <= 1e-20f || sumLow[2] <= 1e-20f) return box;

  // Slopes of the cube root, 1 / (3 c^2) at c = cube root: largest at the darkest corner.
  std::array<float, 3> slopeLow{}, slopeHigh{};
  for (std::size_t k = 0; k < 3; ++k) {
    slopeLow[k] = 1.0f / (3.0f * hi[k] * hi[k]);
    slopeHigh[k] = 1.0f / (3.0f * lo[k] * lo[k]);
  }
  const auto mid = Cones((linLow[0] + linHigh[0]) / 2, (linLow[1] + linHigh[1]) / 2,
                         (linLow[2] + linHigh[2]) / 2);
  for (std::size_t i = 0; i < 3; ++i) {
    float reach = 0.0f;
    for (std::size_t j = 0; j < 3; ++j) {
      float least = 0.0f, most = 0.0f;
      for (std::size_t k = 0; k < 3; ++k) {
        const float w = kM2[i][k] * kM1[k][j];
        least += std::min(w * slopeLow[k], w * slopeHigh[k]);
        most += std::max(w * slopeLow[k], w * slopeHigh[k]);
      }
      reach += std::max(-least, most) * (linHigh[j] - linLow[j]) / 2;
    }
    const float centre = Row(i, mid);
    box[i] = std::max(box[i], centre - reach * 1.001f);
    box[i + 3] = std::min(box[i + 3], centre + reach * 1.001f);
  }
  return box;
}

}  // namespace

TLab OkLab(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  TLab lab;
  const std::uint8_t bgra[4] = {blue, green, red, 255};
  OkLabPixels(bgra, 1, &lab);
  return lab;
}

void OkLabPixels(const std::uint8_t* bgra, std::size_t count, TLab* out) {
  for (std::size_t first = 0; first < count; first += 4) {
    const std::size_t n = std::min<std::size_t>(4, count - first);
    TFloat4 r{}, g{}, b{};
    for (std::size_t k = 0; k < n; ++k) {
      const std::uint8_t* p = bgra + 4 * (first + k);
      r[k] = kLinear[p[2]];
      g[k] = kLinear[p[1]];
      b[k] = kLinear[p[0]];
    }
    const auto lab = OkLab4(r, g, b);
    for (std::size_t k = 0; k < n; ++k)
      out[first + k] = TLab{lab[0][k], lab[1][k], lab[2][k]};
  }
}

TPaletteMapper::TPaletteMapper(const TBMPalette& palette, std::uint8_t transparentIndex)
    : transparent_(transparentIndex) {
  constexpr std::size_t kCoarseRgb = (256 / kCoarseRgbSide) * (256 / kCoarseRgbSide) *
                                     (256 / kCoarseRgbSide);
  rgb_.Coarse.assign(kCoarseRgb, TList{});
  rgb_.Fine.assign(kCoarseRgb * kFineRgbPerCoarse * kFineRgbPerCoarse * kFineRgbPerCoarse, TList{});
  all_.Offset = 0;
  for (std::size_t i = 0; i < palette.size(); ++i) {
    labs_[i] = OkLab(palette[i].Red, palette[i].Green, palette[i].Blue);
    bool wins = i != transparentIndex;
    for (std::size_t j = 0; wins && j < i; ++j) {
      wins = j == transparentIndex || !(palette[j].Red == palette[i].Red &&
                                         palette[j].Green == palette[i].Green &&
                                         palette[j].Blue == palette[i].Blue);
    }
    l_[i] = wins ? labs_[i].L : kFarAway;
    a_[i] = wins ? labs_[i].A : kFarAway;
    b_[i] = wins ? labs_[i].B : kFarAway;
    if (wins) pool_.push_back(static_cast<std::uint8_t>(i));
  }
  all_.Count = static_cast<std::uint32_t>(pool_.size());
}

// The candidates of a box (low L, a, b, then high L, a, b) among those of `from`: every entry
// whose smallest possible distance to the box is within the largest distance from the box to
// the entry that bounds it best. Any colour in the box is no farther than that from that
// entry, so its nearest entry is in the list; a little slack covers the rounding of distances.
TPaletteMapper::TList TPaletteMapper::Build(TList from, const std::array<float, 6>& box,
                                            float margin) {
  const std::array<float, 6> b = Widened(box, margin);
  std::array<std::uint8_t, kPaletteEntries> entries{};
  std::array<float, kPaletteEntries> nearest{};
  float bound = std::numeric_limits<float>::infinity();
  for (std::uint32_t k = 0; k < from.Count; ++k) {
    const std::uint8_t i = pool_[from.Offset + k];
    entries[k] = i;
    float in = 0.0f, out = 0.0f;
    const float p[3] = {l_[i], a_[i], b_[i]};
    for (std::size_t axis = 0; axis < 3; ++axis) {
      const float below = b[axis] - p[axis];
      const float above = p[axis] - b[axis + 3];
      const float gap = std::max(std::max(below, above), 0.0f);
      const float reach = std::max(-below, -above);
      in += gap * gap;
      out += reach * reach;
    }
    nearest[k] = in;
    bound = std::min(bound, out);
  }
  const float limit = bound * (1.0f + 1e-5f) + 1e-6f;
  TList list{static_cast<std::uint32_t>(pool_.size()), 0};
  for (std::uint32_t k = 0; k < from.Count; ++k) {
    if (nearest[k] <= limit) pool_.push_back(entries[k]);
  }
  list.Count = static_cast<std::uint32_t>(pool_.size()) - list.Offset;
  return list;
}

template <class CoarseBox, class FineBox>
TPaletteMapper::TList TPaletteMapper::Lookup(TCells& cells, std::uint32_t coarse,
                                             std::uint32_t fine, CoarseBox coarseBox,
                                             FineBox fineBox) {
  // `fine` counts the fine cells of all coarse cells, those of coarse cell 0 first.
  TList list = cells.Coarse[coarse];
  if (list.Count == 0) list = cells.Coarse[coarse] = coarseBox(all_);
  if (list.Count == 1) return list;
  TList& cell = cells.Fine[fine];
  if (cell.Count == 0) cell = fineBox(list);
  return cell;
}

std::uint8_t TPaletteMapper::Closest(TList list, const TLab& lab) const {
  const std::uint8_t* entries = pool_.data() + list.Offset;
  std::uint8_t best = entries[0];
  float bestDistance = Distance(lab, l_[best], a_[best], b_[best]);
  for (std::uint32_t k = 1; k < list.Count; ++k) {
    const std::uint8_t i = entries[k];
    const float d = Distance(lab, l_[i], a_[i], b_[i]);
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

std::uint8_t TPaletteMapper::Nearest(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                                     const TLab& lab) {
  constexpr int kCoarseShift = std::countr_zero(unsigned{kCoarseRgbSide});
  constexpr int kFineShift = std::countr_zero(unsigned{kFineRgbSide});
  constexpr std::uint32_t kSides = 256 / kCoarseRgbSide;
  constexpr std::uint32_t kPerSide = kFineRgbPerCoarse;
  const std::uint32_t coarse = ((std::uint32_t{red} >> kCoarseShift) * kSides +
                                (std::uint32_t{green} >> kCoarseShift)) * kSides +
                               (std::uint32_t{blue} >> kCoarseShift);
  const std::uint32_t fine =
      coarse * kPerSide * kPerSide * kPerSide +
      (((std::uint32_t{red} >> kFineShift) % kPerSide) * kPerSide +
       ((std::uint32_t{green} >> kFineShift) % kPerSide)) * kPerSide +
      ((std::uint32_t{blue} >> kFineShift) % kPerSide);
  const TList list = Lookup(
      rgb_, coarse, fine,
      [&](TList from) {
        return Build(from, RgbCellBox(red, green, blue, kCoarseRgbSide), kRgbBoxMargin);
      },
      [&](TList from) {
        return Build(from, RgbCellBox(red, green, blue, kFineRgbSide), kRgbBoxMargin);
      });
  if (list.Count == 1) return pool_[list.Offset];
  return Closest(list, lab);
}

std::uint8_t TPaletteMapper::NearestLab(const TLab& lab) {
  const float v[3] = {lab.L, lab.A, lab.B};
  std::array<int, 3> at{};
  for (std::size_t axis = 0; axis < 3; ++axis) {
    if (!(v[axis] >= kLabLow[axis] && v[axis] <= kLabHigh[axis])) return NearestLabBruteForce(lab);
    constexpr float kCells = kFineLabCells;
    const float scaled = (v[axis] - kLabLow[axis]) * (kCells / (kLabHigh[axis] - kLabLow[axis]));
    at[axis] = std::min(static_cast<int>(scaled), kFineLabCells - 1);
  }
  // The box of the cells of `side` fine cells a side that hold the colour.
  const auto boxOf = [&](int side) {
    std::array<float, 6> box{};
    for (std::size_t axis = 0; axis < 3; ++axis) {
      const float step = (kLabHigh[axis] - kLabLow[axis]) / kFineLabCells;
      const int first = at[axis] / side * side;
      box[axis] = kLabLow[axis] + static_cast<float>(first) * step;
      box[axis + 3] = kLabLow[axis] + static_cast<float>(first + side) * step;
    }
    return box;
  };
  constexpr auto kCoarse = static_cast<std::uint32_t>(kCoarseLabCells);
  constexpr auto kFine = static_cast<std::uint32_t>(kFinePerCoarse);
  std::uint32_t coarse = 0, fine = 0;
  for (std::size_t axis = 0; axis < 3; ++axis) {
    const auto i = static_cast<std::uint32_t>(at[axis]);
    coarse = coarse * kCoarse + i / kFine;
    fine = fine * kFine + i % kFine;
  }
  fine += coarse * kFineCellsPerBlock;
  if (lab_.Coarse.empty()) {  // only dithering needs these; they take 2 MiB
    constexpr std::size_t kCoarseLab = kCoarseLabCells * kCoarseLabCells * kCoarseLabCells;
    lab_.Coarse.assign(kCoarseLab, TList{});
    lab_.Fine.assign(kCoarseLab * kFineCellsPerBlock, TList{});
  }
  const TList list = Lookup(
      lab_, coarse, fine,
      [&](TList from) { return Build(from, boxOf(kFinePerCoarse), kLabBoxMargin); },
      [&](TList from) { return Build(from, boxOf(1), kLabBoxMargin); });
  if (list.Count == 1) return pool_[list.Offset];
  return Closest(list, lab);
}

std::uint8_t TPaletteMapper::NearestLabBruteForce(const TLab& lab) const {
  std::uint8_t best = transparent_ == 0 ? 1 : 0;
  float bestDistance = std::numeric_limits<float>::infinity();
  for (std::size_t i = 0; i < kPaletteEntries; ++i) {
    if (i == transparent_) continue;
    const float d = Distance(lab, labs_[i].L, labs_[i].A, labs_[i].B);
    if (d < bestDistance) {
      bestDistance = d;
      best = static_cast<std::uint8_t>(i);
    }
  }
  return best;
}

}  // namespace zarn
