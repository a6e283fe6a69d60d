// The creator's display-free logic: the check of an offered BMP, admitting it as a source, the
// source count, and writing a new BM with the window's options.
#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "Bmp2Bm/core/BMCreator.h"
#include "PictureBytes.h"
#include "TestFiles.h"
#include "codec/BMReader.h"
#include "codec/BMWriter.h"
#include "codec/Errors.h"
#include "codec/files/CodecFiles.h"

namespace zarn {
namespace {

using test::BmpParts;
using test::Bytes;
using test::LoadedBitmap;

BmpParts Parts(int bits, std::int32_t w, std::int32_t h, std::uint32_t compression = 0) {
  BmpParts s;
  s.BitCount = bits;
  s.Width = w;
  s.Height = h;
  s.Compression = compression;
  s.Pixels = test::Pattern(static_cast<std::size_t>(w * h * std::max(bits / 8, 1)), 31);
  if (bits <= 8) s.Colours = test::TestColours(std::size_t{1} << bits);
  return s;
}

// The text of the refusal, or nothing.
std::optional<std::string> TextOf(const std::optional<TRefusal>& refusal) {
  if (!refusal) return std::nullopt;
  return RefusalText(*refusal);
}

TCreateOptions OptionsFor(EBMMode mode) {
  TCreateOptions options;
  options.Mode = mode;
  return options;
}

class CreatorTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const Bytes& bytes) {
    test::WriteFileBytes(dir.File(name), bytes);
    return dir.File(name).string();
  }
  test::TempDir dir;
};

// ---- CheckBmpHead --------------------------------------------------------------------------

TEST_F(CreatorTest, CheckBmpHeadWarningsInOrder) {
  const std::optional<std::string> pass;
  const std::string invalid = "Invalid BMP file!", not256 = "BMP file is not 256 color!",
                    notTrue = "BMP file is not truecolor!";
  BmpParts badType8 = Parts(8, 2, 2);
  badType8.Type = "BA";
  BmpParts badType24 = Parts(24, 2, 2);
  badType24.Type = "MB";
  const Bytes std8 = test::MakeBmp(Parts(8, 2, 2));

  // The old 12-byte header keeps its bit count at file offset 24; offset 28 lies in the colour
  // table (8 bits) or the rows (24 bits), which are set up here to hold the "other" depth.
  BmpParts core8 = Parts(8, 4, 4);
  core8.InfoSize = 12;
  core8.Colours[0].Red = 24;  // file offset 28
  core8.Colours[1].Blue = 0;  // file offset 29
  BmpParts core24 = Parts(24, 4, 3);
  core24.InfoSize = 12;
  core24.Pixels[3 * 4 * 2 + 2] = 8;  // bottom row stored first: its pixel 0 red is offset 28
  core24.Pixels[3 * 4 * 2 + 3] = 0;
  // A small file with the 12-byte header is shorter than 54 bytes and valid.
  BmpParts tiny24 = Parts(24, 2, 2);
  tiny24.InfoSize = 12;
  const Bytes tiny = test::MakeBmp(tiny24);

  struct Row {
    const char* What;
    Bytes File;
    std::optional<std::string> In8, In16;
  };
  const std::vector<Row> rows = {
      {"8-bit", std8, pass, notTrue},
      {"24-bit", test::MakeBmp(Parts(24, 2, 2)), not256, pass},
      {"4-bit", test::MakeBmp(Parts(4, 4, 2)), not256, notTrue},
      {"32-bit", test::MakeBmp(Parts(32, 2, 2)), not256, notTrue},
      {"RLE8 passes the check", test::MakeBmp(Parts(8, 2, 2, 1)), pass, notTrue},
      {"type before depth, 8-bit", test::MakeBmp(badType8), invalid, invalid},
      {"type before depth, 24-bit", test::MakeBmp(badType24), invalid, invalid},
      {"53 bytes", Bytes(std8.begin(), std8.begin() + 53), invalid, invalid},
      {"14 bytes", Bytes(std8.begin(), std8.begin() + 14), invalid, invalid},
      {"empty", Bytes{}, invalid, invalid},
      {"12-byte header, 8-bit", test::MakeBmp(core8), pass, notTrue},
      {"12-byte header, 24-bit", test::MakeBmp(core24), not256, pass},
      {"2 x 2, 12-byte header: 42 bytes", tiny, not256, pass},
      {"12-byte header cut short", Bytes(tiny.begin(), tiny.begin() + 25), invalid, invalid},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(TextOf(CheckBmpHead(row.File, 8)), row.In8) << row.What;
    EXPECT_EQ(TextOf(CheckBmpHead(row.File, 16)), row.In16) << row.What;
  }
  // A file that cannot be read is an invalid BMP file too.
  TSourceImage source;
  EXPECT_EQ(TextOf(AdmitSourceFile(dir.File("missing.bmp").string(), {}, source)), invalid);
  EXPECT_EQ(TextOf(AdmitSourceFile(dir.Path().string(), OptionsFor(EBMMode::Bit16), source)),
            invalid)
      << "a directory";
}

