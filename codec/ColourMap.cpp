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

// One row of the serpentine Floyd-Steinberg below: pixels 0 to width - 1 if kStep is 1, the
// other way if it is -1. `slots[x]` holds the error carried to pixel x from the row above; once
// pixel x has been mapped, its slot takes the error carried to the pixel below it, so that one
// buffer serves both rows. slots[-1] and slots[width] are spare, for the errors that fall off the
// edges. The error for the row below is summed as the row goes, in the order the pixels give it.
template <int kStep, class Visit>
void DiffuseRow(std::ptrdiff_t width, std::int32_t y, TFloat4* slots, Visit& visit) {
  const TFloat4 none{};
  TFloat4 behind = none;  // for the pixel below the last one
  TFloat4 below = none;   // for the pixel below this one
  std::ptrdiff_t x = kStep > 0 ? 0 : width - 1;
  TFloat4 carried = slots[x];
  for (std::ptrdiff_t k = 0; k < width; ++k, x += kStep) {
    TFloat4 next = slots[x + kStep];
    TFloat4 ahead = none;  // for the pixel below the next one
    TFloat4 error;
    if (visit(static_cast<std::size_t>(x), y, carried, error)) {
      next += error * (7.0f / 16.0f);
      behind += error * (3.0f / 16.0f);
      below += error * (5.0f / 16.0f);
      ahead += error * (1.0f / 16.0f);
    }
    slots[x - kStep] = behind;
    behind = below;
    below = ahead;
    carried = next;
  }
  slots[x - kStep] = behind;
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
  Diffuse(picture.Width, picture.Height,
          [&](std::size_t x, std::int32_t y, TFloat4 carried, TFloat4& error) {
            const std::size_t k = static_cast<std::size_t>(y) * width + x;
            if (IsTransparent(picture.Pixels.data() + 4 * k, options.Key)) {
              image.Pixels[k] = options.TransparentIndex;
              return false;
            }
            // Kept within the colours sRGB can reach, so that the error of a colour the
            // palette cannot come near does not grow without end.
            const TFloat4 wanted = WithinReach(labOf(x, y) + carried);
            const std::uint8_t index =
                brute ? mapper.NearestLabBruteForce({wanted[0], wanted[1], wanted[2]})
                      : mapper.NearestLab(wanted);
            image.Pixels[k] = index;
            error = wanted - mapper.EntryLanes(index);
            return true;
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
            error = TFloat4{};
            std::uint8_t level[3] = {};
            const float steps[3] = {8.0f, 4.0f, 8.0f};
            for (std::size_t c = 0; c < 3; ++c) {
              const float wanted =
                  std::clamp(static_cast<float>(p[2 - c]) + carried[c], 0.0f, 255.0f);
              const float top = 256.0f - steps[c];
              const float chosen = std::min(std::nearbyint(wanted / steps[c]) * steps[c], top);
              level[c] = static_cast<std::uint8_t>(chosen);
              error[c] = wanted - chosen;
            }
            RgbToRgb565(level[0], level[1], level[2], out[0], out[1]);
            return true;
          });
  return image;
}

}  // namespace zarn
