// Conversion of single pixels between stored RGB565 (low byte first) and 8-bit channels.
// Widening multiplies each field by 8 or 4 (low bits stay 0); narrowing truncates.
#pragma once

#include <cstdint>

namespace zarn {

constexpr void Rgb565ToRgb(std::uint8_t low, std::uint8_t high, std::uint8_t& red,
                           std::uint8_t& green, std::uint8_t& blue) {
  red = static_cast<std::uint8_t>(high & 0xF8u);
  green = static_cast<std::uint8_t>(((high & 0x07u) << 5) | ((low & 0xE0u) >> 3));
  blue = static_cast<std::uint8_t>((low & 0x1Fu) << 3);
}

constexpr void RgbToRgb565(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                           std::uint8_t& low, std::uint8_t& high) {
  low = static_cast<std::uint8_t>((blue >> 3) | ((green & 0x1Cu) << 3));
  high = static_cast<std::uint8_t>((red & 0xF8u) | (green >> 5));
}

}  // namespace zarn