// ---- AdmitSource ---------------------------------------------------------------------------

TEST_F(CreatorTest, AdmitSourceAcceptsWhatTheWritersCanTake) {
  BmpParts rle = Parts(8, 4, 1, 1);
  test::Rle8Writer w;
  w.Run(4, 3).EndOfBitmap();
  rle.RawPixelData = w.Data();
  BmpParts topDown = Parts(24, 3, 3);
  topDown.TopDown = true;
  struct Row {
    const char* What;
    Bytes File;
    EBMMode Mode;
  };
  const std::vector<Row> rows = {
      {"8-bit", test::MakeBmp(Parts(8, 5, 3)), EBMMode::Bit8},
      {"8-bit, 16 colours", test::MakeBmp([] {
         BmpParts s = Parts(8, 5, 3);
         s.Colours.resize(16);
         return s;
       }()),
       EBMMode::Bit8},
      {"RLE8", test::MakeBmp(rle), EBMMode::Bit8},
      {"24-bit top-down", test::MakeBmp(topDown), EBMMode::Bit16},
      {"1000 x 1000", test::MakeBmp(Parts(8, 1000, 1000)), EBMMode::Bit8},
      {"577 x 577", test::MakeBmp(Parts(24, 577, 577)), EBMMode::Bit16},
  };
  for (const Row& row : rows) {
    const std::string path = Write("src.bmp", row.File);
    TSourceImage source;
    EXPECT_EQ(AdmitSourceFile(path, OptionsFor(row.Mode), source), std::nullopt) << row.What;
    EXPECT_EQ(test::Saved(source.Bitmap), row.File) << row.What;
  }
}

TEST_F(CreatorTest, AdmitSourceRefusesWhatTheWritersCannotTake) {
  struct Row {
    const char* What;
    Bytes File;
    EBMMode Mode;
    std::string Text;  // the whole warning
  };
  const std::string limit = " a pixel, each row padded to a multiple of 4 bytes), ";
  const std::string compression =
      "BMP compression is not supported (only uncompressed and RLE8 BMPs can be used)!";
  const std::vector<Row> rows = {
      {"8-bit with RLE4", test::MakeBmp(Parts(8, 4, 2, 2)), EBMMode::Bit8, compression},
      {"8-bit with bitfields", test::MakeBmp(Parts(8, 4, 2, 3)), EBMMode::Bit8, compression},
      {"24-bit with bitfields", test::MakeBmp(Parts(24, 4, 2, 3)), EBMMode::Bit16, compression},
      {"8-bit, 1001 x 1000", test::MakeBmp(Parts(8, 1001, 1000)), EBMMode::Bit8,
       "The image is too large for a BM: its 1,001 x 1,000 pixels are shown in 1,000 rows of "
       "1,004 bytes (1 byte" +
           limit + "1,004,000 bytes in all, and a BM image may take at most 1,000,001 bytes!"},
      {"24-bit, 578 x 578", test::MakeBmp(Parts(24, 578, 578)), EBMMode::Bit16,
       "The image is too large for a BM: its 578 x 578 pixels are shown in 578 rows of 1,736 "
       "bytes (3 bytes" +
           limit + "1,003,408 bytes in all, and a BM image may take at most 1,000,001 bytes!"},
  };
  for (const Row& row : rows) {
    TSourceImage source;
    EXPECT_EQ(TextOf(AdmitSource(row.File, OptionsFor(row.Mode), source)), row.Text) << row.What;
  }
}

TEST_F(CreatorTest, AdmitSourceThrowsForWhatCannotBeLoaded) {
  Bytes cut = test::MakeBmp(Parts(8, 4, 4));
  cut.resize(cut.size() - 1);
  TSourceImage source;
  try {
    (void)AdmitSource(cut, {}, source);
    ADD_FAILURE() << "no error";
  } catch (const CodecError& e) {
    EXPECT_EQ(std::string(e.what()), kBitmapNotValid);
  }
}

// ---- Source count and CreateBM -------------------------------------------------------------

