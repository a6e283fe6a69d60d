// Display bitmaps from BM images: the exact BMP built for 8-bit and 16-bit images, and the
// refusal of images the displays cannot hold.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "PictureBytes.h"
#include "TestFiles.h"
#include "codec/Colour.h"
#include "codec/Display.h"
#include "codec/Errors.h"

namespace zarn {
namespace {

using test::Bytes;
using test::Saved;

TBMPalette TestPalette(std::uint8_t seed) {
  TBMPalette p{};
  for (std::size_t i = 0; i < p.size(); ++i) {
    const auto k = static_cast<std::uint32_t>(i) + seed;
    p[i] = TRGBQuad{static_cast<std::uint8_t>(k * 3u), static_cast<std::uint8_t>(k * 5u),
                    static_cast<std::uint8_t>(k * 11u), 0};
  }
  return p;
}

Bytes PaletteBytes(const TBMPalette& p) {
  Bytes out;
  for (const auto& c : p)
    out.insert(out.end(), {c.Blue, c.Green, c.Red, c.Reserved});
  return out;
}

// The 54 header bytes of a displayed BMP, written out field by field.
Bytes DisplayHeader(std::uint32_t fileSize, std::uint32_t offset, std::int32_t w, std::int32_t h,
                    std::uint16_t bits, std::uint32_t imageSize, std::uint32_t colours) {
  test::ByteWriter b;
  b.Text("BM").U32(fileSize).U16(0).U16(0).U32(offset);
  b.U32(40).I32(w).I32(h).U16(1).U16(bits).U32(0).U32(imageSize).U32(0).U32(0);
  b.U32(colours).U32(colours);
  return b.Take();
}

TEST(BM8ToBitmap, ThreeByTwoIsThe1086ByteBmp) {
  const TBMPalette palette = TestPalette(1);
  TBitmap bitmap;
  BM8ToBitmap(bitmap, TBMImage{3, 2, {1, 2, 3, 4, 5, 6}}, palette);

  test::ByteWriter expected;
  expected.Raw(DisplayHeader(1086, 1078, 3, 2, 8, 8, 256)).Raw(PaletteBytes(palette));
  expected.Raw(Bytes{4, 5, 6, 0, 1, 2, 3, 0});  // bottom row first, one padding byte each
  const Bytes saved = Saved(bitmap);
  ASSERT_EQ(saved.size(), 1086u);
  EXPECT_EQ(test::WithoutPadding(saved, test::PaddingOffsets(1078, 3, 2, 1)), expected.Data());
  EXPECT_EQ(bitmap.Width(), 3);
  EXPECT_EQ(bitmap.Height(), 2);
  // The stored form is what the BMP holds after its file header.
  EXPECT_EQ(Bytes(bitmap.StoredForm().begin(), bitmap.StoredForm().end()),
            Bytes(saved.begin() + 14, saved.end()));
}

TEST(BM16ToBitmap, OnePixelIsThe58ByteBmp) {
  TBitmap bitmap;
  BM16ToBitmap(bitmap, TBMImage{1, 1, {0x00, 0xF8}});
  test::ByteWriter expected;
  expected.Raw(DisplayHeader(58, 54, 1, 1, 24, 4, 0)).Raw(Bytes{0x00, 0x00, 0xF8, 0});
  const Bytes saved = Saved(bitmap);
  ASSERT_EQ(saved.size(), 58u);
  EXPECT_EQ(test::WithoutPadding(saved, test::PaddingOffsets(54, 1, 1, 3)), expected.Data());
}

TEST(BM16ToBitmap, RowsAreBlueGreenRedBottomFirst) {
  TBitmap bitmap;
  BM16ToBitmap(bitmap, TBMImage{2, 1, {0x00, 0xF8, 0x1F, 0x00}});
  const Bytes saved = Saved(bitmap);
  ASSERT_EQ(saved.size(), 54u + 8u);
  EXPECT_EQ(Bytes(saved.begin() + 54, saved.begin() + 60), (Bytes{0, 0, 0xF8, 0xF8, 0, 0}));

  // 2 x 2: the bottom image row is stored first, each pixel widened by Rgb565ToRgb.
  const Bytes pixels = {0x21, 0x08, 0xFF, 0xFF, 0x10, 0x84, 0xE0, 0x07};
  BM16ToBitmap(bitmap, TBMImage{2, 2, pixels});
  const Bytes two = Saved(bitmap);
  ASSERT_EQ(two.size(), 54u + 2u * 8u);
  EXPECT_EQ(Bytes(two.begin() + 54, two.begin() + 60), (Bytes{128, 128, 128, 0, 252, 0}));
  EXPECT_EQ(Bytes(two.begin() + 62, two.begin() + 68), (Bytes{8, 4, 8, 248, 252, 248}));
}

TEST(BMToBitmap, EveryPixelAndEveryWidthMatchesThePicture) {
  // Widths around the multiples of 4 exercise every amount of row padding.
  for (std::int32_t w : {1, 2, 3, 4, 5, 7, 8, 13}) {
    const std::int32_t h = 3;
    const auto n = static_cast<std::size_t>(w * h);
    const Bytes indices = test::Pattern(n, static_cast<std::uint8_t>(w));
    const TBMPalette palette = TestPalette(9);
    TBitmap b8;
    BM8ToBitmap(b8, TBMImage{w, h, indices}, palette);
    EXPECT_EQ(Saved(b8).size(), 1078 + test::RowSize(w, 1) * 3) << w;
    std::vector<std::uint8_t> scratch;
    const TPicture p8 = b8.Picture(scratch);
    EXPECT_EQ(test::PictureBytes(p8), indices) << w;
    EXPECT_EQ(p8.Colours, palette);

    const Bytes rgb565 = test::Pattern(2 * n, static_cast<std::uint8_t>(w + 50));
    Bytes expected;
    for (std::size_t k = 0; k < n; ++k) {
      std::uint8_t r = 0, g = 0, b = 0;
      Rgb565ToRgb(rgb565[2 * k], rgb565[2 * k + 1], r, g, b);
      expected.insert(expected.end(), {b, g, r});
    }
    TBitmap b16;
    BM16ToBitmap(b16, TBMImage{w, h, rgb565});
    EXPECT_EQ(Saved(b16).size(), 54 + test::RowSize(w, 3) * 3) << w;
    EXPECT_EQ(test::PictureBytes(b16), expected) << w;
  }
}

TEST(BM8ToBitmap, APaletteChangesOnlyTheColourTable) {
  const TBMImage image{5, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}};
  TBitmap bitmap;
  BM8ToBitmap(bitmap, image, TestPalette(1));
  const Bytes first = Saved(bitmap);
  BM8ToBitmap(bitmap, image, TestPalette(2));
  const Bytes second = Saved(bitmap);
  ASSERT_EQ(first.size(), second.size());
  EXPECT_EQ(test::WithoutPadding(Bytes(first.begin() + 1078, first.end()),
                                 test::PaddingOffsets(0, 5, 2, 1)),
            test::WithoutPadding(Bytes(second.begin() + 1078, second.end()),
                                 test::PaddingOffsets(0, 5, 2, 1)));
  EXPECT_EQ(Bytes(second.begin() + 54, second.begin() + 1078), PaletteBytes(TestPalette(2)));
  EXPECT_NE(Bytes(first.begin() + 54, first.begin() + 1078),
            Bytes(second.begin() + 54, second.begin() + 1078));
}

TEST(BMToBitmap, EmptySizesGiveBitmapsWithoutRows) {
  TBitmap b;
  BM8ToBitmap(b, TBMImage{0, 5, {}}, TestPalette(0));
  EXPECT_EQ(Saved(b).size(), 1078u);
  EXPECT_EQ(b.Width(), 0);
  EXPECT_EQ(b.Height(), 5);
  BM16ToBitmap(b, TBMImage{4, 0, {}});
  EXPECT_EQ(Saved(b).size(), 54u);
  EXPECT_EQ(b.Width(), 4);
  EXPECT_EQ(b.Height(), 0);
}

TEST(BMToBitmap, ReloadingInPlaceLeavesNothingOfTheOldPicture) {
  TBitmap bitmap;
  BM16ToBitmap(bitmap, TBMImage{40, 30, test::Pattern(2400)});
  // Every byte, the rows' padding included, is the new picture's.
  BM8ToBitmap(bitmap, TBMImage{1, 1, {7}}, TestPalette(3));
  Bytes expected = DisplayHeader(1082, 1078, 1, 1, 8, 4, 256);
  const Bytes table = PaletteBytes(TestPalette(3));
  expected.insert(expected.end(), table.begin(), table.end());
  expected.insert(expected.end(), {7, 0, 0, 0});
  EXPECT_EQ(Saved(bitmap), expected);
  BM16ToBitmap(bitmap, TBMImage{1, 1, {0x1F, 0x00}});
  expected = DisplayHeader(58, 54, 1, 1, 24, 4, 0);
  expected.insert(expected.end(), {248, 0, 0, 0});
  EXPECT_EQ(Saved(bitmap), expected);
}

TEST(BMToBitmap, SixteenBitVgaFits) {
  const Bytes pixels = test::Pattern(640 * 480 * 2, 4);
  TBitmap bitmap;
  BM16ToBitmap(bitmap, TBMImage{640, 480, pixels});
  EXPECT_EQ(Saved(bitmap).size(), 54u + 921600u);
  std::vector<std::uint8_t> scratch;
  const TPicture p = bitmap.Picture(scratch);
  std::uint8_t r = 0, g = 0, b = 0;
  const std::size_t last = 640 * 480 - 1;
  Rgb565ToRgb(pixels[2 * last], pixels[2 * last + 1], r, g, b);
  EXPECT_EQ(p.Row(479)[3 * 639 + 2], r);
  EXPECT_EQ(p.Row(479)[3 * 639 + 1], g);
  EXPECT_EQ(p.Row(479)[3 * 639], b);
}

TEST(BMToBitmap, ImagesTheDisplaysCannotHoldAreRefused) {
  struct Row {
    const char* Name;
    int Bits;
    TBMImage Image;
  };
  const std::vector<Row> rows = {
      {"8-bit, one pixel byte missing", 8, {3, 2, Bytes(5, 1)}},
      {"8-bit, one pixel byte too many", 8, {3, 2, Bytes(7, 1)}},
      {"16-bit, odd byte count", 16, {2, 1, Bytes(3, 1)}},
      {"16-bit, 8-bit sized data", 16, {2, 2, Bytes(4, 1)}},
      {"negative width", 8, {-1, 2, Bytes{}}},
      {"negative both", 16, {-2, -2, Bytes(8, 1)}},
      {"8-bit rows over the limit", 8, {1001, 999, Bytes(999999, 1)}},
      {"16-bit rows over the limit", 16, {578, 578, Bytes(578 * 578 * 2, 1)}},
      {"product 0 in 32 bits", 8, {65536, 65536, Bytes{}}},
      {"width 0, height huge", 8, {0, 2'000'000'000, Bytes{}}},
      {"width huge, height 0", 16, {2'000'000'000, 0, Bytes{}}},
      {"huge", 16, {INT32_MAX, INT32_MAX, Bytes(16, 1)}},
  };
  const TBMPalette palette = TestPalette(1);
  for (const Row& row : rows) {
    TBitmap bitmap;
    BM8ToBitmap(bitmap, TBMImage{2, 2, {1, 2, 3, 4}}, palette);
    const Bytes before = Saved(bitmap);
    if (row.Bits == 8) {
      EXPECT_THROW(BM8ToBitmap(bitmap, row.Image, palette), CodecError) << row.Name;
    } else {
      EXPECT_THROW(BM16ToBitmap(bitmap, row.Image), CodecError) << row.Name;
    }
    EXPECT_EQ(Saved(bitmap), before) << row.Name << ": bitmap unchanged";
  }
}

// ---- Scaled to fit a square (thumbnails) ---------------------------------------------------

TEST(FitWithin, TheLongerSideBecomesTheBox) {
  struct Row {
    std::int32_t W, H, Box;
    TFitSize Expected;
  };
  const Row rows[] = {
      {64, 64, 256, {256, 256}}, {6, 2, 256, {256, 85}}, {2, 6, 12, {4, 12}},
      {1000, 1, 100, {100, 1}},  {300, 1, 1, {1, 1}},    {640, 480, 128, {128, 96}},
  };
  for (const Row& r : rows)
    EXPECT_EQ(FitWithin(r.W, r.H, r.Box), r.Expected) << r.W << " x " << r.H << " in " << r.Box;
}

// Grey levels of a 24-bit picture, rows top to bottom; every pixel must be grey.
Bytes GreyLevels(const TBitmap& bitmap) {
  const Bytes bgr = test::PictureBytes(bitmap);
  Bytes out;
  for (std::size_t i = 0; i + 2 < bgr.size(); i += 3) {
    EXPECT_TRUE(bgr[i] == bgr[i + 1] && bgr[i + 1] == bgr[i + 2]) << "pixel " << i / 3;
    out.push_back(bgr[i]);
  }
  return out;
}

TEST(ScaleToFit, GrowsByRepeatingPixelsAndShrinksByAveraging) {
  struct Row {
    const char* Name;
    TBMImage Image;
    std::int32_t Box;
    std::int32_t W, H;
    Bytes Levels;
  };
  const Row rows[] = {
      {"doubled", {2, 1, {0, 255}}, 4, 4, 2, {0, 0, 255, 255, 0, 0, 255, 255}},
      {"tripled, tall",
       {1, 2, {9, 90}},
       6,
       3,
       6,
       Bytes{9, 9, 9, 9, 9, 9, 9, 9, 9, 90, 90, 90, 90, 90, 90, 90, 90, 90}},
      {"halved", {4, 2, {0, 10, 20, 30, 40, 50, 60, 70}}, 2, 2, 1, {25, 45}},
      {"uneven", {3, 1, {0, 10, 21}}, 2, 2, 1, {0, 16}},
      {"same size", {2, 2, {1, 2, 3, 4}}, 2, 2, 2, {1, 2, 3, 4}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.Name);
    TBitmap source, out;
    BM8ToBitmap(source, r.Image, GreyRamp());
    std::vector<std::uint8_t> scratch;
    ScaleToFit(source, r.Box, out, scratch);
    EXPECT_EQ(out.Width(), r.W);
    EXPECT_EQ(out.Height(), r.H);
    EXPECT_EQ(out.Layout().BitCount, 24);
    EXPECT_EQ(GreyLevels(out), r.Levels);
  }
  // Colours are averaged channel by channel: pure red and pure blue make purple.
  TBitmap colour, out;
  BM16ToBitmap(colour, TBMImage{2, 1, {0x00, 0xF8, 0x1F, 0x00}});
  std::vector<std::uint8_t> scratch;
  ScaleToFit(colour, 1, out, scratch);
  EXPECT_EQ(test::PictureBytes(out), (Bytes{124, 0, 124}));
}

}  // namespace
}  // namespace zarn
