#include "codec/ColourMap.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "codec/Colour.h"

namespace zarn {

namespace {

bool IsTransparent(const std::uint8_t* bgra, const std::optional<TRgb>& key) {
  return bgra[3] < kHalfAlpha ||
         (key && bgra[2] == key->Red && bgra[1] == key->Green && bgra[0] == key->Blue);
}

// The errors a row of the Floyd-Steinberg below passes on as it goes: what the pixel below the
// last one takes, and what the pixel below this one takes so far.
struct TErrorsBelow {
  TFloat4 Behind{};
  TFloat4 Below{};
  // A pixel's error: 7/16 to the next pixel, then 3/16, 5/16 and 1/16 to the pixels below the
  // last one, this one and the next one.
  void Spread(TFloat4 error, TFloat4& next, TFloat4& ahead) {
    next += error * (7.0f / 16.0f);
    Behind += error * (3.0f / 16.0f);
    Below += error * (5.0f / 16.0f);
    ahead += error * (1.0f / 16.0f);
  }
  // The pixel is done: `slot`, its own, now takes what the pixel below the last one is owed.
  void Pass(TFloat4& slot, TFloat4 ahead) {
    slot = Behind;
    Behind = Below;
    Below = ahead;
  }
};

// One row of the serpentine Floyd-Steinberg below: pixels 0 to width - 1 if kStep is 1, the
// other way if it is -1. `slots[x]` holds the error carried to pixel x from the row above; once
// pixel x has been mapped, its slot takes the error carried to the pixel below it, so that one
// buffer serves both rows. slots[-1] and slots[width] are spare, for the errors that fall off the
// edges. The error for the row below is summed as the row goes, in the order the pixels give it.
template <int kStep, class Visit>
void DiffuseRow(std::ptrdiff_t width, std::int32_t y, TFloat4* slots, Visit& visit) {
  TErrorsBelow passed;
  std::ptrdiff_t x = kStep > 0 ? 0 : width - 1;
  TFloat4 carried = slots[x];
  for (std::ptrdiff_t k = 0; k < width; ++k, x += kStep) {
    TFloat4 next = slots[x + kStep];
    TFloat4 ahead{};  // for the pixel below the next one
    TFloat4 error;
    if (visit(static_cast<std::size_t>(x), y, carried, error)) passed.Spread(error, next, ahead);
    passed.Pass(slots[x - kStep], ahead);
    carried = next;
  }
  slots[x - kStep] = passed.Behind;
}

// Serpentine Floyd-Steinberg over the picture: `visit(x, y, carried, error)` maps one pixel,
// given the error carried to it, and returns whether it passes on its own error, which it then
// puts in `error`. Even rows run left to right, odd rows right to left. Errors have up to four
// channels, one a lane.
template <class Visit>
void Diffuse(std::int32_t width, std::int32_t height, Visit visit) {
  std::vector<TFloat4> slots(static_cast<std::size_t>(width) + 2, TFloat4{});
  for (std::int32_t y = 0; y < height; ++y) {
    if (y % 2 == 0) {
      DiffuseRow<1>(width, y, slots.data() + 1, visit);
    } else {
      DiffuseRow<-1>(width, y, slots.data() + 1, visit);
    }
  }
}

// The OKLab colours of a row of pixels, and which of them are transparent.
struct TRowColours {
  std::vector<TFloat4> Labs;
  std::vector<std::uint8_t> Clear;
};

// Pixels `from` to `to` - 1 of the row `bgra` into `row`, four at a time but for the last few.
void ReadRowColours(const std::uint8_t* bgra, std::size_t from, std::size_t to,
                    const std::optional<TRgb>& key, TRowColours& row) {
  OkLabLanes(bgra + 4 * from, to - from, row.Labs.data() + from);
  for (std::size_t x = from; x < to; ++x)
    row.Clear[x] = IsTransparent(bgra + 4 * x, key);
}

// One row of the serpentine Floyd-Steinberg of MapToPalette, as DiffuseRow spreads errors but
// written out, so that the running errors stay in registers: the error of each pixel is wanted
// by the next, and a trip through memory would lengthen every step. `nearest(wanted, grid,
// moved)` gives the index for a colour within reach, given where it lies in the grid of the
// search, and its error; it sets `moved` to how far the next pixel's share of the error (7/16)
// moves that pixel in the grid, so that its search can start before its colour is known. Meanwhile
// the colours of the next row (`nextBgra`, if any) are read into `next`, four pixels at a time:
// work that fills the time each pixel waits for the one before.
template <int kStep, class Nearest>
void DitherRowToPalette(std::ptrdiff_t width, const TRowColours& row, const std::uint8_t* nextBgra,
                        const std::optional<TRgb>& key, TRowColours& next,
                        std::uint8_t transparentIndex, TFloat4* slots, std::uint8_t* out,
                        Nearest& nearest) {
  const TFloat4 none{};
  const TFloat4* labs = row.Labs.data();
  const std::uint8_t* clear = row.Clear.data();
  TErrorsBelow passed;
  std::ptrdiff_t x = kStep > 0 ? 0 : width - 1;
  TFloat4 carried = slots[x];
  TFloat4 moved = none;  // how far the error carried from the last pixel moves this one's cell
  for (std::ptrdiff_t k = 0; k < width; ++k, x += kStep) {
    if (nextBgra != nullptr && k % 4 == 0 && k + 4 <= width) {
      const auto at = static_cast<std::size_t>(k);
      OkLabOfFour(nextBgra + 4 * at, next.Labs.data() + at);
      for (std::size_t j = at; j < at + 4; ++j)
        next.Clear[j] = IsTransparent(nextBgra + 4 * j, key);
    }
    TFloat4 ahead = none;
    TFloat4 nextCarried = slots[x + kStep];
    if (clear[x] != 0) [[unlikely]] {
      out[x] = transparentIndex;
      moved = none;
    } else {
      // Kept within the colours sRGB can reach, so that the error of a colour the palette
      // cannot come near does not grow without end.
      const TFloat4 wanted = WithinReach(labs[x] + carried);
      const auto [index, error] =
          nearest(wanted, TPaletteMapper::GridOf(labs[x] + slots[x]) + moved, moved);
      out[x] = index;
      passed.Spread(error, nextCarried, ahead);
    }
    passed.Pass(slots[x - kStep], ahead);
    carried = nextCarried;
  }
  slots[x - kStep] = passed.Behind;
  if (nextBgra != nullptr) {
    const auto done = static_cast<std::size_t>(width) / 4 * 4;
    ReadRowColours(nextBgra, done, static_cast<std::size_t>(width), key, next);
  }
}

template <class Nearest>
void DitherToPalette(const TColourPicture& picture, const TMapOptions& options, TBMImage& image,
                     Nearest nearest) {
  const auto width = static_cast<std::size_t>(picture.Width);
  std::vector<TFloat4> slots(width + 2, TFloat4{});
  TRowColours row{std::vector<TFloat4>(width), std::vector<std::uint8_t>(width)};
  TRowColours next = row;
  const auto bgraOf = [&](std::int32_t y) {
    return picture.Pixels.data() + 4 * width * static_cast<std::size_t>(y);
  };
  if (picture.Height > 0) ReadRowColours(bgraOf(0), 0, width, options.Key, row);
  for (std::int32_t y = 0; y < picture.Height; ++y) {
    const std::uint8_t* nextBgra = y + 1 < picture.Height ? bgraOf(y + 1) : nullptr;
    std::uint8_t* out = image.Pixels.data() + width * static_cast<std::size_t>(y);
    if (y % 2 == 0) {
      DitherRowToPalette<1>(picture.Width, row, nextBgra, options.Key, next,
                            options.TransparentIndex, slots.data() + 1, out, nearest);
    } else {
      DitherRowToPalette<-1>(picture.Width, row, nextBgra, options.Key, next,
                             options.TransparentIndex, slots.data() + 1, out, nearest);
    }
    std::swap(row, next);
  }
}

}  // namespace

TBMImage MapToPalette(const TColourPicture& picture, const TBMPalette& palette,
                      const TMapOptions& options, ESearch search) {
  TPaletteMapper mapper(palette, options.TransparentIndex);
  const auto width = static_cast<std::size_t>(picture.Width);
  TBMImage image{picture.Width, picture.Height,
                 std::vector<std::uint8_t>(width * static_cast<std::size_t>(picture.Height))};
  const bool brute = search == ESearch::BruteForce;
  // The OKLab colours of one row at a time, converted together, as lanes L, a, b and 0.
  std::vector<TFloat4> labs(width);
  std::int32_t labRow = -1;
  const auto labOf = [&](std::size_t x, std::int32_t y) {
    if (y != labRow) {
      OkLabLanes(picture.Pixels.data() + 4 * width * static_cast<std::size_t>(y), width,
                 labs.data());
      labRow = y;
    }
    return labs[x];
  };
  if (!options.Dither) {
    // A run of one colour, common in painted art, is looked up once.
    std::uint32_t lastColour = 0xFFFFFFFFu;
    std::uint8_t lastIndex = 0;
    for (std::int32_t y = 0; y < picture.Height; ++y) {
      for (std::size_t x = 0; x < width; ++x) {
        const std::size_t k = static_cast<std::size_t>(y) * width + x;
        const std::uint8_t* p = picture.Pixels.data() + 4 * k;
        if (IsTransparent(p, options.Key)) {
          image.Pixels[k] = options.TransparentIndex;
          continue;
        }
        const std::uint32_t colour = std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
        if (colour != lastColour) {
          lastColour = colour;
          const TFloat4 lab = labOf(x, y);
          lastIndex = brute ? mapper.NearestLabBruteForce({lab[0], lab[1], lab[2]})
                            : mapper.Nearest(p[2], p[1], p[0], lab);
        }
        image.Pixels[k] = lastIndex;
      }
    }
    return image;
  }
  if (brute) {
    // The plain way, pixel by pixel, which the fast way must match bit for bit.
    Diffuse(
        picture.Width, picture.Height,
        [&](std::size_t x, std::int32_t y, TFloat4 carried, TFloat4& error) {
          const std::size_t k = static_cast<std::size_t>(y) * width + x;
          if (IsTransparent(picture.Pixels.data() + 4 * k, options.Key)) {
            image.Pixels[k] = options.TransparentIndex;
            return false;
          }
          const TFloat4 wanted = WithinReach(labOf(x, y) + carried);
          const std::uint8_t index = mapper.NearestLabBruteForce({wanted[0], wanted[1], wanted[2]});
          image.Pixels[k] = index;
          error = wanted - mapper.EntryLanes(index);
          return true;
        });
    return image;
  }
  // Where the next pixel's share of an error (7/16) moves it in the grid of the search.
  constexpr TFloat4 kMoved = TFloat4{7.0f, 7.0f, 7.0f, 7.0f} / 16.0f * TPaletteMapper::kGridScale;
  DitherToPalette(picture, options, image, [&](TFloat4 wanted, TFloat4 grid, TFloat4& moved) {
    const std::uint8_t index = mapper.NearestWithin(wanted, grid, kMoved, moved);
    return std::pair{index, wanted - mapper.EntryLanes(index)};
  });
  return image;
}

TBMImage DitherToRgb565(const TColourPicture& picture, TRgb transparent) {
  const auto width = static_cast<std::size_t>(picture.Width);
  TBMImage image{picture.Width, picture.Height,
                 std::vector<std::uint8_t>(2 * width * static_cast<std::size_t>(picture.Height))};
  std::uint8_t clearLow = 0;
  std::uint8_t clearHigh = 0;
  RgbToRgb565(transparent.Red, transparent.Green, transparent.Blue, clearLow, clearHigh);
  Diffuse(picture.Width, picture.Height,
          [&](std::size_t x, std::int32_t y, TFloat4 carried, TFloat4& error) {
            const std::size_t k = static_cast<std::size_t>(y) * width + x;
            const std::uint8_t* p = picture.Pixels.data() + 4 * k;
            std::uint8_t* out = image.Pixels.data() + 2 * k;
            if (IsTransparent(p, transparent)) {
              out[0] = clearLow;
              out[1] = clearHigh;
              return false;
            }
            // Red, green, blue to the nearest of the 32, 64, 32 levels the BM shows
            // (multiples of 8, 4, 8).
            std::uint8_t level[3] = {};
            float left[3] = {};
            const float steps[3] = {8.0f, 4.0f, 8.0f};
            for (std::size_t c = 0; c < 3; ++c) {
              const float wanted =
                  std::clamp(static_cast<float>(p[2 - c]) + carried[c], 0.0f, 255.0f);
              const float top = 256.0f - steps[c];
              const float chosen = std::min(std::nearbyint(wanted / steps[c]) * steps[c], top);
              level[c] = static_cast<std::uint8_t>(chosen);
              left[c] = wanted - chosen;
            }
            // Made whole at once: lanes written one by one would pass through memory.
            error = TFloat4{left[0], left[1], left[2], 0.0f};
            RgbToRgb565(level[0], level[1], level[2], out[0], out[1]);
            return true;
          });
  return image;
}

}  // namespace zarn
