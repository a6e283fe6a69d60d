// The PNG round trip of a full 16-bit BM beside the same through BMP, all in memory: creating a
// BM from 21 pictures of 640 x 480 (decoding each source, then encoding the BM), and exporting
// such a BM back (reading it, decoding each image for display, encoding each as a file).
// Run with bench/run-codec-bench.sh, or build-bench/bench/zarn_png_bench; bench/png-size.sh
// compares the exported files with the general image tools' as whole processes.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <string_view>
#include <vector>

#include "codec/BMReader.h"
#include "codec/BMWriter.h"
#include "codec/Bitmap.h"
#include "codec/Display.h"
#include "codec/Png.h"

namespace {

using zarn::TBitmap;
using Bytes = std::vector<std::uint8_t>;

constexpr std::int32_t kWidth = 640;
constexpr std::int32_t kHeight = 480;
constexpr int kImages = zarn::kMaxImages;

// A picture like a texture rather than noise: gradients with a little grain, different per image.
zarn::TBMImage Picture16(int image) {
  zarn::TBMImage out{kWidth, kHeight, Bytes(2 * std::size_t{kWidth} * kHeight)};
  std::uint32_t seed = 12345u + static_cast<std::uint32_t>(image);
  std::size_t at = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const auto grain = static_cast<int>(seed >> 30);
      const int r = ((x + image * 7) / 20 + grain) & 31;
      const int g = ((y * 2) / 15 + grain) & 63;
      const int b = ((x + y) / 35) & 31;
      const auto v = static_cast<std::uint16_t>((r << 11) | (g << 5) | b);
      out.Pixels[at++] = static_cast<std::uint8_t>(v);
      out.Pixels[at++] = static_cast<std::uint8_t>(v >> 8);
    }
  }
  return out;
}

struct Inputs {
  std::array<Bytes, kImages> Png;  // the sources as files
  std::array<Bytes, kImages> Bmp;
  Bytes BM;  // the BM they make

  Inputs() {
    std::vector<TBitmap> displays(kImages);
    std::vector<const TBitmap*> sources;
    Bytes scratch;
    for (int i = 0; i < kImages; ++i) {
      zarn::BM16ToBitmap(displays[static_cast<std::size_t>(i)], Picture16(i));
      zarn::EncodePng(displays[static_cast<std::size_t>(i)], Png[static_cast<std::size_t>(i)],
                      scratch);
      displays[static_cast<std::size_t>(i)].SaveToBmpStream(Bmp[static_cast<std::size_t>(i)]);
      sources.push_back(&displays[static_cast<std::size_t>(i)]);
    }
    zarn::EncodeBM16(BM, sources, 0, 0, 255, 0, 255);
  }
};

const Inputs& In() {
  static const Inputs inputs;
  return inputs;
}

void CreateFromPng(benchmark::State& state) {
  std::vector<zarn::TSourceImage> loaded(kImages);
  std::vector<const TBitmap*> sources;
  for (const auto& s : loaded)
    sources.push_back(&s.Bitmap);
  Bytes bm;
  for (auto _ : state) {
    for (int i = 0; i < kImages; ++i) {
      auto& source = loaded[static_cast<std::size_t>(i)];
      if (zarn::DecodePngSource(In().Png[static_cast<std::size_t>(i)], 16, source)) {
        state.SkipWithError("PNG refused");
        return;
      }
      zarn::PaintClearPixels(source, 255, 0, 255);
    }
    zarn::EncodeBM16(bm, sources, 0, 0, 255, 0, 255);
    benchmark::DoNotOptimize(bm.data());
  }
}

void CreateFromBmp(benchmark::State& state) {
  std::vector<TBitmap> loaded(kImages);
  std::vector<const TBitmap*> sources;
  for (const auto& s : loaded)
    sources.push_back(&s);
  Bytes bm;
  for (auto _ : state) {
    for (int i = 0; i < kImages; ++i) {
      loaded[static_cast<std::size_t>(i)].LoadFromBmpStream(In().Bmp[static_cast<std::size_t>(i)]);
    }
    zarn::EncodeBM16(bm, sources, 0, 0, 255, 0, 255);
    benchmark::DoNotOptimize(bm.data());
  }
}

template <bool AsPng>
void Export(benchmark::State& state) {
  zarn::TBMHeader header{};
  std::array<zarn::TBMImage, zarn::kMaxImages> images{};
  zarn::TBMPalette palette{};
  TBitmap display;
  Bytes file;
  Bytes scratch;
  std::size_t written = 0;
  for (auto _ : state) {
    if (!zarn::ReadBMFromBytes(In().BM, header, images, palette)) {
      state.SkipWithError("BM refused");
      return;
    }
    for (int i = 0; i < kImages; ++i) {
      zarn::BM16ToBitmap(display, images[static_cast<std::size_t>(i)]);
      file.clear();
      if (AsPng) {
        zarn::EncodePng(display, file, scratch);
      } else {
        display.SaveToBmpStream(file);
      }
      written += file.size();
      benchmark::DoNotOptimize(file.data());
    }
  }
  state.counters["bytes per image"] =
      static_cast<double>(written) / static_cast<double>(state.iterations() * kImages);
}

BENCHMARK(CreateFromPng)->Name("Create16/21xPNG")->Unit(benchmark::kMillisecond);
BENCHMARK(CreateFromBmp)->Name("Create16/21xBMP")->Unit(benchmark::kMillisecond);
BENCHMARK(Export<true>)->Name("Export16/21xPNG")->Unit(benchmark::kMillisecond);
BENCHMARK(Export<false>)->Name("Export16/21xBMP")->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // "--write-bm FILE" writes the BM of the 21 pictures for bench/png-size.sh and ends.
  if (argc == 3 && std::string_view(argv[1]) == "--write-bm") {
    std::ofstream file(argv[2], std::ios::binary);
    file.write(reinterpret_cast<const char*>(In().BM.data()),
               static_cast<std::streamsize>(In().BM.size()));
    return file.good() ? 0 : 1;
  }
  In();  // the inputs are made once, outside every timing
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
