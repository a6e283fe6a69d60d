// zarn-cli info and export, end to end: the texts the viewer writes, and files identical to
// the codec's own export (BMP) or with the same pixels (PNG).
#include <png.h>

#include <string>
#include <vector>

#include "CliFixture.h"

namespace zarn::test {
namespace {

using ::testing::ElementsAre;

// ---- info -----------------------------------------------------------------------------------

struct InfoCase {
  const char* Name;
  BMFileParts (*Make)();
  const char* Expected;
};

class CliInfo : public CliTest, public ::testing::WithParamInterface<InfoCase> {};

TEST_P(CliInfo, WritesTheViewersLinesAndEachImageSize) {
  PutBM("wall.bm", GetParam().Make());
  const CliResult result = Run({"info", "wall.bm"});
  EXPECT_EQ(result.Status, 0) << Describe(result);
  EXPECT_EQ(result.Out, GetParam().Expected);
  EXPECT_EQ(result.Err, "");
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, CliInfo,
    ::testing::Values(
        InfoCase{"Paletted8", &SampleBMs::Paletted8,
                 "8-bit BM\n3 image(s) in BM\nPalette Included : Yes\nX-Offset : 5\n"
                 "Y-Offset : -3\nImage 0 : 4 x 2\nImage 1 : 3 x 3\nImage 2 : 5 x 1\n"},
        InfoCase{"Unpaletted8", &SampleBMs::Unpaletted8,
                 "8-bit BM\n2 image(s) in BM\nPalette Included : No\nX-Offset : 0\n"
                 "Y-Offset : 0\nImage 0 : 6 x 2\nImage 1 : 2 x 5\n"},
        InfoCase{"Colour16", &SampleBMs::Colour16,
                 "16-bit BM\n1 image(s) in BM\nPalette Included : N/A\nX-Offset : 0\n"
                 "Y-Offset : 0\nImage 0 : 7 x 3\n"},
        // The image records of another depth are never read, so no sizes are known.
        InfoCase{"Deep", &SampleBMs::Deep,
                 "24-bit BM\n2 image(s) in BM\nPalette Included : \nX-Offset : 0\n"
                 "Y-Offset : 0\n"},
        InfoCase{"NoImages", &SampleBMs::Empty8,
                 "8-bit BM\n0 image(s) in BM\nPalette Included : Yes\nX-Offset : 0\n"
                 "Y-Offset : 0\n"}),
    [](const auto& p) { return std::string(p.param.Name); });

class CliInfoFiles : public CliTest {};

TEST_F(CliInfoFiles, SeveralFilesEachGetABlockHeadedByTheName) {
  PutBM("a.bm", SampleBMs::Colour16());
  PutBM("sub/b.bm", SampleBMs::Unpaletted8());
  const CliResult result = Run({"info", "a.bm", "sub/b.bm"});
  EXPECT_EQ(result.Status, 0) << Describe(result);
  EXPECT_EQ(result.Out,
            "a.bm:\n16-bit BM\n1 image(s) in BM\nPalette Included : N/A\nX-Offset : 0\n"
            "Y-Offset : 0\nImage 0 : 7 x 3\n"
            "\n"
            "sub/b.bm:\n8-bit BM\n2 image(s) in BM\nPalette Included : No\nX-Offset : 0\n"
            "Y-Offset : 0\nImage 0 : 6 x 2\nImage 1 : 2 x 5\n");
}

// One array for scripts, valid JSON whatever the files are called: a quote, a backslash, a
// control character and a byte that is not UTF-8 in a name are escaped or replaced.
TEST_F(CliInfoFiles, JsonHasAnObjectPerFileRefusedOnesWithTheReason) {
  PutBM("a.bm", SampleBMs::Paletted8());
  PutBM("q\"\\\x01\xff\xc3\xa9.bm", SampleBMs::Colour16());
  PutBM("deep.bm", SampleBMs::Deep());
  Put("notes.bm", Bytes{'B', 'M', ' ', 'n', 'o', 't', 'e', 's'});
  const CliResult result =
      Run({"info", "--json", "a.bm", "q\"\\\x01\xff\xc3\xa9.bm", "deep.bm", "notes.bm"});
  EXPECT_EQ(result.Status, 1) << Describe(result);
  EXPECT_EQ(result.Out,
            "[\n"
            R"({"file":"a.bm","bits":8,"imageCount":3,"paletteIncluded":true,"xOffset":5,)"
            R"("yOffset":-3,"transparentIndex":0,"images":[{"width":4,"height":2},)"
            R"({"width":3,"height":3},{"width":5,"height":1}]},)"
            "\n"
            "{\"file\":\"q\\\"\\\\\\u0001\xef\xbf\xbd\xc3\xa9.bm\",\"bits\":16,\"imageCount\":1,"
            R"("paletteIncluded":false,"xOffset":0,"yOffset":0,"transparentColour":)"
            R"({"rgb565":0,"red":0,"green":0,"blue":0},"images":[{"width":7,"height":3}]},)"
            "\n"
            R"({"file":"deep.bm","bits":24,"imageCount":2,"paletteIncluded":false,)"
            R"("xOffset":0,"yOffset":0},)"
            "\n"
            R"({"file":"notes.bm","refusal":"Invalid BM file!"})"
            "\n]\n");
  EXPECT_EQ(result.Err, "notes.bm: Invalid BM file!\n");
}

// ---- export to BMP ----------------------------------------------------------------------------

class CliExport : public CliTest {};

TEST_F(CliExport, SingleImageGoesBesideTheBMUnderItsName) {
  const BMFileParts bm = SampleBMs::Colour16();
  PutBM("maps/wall.bm", bm);
  const CliResult result = Run({"export", "maps/wall.bm"});
  ASSERT_EQ(result.Status, 0) << Describe(result);
  EXPECT_EQ(result.Out, "");
  EXPECT_EQ(Get("maps/wall.bmp"), ExportedBmp(bm, 0, nullptr));
  EXPECT_THAT(Tree(), ElementsAre("maps", "maps/wall.bm", "maps/wall.bmp"));
}

TEST_F(CliExport, SeveralImagesAreNumberedAndTheChosenNameIsNotWritten) {
  const BMFileParts bm = SampleBMs::Paletted8();
  PutBM("wall.bm", bm);
  const CliResult result = Run({"export", "wall.bm", "-o", "pic.bmp"});
  ASSERT_EQ(result.Status, 0) << Describe(result);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(Get("pic_" + std::to_string(i) + ".bmp"), ExportedBmp(bm, i, nullptr)) << i;
  }
  EXPECT_THAT(Tree(), ElementsAre("pic_0.bmp", "pic_1.bmp", "pic_2.bmp", "wall.bm"));
}

TEST_F(CliExport, NumbersGoBeforeTheFirstDotOfTheFileName) {
  const BMFileParts bm = SampleBMs::Colour16Multi();
  PutBM("my.dir/A.B.bm", bm);
  const CliResult result = Run({"export", "my.dir/A.B.bm"});
  ASSERT_EQ(result.Status, 0) << Describe(result);
  EXPECT_EQ(Get("my.dir/A_0.B.bmp"), ExportedBmp(bm, 0, nullptr));
  EXPECT_EQ(Get("my.dir/A_1.B.bmp"), ExportedBmp(bm, 1, nullptr));
}

TEST_F(CliExport, PaletteFromACmpFileWhateverTheCaseOfItsExtension) {
  const BMFileParts bm = SampleBMs::Unpaletted8();
  const Bytes triples = TestTriples(42);
  PutBM("wall.bm", bm);
  Put("COLORS.CMP", MakeCMP(triples));
  const CliResult result = Run({"export", "--palette", "COLORS.CMP", "wall.bm"});
  ASSERT_EQ(result.Status, 0) << Describe(result);
  const TBMPalette palette = PaletteOf(triples);
  EXPECT_EQ(Get("wall_0.bmp"), ExportedBmp(bm, 0, &palette));
  EXPECT_EQ(Get("wall_1.bmp"), ExportedBmp(bm, 1, &palette));
}

TEST_F(CliExport, PaletteFromAnotherBM) {
  const BMFileParts bm = SampleBMs::Unpaletted8();
  const BMFileParts source = SampleBMs::Paletted8();
  PutBM("wall.bm", bm);
  PutBM("source.Bm", source);
  const CliResult result = Run({"export", "wall.bm", "--palette=source.Bm", "-o", "out.bmp"});
  ASSERT_EQ(result.Status, 0) << Describe(result);
  const TBMPalette palette = PaletteOf(*source.Trailer);
  EXPECT_EQ(Get("out_0.bmp"), ExportedBmp(bm, 0, &palette));
  EXPECT_EQ(Get("out_1.bmp"), ExportedBmp(bm, 1, &palette));
}

TEST_F(CliExport, ABMWithItsOwnPaletteKeepsItWhenAPaletteIsGiven) {
  const BMFileParts own = SampleBMs::Paletted8();
  const BMFileParts bare = SampleBMs::Unpaletted8();
  const Bytes triples = TestTriples(77);
  PutBM("own.bm", own);
  PutBM("bare.bm", bare);
  Put("p.cmp", MakeCMP(triples));
  const CliResult result = Run({"export", "--palette", "p.cmp", "own.bm", "bare.bm", "-o", "out"});
  ASSERT_EQ(result.Status, 0) << Describe(result);
  const TBMPalette given = PaletteOf(triples);
  EXPECT_EQ(Get("out/own_2.bmp"), ExportedBmp(own, 2, nullptr));
  EXPECT_EQ(Get("out/bare_1.bmp"), ExportedBmp(bare, 1, &given));
}

TEST_F(CliExport, SeveralBMsGoIntoTheFolderEachUnderItsOwnName) {
  const BMFileParts single = SampleBMs::Colour16();
  const BMFileParts multi = SampleBMs::Colour16Multi();
  PutBM("in/one.bm", single);
  PutBM("two.BM", multi);
  const CliResult result = Run({"export", "in/one.bm", "two.BM", "-o", "out/deep"});
  ASSERT_EQ(result.Status, 0) << Describe(result);
  EXPECT_EQ(Get("out/deep/one.bmp"), ExportedBmp(single, 0, nullptr));
  EXPECT_EQ(Get("out/deep/two_0.bmp"), ExportedBmp(multi, 0, nullptr));
  EXPECT_EQ(Get("out/deep/two_1.bmp"), ExportedBmp(multi, 1, nullptr));
  EXPECT_THAT(Tree(), ElementsAre("in", "in/one.bm", "out", "out/deep", "out/deep/one.bmp",
                                  "out/deep/two_0.bmp", "out/deep/two_1.bmp", "two.BM"));
}

TEST_F(CliExport, AnExistingFolderAsOutputTakesTheBMsWhateverItsName) {
  const BMFileParts bm = SampleBMs::Colour16();
  PutBM("wall.bm", bm);
  PutBM("door.bm", bm);
  Put("out.png/keep.txt", {1});
  const CliResult result = Run({"export", "wall.bm", "-o", "out.png"});
  ASSERT_EQ(result.Status, 0) << Describe(result);
  EXPECT_EQ(Get("out.png/wall.bmp"), ExportedBmp(bm, 0, nullptr));
  const CliResult both = Run({"export", "wall.bm", "door.bm", "-o", "out.png"});
  ASSERT_EQ(both.Status, 0) << Describe(both);
  EXPECT_EQ(Get("out.png/door.bmp"), ExportedBmp(bm, 0, nullptr));
}

// An output that is the command's own standard output or error, whatever its name, is written
// to it as a stream: what the stream already holds stays.
TEST_F(CliExport, OutputsThatAreTheCommandsOwnStreamsAreAppendedTo) {
  const BMFileParts bm = SampleBMs::Colour16();
  PutBM("a.bm", bm);
  Put("s.bmp", StandardBmp8(2, 2, Pattern(4, 1), TestColours(256, 3)));
  ASSERT_EQ(Run({"thumbnail", "a.bm", "t.png"}).Status, 0);
  ASSERT_EQ(Run({"create", "-o", "n.bm", "s.bmp"}).Status, 0);
  Put("p.cmp", MakeCMP(TestTriples()));
  ASSERT_EQ(Run({"palette", "p.cmp", "-o", "p.gpl"}).Status, 0);
  const Bytes exported = ExportedBmp(bm, 0, nullptr);
  const struct {
    std::vector<std::string> Args;
    bool ToError;
    Bytes Written;
  } rows[] = {
      {{"export", "a.bm", "-o", "/dev/stdout"}, false, exported},
      {{"export", "a.bm", "-o", "/proc/self/fd/1"}, false, exported},
      {{"export", "a.bm", "-o", "/dev/fd/1"}, false, exported},
      {{"export", "a.bm", "-o", "-"}, false, exported},
      {{"export", "a.bm", "-o", "log.gpl"}, false, exported},
      {{"export", "a.bm", "-o", "/dev/stderr"}, true, exported},
      {{"thumbnail", "a.bm", "/dev/stdout"}, false, Get("t.png")},
      {{"create", "-o", "/dev/stdout", "s.bmp"}, false, Get("n.bm")},
      {{"palette", "p.cmp", "-o", "log.gpl"}, false, Get("p.gpl")},
  };
  for (const auto& row : rows) {
    Put("log.gpl", {'o', 'l', 'd'});
    const auto log = work_.Path() / "log.gpl";
    const CliResult result =
        row.ToError ? RunCli(work_.Path(), row.Args, {}, log) : RunCli(work_.Path(), row.Args, log);
    EXPECT_EQ(result.Status, 0) << row.Args.back() << Describe(result);
    Bytes expected{'o', 'l', 'd'};
    expected.insert(expected.end(), row.Written.begin(), row.Written.end());
    EXPECT_EQ(Get("log.gpl"), expected) << row.Args.back();
  }
}

TEST_F(CliExport, AnExistingFileIsReplacedWhole) {
  const BMFileParts bm = SampleBMs::Colour16();
  PutBM("wall.bm", bm);
  Put("wall.bmp", Pattern(5000, 3));
  const CliResult result = Run({"export", "wall.bm"});
  ASSERT_EQ(result.Status, 0) << Describe(result);
  EXPECT_EQ(Get("wall.bmp"), ExportedBmp(bm, 0, nullptr));
  EXPECT_THAT(Tree(), ElementsAre("wall.bm", "wall.bmp"));
}

// ---- export to PNG ----------------------------------------------------------------------------

struct DecodedPng {
  std::uint32_t Width = 0;
  std::uint32_t Height = 0;
  int ColourType = -1;
  Bytes Rgb;
};

DecodedPng DecodePng(const Bytes& file) {
  DecodedPng decoded;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_memory(&image, file.data(), file.size()) == 0) {
    ADD_FAILURE() << "not a PNG: " << image.message;
    return decoded;
  }
  image.format = PNG_FORMAT_RGB;
  decoded.Rgb.resize(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, decoded.Rgb.data(), 0, nullptr) == 0) {
    ADD_FAILURE() << "PNG cannot be read: " << image.message;
  }
  decoded.Width = image.width;
  decoded.Height = image.height;
  decoded.ColourType = file.size() > 25 ? file[25] : -1;  // in the IHDR chunk
  return decoded;
}