TEST(CheckSourceCount, AtLeastOneAndAtMostTwentyOne) {
  EXPECT_NE(CheckSourceCount(0), std::nullopt);
  EXPECT_EQ(CheckSourceCount(1), std::nullopt);
  EXPECT_EQ(CheckSourceCount(21), std::nullopt);
  EXPECT_EQ(TextOf(CheckSourceCount(22)), "A BM can hold at most 21 images!");
  EXPECT_EQ(TextOf(CheckSourceCount(1000)), "A BM can hold at most 21 images!");
}

TEST_F(CreatorTest, CreateBMEightBitTakesTheLowByteOfTheIndex) {
  const TBitmap a = LoadedBitmap(test::MakeBmp(Parts(8, 3, 2)));
  const TBitmap b = LoadedBitmap(test::MakeBmp(Parts(8, 2, 2)));
  const std::vector<const TBitmap*> sources{&a, &b};
  for (auto [index, stored] : {std::pair{300, 44}, std::pair{-1, 255}, std::pair{7, 7}}) {
    TCreateOptions options;
    options.Mode = EBMMode::Bit8;
    options.XOffset = 640;
    options.YOffset = 480;
    options.TransparentIndex = index;
    options.IncludePalette = true;
    options.Red = 1;  // 16-bit options are not used
    const auto path = dir.File("new8.bm");
    CreateBM(path.string(), sources, options);
    const Bytes file = test::ReadFileBytes(path);
    Bytes expected;
    EncodeBM8(expected, sources, 640, 480, static_cast<std::uint8_t>(stored), true);
    EXPECT_EQ(file, expected) << index;
    EXPECT_EQ(file[28], stored) << index;
    EXPECT_EQ(test::GetI32(file, 12), 2);

    TBMHeader header{};
    std::array<TBMImage, kMaxImages> images{};
    TBMPalette palette{};
    EXPECT_EQ(ReadBM(path, header, images, palette), std::nullopt);
    EXPECT_EQ(header.ImageCount, 2);
  }
  TCreateOptions noPalette;
  CreateBM(dir.File("nopal.bm").string(), sources, noPalette);
  EXPECT_EQ(test::GetI32(test::ReadFileBytes(dir.File("nopal.bm")), 12), 1);
}

TEST_F(CreatorTest, CreateBMSixteenBitTakesTheLowByteOfEachChannel) {
  const TBitmap a = LoadedBitmap(test::MakeBmp(Parts(24, 3, 2)));
  const std::vector<const TBitmap*> sources{&a};
  TCreateOptions options;
  options.Mode = EBMMode::Bit16;
  options.XOffset = 3;
  options.YOffset = 4;
  options.Red = 511;              // 255
  options.Green = 256;            // 0
  options.Blue = -1;              // 255
  options.IncludePalette = true;  // not for 16 bits
  options.TransparentIndex = 9;
  CreateBM(dir.File("new16.bm").string(), sources, options);
  const Bytes file = test::ReadFileBytes(dir.File("new16.bm"));
  Bytes expected;
  EncodeBM16(expected, sources, 3, 4, 255, 0, 255);
  EXPECT_EQ(file, expected);
  EXPECT_EQ(test::Slice(file, 28, 4), (Bytes{0x1F, 0xF8, 0, 0}));
  EXPECT_EQ(test::GetI32(file, 12), 1);
  EXPECT_EQ(test::GetI32(file, 36), 16);
}

TEST_F(CreatorTest, CreateBMFailuresKeepTheOldFile) {
  const TBitmap rgb = LoadedBitmap(test::MakeBmp(Parts(24, 2, 2)));
  const TBitmap idx = LoadedBitmap(test::MakeBmp(Parts(8, 2, 2)));
  const Bytes old{1, 2, 3, 4};
  const std::string path = Write("old.bm", old);
  TCreateOptions eight;
  TCreateOptions sixteen;
  sixteen.Mode = EBMMode::Bit16;
  EXPECT_THROW(CreateBM(path, {&idx, &rgb}, eight), CodecError);
  EXPECT_THROW(CreateBM(path, {&rgb, &idx}, sixteen), CodecError);
  EXPECT_EQ(test::ReadFileBytes(path), old);

  Write("plain", Bytes{0});
  const auto target = dir.File("plain") / "x.bm";
  try {
    CreateBM(target.string(), {&idx}, eight);
    ADD_FAILURE() << "no error";
  } catch (const CodecError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file " + target.string());
  }
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"old.bm", "plain"}));
}

}  // namespace
}  // namespace zarn
