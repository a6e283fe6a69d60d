#include "codec/PixelRows.h"

#include "codec/Colour.h"

#if defined(__x86_64__) && defined(__GNUC__) && defined(__linux__) && !defined(__clang__)
#define ZARN_VECTOR_CLONES __attribute__((target_clones("default", "ssse3", "avx2")))
#else
#define ZARN_VECTOR_CLONES
#endif

namespace zarn::detail {

ZARN_VECTOR_CLONES
void Rgb565RowToBgr(const std::uint8_t* __restrict src, std::uint8_t* __restrict dst,
                    std::size_t width) {
  for (std::size_t x = 0; x < width; ++x) {
    Rgb565ToRgb(src[2 * x], src[2 * x + 1], dst[3 * x + 2], dst[3 * x + 1], dst[3 * x]);
  }
}

ZARN_VECTOR_CLONES
void BgrRowToRgb565(const std::uint8_t* __restrict src, std::uint8_t* __restrict dst,
                    std::size_t width) {
  for (std::size_t x = 0; x < width; ++x) {
    RgbToRgb565(src[3 * x + 2], src[3 * x + 1], src[3 * x], dst[2 * x], dst[2 * x + 1]);
  }
}

}  // namespace zarn::detail
