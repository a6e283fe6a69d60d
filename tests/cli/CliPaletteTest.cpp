// zarn-cli palette, and create --map: palettes between the kinds of file, and truecolour
// pictures mapped to a palette.
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "CliFixture.h"
#include "codec/BMReader.h"
#include "codec/ColourMap.h"
#include "codec/ColourSource.h"

namespace zarn::test {
namespace {

class CliPalette : public CliTest {};

TEST_F(CliPalette, ConvertsThroughEveryKindAndPrintsTheColoursAsText) {
  const Bytes triples = TestTriples(9);
  Put("level.cmp", MakeCMP(triples));
  std::string expected;
  const TBMPalette palette = PaletteOf(triples);
  for (std::size_t i = 0; i < palette.size(); ++i) {
    expected += std::to_string(i) + ' ' + std::to_string(palette[i].Red) + ' ' +
                std::to_string(palette[i].Green) + ' ' + std::to_string(palette[i].Blue) + '\n';
  }
  std::string from = "level.cmp";
  for (const std::string to : {"a.gpl", "b.pal", "c.PNG", "d.act"}) {
    const CliResult result = Run({"palette", from, "-o", to});
    ASSERT_EQ(result.Status, 0) << to << Describe(result);
    from = to;
  }
  const CliResult printed = Run({"palette", from});
  EXPECT_EQ(printed.Status, 0) << Describe(printed);
  EXPECT_EQ(printed.Out, expected);
  EXPECT_EQ(Run({"palette", "level.cmp"}).Out, expected);
}

Bytes PngSample(const char* name) {
  return ReadFileBytes(std::filesystem::path(ZARN_PNG_SAMPLES) / name);
}

// The BM's image records and palette as read back.
struct ReadBack {
  std::array<TBMImage, kMaxImages> Images{};
  TBMPalette Palette{};
  TBMHeader Header{};
};
ReadBack Read(const Bytes& bm) {
  ReadBack r;
  EXPECT_TRUE(ReadBMFromBytes(bm, r.Header, r.Images, r.Palette));
  return r;
}

TEST_F(CliPalette, CreateMapsEverySourceByItsColoursAsTheCodecDoes) {
  const TBMPalette palette = PaletteOf(TestTriples(4));
  Put("level.cmp", MakeCMP(TestTriples(4)));
  // A truecolour BMP keyed with magenta, and a PNG with alpha.
  Bytes pixels = Pattern(4 * 3 * 3, 6);
  for (const std::size_t at : {0u, 15u}) {
    pixels[at] = 255, pixels[at + 1] = 0, pixels[at + 2] = 255;
  }
  Put("keyed.bmp", StandardBmp24(4, 3, pixels));
  Put("alpha.png", PngSample("rgba-8bit.png"));
  for (const bool dither : {false, true}) {
    SCOPED_TRACE(dither);
    std::vector<std::string> args = {"create", "--map", "level.cmp", "--transparent", "9",
                                     "--key", "255,0,255", "--include-palette", "-o", "out.bm",
                                     "keyed.bmp", "alpha.png"};
    if (dither) args.push_back("--dither");
    const CliResult result = Run(args);
    ASSERT_EQ(result.Status, 0) << Describe(result);
    const ReadBack bm = Read(Get("out.bm"));
    EXPECT_EQ(bm.Palette, palette);
    EXPECT_EQ(bm.Header.TransparentColour[0], 9);
    const TMapOptions map{9, TRgb{255, 0, 255}, dither};
    for (const auto& [index, name] : {std::pair{0, "keyed.bmp"}, std::pair{1, "alpha.png"}}) {
      TColourPicture picture;
      ASSERT_EQ(DecodeColourSource(Get(name), 8, picture), std::nullopt);
      EXPECT_EQ(bm.Images[static_cast<std::size_t>(index)],
                MapToPalette(picture, palette, map, ESearch::BruteForce))
          << name;
    }
    EXPECT_EQ(bm.Images[0].Pixels[0], 9);  // the key colour
  }
}

TEST_F(CliPalette, SixteenBitDitherGoesToRgb565ByErrorDiffusion) {
  Put("glow.png", PngSample("rgb-8bit.png"));
  const CliResult result =
      Run({"create", "--16bit", "--dither", "--rgb", "1,2,3", "-o", "glow.bm", "glow.png"});
  ASSERT_EQ(result.Status, 0) << Describe(result);
  TColourPicture picture;
  ASSERT_EQ(DecodeColourSource(Get("glow.png"), 16, picture), std::nullopt);
  EXPECT_EQ(Read(Get("glow.bm")).Images[0], DitherToRgb565(picture, TRgb{1, 2, 3}));
}

}  // namespace
}  // namespace zarn::test
