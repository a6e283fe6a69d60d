// zarn-cli create, end to end: the file it writes is the one the codec's encoders make from
// the same sources with the same options.
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "CliFixture.h"
#include "PictureBytes.h"
#include "codec/BMReader.h"
#include "codec/BMWriter.h"

namespace zarn::test {
namespace {

class CliCreate : public CliTest {
 protected:
  // 256-colour sources of different sizes and colour tables, written into the working folder.
  std::vector<std::string> PutSources8() {
    Put("s0.bmp", StandardBmp8(4, 3, Pattern(12, 1), TestColours(256, 1)));
    Put("s1.bmp", StandardBmp8(3, 2, Pattern(6, 2), TestColours(256, 9)));
    return {"s0.bmp", "s1.bmp"};
  }
  std::vector<std::string> PutSources24() {
    Put("t0.bmp", StandardBmp24(5, 2, Pattern(30, 3)));
    Put("t1.bmp", StandardBmp24(2, 3, Pattern(18, 4)));
    Put("t2.bmp", StandardBmp24(1, 1, Pattern(3, 5)));
    return {"t0.bmp", "t1.bmp", "t2.bmp"};
  }
  // The sources as the codec loads them.
  std::vector<TBitmap> Loaded(const std::vector<std::string>& names) const {
    std::vector<TBitmap> bitmaps;
    for (const std::string& name : names)
      bitmaps.push_back(LoadedBitmap(Get(name)));
    return bitmaps;
  }
  static std::vector<const TBitmap*> Pointers(const std::vector<TBitmap>& bitmaps) {
    std::vector<const TBitmap*> pointers;
    for (const TBitmap& bitmap : bitmaps)
      pointers.push_back(&bitmap);
    return pointers;
  }
  static std::vector<std::string> Args(std::vector<std::string> options,
                                       const std::vector<std::string>& files) {
    options.insert(options.begin(), "create");
    options.insert(options.end(), files.begin(), files.end());
    return options;
  }
};

TEST_F(CliCreate, EightBitWithEveryOption) {
  const auto names = PutSources8();
  const CliResult result = Run(
      Args({"--x", "640", "--y=480", "--transparent", "255", "--include-palette", "-o", "new.bm"},
           names));
  ASSERT_EQ(result.Status, 0) << Describe(result);
  EXPECT_EQ(result.Out + result.Err, "");
  const auto bitmaps = Loaded(names);
  Bytes expected;
  EncodeBM8(expected, Pointers(bitmaps), 640, 480, 255, true);
  EXPECT_EQ(Get("new.bm"), expected);
}

TEST_F(CliCreate, EightBitDefaultsAreTheCreatorWindows) {
  const auto names = PutSources8();
  // Options may follow the files.
  const CliResult result = Run(Args({}, {names[0], names[1], "-o", "new.bm"}));
  ASSERT_EQ(result.Status, 0) << Describe(result);
  const auto bitmaps = Loaded(names);
  Bytes expected;
  EncodeBM8(expected, Pointers(bitmaps), 0, 0, 0, false);
  EXPECT_EQ(Get("new.bm"), expected);
}

TEST_F(CliCreate, SixteenBitWithEveryOption) {
  const auto names = PutSources24();
  const CliResult result =
      Run(Args({"--16bit", "--x", "3", "--y", "0", "--rgb", "1,2,250", "-o", "new.bm"}, names));
  ASSERT_EQ(result.Status, 0) << Describe(result);
  const auto bitmaps = Loaded(names);
  Bytes expected;
  EncodeBM16(expected, Pointers(bitmaps), 3, 0, 1, 2, 250);
  EXPECT_EQ(Get("new.bm"), expected);
}

TEST_F(CliCreate, SixteenBitDefaultsAreTheCreatorWindows) {
  const auto names = PutSources24();
  const CliResult result = Run(Args({"-o", "out/new.bm", "--16bit"}, names));
  ASSERT_EQ(result.Status, 1) << "the folder out does not exist\n" << Describe(result);
  std::filesystem::create_directory(work_.File("out"));
  const CliResult again = Run(Args({"-o", "out/new.bm", "--16bit"}, names));
  ASSERT_EQ(again.Status, 0) << Describe(again);
  const auto bitmaps = Loaded(names);
  Bytes expected;
  EncodeBM16(expected, Pointers(bitmaps), 0, 0, 255, 0, 255);
  EXPECT_EQ(Get("out/new.bm"), expected);
}

TEST_F(CliCreate, TwentyOneSourcesAreTheMostAndTheSameFileMayComeTwice) {
  Put("s.bmp", StandardBmp8(2, 2, Pattern(4, 6), TestColours(256, 2)));
  const std::vector<std::string> names(21, "s.bmp");
  const CliResult result = Run(Args({"-o", "new.bm"}, names));
  ASSERT_EQ(result.Status, 0) << Describe(result);
  const auto bitmaps = Loaded(names);
  Bytes expected;
  EncodeBM8(expected, Pointers(bitmaps), 0, 0, 0, false);
  EXPECT_EQ(Get("new.bm"), expected);
}

TEST_F(CliCreate, TheCreatedBMReadsBackAsTheViewerShowsIt) {
  const auto names = PutSources24();
  ASSERT_EQ(Run(Args({"--16bit", "-o", "new.bm"}, names)).Status, 0);
  const CliResult info = Run({"info", "new.bm"});
  EXPECT_EQ(info.Out,
            "16-bit BM\n3 image(s) in BM\nPalette Included : N/A\nX-Offset : 0\nY-Offset : 0\n"
            "Image 0 : 5 x 2\nImage 1 : 2 x 3\nImage 2 : 1 x 1\n");
}

// BM -> PNG -> BM: exporting to PNG and creating from those PNGs with the same options gives
// the same image records and palette trailer. One PNG is named .bmp: sources go by content.
struct RoundTripCase {
  const char* Name;
  BMFileParts (*Make)();
  std::vector<std::string> ExportOptions;
  std::vector<std::string> CreateOptions;
};

class CliPngRoundTrip : public CliCreate, public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(CliPngRoundTrip, ImageRecordsAndPaletteComeBackByteForByte) {
  const RoundTripCase& c = GetParam();
  const BMFileParts bm = c.Make();
  const Bytes original = MakeBM(bm);
  Put("orig.bm", original);
  Put("p.cmp", MakeCMP(TestTriples(11)));
  std::vector<std::string> exportArgs = {"export", "orig.bm", "-o", "img.png"};
  exportArgs.insert(exportArgs.end(), c.ExportOptions.begin(), c.ExportOptions.end());
  const CliResult exported = Run(exportArgs);
  ASSERT_EQ(exported.Status, 0) << Describe(exported);

