#include "codec/PaletteSearch.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace zarn {

namespace {

// For the boxes: the cone responses of one linear colour, their cube roots, and L, a, b.
std::array<float, 4> ConeSums(float r, float g, float b) {
  std::array<float, 4> c{};
  for (std::size_t i = 0; i < 3; ++i)
    c[i] = oklab::kToCones[i][0] * r + oklab::kToCones[i][1] * g + oklab::kToCones[i][2] * b;
  return c;
}

std::array<float, 4> CubeRoots(const std::array<float, 4>& x) {
  return std::bit_cast<std::array<float, 4>>(oklab::CubeRoot4(std::bit_cast<TFloat4>(x)));
}

std::array<float, 4> Cones(float r, float g, float b) {
  return CubeRoots(ConeSums(r, g, b));
}

float Row(std::size_t i, const std::array<float, 4>& c) {
  return oklab::kToLab[i][0] * c[0] + oklab::kToLab[i][1] * c[1] + oklab::kToLab[i][2] * c[2];
}

// The one distance every search uses, so that all of them compare the same numbers: the same
// operations in the same order, on single floats or on four lanes at once.
template <class T>
inline T SquaredDistance(T dl, T da, T db) {
  return dl * dl + da * da + db * db;
}
inline float Distance(const TLab& x, const TLab& y) {
  return SquaredDistance(x.L - y.L, x.A - y.A, x.B - y.B);
}

constexpr TFloat4 Splat4(float v) {
  return TFloat4{v, v, v, v};
}
TFloat4 Load4(const float* v) {
  TFloat4 x;
  std::memcpy(&x, v, sizeof x);
  return x;
}

// ---- the cells ----------------------------------------------------------------------------

constexpr int kCoarseRgbBits = TPaletteMapper::kCoarseRgbBits;
constexpr int kFineRgbBits = TPaletteMapper::kFineRgbBits;
constexpr int kCoarseRgbSide = 256 >> kCoarseRgbBits;
constexpr int kFineRgbSide = 256 >> kFineRgbBits;
constexpr int kCoarseLabBits = TPaletteMapper::kCoarseLabBits;
constexpr int kFineLabBits = TPaletteMapper::kFineLabBits;
constexpr int kFineLabCells = TPaletteMapper::kFineLabCells;
constexpr std::uint32_t kFinePerCoarse = 1u << (kFineLabBits - kCoarseLabBits);

// Past this many candidates in all lists (13 bytes each), a fine cell is searched with its
// coarse cell's list, which holds every candidate of the fine one: an answer as exact, found
// more slowly, so that a palette whose every cell has very many candidates cannot take much
// memory.
constexpr std::size_t kPoolLimit = std::size_t{1} << 20;
constexpr std::size_t kRgbPoolRoom = std::size_t{1} << 15;
constexpr std::size_t kLabPoolRoom = std::size_t{1} << 18;

// Boxes are widened by these: an RGB cube's box by more than the error of the cube roots (twice
// 2e-5 of values up to 1, through weights that sum to under 5), an OKLab cell's by more than
// the rounding that places a colour in it.
constexpr float kRgbBoxMargin = 5e-4f;
constexpr float kLabBoxMargin = 1e-5f;
// How much nearer than another entry an entry must be, everywhere in a box, to shut it out of
// the box's list: far more than the rounding of a float distance (under 1e-6 for colours within
// reach).
constexpr float kDominanceSlack = 1e-5f;
// Where the lanes after a list's last candidate are put: farther than any colour from all.
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
    linLow[j] = oklab::kLinear[static_cast<std::size_t>(low[j])];
    linHigh[j] = oklab::kLinear[static_cast<std::size_t>(low[j] + kSide - 1)];
  }
  const auto sumLow = ConeSums(linLow[0], linLow[1], linLow[2]);
  const auto sumHigh = ConeSums(linHigh[0], linHigh[1], linHigh[2]);
  const auto lo = CubeRoots(sumLow);
  const auto hi = CubeRoots(sumHigh);
  std::array<float, 6> box{};
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = 0; j < 3; ++j) {
      const float w = oklab::kToLab[i][j];
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
        const float w = oklab::kToLab[i][k] * oklab::kToCones[k][j];
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

namespace {

// A list is where it starts in the pool, in groups of four, and how many candidates it has.
std::uint32_t GroupOf(std::uint32_t list) {
  return list >> TPaletteMapper::kCountBits;
}
std::uint32_t CountOf(std::uint32_t list) {
  return list & ((1u << TPaletteMapper::kCountBits) - 1);
}
std::uint32_t GroupsOf(std::uint32_t list) {
  return (CountOf(list) + 3) / 4;
}

}  // namespace

TPaletteMapper::TPaletteMapper(const TBMPalette& palette, std::uint8_t transparentIndex)
    : transparent_(transparentIndex) {
  constexpr std::size_t kCoarseRgb = std::size_t{1} << (3 * kCoarseRgbBits);
  rgb_.Coarse.assign(kCoarseRgb, 0);
  rgb_.Fine.assign(std::size_t{1} << (3 * kFineRgbBits), 0);
  pool_.reserve(kRgbPoolRoom);
  groups_.reserve(kRgbPoolRoom / 4);
  std::vector<std::uint8_t> entries;
  for (std::size_t i = 0; i < palette.size(); ++i) {
    labs_[i] = OkLab(palette[i].Red, palette[i].Green, palette[i].Blue);
    lanes_[i] = TFloat4{labs_[i].L, labs_[i].A, labs_[i].B, 0.0f};
    bool wins = i != transparentIndex;
    for (std::size_t j = 0; wins && j < i; ++j) {
      wins = j == transparentIndex ||
             !(palette[j].Red == palette[i].Red && palette[j].Green == palette[i].Green &&
               palette[j].Blue == palette[i].Blue);
    }
    if (wins) entries.push_back(static_cast<std::uint8_t>(i));
  }
  all_ = Append(entries.data(), static_cast<std::uint32_t>(entries.size()));
}

TPaletteMapper::TList TPaletteMapper::Append(const std::uint8_t* entries, std::uint32_t count) {
  const auto group = static_cast<std::uint32_t>(groups_.size());
  groups_.resize(groups_.size() + (count + 3) / 4);
  for (std::uint32_t k = 0; k < (count + 3) / 4 * 4; ++k) {
    TGroup& g = groups_[group + k / 4];
    const bool real = k < count;
    const TLab& lab = labs_[entries[real ? k : count - 1]];
    g.L[k % 4] = real ? lab.L : kFarAway;
    g.A[k % 4] = real ? lab.A : kFarAway;
    g.B[k % 4] = real ? lab.B : kFarAway;
    pool_.push_back(entries[real ? k : count - 1]);
  }
  return group << kCountBits | count;
}

// The candidates of a box (low L, a, b, then high L, a, b) among those of `from`: every entry
// whose smallest possible distance to the box is within the largest distance from the box to
// the entry that bounds it best. Any colour in the box is no farther than that from that
// entry, so its nearest entry is in the list; a little slack covers the rounding of distances.
// Four candidates at a time; then the entries that others shut out (Undominated).
TPaletteMapper::TList TPaletteMapper::Build(TList from, const std::array<float, 6>& box,
                                            float margin) {
  const std::array<float, 6> b = Widened(box, margin);
  alignas(16) float nearest[kPaletteEntries];
  TFloat4 bound = Splat4(std::numeric_limits<float>::infinity());
  const TGroup* groups = groups_.data() + GroupOf(from);
  for (std::uint32_t j = 0; j < GroupsOf(from); ++j) {
    const float* axes[3] = {groups[j].L, groups[j].A, groups[j].B};
    TFloat4 in = Splat4(0.0f), out = Splat4(0.0f);
    for (std::size_t axis = 0; axis < 3; ++axis) {
      const TFloat4 p = Load4(axes[axis]);
      const TFloat4 below = Splat4(b[axis]) - p;
      const TFloat4 above = p - Splat4(b[axis + 3]);
      const TFloat4 gap = Max4(Max4(below, above), Splat4(0.0f));
      const TFloat4 reach = Max4(-below, -above);
      in += gap * gap;
      out += reach * reach;
    }
    std::memcpy(nearest + 4 * j, &in, sizeof in);
    bound = out < bound ? out : bound;
  }
  const float least = std::min(std::min(bound[0], bound[1]), std::min(bound[2], bound[3]));
  const float limit = least * (1.0f + 1e-5f) + 1e-6f;
  std::uint8_t kept[kPaletteEntries];
  std::uint32_t count = 0;
  const std::uint8_t* entries = pool_.data() + 4 * GroupOf(from);
  for (std::uint32_t k = 0; k < CountOf(from); ++k) {
    kept[count] = entries[k];
    count += nearest[k] <= limit ? 1 : 0;
  }
  return Append(kept, Undominated(kept, count, b));
}

// Leaves out of `entries` (in index order, kept so) every entry that one of the few entries
// nearest the box's centre is nearer to, everywhere in the box, by far more than the rounding of
// a distance: such an entry can never be nearest there. |x - p|^2 - |x - q|^2 is linear in x,
// so its least value in the box is at the corner that the signs of q - p pick. Four entries at
// a time; returns the new count.
std::uint32_t TPaletteMapper::Undominated(std::uint8_t* entries, std::uint32_t count,
                                          const std::array<float, 6>& box) const {
  // A list of one group is searched as fast as a shorter one.
  if (count <= 4) return count;
  // The entries nearest the centre: those most likely to shut others out.
  float centre[3];
  for (std::size_t axis = 0; axis < 3; ++axis)
    centre[axis] = (box[axis] + box[axis + 3]) / 2;
  std::array<float, kDominators> nearest;
  std::array<std::uint8_t, kDominators> dominators{};
  nearest.fill(std::numeric_limits<float>::infinity());
  std::uint32_t chosen = 0;
  for (std::uint32_t k = 0; k < count; ++k) {
    const TLab& v = labs_[entries[k]];
    const float d = SquaredDistance(v.L - centre[0], v.A - centre[1], v.B - centre[2]);
    if (chosen == kDominators && !(d < nearest[kDominators - 1])) continue;
    std::uint32_t at = chosen < kDominators ? chosen++ : kDominators - 1;
    for (; at > 0 && d < nearest[at - 1]; --at) {
      nearest[at] = nearest[at - 1];
      dominators[at] = dominators[at - 1];
    }
    nearest[at] = d;
    dominators[at] = entries[k];
  }
  const TFloat4 low[3] = {Splat4(box[0]), Splat4(box[1]), Splat4(box[2])};
  const TFloat4 high[3] = {Splat4(box[3]), Splat4(box[4]), Splat4(box[5])};
  std::uint32_t left = 0;
  for (std::uint32_t first = 0; first < count; first += 4) {
    std::array<TLab, 4> v;
    for (std::uint32_t k = 0; k < 4; ++k)
      v[k] = labs_[entries[std::min(first + k, count - 1)]];
    const TFloat4 p[3] = {TFloat4{v[0].L, v[1].L, v[2].L, v[3].L},
                          TFloat4{v[0].A, v[1].A, v[2].A, v[3].A},
                          TFloat4{v[0].B, v[1].B, v[2].B, v[3].B}};
    TInt4 shutOut{};
    for (std::uint32_t j = 0; j < chosen; ++j) {
      const TLab& d = labs_[dominators[j]];
      const TFloat4 q[3] = {Splat4(d.L), Splat4(d.A), Splat4(d.B)};
      TFloat4 corner[3];
      for (std::size_t axis = 0; axis < 3; ++axis)
        corner[axis] = q[axis] > p[axis] ? low[axis] : high[axis];
      const TFloat4 toP = SquaredDistance(corner[0] - p[0], corner[1] - p[1], corner[2] - p[2]);
      const TFloat4 toQ = SquaredDistance(corner[0] - q[0], corner[1] - q[1], corner[2] - q[2]);
      shutOut |= toP - toQ > Splat4(kDominanceSlack);
    }
    for (std::uint32_t k = 0; k < 4 && first + k < count; ++k) {
      entries[left] = entries[first + k];
      left += shutOut[k] ? 0 : 1;
    }
  }
  return left;
}

// The list of a fine cell, made from its coarse cell's (made first if need be). A coarse cell
// of one candidate, or a full pool, gives its list to the fine cell as it is.
template <class CoarseBox, class FineBox>
TPaletteMapper::TList TPaletteMapper::MakeFine(TCells& cells, std::uint32_t coarse,
                                               std::uint32_t fine, float margin,
                                               CoarseBox coarseBox, FineBox fineBox) {
  TList list = cells.Coarse[coarse];
  if (list == 0) list = cells.Coarse[coarse] = Build(all_, coarseBox(), margin);
  if (CountOf(list) > 1 && pool_.size() < kPoolLimit) list = Build(list, fineBox(), margin);
  return cells.Fine[fine] = list;
}

std::uint8_t TPaletteMapper::Closest(TList list, TFloat4 lab) const {
  // Four candidates at a time, each lane keeping the first of its nearest; then the nearest of
  // the lanes, the earliest on a tie. Lists are in index order, so the earliest is the lowest
  // index, as the brute force finds it.
  const TGroup* groups = groups_.data() + GroupOf(list);
  const TFloat4 l = __builtin_shuffle(lab, TInt4{0, 0, 0, 0});
  const TFloat4 a = __builtin_shuffle(lab, TInt4{1, 1, 1, 1});
  const TFloat4 b = __builtin_shuffle(lab, TInt4{2, 2, 2, 2});
  const auto distances = [&](const TGroup& g) {
    return SquaredDistance(l - Load4(g.L), a - Load4(g.A), b - Load4(g.B));
  };
  TFloat4 best = distances(groups[0]);
  TInt4 at = {0, 1, 2, 3};
  TInt4 bestAt = at;
  for (std::uint32_t j = 1; j < GroupsOf(list); ++j) {
    at += 4;
    const TFloat4 d = distances(groups[j]);
    const TInt4 closer = d < best;
    best = closer ? d : best;
    bestAt = closer ? at : bestAt;
  }
  // The least distance in every lane, then the lane that holds it, the earliest of them if
  // several do (rare: a tie to the last bit).
  const TFloat4 pairs = Min4(best, __builtin_shuffle(best, TInt4{1, 0, 3, 2}));
  const TFloat4 least = Min4(pairs, __builtin_shuffle(pairs, TInt4{2, 3, 0, 1}));
  const TInt4 holds = best == least;
  std::size_t lane = 0;
#if defined(__SSE2__)
  const auto lanes = static_cast<unsigned>(_mm_movemask_ps(std::bit_cast<__m128>(holds)));
  lane = static_cast<std::size_t>(std::countr_zero(lanes));
  if ((lanes & (lanes - 1)) != 0) {
#else
  {
#endif
    for (std::size_t j = 0; j < 4; ++j) {
      if (holds[j] && (!holds[lane] || bestAt[j] < bestAt[lane])) lane = j;
    }
  }
  return pool_[4 * GroupOf(list) + static_cast<std::uint32_t>(bestAt[lane])];
}

TPaletteMapper::TList TPaletteMapper::MakeRgbList(std::uint8_t red, std::uint8_t green,
                                                  std::uint8_t blue) {
  return MakeFine(
      rgb_, RgbCellOf(red, green, blue, kCoarseRgbBits), RgbCellOf(red, green, blue, kFineRgbBits),
      kRgbBoxMargin, [&] { return RgbCellBox(red, green, blue, kCoarseRgbSide); },
      [&] { return RgbCellBox(red, green, blue, kFineRgbSide); });
}

std::uint8_t TPaletteMapper::NearestSlowly(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                                           TFloat4 lab) {
  TList list = rgb_.Fine[RgbCellOf(red, green, blue, kFineRgbBits)];
  if (list == 0) list = MakeRgbList(red, green, blue);
  if (CountOf(list) == 1) return pool_[4 * GroupOf(list)];
  return Closest(list, lab);
}

TPaletteMapper::TList TPaletteMapper::MakeLabList(const std::array<std::uint32_t, 3>& at) {
  // The box of the cells of `side` fine cells a side that hold the colour.
  const auto boxOf = [&](std::uint32_t side) {
    std::array<float, 6> box{};
    for (std::size_t axis = 0; axis < 3; ++axis) {
      const float step = (kLabHigh[axis] - kLabLow[axis]) / kFineLabCells;
      const std::uint32_t first = at[axis] / side * side;
      box[axis] = kLabLow[axis] + static_cast<float>(first) * step;
      box[axis + 3] = kLabLow[axis] + static_cast<float>(first + side) * step;
    }
    return box;
  };
  constexpr int kShift = kFineLabBits - kCoarseLabBits;
  return MakeFine(
      lab_, CellOf(at[0] >> kShift, at[1] >> kShift, at[2] >> kShift, kCoarseLabBits),
      CellOf(at[0], at[1], at[2], kFineLabBits), kLabBoxMargin,
      [&] { return boxOf(kFinePerCoarse); }, [&] { return boxOf(1); });
}

std::uint8_t TPaletteMapper::NearestWithinSlowly(TFloat4 lab, std::uint32_t cell) {
  if (labLines_.empty()) {  // only dithering needs these
    lab_.Coarse.assign(std::size_t{1} << (3 * kCoarseLabBits), 0);
    lab_.Fine.assign(std::size_t{1} << (3 * kFineLabBits), 0);
    labLines_.resize(lab_.Fine.size());
    // Room for the lists a picture of 640 x 480 pixels needs, so that they are seldom moved.
    pool_.reserve(pool_.size() + kLabPoolRoom);
    groups_.reserve(groups_.size() + kLabPoolRoom / 4);
  }
  constexpr std::uint32_t kMask = kFineLabCells - 1;
  TList list = lab_.Fine[cell];
  if (list == 0) {
    list = MakeLabList({cell >> 2 * kFineLabBits, cell >> kFineLabBits & kMask, cell & kMask});
    TCellLine& line = labLines_[cell];
    line.Count = CountOf(list);
    if (line.Count <= 4) {
      line.Group = groups_[GroupOf(list)];
      std::copy_n(pool_.data() + 4 * GroupOf(list), 4, line.Indices);
    }
  }
  return CountOf(list) == 1 ? pool_[4 * GroupOf(list)] : Closest(list, lab);
}

std::uint8_t TPaletteMapper::NearestLabBruteForce(const TLab& lab) const {
  std::uint8_t best = transparent_ == 0 ? 1 : 0;
  float bestDistance = std::numeric_limits<float>::infinity();
  for (std::size_t i = 0; i < kPaletteEntries; ++i) {
    if (i == transparent_) continue;
    const float d = Distance(lab, labs_[i]);
    if (d < bestDistance) {
      bestDistance = d;
      best = static_cast<std::uint8_t>(i);
    }
  }
  return best;
}

}  // namespace zarn
