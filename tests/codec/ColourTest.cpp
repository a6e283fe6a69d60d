// RGB565 <-> 8-bit channels: the known rows, and the two properties every pixel relies on.
#include <gtest/gtest.h>

#include <cstdint>

#include "codec/Colour.h"

namespace zarn {
namespace {

struct WideningRow {
  std::uint8_t Low, High;
  int Red, Green, Blue;
};

TEST(Rgb565ToRgb, KnownValues) {
  const WideningRow rows[] = {
      {0x00, 0x00, 0, 0, 0},   {0xFF, 0xFF, 248, 252, 248}, {0x00, 0xF8, 248, 0, 0},
      {0xE0, 0x07, 0, 252, 0}, {0x1F, 0x00, 0, 0, 248},     {0x10, 0x84, 128, 128, 128},
      {0x21, 0x08, 8, 4, 8},
  };
  for (const auto& row : rows) {
    std::uint8_t r = 1, g = 1, b = 1;
    Rgb565ToRgb(row.Low, row.High, r, g, b);
    SCOPED_TRACE(::testing::Message()
                 << std::hex << "bytes " << int{row.Low} << " " << int{row.High});
    EXPECT_EQ(r, row.Red);
    EXPECT_EQ(g, row.Green);
    EXPECT_EQ(b, row.Blue);
  }
}

struct NarrowingRow {
  std::uint8_t Red, Green, Blue;
  std::uint8_t Low, High;
};

TEST(RgbToRgb565, KnownValues) {
  const NarrowingRow rows[] = {
      {255, 255, 255, 0xFF, 0xFF}, {248, 252, 248, 0xFF, 0xFF}, {128, 128, 128, 0x10, 0x84},
      {200, 100, 50, 0x26, 0xCB},  {255, 0, 255, 0x1F, 0xF8},   {7, 3, 7, 0x00, 0x00},
      {8, 4, 8, 0x21, 0x08},       {0, 0, 0, 0x00, 0x00},
  };
  for (const auto& row : rows) {
    std::uint8_t low = 0xAA, high = 0xAA;
    RgbToRgb565(row.Red, row.Green, row.Blue, low, high);
    SCOPED_TRACE(::testing::Message()
                 << "rgb " << int{row.Red} << "," << int{row.Green} << "," << int{row.Blue});
    EXPECT_EQ(low, row.Low);
    EXPECT_EQ(high, row.High);
  }
}

// Narrowing truncates: for red and blue 7 gives field 0, 8 field 1, 255 field 31; for green
// 3 gives 0, 4 gives 1, 255 gives 63. Checked through the packed value for every channel value.
TEST(RgbToRgb565, EveryChannelValueTruncates) {
  for (int v = 0; v < 256; ++v) {
    const auto c = static_cast<std::uint8_t>(v);
    std::uint8_t low = 0, high = 0;
    RgbToRgb565(c, 0, 0, low, high);
    EXPECT_EQ((high << 8 | low), (v / 8) << 11) << "red " << v;
    RgbToRgb565(0, c, 0, low, high);
    EXPECT_EQ((high << 8 | low), (v / 4) << 5) << "green " << v;
    RgbToRgb565(0, 0, c, low, high);
    EXPECT_EQ((high << 8 | low), v / 8) << "blue " << v;
  }
}

TEST(Rgb565, EveryStoredValueSurvivesTheRoundTrip) {
  int failures = 0;
  for (int value = 0; value < 65536; ++value) {
    const auto low = static_cast<std::uint8_t>(value & 0xFF);
    const auto high = static_cast<std::uint8_t>(value >> 8);
    std::uint8_t r = 0, g = 0, b = 0;
    Rgb565ToRgb(low, high, r, g, b);
    // Widening never sets the low bits and never reaches 256.
    if ((r & 7) != 0 || (g & 3) != 0 || (b & 7) != 0) ++failures;
    std::uint8_t low2 = 0, high2 = 0;
    RgbToRgb565(r, g, b, low2, high2);
    if (low2 != low || high2 != high) {
      if (++failures < 10)
        ADD_FAILURE() << "value " << value << " came back as " << (high2 << 8 | low2);
    }
  }
  EXPECT_EQ(failures, 0);
}

// Any colour through RGB565 and back loses exactly its low 3, 2 and 3 bits.
TEST(Rgb565, ColourThroughRgb565ClearsOnlyTheLowBits) {
  int failures = 0;
  for (int r = 0; r < 256; ++r) {
    for (int g = 0; g < 256; g += 3) {
      for (int b = 0; b < 256; b += 5) {
        std::uint8_t low = 0, high = 0, r2 = 0, g2 = 0, b2 = 0;
        RgbToRgb565(static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                    static_cast<std::uint8_t>(b), low, high);
        Rgb565ToRgb(low, high, r2, g2, b2);
        if (r2 != (r & 0xF8) || g2 != (g & 0xFC) || b2 != (b & 0xF8)) ++failures;
      }
    }
  }
  EXPECT_EQ(failures, 0);
  std::uint8_t low = 0, high = 0, r = 0, g = 0, b = 0;
  RgbToRgb565(200, 100, 50, low, high);
  Rgb565ToRgb(low, high, r, g, b);
  EXPECT_EQ(r, 200);
  EXPECT_EQ(g, 100);
  EXPECT_EQ(b, 48);
}

}  // namespace
}  // namespace zarn