class CliPng : public CliTest {};

TEST_F(CliPng, EightBitImagesArePalettePngsWithTheSamePixels) {
  const BMFileParts bm = SampleBMs::Paletted8();
  PutBM("wall.bm", bm);
  const CliResult result = Run({"export", "--format", "PNG", "wall.bm"});
  ASSERT_EQ(result.Status, 0) << Describe(result);
  for (std::size_t i = 0; i < bm.Images.size(); ++i) {
    const DecodedPng png = DecodePng(Get("wall_" + std::to_string(i) + ".png"));
    const TBitmap expected = DisplayBitmap(bm, i, nullptr);
    EXPECT_EQ(png.Width, static_cast<std::uint32_t>(expected.Width())) << i;
    EXPECT_EQ(png.Height, static_cast<std::uint32_t>(expected.Height())) << i;
    EXPECT_EQ(png.ColourType, PNG_COLOR_TYPE_PALETTE) << i;
    EXPECT_EQ(png.Rgb, RgbPixels(expected)) << i;
  }
}

TEST_F(CliPng, SixteenBitImagesAreRgbPngsWithTheSamePixels) {
  const BMFileParts bm = SampleBMs::Colour16Multi();
  PutBM("wall.bm", bm);
  // The format follows from the output's extension when --format is not given.
  const CliResult result = Run({"export", "wall.bm", "-o", "pic.PNG"});
  ASSERT_EQ(result.Status, 0) << Describe(result);
  for (std::size_t i = 0; i < bm.Images.size(); ++i) {
    const DecodedPng png = DecodePng(Get("pic_" + std::to_string(i) + ".PNG"));
    const TBitmap expected = DisplayBitmap(bm, i, nullptr);
    EXPECT_EQ(png.Width, static_cast<std::uint32_t>(expected.Width())) << i;
    EXPECT_EQ(png.ColourType, PNG_COLOR_TYPE_RGB) << i;
    EXPECT_EQ(png.Rgb, RgbPixels(expected)) << i;
  }
}

