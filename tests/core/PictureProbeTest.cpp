// Inspecting a shown picture: the pixel under the pointer and its read-out, the usage of each
// index, the transparent pixels and the marks drawn over the picture.
#include <gtest/gtest.h>

#include <vector>

#include "Mainwin/core/PictureProbe.h"

namespace zarn {
namespace {

// A 3 x 2 8-bit image (rows top first) with transparent index 5.
struct TEightBit {
  TBMImage Image{3, 2, {5, 1, 5, 2, 5, 9}};
  TBMHeader Header = [] {
    TBMHeader h;
    h.BitsPerPixel = 8;
    h.TransparentColour = {5, 0, 0, 0};
    return h;
  }();
  TBMPalette Palette = [] {
    TBMPalette p{};
    p[5] = {255, 0, 255, 0};  // blue, green, red: magenta
    p[1] = {0, 0, 10, 0};
    return p;
  }();
};

TEST(Readout, EachKindOfPixelAtAnyZoom) {
  TEightBit e;
  const TInspected withPalette = InspectBMImage(e.Image, e.Header, &e.Palette);
  const TInspected without = InspectBMImage(e.Image, e.Header, nullptr);
  // 16-bit, 2 x 1: magenta F81F (transparent) and pure red F800.
  TBMHeader h16;
  h16.BitsPerPixel = 16;
  h16.TransparentColour = {0x1F, 0xF8, 0, 0};
  const TBMImage image16{2, 1, {0x1F, 0xF8, 0x00, 0xF8}};
  const TInspected sixteen = InspectBMImage(image16, h16, nullptr);

  struct Row {
    const TInspected* Image;
    double X, Y;
    int Zoom;
    const char* Text;
  } const rows[] = {
      {&withPalette, 1.5, 0.2, 100, "x 1, y 0; index 1: 10, 0, 0"},
      // At 400 % logical pixel 11 lies in image pixel 2, 4 in pixel 1.
      {&withPalette, 11.0, 4.0, 400, "x 2, y 1; index 9: 0, 0, 0"},
      {&withPalette, 0.0, 0.0, 1600, "x 0, y 0; index 5: 255, 0, 255; transparent"},
      {&without, 1.2, 0.4, 50, "x 2, y 0; index 5: no palette; transparent"},
      {&sixteen, 0.0, 0.0, 100, "x 0, y 0; 248, 0, 248 (F81F); transparent"},
      {&sixteen, 31.9, 15.9, 1600, "x 1, y 0; 248, 0, 0 (F800)"},
  };
  for (const Row& r : rows) {
    const auto at = PixelUnder(r.X, r.Y, r.Zoom, *r.Image);
    ASSERT_TRUE(at) << r.Text;
    EXPECT_EQ(ReadoutText(at->X, at->Y, PixelAt(*r.Image, at->X, at->Y)), r.Text);
  }
  // Past the right or bottom edge, or left of it: no pixel.
  EXPECT_FALSE(PixelUnder(12.0, 0.0, 400, withPalette));
  EXPECT_FALSE(PixelUnder(0.0, 8.0, 400, withPalette));
  EXPECT_FALSE(PixelUnder(-0.5, 0.0, 100, withPalette));
  // Pixel bytes that do not match the size give nothing to inspect.
  EXPECT_TRUE(InspectBMImage({4, 4, {1, 2}}, e.Header, &e.Palette).Empty());
}

TEST(Readout, ATruecolourSourceIsTransparentByItsStoredValue) {
  // Two BGR pixels: 250, 3, 252 stores as F81F like 255, 0, 255.
  const std::vector<std::uint8_t> row{252, 3, 250, 0, 0, 255};
  TPicture picture;
  picture.Width = 2;
  picture.Height = 1;
  picture.BitCount = 24;
  picture.Top = row.data();
  picture.Stride = 6;
  const TInspected source = InspectPicture(picture, 0xF81F);
  EXPECT_EQ(ReadoutText(0, 0, PixelAt(source, 0, 0)), "x 0, y 0; 250, 3, 252 (F81F); transparent");
  EXPECT_EQ(ReadoutText(1, 0, PixelAt(source, 1, 0)), "x 1, y 0; 255, 0, 0 (F800)");
}

TEST(Marks, UsageHighlightAndTransparency) {
  TEightBit e;
  const TInspected image = InspectBMImage(e.Image, e.Header, &e.Palette);
  const TUsage usage = UsageCounts(image);
  EXPECT_EQ(usage[5], 3u);
  EXPECT_EQ(usage[1], 1u);
  EXPECT_EQ(usage[0], 0u);
  EXPECT_EQ(PaletteEntryText(image, usage, 5), "index 5: 255, 0, 255; 3 pixels; transparent");
  EXPECT_EQ(PaletteEntryText(image, usage, 1), "index 1: 10, 0, 0; 1 pixel");

  const std::vector<std::uint32_t> shown{0xFFFF00FF, 0xFF0A0000, 0xFFFF00FF,
                                         0xFF000000, 0xFFFF00FF, 0xFF000000};
  // Highlighting index 1 (dark) dims every other pixel towards a light grey.
  std::vector<std::uint32_t> marked = shown;
  MarkPixels(image, {false, 1}, marked.data(), 3);
  EXPECT_EQ(marked[1], shown[1]);
  EXPECT_EQ(marked[3], 0xFFA8A8A8u);
  EXPECT_EQ(marked[0], 0xFFE7A8E7u);
  // Transparency clears exactly the pixels of index 5, highlighted or not.
  marked = shown;
  MarkPixels(image, {true, 5}, marked.data(), 3);
  EXPECT_EQ(marked, (std::vector<std::uint32_t>{0, 0xFFAAA8A8u, 0, 0xFFA8A8A8u, 0, 0xFFA8A8A8u}));
}

TEST(Marks, CheckerboardSquaresAreFixedOnTheScreen) {
  EXPECT_EQ(CheckerColour(0, 0), kCheckerLight);
  EXPECT_EQ(CheckerColour(kCheckerSquare - 1, kCheckerSquare - 1), kCheckerLight);
  EXPECT_EQ(CheckerColour(kCheckerSquare, 0), kCheckerDark);
  EXPECT_EQ(CheckerColour(kCheckerSquare, kCheckerSquare), kCheckerLight);
}

}  // namespace
}  // namespace zarn
