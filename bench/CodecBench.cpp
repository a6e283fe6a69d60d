// Speed of the codec's pixel paths on a 640 x 480 image, each beside a memcpy of the same
// number of output bytes into a reused buffer: the display bitmaps (BM8ToBitmap, BM16ToBitmap)
// and the BM encoders without the file system (EncodeBM8, EncodeBM16, reusing their output).
// After the run a table gives every path's time as a multiple of its memcpy.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "codec/BMFormat.h"
#include "codec/BMWriter.h"
#include "codec/Bitmap.h"
#include "codec/Display.h"

namespace {

using zarn::TBitmap;
using zarn::TBMImage;
using zarn::TBMPalette;

constexpr std::int32_t kWidth = 640;
constexpr std::int32_t kHeight = 480;

std::vector<std::uint8_t> Noise(std::size_t n, std::uint32_t seed) {
  std::vector<std::uint8_t> out(n);
  for (auto& b : out) {
    seed = seed * 1664525u + 1013904223u;
    b = static_cast<std::uint8_t>(seed >> 24);
  }
  return out;
}

struct Inputs {
  TBMImage Image8;
  TBMImage Image16;
  TBMPalette Palette{};
  TBitmap Source8;   // the 8-bit display bitmap of Image8: a standard 256-colour BMP
  TBitmap Source24;  // the 24-bit display bitmap of Image16
  std::size_t Out8 = 0, Out16 = 0, OutEncode8 = 0, OutEncode16 = 0;

  Inputs() {
    const auto pixels = static_cast<std::size_t>(kWidth) * kHeight;
    Image8 = TBMImage{kWidth, kHeight, Noise(pixels, 1)};
    Image16 = TBMImage{kWidth, kHeight, Noise(2 * pixels, 2)};
    for (std::size_t i = 0; i < Palette.size(); ++i) {
      const auto v = static_cast<std::uint8_t>(i);
      Palette[i] = zarn::TRGBQuad{v, static_cast<std::uint8_t>(255 - v), v, 0};
    }
    zarn::BM8ToBitmap(Source8, Image8, Palette);
    zarn::BM16ToBitmap(Source24, Image16);
    Out8 = Source8.StoredForm().size();
    Out16 = Source24.StoredForm().size();
    std::vector<std::uint8_t> out;
    const TBitmap* s8[] = {&Source8};
    zarn::EncodeBM8(out, s8, 0, 0, 0, false);
    OutEncode8 = out.size();
    const TBitmap* s24[] = {&Source24};
    zarn::EncodeBM16(out, s24, 0, 0, 255, 0, 255);
    OutEncode16 = out.size();
  }
};

const Inputs& In() {
  static const Inputs inputs;
  return inputs;
}

void Memcpy(benchmark::State& state, std::size_t bytes) {
  const std::vector<std::uint8_t> src = Noise(bytes, 3);
  std::vector<std::uint8_t> dst(bytes, 0);
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), bytes);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void Bm8ToBitmap(benchmark::State& state) {
  TBitmap bitmap;
  for (auto _ : state) {
    zarn::BM8ToBitmap(bitmap, In().Image8, In().Palette);
    benchmark::DoNotOptimize(bitmap.StoredForm().data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * In().Out8));
}

void Bm16ToBitmap(benchmark::State& state) {
  TBitmap bitmap;
  for (auto _ : state) {
    zarn::BM16ToBitmap(bitmap, In().Image16);
    benchmark::DoNotOptimize(bitmap.StoredForm().data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * In().Out16));
}

void EncodeBm8(benchmark::State& state) {
  std::vector<std::uint8_t> out;
  const TBitmap* sources[] = {&In().Source8};
  for (auto _ : state) {
    zarn::EncodeBM8(out, sources, 0, 0, 0, false);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * In().OutEncode8));
}

void EncodeBm16(benchmark::State& state) {
  std::vector<std::uint8_t> out;
  const TBitmap* sources[] = {&In().Source24};
  for (auto _ : state) {
    zarn::EncodeBM16(out, sources, 0, 0, 255, 0, 255);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * In().OutEncode16));
}

// Passes everything to the console and keeps, per benchmark, the best CPU time per iteration
// (or the median when only aggregates are reported). CPU time, because on a shared machine the
// wall clock also counts the time other processes hold the core.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& reports) override {
    for (const Run& run : reports) {
      if (run.error_occurred) continue;
      const std::string name = run.run_name.function_name;
      const double t = run.GetAdjustedCPUTime();
      if (run.run_type == Run::RT_Aggregate) {
        if (run.aggregate_name == "median") median_[name] = t;
      } else if (!best_.count(name) || t < best_[name]) {
        best_[name] = t;
      }
    }
    ConsoleReporter::ReportRuns(reports);
  }

  double Time(const std::string& name) const {
    if (auto it = median_.find(name); it != median_.end()) return it->second;
    if (auto it = best_.find(name); it != best_.end()) return it->second;
    return 0;
  }

 private:
  std::map<std::string, double> best_, median_;
};

struct Path {
  const char* Name;
  void (*Run)(benchmark::State&);
  std::size_t Bytes;
  double Target;  // the multiple of memcpy the path should stay within
};

}  // namespace

int main(int argc, char** argv) {
  const Path paths[] = {
      {"BM8ToBitmap", Bm8ToBitmap, In().Out8, 1.5},
      {"BM16ToBitmap", Bm16ToBitmap, In().Out16, 4.0},
      {"EncodeBM8", EncodeBm8, In().OutEncode8, 1.5},
      {"EncodeBM16", EncodeBm16, In().OutEncode16, 4.0},
  };
  for (const Path& p : paths) {
    const std::size_t bytes = p.Bytes;
    benchmark::RegisterBenchmark((std::string("memcpy/") + p.Name).c_str(),
                                 [bytes](benchmark::State& s) { Memcpy(s, bytes); })
        ->Unit(benchmark::kMicrosecond)
        ->Repetitions(5)
        ->DisplayAggregatesOnly(true);
    benchmark::RegisterBenchmark(p.Name, p.Run)
        ->Unit(benchmark::kMicrosecond)
        ->Repetitions(5)
        ->DisplayAggregatesOnly(true);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  std::printf("\nCPU time per image, median of the repetitions\n");
#if defined(__SANITIZE_ADDRESS__) || !defined(NDEBUG)
  std::printf("(a sanitizer or debug build: the ratios say nothing; use run-codec-bench.sh)\n");
#endif
  std::printf("%-14s %12s %12s %12s %8s %8s\n", "path", "bytes out", "path us", "memcpy us",
              "ratio", "target");
  for (const Path& p : paths) {
    const double t = reporter.Time(p.Name);
    const double m = reporter.Time(std::string("memcpy/") + p.Name);
    if (t <= 0 || m <= 0) continue;  // filtered out
    std::printf("%-14s %12zu %12.1f %12.1f %7.2fx %7.1fx%s\n", p.Name, p.Bytes, t, m, t / m,
                p.Target, t / m <= p.Target ? "" : "  over target");
  }
  return 0;
}
