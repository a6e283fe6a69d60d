// The per-row pixel conversions of the 16-bit paths, kept apart so that the compiler can
// vectorise them: x86-64 builds carry clones for SSSE3 and AVX2 beside the baseline, picked
// at load time, so a portable binary still runs the vector code where the processor has it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zarn::detail {

// `width` RGB565 pixels (low byte first) to blue, green, red triples.
void Rgb565RowToBgr(const std::uint8_t* src, std::uint8_t* dst, std::size_t width);
// `width` blue, green, red triples to RGB565 pixels (low byte first).
void BgrRowToRgb565(const std::uint8_t* src, std::uint8_t* dst, std::size_t width);

}  // namespace zarn::detail
