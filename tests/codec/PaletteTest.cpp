// Palette files of every kind: told apart, read, refused, written and read back.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "codec/Bitmap.h"
#include "codec/PaletteFormats.h"
#include "codec/Png.h"

namespace zarn {
namespace {

using test::Bytes;

Bytes TextBytes(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

// Entry k of a hand-made palette below, as red, green, blue.
TRGBQuad Rgb(int r, int g, int b) {
  return TRGBQuad{static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g),
                  static_cast<std::uint8_t>(r), 0};
}

Bytes Act772(int count) {
  Bytes act(772, 0);
  act[0] = 10, act[1] = 20, act[2] = 30, act[3] = 40, act[4] = 50, act[5] = 60;
  act[6] = 99;  // past the count: not a colour of the palette
  act[768] = static_cast<std::uint8_t>(count >> 8);
  act[769] = static_cast<std::uint8_t>(count);
  act[770] = 0xFF, act[771] = 0xFF;
  return act;
}

Bytes SampleOfAnotherProgram(const char* name) {
  return test::ReadFileBytes(std::filesystem::path(ZARN_PNG_SAMPLES) / name);
}

struct ReadCase {
  const char* Name;
  Bytes File;
  const char* Path;
  EPaletteFile Kind;
  std::vector<TRGBQuad> First;  // the first entries; every later entry is black
};

std::vector<ReadCase> ReadCases() {
  const Bytes triples = test::TestTriples();
  const auto fromTriples = [&](std::size_t n) {
    std::vector<TRGBQuad> v;
    for (std::size_t i = 0; i < n; ++i)
      v.push_back(Rgb(triples[3 * i], triples[3 * i + 1], triples[3 * i + 2]));
    return v;
  };
  test::BMFileParts bm;
  bm.Header.PaletteMode = 2;
  bm.Trailer = triples;
  std::vector<TRGBQuad> sixteen;
  for (int k = 0; k < 16; ++k)
    sixteen.push_back(Rgb(k, 255 - k, (k * 7 + 1) & 255));
  std::vector<test::Colour> table = test::TestColours(4);
  test::BmpParts bmp4;
  bmp4.BitCount = 4;
  bmp4.Width = 2;
  bmp4.Height = 1;
  bmp4.Colours = table;
  bmp4.RawPixelData = Bytes{0x01, 0, 0, 0};
  std::vector<TRGBQuad> tableColours;
  for (const auto& c : table)
    tableColours.push_back(TRGBQuad{c.Blue, c.Green, c.Red, 0});
  return {
      {"CMP", test::MakeCMP(triples), "any.name", EPaletteFile::CMP, fromTriples(256)},
      {"BM trailer", test::MakeBM(bm), "x.dat", EPaletteFile::BM, fromTriples(256)},
      {"short GIMP palette, CR LF, comments and a name",
       TextBytes("GIMP Palette\r\nName: Level\r\nColumns: 4\r\n# made by hand\r\n"
                 "  1   2   3\tDark\r\n\r\n255 128 0 Orange glow\r\n"),
       "p.txt", EPaletteFile::Gimp, {Rgb(1, 2, 3), Rgb(255, 128, 0)}},
      {"Adobe table of 768 bytes, told by its extension", Bytes(triples), "level.ACT",
       EPaletteFile::Act, fromTriples(256)},
      {"Adobe table of 772 bytes with a count of 2", Act772(2), "level.act", EPaletteFile::Act,
       {Rgb(10, 20, 30), Rgb(40, 50, 60)}},
      {"JASC palette", TextBytes("JASC-PAL\r\n0100\r\n2\r\n0 0 255\r\n7 8 9\r\n"), "p",
       EPaletteFile::Jasc, {Rgb(0, 0, 255), Rgb(7, 8, 9)}},
      {"palette PNG of another program", SampleOfAnotherProgram("palette-4bit.png"), "p",
       EPaletteFile::Png, sixteen},
      {"256-colour BMP", test::StandardBmp8(1, 1, Bytes{0}, test::TestColours(256)), "p.bin",
       EPaletteFile::Bmp, [] {
         std::vector<TRGBQuad> v;
         for (const auto& c : test::TestColours(256))
           v.push_back(TRGBQuad{c.Blue, c.Green, c.Red, 0});
         return v;
       }()},
      {"16-colour BMP with a table of 4", test::MakeBmp(bmp4), "p.bmp", EPaletteFile::Bmp,
       tableColours},
  };
}

TEST(TPaletteFiles, EachKindIsToldApartAndRead) {
  for (const ReadCase& c : ReadCases()) {
    SCOPED_TRACE(c.Name);
    const auto kind = PaletteFileOf(c.File, c.Path);
    ASSERT_EQ(kind, c.Kind);
    TBMPalette palette;
    palette.fill(TRGBQuad{1, 1, 1, 1});
    ASSERT_EQ(ReadPaletteBytes(c.File, *kind, palette), std::nullopt);
    for (std::size_t i = 0; i < palette.size(); ++i) {
      const TRGBQuad expected = i < c.First.size() ? c.First[i] : TRGBQuad{};
      ASSERT_EQ(palette[i], expected) << "entry " << i;
    }
  }
}

TEST(TPaletteFiles, MalformedAndOversizedFilesAreRefusedAndChangeNothing) {
  const std::string tooMany = "The palette has more than 256 colours!";
  std::string gimp257 = "GIMP Palette\n";
  for (int i = 0; i < 257; ++i)
    gimp257 += "1 2 3\n";
  const struct {
    const char* Name;
    Bytes File;
    EPaletteFile Kind;
    std::string Refusal;
  } cases[] = {
      {"GIMP palette of 257 colours", TextBytes(gimp257), EPaletteFile::Gimp, tooMany},
      {"GIMP line over 255", TextBytes("GIMP Palette\n1 2 256\n"), EPaletteFile::Gimp,
       "Invalid GIMP palette! Line 2 is not a colour (red, green and blue of 0 to 255)."},
      {"GIMP line of two numbers", TextBytes("GIMP Palette\n1 2\n"), EPaletteFile::Gimp,
       "Invalid GIMP palette! Line 2 is not a colour (red, green and blue of 0 to 255)."},
      {"JASC count that the lines do not match", TextBytes("JASC-PAL\n0100\n3\n1 2 3\n"),
       EPaletteFile::Jasc, "Invalid JASC palette!"},
      {"JASC count of 300", TextBytes("JASC-PAL\n0100\n300\n"), EPaletteFile::Jasc,
       tooMany},
      {"Adobe table with a count of 300", Act772(300), EPaletteFile::Act, tooMany},
      {"Adobe table of 700 bytes", Bytes(700, 1), EPaletteFile::Act,
       "Invalid Adobe colour table (768 or 772 bytes)!"},
      {"truecolour PNG", SampleOfAnotherProgram("rgb-8bit.png"), EPaletteFile::Png,
       "The PNG file has no palette!"},
      {"truncated PNG", test::Slice(SampleOfAnotherProgram("palette-4bit.png"), 0, 40),
       EPaletteFile::Png, "Invalid PNG file!"},
      {"24-bit BMP", test::StandardBmp24(1, 1, Bytes{1, 2, 3}), EPaletteFile::Bmp,
       "The BMP file has no colour table!"},
      {"CMP cut short", test::Slice(test::MakeCMP(test::TestTriples()), 0, 100),
       EPaletteFile::CMP, "Invalid CMP file!"},
      {"BM without a palette", test::MakeBM({}), EPaletteFile::BM,
       "BM doesn't contain a Palette!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TBMPalette palette;
    palette.fill(TRGBQuad{1, 2, 3, 0});
    const TBMPalette before = palette;
    const auto refusal = ReadPaletteBytes(c.File, c.Kind, palette);
    EXPECT_EQ(refusal ? RefusalText(*refusal) : "", c.Refusal);
    EXPECT_EQ(palette, before);
  }
  EXPECT_EQ(PaletteFileOf(TextBytes("hello"), "notes.txt"), std::nullopt);
}

TEST(TPaletteFiles, EveryWrittenKindReadsBackTheSame256Colours) {
  TBMPalette palette;
  for (std::size_t i = 0; i < palette.size(); ++i) {
    palette[i] = Rgb(static_cast<int>(i), static_cast<int>(i * 7) & 255, 255 - static_cast<int>(i));
  }
  palette[200] = palette[3];  // a repeated colour keeps its place
  for (const char* path : {"out.gpl", "out.ACT", "out.pal", "out.png"}) {
    SCOPED_TRACE(path);
    const auto kind = PaletteOutputFor(path);
    ASSERT_TRUE(kind);
    Bytes bytes;
    EncodePalette(palette, *kind, bytes);
    ASSERT_EQ(PaletteFileOf(bytes, "renamed.dat").value_or(EPaletteFile::Act), *kind);
    TBMPalette back{};
    ASSERT_EQ(ReadPaletteBytes(bytes, *kind, back), std::nullopt);
    EXPECT_EQ(back, palette);
  }
  EXPECT_EQ(PaletteOutputFor("out.cmp"), std::nullopt);
}

TEST(TPaletteFiles, TheSwatchHasOneCellOf16PixelsPerIndexRowByRow) {
  TBMPalette palette{};
  Bytes png;
  EncodePalette(palette, EPaletteFile::Png, png);
  TSourceImage swatch;
  ASSERT_EQ(DecodePngSource(png, 8, swatch), std::nullopt);
  std::vector<std::uint8_t> scratch;
  const TPicture picture = swatch.Bitmap.Picture(scratch);
  ASSERT_EQ(picture.Width, 256);
  ASSERT_EQ(picture.Height, 256);
  for (const int index : {0, 1, 15, 16, 255}) {
    SCOPED_TRACE(index);
    const int left = index % 16 * 16, top = index / 16 * 16;
    for (const auto& [x, y] : {std::pair{left, top}, std::pair{left + 15, top + 15}})
      EXPECT_EQ(picture.Row(y)[static_cast<std::size_t>(x)], index);
  }
}

}  // namespace
}  // namespace zarn
