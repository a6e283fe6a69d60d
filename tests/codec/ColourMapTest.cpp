// Truecolour pictures mapped to a palette and dithered: the transparency rules, the fast
// search against brute force, dithering, and the sources the mapping takes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <vector>

#include "TestFiles.h"
#include "codec/ColourMap.h"
#include "codec/ColourSource.h"

namespace zarn {
namespace {

using test::Bytes;

TRGBQuad Rgb(int r, int g, int b) {
  return TRGBQuad{static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g),
                  static_cast<std::uint8_t>(r), 0};
}

// Pixels as red, green, blue, alpha, stored blue, green, red, alpha.
TColourPicture Picture(std::int32_t width, std::int32_t height,
                       const std::vector<std::array<int, 4>>& rgba) {
  const auto count = static_cast<std::size_t>(width * height);
  TColourPicture p{width, height, std::vector<std::uint8_t>(4 * count)};
  for (std::size_t k = 0; k < count; ++k) {
    const auto& c = rgba[k % rgba.size()];
    for (std::size_t channel = 0; channel < 4; ++channel) {
      p.Pixels[4 * k + channel] = static_cast<std::uint8_t>(c[channel == 3 ? 3 : 2 - channel]);
    }
  }
  return p;
}

// Entry 0 black, 1 white, 2 red, 3 magenta, every later entry dark blue.
TBMPalette SmallPalette() {
  TBMPalette p;
  p.fill(Rgb(0, 0, 100));
  p[0] = Rgb(0, 0, 0);
  p[1] = Rgb(255, 255, 255);
  p[2] = Rgb(255, 0, 0);
  p[3] = Rgb(255, 0, 255);
  return p;
}

TEST(TColourMapping, TransparencyRules) {
  const struct {
    const char* Name;
    std::array<int, 4> Pixel;
    int Transparent;
    std::optional<TRgb> Key;
    int Index;
  } cases[] = {
      {"alpha 127 is transparent", {255, 255, 255, 127}, 0, {}, 0},
      {"alpha 128 is opaque", {255, 255, 255, 128}, 0, {}, 1},
      {"opaque black never takes transparent black", {0, 0, 0, 255}, 0, {}, 4},
      {"the transparent index may be any", {250, 250, 250, 0}, 77, {}, 77},
      {"the key colour is transparent", {255, 0, 255, 255}, 9, TRgb{255, 0, 255}, 9},
      {"a colour next to the key is not", {254, 0, 255, 255}, 9, TRgb{255, 0, 255}, 3},
      {"ties go to the lowest index", {0, 0, 100, 255}, 0, {}, 4},
      {"red is red, not a near-grey", {200, 30, 30, 255}, 0, {}, 2},
  };
  for (const auto& c : cases) {
    for (const bool dither : {false, true}) {
      SCOPED_TRACE(std::string(c.Name) + (dither ? ", dithered" : ""));
      const TMapOptions options{static_cast<std::uint8_t>(c.Transparent), c.Key, dither};
      const TBMImage image = MapToPalette(Picture(1, 1, {c.Pixel}), SmallPalette(), options);
      ASSERT_EQ(image.Pixels.size(), 1u);
      EXPECT_EQ(image.Pixels[0], c.Index);
    }
  }
}

std::uint32_t Next(std::uint32_t& seed) {
  seed = seed * 1664525u + 1013904223u;
  return seed >> 8;
}

TEST(TColourMapping, FastSearchGivesTheBruteForceAnswerOnEveryPixel) {
  std::uint32_t seed = 7;
  TBMPalette random;
  for (auto& e : random) {
    const std::uint32_t v = Next(seed);
    e = Rgb(v & 255, (v >> 8) & 255, (v >> 16) & 255);
  }
  TBMPalette ramps;  // shades of 16 hues, as game palettes are made
  for (std::size_t i = 0; i < ramps.size(); ++i) {
    const int shade = static_cast<int>(i % 16) * 17, hue = static_cast<int>(i / 16);
    ramps[i] = Rgb(shade * (hue & 1) / (hue & 8 ? 2 : 1), shade * ((hue >> 1) & 1),
                   shade * ((hue >> 2) & 1));
  }
  TBMPalette fewColours = SmallPalette();

  std::vector<std::array<int, 4>> noise, gradient;
  for (int k = 0; k < 48 * 48; ++k) {
    const std::uint32_t v = Next(seed);
    noise.push_back({static_cast<int>(v & 255), static_cast<int>((v >> 8) & 255),
                     static_cast<int>((v >> 16) & 255), 255});
    const int x = k % 48, y = k / 48;
    gradient.push_back({x * 255 / 47, y * 255 / 47, (x + y) * 255 / 94, x == y ? 0 : 255});
  }
  for (const auto& [name, palette] :
       {std::pair{"random", random}, std::pair{"ramps", ramps}, std::pair{"few", fewColours}}) {
    for (const auto* pixels : {&noise, &gradient}) {
      for (const bool dither : {false, true}) {
        SCOPED_TRACE(std::string(name) + (pixels == &noise ? " noise" : " gradient") +
                     (dither ? " dithered" : ""));
        const TColourPicture picture = Picture(45, 48, *pixels);  // rows not a multiple of 4
        const TMapOptions options{5, {}, dither};
        EXPECT_EQ(MapToPalette(picture, palette, options).Pixels,
                  MapToPalette(picture, palette, options, ESearch::BruteForce).Pixels);
      }
    }
  }
}

TEST(TColourMapping, AFlatColourBetweenTwoEntriesDithersToBothTheSameWayEachTime) {
  TBMPalette blackAndWhite;
  blackAndWhite.fill(Rgb(0, 0, 0));
  blackAndWhite[1] = Rgb(255, 255, 255);
  const TColourPicture grey = Picture(16, 16, {{128, 128, 128, 255}});
  const TMapOptions dithered{255, {}, true};
  const TBMImage image = MapToPalette(grey, blackAndWhite, dithered);
  EXPECT_EQ(std::set<std::uint8_t>(image.Pixels.begin(), image.Pixels.end()),
            (std::set<std::uint8_t>{0, 1}));
  EXPECT_EQ(MapToPalette(grey, blackAndWhite, dithered).Pixels, image.Pixels);
  const TBMImage plain = MapToPalette(grey, blackAndWhite, {255, {}, false});
  EXPECT_EQ(std::set<std::uint8_t>(plain.Pixels.begin(), plain.Pixels.end()).size(), 1u);
}

TEST(TColourMapping, Rgb565DitherMixesTheTwoNearestLevelsAndKeepsTransparentPixels) {
  // Red 4 lies halfway between the levels 0 and 8; the fourth pixel is clear, the fifth is
  // the transparent colour itself.
  const TColourPicture picture = Picture(
      5, 4, {{4, 0, 0, 255}, {4, 0, 0, 255}, {4, 0, 0, 255}, {9, 9, 9, 0}, {255, 0, 255, 255}});
  const TBMImage image = DitherToRgb565(picture, TRgb{255, 0, 255});
  std::set<std::uint16_t> reds;
  for (std::size_t k = 0; k < 20; ++k) {
    const auto v = static_cast<std::uint16_t>(image.Pixels[2 * k] | image.Pixels[2 * k + 1] << 8);
    if (k % 5 >= 3) {
      EXPECT_EQ(v, 0xF81F) << k;
    } else {
      reds.insert(v);
    }
  }
  EXPECT_EQ(reds, (std::set<std::uint16_t>{0x0000, 0x0800}));
}

// A 32-bit BMP of two pixels, (10, 20, 30) and (40, 50, 60) with alpha bytes 0 and 255.
Bytes Bmp32(std::uint32_t infoSize, std::uint32_t compression, std::uint32_t alphaMask) {
  test::BmpParts parts;
  parts.BitCount = 32;
  parts.Width = 2;
  parts.Height = 1;
  parts.InfoSize = infoSize;
  parts.Compression = compression;
  parts.RawPixelData = Bytes{30, 20, 10, 0, 60, 50, 40, 255};
  Bytes bmp = test::MakeBmp(parts);
  if (infoSize >= 56) {
    for (const auto& [at, mask] : {std::pair{54u, 0x00FF0000u}, std::pair{58u, 0x0000FF00u},
                                   std::pair{62u, 0x000000FFu}, std::pair{66u, alphaMask}})
      test::PutU32(bmp, at, mask);
  }
  return bmp;
}

TEST(TColourSources, EachKindGivesItsColoursAndAlphaOnlyWhereDeclared) {
  const Bytes pixels24 = {30, 20, 10, 60, 50, 40};
  const Bytes indices = {1, 0};
  std::vector<test::Colour> table(256);
  table[0] = {60, 50, 40, 0};
  table[1] = {30, 20, 10, 0};
  const struct {
    const char* Name;
    Bytes File;
    int FirstAlpha;
  } cases[] = {
      {"24-bit", test::StandardBmp24(2, 1, pixels24), 255},
      {"256-colour, by its colours", test::StandardBmp8(2, 1, indices, table), 255},
      {"32-bit without masks: the fourth byte is not alpha", Bmp32(40, 0, 0), 255},
      {"32-bit with bit fields and an alpha mask", Bmp32(124, 3, 0xFF000000u), 0},
      {"32-bit with bit fields and no alpha mask", Bmp32(124, 3, 0), 255},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TColourPicture picture;
    ASSERT_EQ(DecodeColourSource(c.File, 8, picture), std::nullopt);
    EXPECT_EQ(picture.Pixels,
              (Bytes{30, 20, 10, static_cast<std::uint8_t>(c.FirstAlpha), 60, 50, 40, 255}));
  }
  TColourPicture picture;
  EXPECT_EQ(DecodeColourSource(Bytes{'n', 'o'}, 8, picture),
            TRefusal{.Reason = ERefusal::InvalidBMP});
  EXPECT_EQ(DecodeColourSource(
                test::ReadFileBytes(std::filesystem::path(ZARN_PNG_SAMPLES) / "rgba-8bit.png"), 8,
                picture),
            std::nullopt);
  EXPECT_EQ(picture.Pixels[3], 0);   // alpha of (0, 0)
  EXPECT_EQ(picture.Pixels[7], 20);  // alpha of (1, 0)
}

}  // namespace
}  // namespace zarn