TEST_F(CliPng, AGivenPaletteColoursThePng) {
  const BMFileParts bm = SampleBMs::Unpaletted8();
  const Bytes triples = TestTriples(11);
  PutBM("wall.bm", bm);
  Put("p.cmp", MakeCMP(triples));
  const CliResult result = Run({"export", "--palette", "p.cmp", "--format", "png", "wall.bm"});
  ASSERT_EQ(result.Status, 0) << Describe(result);
  const TBMPalette palette = PaletteOf(triples);
  EXPECT_EQ(DecodePng(Get("wall_1.png")).Rgb, RgbPixels(DisplayBitmap(bm, 1, &palette)));
}

TEST_F(CliPng, LargestSixteenBitImageRoundTrips) {
  BMFileParts bm = SampleBMs::Colour16();
  bm.Images = {BMImageParts{640, 480, Pattern(640 * 480 * 2, 21)}};
  PutBM("big.bm", bm);
  const CliResult result = Run({"export", "--format=png", "big.bm"});
  ASSERT_EQ(result.Status, 0) << Describe(result);
  EXPECT_EQ(DecodePng(Get("big.png")).Rgb, RgbPixels(DisplayBitmap(bm, 0, nullptr)));
}

// ---- thumbnail ------------------------------------------------------------------------------

