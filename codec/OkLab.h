// OKLab, the colour space in which palette colours are compared: a perceptual space in which
// equal distances look about equally different. Conversions from 8-bit sRGB, one colour or
// four at a time with the same bits.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zarn {

// Four floats at once, a vector of the GCC and Clang compilers: each operation works on the
// four lanes one by one, with the same result as on single floats; and four whole numbers.
using TFloat4 = float __attribute__((vector_size(16)));
using TInt4 = std::int32_t __attribute__((vector_size(16)));

// A colour in OKLab: lightness L and the two opponent axes a and b.
struct TLab {
  float L = 0;
  float A = 0;
  float B = 0;
};
// OKLab from 8-bit sRGB. The cube roots are computed to about 2e-5 of their value: far below
// what anyone can see, and the same on every run.
TLab OkLab(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
// OkLab of `count` pixels stored blue, green, red, alpha, bit for bit as OkLab gives each, but
// several at once, each colour in the lanes of a vector: L, a, b and 0.
void OkLabLanes(const std::uint8_t* bgra, std::size_t count, TFloat4* out);

// The box of L, a and b that holds every colour sRGB can reach (L 0 to 1, a -0.234 to 0.277,
// b -0.312 to 0.199), with a small margin; the fourth lane, always 0, is within 0 to 1.
inline constexpr TFloat4 kLabLow = {0.0f, -0.24f, -0.32f, 0.0f};
inline constexpr TFloat4 kLabHigh = {1.0f, 0.28f, 0.20f, 1.0f};

// Lane by lane, std::max(x, y) and std::min(x, y), on x86-64 in one instruction each (which
// the compilers do not find by themselves).
inline TFloat4 Max4(TFloat4 x, TFloat4 y) {
#if defined(__SSE2__)
  return _mm_max_ps(y, x);
#else
  return x < y ? y : x;
#endif
}
inline TFloat4 Min4(TFloat4 x, TFloat4 y) {
#if defined(__SSE2__)
  return _mm_min_ps(y, x);
#else
  return y < x ? y : x;
#endif
}

// The colour (lanes L, a, b, and 0) moved into that box.
inline TFloat4 WithinReach(TFloat4 lab) {
  return Min4(Max4(lab, kLabLow), kLabHigh);
}

namespace oklab {

inline std::array<float, 256> MakeLinearTable() {
  std::array<float, 256> table{};
  for (int v = 0; v < 256; ++v) {
    const double c = v / 255.0;
    table[static_cast<std::size_t>(v)] =
        static_cast<float>(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
  }
  return table;
}
// sRGB values to linear light.
inline const std::array<float, 256> kLinear = MakeLinearTable();

// Pixels are converted four at a time (TFloat4), and a single colour goes through the same code
// in one lane, so both give the same bits.
using TUint4 = std::uint32_t __attribute__((vector_size(16)));

// The cube roots of values >= 0 to within 2.3e-5 of their value: a first guess from the bits
// of each value, then one step of Halley's method. Many times faster than std::cbrt, and the
// same on every run. The smallest value keeps the step from 0 / 0: black's root is 1e-10.
inline TFloat4 CubeRoot4(TFloat4 x) {
  const TFloat4 tiny = {1e-30f, 1e-30f, 1e-30f, 1e-30f};
  const TFloat4 v = x < tiny ? tiny : x;
  const TFloat4 y = std::bit_cast<TFloat4>(std::bit_cast<TUint4>(v) / 3u + 0x2A5137A0u);
  const TFloat4 y3 = y * y * y;
  return y * (y3 + 2.0f * v) / (2.0f * y3 + v);
}

// Linear RGB to the cone responses (all weights positive, so each grows with every channel),
// then their cube roots to L, a, b.
inline constexpr float kToCones[3][3] = {{0.4122214708f, 0.5363325363f, 0.0514459929f},
                                         {0.2119034982f, 0.6806995451f, 0.1073969566f},
                                         {0.0883024619f, 0.2817188376f, 0.6299787005f}};
inline constexpr float kToLab[3][3] = {{0.2104542553f, 0.7936177850f, -0.0040720468f},
                                       {1.9779984951f, -2.4285922050f, 0.4505937099f},
                                       {0.0259040371f, 0.7827717662f, -0.8086757660f}};

// OKLab of four colours given in linear RGB, lane by lane.
inline std::array<TFloat4, 3> OkLab4(TFloat4 r, TFloat4 g, TFloat4 b) {
  std::array<TFloat4, 3> c{};
  for (std::size_t i = 0; i < 3; ++i)
    c[i] = CubeRoot4(kToCones[i][0] * r + kToCones[i][1] * g + kToCones[i][2] * b);
  std::array<TFloat4, 3> lab{};
  for (std::size_t i = 0; i < 3; ++i)
    lab[i] = kToLab[i][0] * c[0] + kToLab[i][1] * c[1] + kToLab[i][2] * c[2];
  return lab;
}

}  // namespace oklab

// OkLab of the four pixels stored blue, green, red, alpha at `bgra`, into out[0] to out[3] as
// lanes L, a, b and 0. Inline, so that a loop can convert pixels while it waits on others.
inline void OkLabOfFour(const std::uint8_t* bgra, TFloat4* out) {
  TFloat4 r{}, g{}, b{};
  for (std::size_t k = 0; k < 4; ++k) {
    r[k] = oklab::kLinear[bgra[4 * k + 2]];
    g[k] = oklab::kLinear[bgra[4 * k + 1]];
    b[k] = oklab::kLinear[bgra[4 * k]];
  }
  // L, a and b of the four pixels, turned into each pixel's L, a, b and 0.
  const auto lab = oklab::OkLab4(r, g, b);
  const TFloat4 la01 = __builtin_shuffle(lab[0], lab[1], TInt4{0, 4, 1, 5});
  const TFloat4 la23 = __builtin_shuffle(lab[0], lab[1], TInt4{2, 6, 3, 7});
  const TFloat4 b01 = __builtin_shuffle(lab[2], TFloat4{}, TInt4{0, 4, 1, 5});
  const TFloat4 b23 = __builtin_shuffle(lab[2], TFloat4{}, TInt4{2, 6, 3, 7});
  out[0] = __builtin_shuffle(la01, b01, TInt4{0, 1, 4, 5});
  out[1] = __builtin_shuffle(la01, b01, TInt4{2, 3, 6, 7});
  out[2] = __builtin_shuffle(la23, b23, TInt4{0, 1, 4, 5});
  out[3] = __builtin_shuffle(la23, b23, TInt4{2, 3, 6, 7});
}

}  // namespace zarn
