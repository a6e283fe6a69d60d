// Speed of mapping one 640 x 480 truecolour picture to a 256-colour palette: the nearest
// colour of every pixel, the same with Floyd-Steinberg dithering, the brute-force search that
// both must equal, and the 16-bit dither to RGB565. Each run builds its search afresh, as
// every new BM does. Two pictures: smooth gradients of hue and lightness as painted art has
// them ("Smooth"), and the same with a little grain, so that nearly every pixel differs from
// its neighbours (the rest).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "codec/ColourMap.h"

namespace {

constexpr std::int32_t kWidth = 640;
constexpr std::int32_t kHeight = 480;

zarn::TColourPicture PaintedPicture(bool grainy) {
  zarn::TColourPicture p{kWidth, kHeight, {}};
  std::uint32_t seed = 1;
  for (std::int32_t y = 0; y < kHeight; ++y) {
    for (std::int32_t x = 0; x < kWidth; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int grain = grainy ? static_cast<int>(seed >> 29) - 4 : 0;
      const auto channel = [&](int v) {
        return static_cast<std::uint8_t>(std::min(255, std::max(0, v + grain)));
      };
      p.Pixels.push_back(channel((x * 255 / kWidth + y * 96 / kHeight) % 256));
      p.Pixels.push_back(channel(y * 255 / kHeight));
      p.Pixels.push_back(channel(255 - x * 200 / kWidth));
      p.Pixels.push_back(255);
    }
  }
  return p;
}

// 16 hues of 16 shades each, as the game's palettes are laid out.
zarn::TBMPalette GamePalette() {
  zarn::TBMPalette palette{};
  for (int i = 0; i < 256; ++i) {
    const int hue = i / 16;
    const int shade = (i % 16) * 16 + 15;
    const int r = (hue & 1) ? shade : shade / (1 + (hue >> 2));
    const int g = (hue & 2) ? shade : shade / (1 + (hue & 3));
    const int b = (hue & 4) ? shade : shade / (1 + (hue >> 3) + (hue & 1));
    palette[static_cast<std::size_t>(i)] =
        zarn::TRGBQuad{static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g),
                       static_cast<std::uint8_t>(r), 0};
  }
  return palette;
}

const zarn::TColourPicture& Picture(bool grainy = true) {
  static const zarn::TColourPicture withGrain = PaintedPicture(true);
  static const zarn::TColourPicture smooth = PaintedPicture(false);
  return grainy ? withGrain : smooth;
}

void Map(benchmark::State& state, bool dither, zarn::ESearch search, bool grainy = true) {
  const zarn::TBMPalette palette = GamePalette();
  for (auto _ : state) {
    zarn::TBMImage image =
        zarn::MapToPalette(Picture(grainy), palette, {0, {}, dither}, search);
    benchmark::DoNotOptimize(image.Pixels.data());
  }
}

void SmoothNearest(benchmark::State& state) {
  Map(state, false, zarn::ESearch::Fast, false);
}
void SmoothDithered(benchmark::State& state) {
  Map(state, true, zarn::ESearch::Fast, false);
}

void Nearest(benchmark::State& state) {
  Map(state, false, zarn::ESearch::Fast);
}
void Dithered(benchmark::State& state) {
  Map(state, true, zarn::ESearch::Fast);
}
void NearestBruteForce(benchmark::State& state) {
  Map(state, false, zarn::ESearch::BruteForce);
}
void DitheredBruteForce(benchmark::State& state) {
  Map(state, true, zarn::ESearch::BruteForce);
}
void Rgb565Dither(benchmark::State& state) {
  for (auto _ : state) {
    zarn::TBMImage image = zarn::DitherToRgb565(Picture(), {255, 0, 255});
    benchmark::DoNotOptimize(image.Pixels.data());
  }
}

BENCHMARK(SmoothNearest)->Unit(benchmark::kMillisecond);
BENCHMARK(SmoothDithered)->Unit(benchmark::kMillisecond);
BENCHMARK(Nearest)->Unit(benchmark::kMillisecond);
BENCHMARK(Dithered)->Unit(benchmark::kMillisecond);
BENCHMARK(NearestBruteForce)->Unit(benchmark::kMillisecond);
BENCHMARK(DitheredBruteForce)->Unit(benchmark::kMillisecond);
BENCHMARK(Rgb565Dither)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