TEST_F(CliPng, ThumbnailFitsTheBoxAndGreysAnUnpalettedBM) {
  const BMFileParts bm = SampleBMs::Unpaletted8();  // image 0 is 6 x 2
  PutBM("wall.bm", bm);
  CliResult result = Run({"thumbnail", "--size", "12", "wall.bm", "small.png"});
  ASSERT_EQ(result.Status, 0) << Describe(result);
  EXPECT_EQ(result.Out, "");
  const DecodedPng png = DecodePng(Get("small.png"));
  ASSERT_EQ(png.Width, 12u);
  ASSERT_EQ(png.Height, 4u);
  // Each index becomes its grey, enlarged to 2 x 2 pixels.
  const Bytes& index = bm.Images[0].Pixels;
  for (std::size_t y = 0; y < 4; ++y) {
    for (std::size_t x = 0; x < 12; ++x) {
      const std::uint8_t grey = index[(y / 2) * 6 + x / 2];
      const std::size_t at = 3 * (y * 12 + x);
      EXPECT_EQ(Bytes(png.Rgb.begin() + at, png.Rgb.begin() + at + 3), Bytes(3, grey))
          << x << ", " << y;
    }
  }
  // Without --size the longer side is 256.
  result = Run({"thumbnail", "wall.bm", "large.png"});
  ASSERT_EQ(result.Status, 0) << Describe(result);
  const DecodedPng large = DecodePng(Get("large.png"));
  EXPECT_EQ(large.Width, 256u);
  EXPECT_EQ(large.Height, 85u);
}

}  // namespace
}  // namespace zarn::test
