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

// Serpentine Floyd-Steinberg over the picture: `visit(x, y, carried, spread)` handles one
// pixel, given the error carried to it, and spreads its own error by calling spread(error).
// Even rows run left to right, odd rows right to left. Errors have N channels.
template <std::size_t N, class Visit>
void Diffuse(std::int32_t width, std::int32_t height, Visit visit) {
  const auto w = static_cast<std::size_t>(width);
  // Each row's errors with one spare pixel at either end, so that no step needs a test.
  std::vector<float> current((w + 2) * N, 0.0f);
  std::vector<float> next((w + 2) * N, 0.0f);
  for (std::int32_t y = 0; y < height; ++y) {
    const bool forward = y % 2 == 0;
    std::fill(next.begin(), next.end(), 0.0f);
    for (std::size_t k = 0; k < w; ++k) {
      const std::size_t x = forward ? k : w - 1 - k;
      const std::size_t here = (x + 1) * N;
      const std::size_t ahead = forward ? here + N : here - N;
      const std::size_t behind = forward ? here - N : here + N;
      visit(x, y, current.data() + here, [&](const std::array<float, N>& e) {
        for (std::size_t c = 0; c < N; ++c) {
          current[ahead + c] += e[c] * (7.0f / 16.0f);
          next[behind + c] += e[c] * (3.0f / 16.0f);
          next[here + c] += e[c] * (5.0f / 16.0f);
          next[ahead + c] += e[c] * (1.0f / 16.0f);
        }
      });
    }
    std::swap(current, next);
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
  // The OKLab colours of one row at a time, converted together.
  std::vector<TLab> labs(width);
  std::int32_t labRow = -1;
  const auto labOf = [&](std::size_t x, std::int32_t y) -> const TLab& {
    if (y != labRow) {
      OkLabPixels(picture.Pixels.data() + 4 * width * static_cast<std::size_t>(y), width,
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
          const TLab& lab = labOf(x, y);
          lastIndex = brute ? mapper.NearestLabBruteForce(lab) : mapper.Nearest(p[2], p[1], p[0], lab);
        }
        image.Pixels[k] = lastIndex;
      }
    }
    return image;
  }
  Diffuse<3>(picture.Width, picture.Height,
             [&](std::size_t x, std::int32_t y, const float* carried, auto spread) {
               const std::size_t k = static_cast<std::size_t>(y) * width + x;
               if (IsTransparent(picture.Pixels.data() + 4 * k, options.Key)) {
                 image.Pixels[k] = options.TransparentIndex;
                 return;
               }
               const TLab& lab = labOf(x, y);
               // Kept within the colours sRGB can reach, so that the error of a colour the
               // palette cannot come near does not grow without end.
               const TLab wanted =
                   WithinReach({lab.L + carried[0], lab.A + carried[1], lab.B + carried[2]});
               const std::uint8_t index =
                   brute ? mapper.NearestLabBruteForce(wanted) : mapper.NearestLab(wanted);
               image.Pixels[k] = index;
               const TLab& got = mapper.EntryLab(index);
               spread(std::array<float, 3>{wanted.L - got.L, wanted.A - got.A, wanted.B - got.B});
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
  Diffuse<3>(picture.Width, picture.Height,
             [&](std::size_t x, std::int32_t y, const float* carried, auto spread) {
               const std::size_t k = static_cast<std::size_t>(y) * width + x;
               const std::uint8_t* p = picture.Pixels.data() + 4 * k;
               std::uint8_t* out = image.Pixels.data() + 2 * k;
               if (IsTransparent(p, transparent)) {
                 out[0] = clearLow;
                 out[1] = clearHigh;
                 return;
               }
               // Red, green, blue to the nearest of the 32, 64, 32 levels the BM shows
               // (multiples of 8, 4, 8).
               std::array<float, 3> error{};
               std::uint8_t level[3] = {};
               const float steps[3] = {8.0f, 4.0f, 8.0f};
               for (std::size_t c = 0; c < 3; ++c) {
                 const float wanted =
                     std::clamp(static_cast<float>(p[2 - c]) + carried[c], 0.0f, 255.0f);
                 const float top = 256.0f - steps[c];
                 const float chosen =
                     std::min(std::nearbyint(wanted / steps[c]) * steps[c], top);
                 level[c] = static_cast<std::uint8_t>(chosen);
                 error[c] = wanted - chosen;
               }
               RgbToRgb565(level[0], level[1], level[2], out[0], out[1]);
               spread(error);
             });
  return image;
}

}  // namespace zarn