  std::vector<std::string> sources;
  for (std::size_t i = 0; i < bm.Images.size(); ++i)
    sources.push_back(bm.Images.size() == 1 ? "img.png" : "img_" + std::to_string(i) + ".png");
  std::filesystem::rename(work_.File(sources[0]), work_.File("first.bmp"));
  sources[0] = "first.bmp";
  std::vector<std::string> options = c.CreateOptions;
  options.insert(options.end(), {"-o", "again.bm"});
  const CliResult created = Run(Args(options, sources));
  ASSERT_EQ(created.Status, 0) << Describe(created);

  const auto read = [](const Bytes& file, std::array<TBMImage, kMaxImages>& images,
                       TBMPalette& palette) {
    TBMHeader header{};
    EXPECT_EQ(ReadBMFromBytes(file, header, images, palette), std::nullopt);
    return header;
  };
  std::array<TBMImage, kMaxImages> before{}, after{};
  TBMPalette paletteBefore{}, paletteAfter{};
  const TBMHeader h0 = read(original, before, paletteBefore);
  const TBMHeader h1 = read(Get("again.bm"), after, paletteAfter);
  EXPECT_EQ(h1.ImageCount, h0.ImageCount);
  EXPECT_EQ(h1.PaletteMode, h0.PaletteMode);
  EXPECT_EQ(after, before);
  EXPECT_EQ(paletteAfter, paletteBefore);
  EXPECT_EQ(Get("again.bm").size(), original.size());
}

INSTANTIATE_TEST_SUITE_P(
    Depths, CliPngRoundTrip,
    ::testing::Values(RoundTripCase{"Paletted8", SampleBMs::Paletted8, {}, {"--include-palette"}},
                      RoundTripCase{
                          "Unpaletted8", SampleBMs::Unpaletted8, {"--palette", "p.cmp"}, {}},
                      RoundTripCase{"Colour16", SampleBMs::Colour16, {}, {"--16bit"}},
                      RoundTripCase{"Colour16Multi", SampleBMs::Colour16Multi, {}, {"--16bit"}}),
    [](const auto& p) { return std::string(p.param.Name); });

}  // namespace
}  // namespace zarn::test
