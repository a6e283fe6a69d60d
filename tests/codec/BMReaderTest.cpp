// Reading BM files and palettes: the format rules, and the all-or-nothing promise to the caller
// for every malformed, truncated or hostile file.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "codec/BMFormat.h"
#include "codec/BMReader.h"
#include "codec/files/CodecFiles.h"

namespace zarn {
namespace {

using test::BMFileParts;
using test::BMImageParts;
using test::Bytes;

// The caller's records, filled with recognisable values so that any change shows.
struct Records {
  TBMHeader Header;
  std::array<TBMImage, kMaxImages> Images;
  TBMPalette Palette;

  static Records Sentinel() {
    Records r;
    std::array<std::uint8_t, kBMHeaderSize> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
      bytes[i] = static_cast<std::uint8_t>(0xA0 ^ i);
    r.Header = TBMHeader::FromBytes(bytes);
    for (int i = 0; i < kMaxImages; ++i) {
      r.Images[static_cast<std::size_t>(i)] =
          TBMImage{100 + i, 7, Bytes{static_cast<std::uint8_t>(i), 0xEE, 0xDD}};
    }
    for (int i = 0; i < kPaletteEntries; ++i) {
      r.Palette[static_cast<std::size_t>(i)] = TRGBQuad{static_cast<std::uint8_t>(i), 1, 2, 3};
    }
    return r;
  }
  // True when the BM is accepted.
  bool ReadBytes(std::span<const std::uint8_t> bytes) {
    return !ReadBMFromBytes(bytes, Header, Images, Palette);
  }
  bool ReadFile(const std::filesystem::path& path) { return !ReadBM(path, Header, Images, Palette); }

  friend bool operator==(const Records&, const Records&) = default;
};

TBMPalette PaletteOf(const Bytes& triples) {
  return PaletteFromTriples(
      std::span<const std::uint8_t, kPaletteTrailerSize>(triples.data(), kPaletteTrailerSize));
}

TBMHeader HeaderOf(const Bytes& file) {
  return TBMHeader::FromBytes(
      std::span<const std::uint8_t, kBMHeaderSize>(file.data(), kBMHeaderSize));
}

// An 8-bit BM of two images (3 x 2, 2 x 1) with a palette trailer.
Bytes SmallBM8() {
  BMFileParts parts;
  parts.Header.PaletteMode = 2;
  parts.Header.ImageCount = 2;
  parts.Images = {{3, 2, {1, 2, 3, 4, 5, 6}}, {2, 1, {7, 8}}};
  parts.Trailer = test::TestTriples();
  return MakeBM(parts);
}

// A 16-bit BM of two images (2 x 1, 1 x 2) without a trailer.
Bytes SmallBM16() {
  BMFileParts parts;
  parts.Header = test::Header16();
  parts.Header.ImageCount = 2;
  parts.Images = {{2, 1, {0x00, 0xF8, 0x1F, 0x00}}, {1, 2, {0x21, 0x08, 0xFF, 0xFF}}};
  return MakeBM(parts);
}

// ---- Header and palette records ----------------------------------------------------------

TEST(TBMHeader, KeepsEveryStoredByte) {
  const Bytes bytes = test::Pattern(kBMHeaderSize, 42);
  const auto header = HeaderOf(bytes);
  const auto back = header.ToBytes();
  EXPECT_EQ(Bytes(back.begin(), back.end()), bytes);
}

TEST(TBMHeader, FieldsSitAtTheirOffsets) {
  test::BMHeaderParts parts = test::Header16();
  parts.PaletteMode = 2;
  parts.ImageCount = -4;
  parts.XOffset = 640;
  parts.YOffset = -480;
  parts.Transparent[0] = 0x1F;
  parts.Transparent[1] = 0xF8;
  const auto header = HeaderOf(test::BMHeaderBytes(parts));
  EXPECT_EQ(header.HeaderConstant, 70);
  EXPECT_EQ(header.PaletteMode, 2);
  EXPECT_EQ(header.ImageCount, -4);
  EXPECT_EQ(header.XOffset, 640);
  EXPECT_EQ(header.YOffset, -480);
  EXPECT_EQ(header.TransparentColour, (std::array<std::uint8_t, 4>{0x1F, 0xF8, 0, 0}));
  EXPECT_EQ(header.ColourMode, 1);
  EXPECT_EQ(header.BitsPerPixel, 16);
  EXPECT_EQ(header.RedBits, 5);
  EXPECT_EQ(header.GreenShift, 5);
  EXPECT_EQ(header.BlueLoss, 2);
}

TEST(TBMHeader, SignatureIsTheFirstThreeBytes) {
  struct Row {
    const char* Sig;
    bool Accepted;
  };
  const Row rows[] = {{"BM  ", true},  {"BM X", true},  {"BM \xFF", true},
                      {"bm  ", false}, {"Bm  ", false}, {"BM\0 ", false},
                      {"BMP ", false}, {" BM ", false}, {"CMP ", false}};
  for (const auto& row : rows) {
    Bytes bytes(kBMHeaderSize, 0);
    std::copy_n(row.Sig, 4, bytes.begin());
    EXPECT_EQ(HeaderOf(bytes).HasSignature(), row.Accepted) << row.Sig;
  }
}

TEST(PaletteFromTriples, TakesRedGreenBlueIntoAQuad) {
  Bytes triples(kPaletteTrailerSize, 0);
  triples[0] = 10;
  triples[1] = 20;
  triples[2] = 30;
  triples[765] = 1;
  triples[766] = 2;
  triples[767] = 3;
  const auto palette = PaletteOf(triples);
  EXPECT_EQ(palette[0], (TRGBQuad{30, 20, 10, 0}));
  EXPECT_EQ(palette[255], (TRGBQuad{3, 2, 1, 0}));
  EXPECT_EQ(palette[1], (TRGBQuad{0, 0, 0, 0}));
}

TEST(ImageWithinLimits, PixelDataAndDisplayRowsBothBounded) {
  struct Row {
    std::int32_t Width, Height, Bits;
    bool Within;
  };
  const Row rows[] = {
      {1000, 1000, 8, true},   // 1,000,000 bytes either way
      {1001, 1000, 8, false},  // pixel data over the limit
      {1001, 999, 8, false},   // 999,999 bytes of data but 1004-byte rows
      {577, 577, 16, true},    // 1732 x 577 bytes of display rows
      {578, 578, 16, false},   // display rows over the limit
      {1000, 500, 16, false},  // data fits exactly, 24-bit rows do not
      {640, 480, 16, true},    // 921,600 bytes of rows
      {0, 0, 8, true},
      {0, 5, 16, true},
      {5, 0, 8, true},
      {-1, 1, 8, false},
      {1, -1, 8, false},
      {-2, -2, 8, false},
      {INT32_MIN, 1, 8, false},
      {65536, 65536, 8, false},  // product is 0 in 32 bits
      {65537, 65537, 8, false},  // product wraps to 131073 in 32 bits
      {0x40000000, 2, 16, false},
      {INT32_MAX, INT32_MAX, 16, false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ImageWithinLimits(row.Width, row.Height, row.Bits), row.Within)
        << row.Width << " x " << row.Height << " at " << row.Bits;
  }
}

// ---- ReadBM: what a good file gives ------------------------------------------------------

TEST(ReadBM, HeaderOnlyFileTouchesNoSlotAndNoPalette) {
  BMFileParts parts;
  parts.Header.ImageCount = 0;
  parts.Header.PaletteMode = 1;
  const Bytes file = MakeBM(parts);
  ASSERT_EQ(file.size(), 128u);
  test::TempDir dir;
  test::WriteFileBytes(dir.File("empty.bm"), file);

  Records r = Records::Sentinel();
  const Records before = r;
  ASSERT_TRUE(r.ReadFile(dir.File("empty.bm")));
  EXPECT_EQ(r.Header, HeaderOf(file));
  EXPECT_EQ(r.Images, before.Images);
  EXPECT_EQ(r.Palette, before.Palette);
}

TEST(ReadBM, ReadsImagesAndTrailer) {
  const Bytes file = SmallBM8();
  test::TempDir dir;
  test::WriteFileBytes(dir.File("two.bm"), file);
  Records r = Records::Sentinel();
  const Records before = r;
  ASSERT_TRUE(r.ReadFile(dir.File("two.bm")));
  EXPECT_EQ(r.Header, HeaderOf(file));
  EXPECT_EQ(r.Images[0], (TBMImage{3, 2, {1, 2, 3, 4, 5, 6}}));
  EXPECT_EQ(r.Images[1], (TBMImage{2, 1, {7, 8}}));
  for (std::size_t i = 2; i < r.Images.size(); ++i)
    EXPECT_EQ(r.Images[i], before.Images[i]);
  EXPECT_EQ(r.Palette, PaletteOf(test::TestTriples()));
}

TEST(ReadBM, SixteenBitImagesKeepTheirStoredBytes) {
  Records r = Records::Sentinel();
  const Records before = r;
  ASSERT_TRUE(r.ReadBytes(SmallBM16()));
  EXPECT_EQ(r.Images[0], (TBMImage{2, 1, {0x00, 0xF8, 0x1F, 0x00}}));
  EXPECT_EQ(r.Images[1], (TBMImage{1, 2, {0x21, 0x08, 0xFF, 0xFF}}));
  EXPECT_EQ(r.Palette, before.Palette);
}

TEST(ReadBM, SignatureNeedsOnlyItsFirstThreeBytes) {
  struct Row {
    std::string Sig;
    bool Accepted;
  };
  const Row rows[] = {{"BM  ", true},
                      {"BM Z", true},
                      {std::string("BM \0", 4), true},
                      {"bm  ", false},
                      {std::string("BM\0 ", 4), false},
                      {std::string("BM\0\0", 4), false},
                      {"CMP ", false}};
  for (const auto& row : rows) {
    BMFileParts parts;
    parts.Header.Signature = row.Sig;
    parts.Header.ImageCount = 1;
    parts.Images = {{1, 1, {9}}};
    Records r = Records::Sentinel();
    const Records before = r;
    EXPECT_EQ(r.ReadBytes(MakeBM(parts)), row.Accepted) << row.Sig;
    if (row.Accepted) {
      EXPECT_EQ(r.Images[0], (TBMImage{1, 1, {9}}));
    } else {
      EXPECT_EQ(r, before) << row.Sig;
    }
  }
}

TEST(ReadBM, OnlyPaletteModeTwoHasATrailer) {
  for (std::int32_t mode : {0, 1, 3, -1, 2}) {
    BMFileParts parts;
    parts.Header.PaletteMode = mode;
    parts.Header.ImageCount = 1;
    parts.Images = {{2, 2, {1, 2, 3, 4}}};
    parts.Trailer = test::TestTriples(9);  // present in the file either way
    Records r = Records::Sentinel();
    const Records before = r;
    ASSERT_TRUE(r.ReadBytes(MakeBM(parts))) << "mode " << mode;
    EXPECT_EQ(r.Images[0], (TBMImage{2, 2, {1, 2, 3, 4}}));
    if (mode == 2) {
      EXPECT_EQ(r.Palette, PaletteOf(test::TestTriples(9)));
    } else {
      EXPECT_EQ(r.Palette, before.Palette) << "mode " << mode;
    }
  }
}

TEST(ReadBM, NoImagesForZeroOrNegativeCounts) {
  for (std::int32_t count : {0, -1, -21, INT32_MIN}) {
    BMFileParts parts;
    parts.Header.ImageCount = count;
    parts.Header.PaletteMode = 2;
    parts.Trailer = test::TestTriples(4);  // right after the header
    Records r = Records::Sentinel();
    const Records before = r;
    ASSERT_TRUE(r.ReadBytes(MakeBM(parts))) << count;
    EXPECT_EQ(r.Header.ImageCount, count);
    EXPECT_EQ(r.Images, before.Images) << count;
    EXPECT_EQ(r.Palette, PaletteOf(test::TestTriples(4))) << count;
  }
}

TEST(ReadBM, TrailerIsTheBytesAfterTheLastImageNotTheFileEnd) {
  BMFileParts parts;
  parts.Header.PaletteMode = 2;
  parts.Header.ImageCount = 1;
  parts.Images = {{1, 1, {5}}};
  parts.Trailer = test::TestTriples(1);
  parts.Extra = test::TestTriples(2);  // another 768 bytes after the trailer
  const Bytes file = MakeBM(parts);
  test::TempDir dir;
  test::WriteFileBytes(dir.File("extra.bm"), file);

  Records r = Records::Sentinel();
  ASSERT_TRUE(r.ReadFile(dir.File("extra.bm")));
  EXPECT_EQ(r.Palette, PaletteOf(test::TestTriples(1)));

  TBMPalette last{};
  ASSERT_EQ(ReadBMPalette(dir.File("extra.bm"), last), std::nullopt);
  EXPECT_EQ(last, PaletteOf(test::TestTriples(2)));
  EXPECT_NE(last, r.Palette);
}

TEST(ReadBM, SixteenBitFileWithPaletteModeTwoStillHasATrailer) {
  BMFileParts parts;
  parts.Header = test::Header16();
  parts.Header.PaletteMode = 2;
  parts.Header.ImageCount = 1;
  parts.Images = {{1, 1, {0x00, 0xF8}}};
  parts.Trailer = test::TestTriples(6);
  const Bytes file = MakeBM(parts);
  test::TempDir dir;
  test::WriteFileBytes(dir.File("pal16.bm"), file);

  Records r = Records::Sentinel();
  ASSERT_TRUE(r.ReadFile(dir.File("pal16.bm")));
  EXPECT_EQ(r.Palette, PaletteOf(test::TestTriples(6)));
  TBMPalette palette{};
  EXPECT_EQ(ReadBMPalette(dir.File("pal16.bm"), palette), std::nullopt);
  EXPECT_EQ(palette, PaletteOf(test::TestTriples(6)));
}

TEST(ReadBM, OtherBitDepthsGiveTheHeaderOnly) {
  for (std::int32_t bits : {0, 1, 4, 15, 24, 32, -8}) {
    BMFileParts parts;
    parts.Header.BitsPerPixel = bits;
    parts.Header.ImageCount = 2;
    parts.Header.PaletteMode = 2;
    parts.Extra = test::Pattern(40, 7);  // not image records of any known size
    const Bytes file = MakeBM(parts);
    Records r = Records::Sentinel();
    const Records before = r;
    ASSERT_TRUE(r.ReadBytes(file)) << bits;
    EXPECT_EQ(r.Header, HeaderOf(file)) << bits;
    EXPECT_EQ(r.Images, before.Images) << bits;
    EXPECT_EQ(r.Palette, before.Palette) << bits;
  }
}

TEST(ReadBM, SecondReadReplacesOnlyItsOwnSlots) {
  BMFileParts three;
  three.Header.ImageCount = 3;
  three.Images = {{1, 1, {1}}, {1, 1, {2}}, {1, 1, {3}}};
  BMFileParts one;
  one.Header.ImageCount = 1;
  one.Images = {{2, 1, {9, 9}}};

  Records r = Records::Sentinel();
  ASSERT_TRUE(r.ReadBytes(MakeBM(three)));
  ASSERT_TRUE(r.ReadBytes(MakeBM(one)));
  EXPECT_EQ(r.Header.ImageCount, 1);
  EXPECT_EQ(r.Images[0], (TBMImage{2, 1, {9, 9}}));
  EXPECT_EQ(r.Images[1], (TBMImage{1, 1, {2}}));
  EXPECT_EQ(r.Images[2], (TBMImage{1, 1, {3}}));
}

TEST(ReadBM, TwentyOneImagesFillEverySlot) {
  BMFileParts parts;
  parts.Header.ImageCount = kMaxImages;
  for (int i = 0; i < kMaxImages; ++i) {
    parts.Images.push_back({1, 1, {static_cast<std::uint8_t>(i)}});
  }
  Records r = Records::Sentinel();
  ASSERT_TRUE(r.ReadBytes(MakeBM(parts)));
  for (int i = 0; i < kMaxImages; ++i) {
    EXPECT_EQ(r.Images[static_cast<std::size_t>(i)],
              (TBMImage{1, 1, {static_cast<std::uint8_t>(i)}}));
  }
}

TEST(ReadBM, ImagesAtTheLimitsAreRead) {
  struct Row {
    std::int32_t Width, Height, Bits;
  };
  for (const Row& row : {Row{1000, 1000, 8}, Row{577, 577, 16}, Row{0, 3, 8}, Row{3, 0, 16}}) {
    BMFileParts parts;
    if (row.Bits == 16) parts.Header = test::Header16();
    parts.Header.ImageCount = 1;
    const auto size = static_cast<std::size_t>(row.Width) * static_cast<std::size_t>(row.Height) *
                      static_cast<std::size_t>(row.Bits / 8);
    parts.Images = {{row.Width, row.Height, test::Pattern(size)}};
    Records r = Records::Sentinel();
    ASSERT_TRUE(r.ReadBytes(MakeBM(parts))) << row.Width << " x " << row.Height;
    EXPECT_EQ(r.Images[0].Width, row.Width);
    EXPECT_EQ(r.Images[0].Height, row.Height);
    EXPECT_EQ(r.Images[0].Pixels, test::Pattern(size));
  }
}

TEST(ReadBM, FileAndMemoryAgree) {
  test::TempDir dir;
  for (const Bytes& file : {SmallBM8(), SmallBM16()}) {
    test::WriteFileBytes(dir.File("x.bm"), file);
    Records fromFile = Records::Sentinel();
    Records fromBytes = Records::Sentinel();
    ASSERT_TRUE(fromFile.ReadFile(dir.File("x.bm")));
    ASSERT_TRUE(fromBytes.ReadBytes(file));
    EXPECT_EQ(fromFile, fromBytes);
  }
}

// ---- ReadBM: hostile and broken files ----------------------------------------------------

TEST(ReadBMHostile, EveryTruncationIsRefusedAndChangesNothing) {
  for (const Bytes& file : {SmallBM8(), SmallBM16()}) {
    for (std::size_t length = 0; length < file.size(); ++length) {
      Records r = Records::Sentinel();
      const Records before = r;
      const Bytes prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
      EXPECT_FALSE(r.ReadBytes(prefix)) << "prefix of " << length << " of " << file.size();
      EXPECT_TRUE(r == before) << "records changed by a prefix of " << length;
    }
    Records r = Records::Sentinel();
    EXPECT_TRUE(r.ReadBytes(file));
  }
}

TEST(ReadBMHostile, TruncatedFilesOnDiskAtEachBoundary) {
  const Bytes file = SmallBM8();
  // Inside the header, after it, inside and after each image record, inside the trailer.
  const std::size_t cuts[] = {0, 2, 3, 127, 128, 131, 135, 136, 141, 142, 150, 152, 153, 500, 919};
  test::TempDir dir;
  for (std::size_t cut : cuts) {
    ASSERT_LT(cut, file.size());
    test::WriteFileBytes(dir.File("cut.bm"),
                         Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(cut)));
    Records r = Records::Sentinel();
    const Records before = r;
    EXPECT_FALSE(r.ReadFile(dir.File("cut.bm"))) << cut;
    EXPECT_TRUE(r == before) << cut;
  }
}

TEST(ReadBMHostile, FilesThatCannotBeOpened) {
  test::TempDir dir;
  Records r = Records::Sentinel();
  const Records before = r;
  EXPECT_FALSE(r.ReadFile(dir.File("missing.bm")));
  EXPECT_FALSE(r.ReadFile(dir.Path()));  // a directory
  EXPECT_TRUE(r == before);
}

TEST(ReadBMHostile, BadSizesAndCountsAreRefusedAndChangeNothing) {
  struct Row {
    const char* Name;
    std::int32_t Bits;
    std::int32_t Count;
    std::int32_t Width, Height;
    std::size_t PixelBytes;  // bytes actually present after the record's sizes
  };
  const Row rows[] = {
      {"negative width", 8, 1, -1, 2, 64},
      {"negative height", 8, 1, 2, -1, 64},
      {"both negative", 8, 1, -2, -2, 64},
      {"most negative width", 16, 1, INT32_MIN, 1, 64},
      {"huge width", 8, 1, INT32_MAX, 1, 4096},
      {"huge both", 16, 1, INT32_MAX, INT32_MAX, 4096},
      {"product 0 in 32 bits", 8, 1, 65536, 65536, 64},
      {"width 0, height huge", 8, 1, 0, 2'000'000'000, 64},
      {"16-bit product 0 in 32 bits", 16, 1, 0x40000000, 2, 64},
      {"product wraps to 131073", 8, 1, 65537, 65537, 131073},
      {"pixel data over the limit", 8, 1, 1001, 1000, 1001000},
      {"8-bit display rows over the limit", 8, 1, 1001, 999, 999999},
      {"16-bit display rows over the limit", 16, 1, 578, 578, 668168},
      {"16-bit data fits, rows do not", 16, 1, 1000, 500, 1000000},
      {"22 images", 8, 22, 1, 1, 1},
      {"1000 images", 8, 1000, 1, 1, 1},
      {"INT32_MAX images", 8, INT32_MAX, 1, 1, 1},
  };
  for (const Row& row : rows) {
    BMFileParts parts;
    if (row.Bits == 16) parts.Header = test::Header16();
    parts.Header.ImageCount = row.Count;
    parts.Header.PaletteMode = 2;
    // As many records as the count asks for (up to 22), so only the rule can refuse the file.
    const std::int32_t records = std::min(row.Count, 22);
    for (std::int32_t i = 0; i < records; ++i) {
      parts.Images.push_back({row.Width, row.Height, test::Pattern(row.PixelBytes)});
    }
    parts.Trailer = test::TestTriples();
    Records r = Records::Sentinel();
    const Records before = r;
    EXPECT_FALSE(r.ReadBytes(MakeBM(parts))) << row.Name;
    EXPECT_TRUE(r == before) << row.Name;
  }
}

TEST(ReadBMHostile, BadSecondImageRefusesTheWholeFile) {
  BMFileParts parts;
  parts.Header.ImageCount = 2;
  parts.Header.PaletteMode = 2;
  parts.Images = {{1, 1, {5}}, {-1, 1, {6}}};
  parts.Trailer = test::TestTriples();
  Records r = Records::Sentinel();
  const Records before = r;
  EXPECT_FALSE(r.ReadBytes(MakeBM(parts)));
  EXPECT_TRUE(r == before);
}

// ---- The palette readers -----------------------------------------------------------------

struct PaletteCase {
  const char* Name;
  Bytes File;  // empty with Missing: no file at all
  bool Missing = false;
  bool Accepted = false;
  std::string Warning;  // the refusal's text
  Bytes Triples;        // the palette on success
};

void RunPaletteCases(const std::vector<PaletteCase>& cases, bool cmp) {
  test::TempDir dir;
  for (const auto& c : cases) {
    const auto path = dir.File(cmp ? "pal.cmp" : "pal.bm");
    std::filesystem::remove(path);
    if (!c.Missing) test::WriteFileBytes(path, c.File);
    TBMPalette palette = Records::Sentinel().Palette;
    const TBMPalette before = palette;
    const auto refusal = cmp ? ReadCMPPalette(path, palette) : ReadBMPalette(path, palette);
    EXPECT_EQ(!refusal, c.Accepted) << c.Name;
    if (c.Accepted) {
      EXPECT_EQ(palette, PaletteOf(c.Triples)) << c.Name;
    } else if (refusal) {
      EXPECT_EQ(RefusalText(*refusal), c.Warning) << c.Name;
      EXPECT_EQ(palette, before) << c.Name;
    }
  }
}

TEST(ReadCMPPalette, Cases) {
  const Bytes t = test::TestTriples(8);
  const Bytes cmp = test::MakeCMP(t);
  std::vector<PaletteCase> cases = {
      {"valid", cmp, false, true, "", t},
      {"bytes after the palette are ignored", test::MakeCMP(t, "CMP ", 1000), false, true, "", t},
      {"fourth byte not a space", test::MakeCMP(t, "CMPX"), false, false, "Invalid CMP file!", {}},
      {"lower case", test::MakeCMP(t, "cmp "), false, false, "Invalid CMP file!", {}},
      {"a BM file", SmallBM8(), false, false, "Invalid CMP file!", {}},
      {"one byte short", Bytes(cmp.begin(), cmp.end() - 1), false, false, "Invalid CMP file!", {}},
      {"header only", Bytes(cmp.begin(), cmp.begin() + 64), false, false, "Invalid CMP file!", {}},
      {"three bytes", Bytes{'C', 'M', 'P'}, false, false, "Invalid CMP file!", {}},
      {"empty", Bytes{}, false, false, "Invalid CMP file!", {}},
      {"missing", Bytes{}, true, false, "Invalid CMP file!", {}},
  };
  RunPaletteCases(cases, true);
}

TEST(ReadBMPalette, Cases) {
  const Bytes t = test::TestTriples(11);
  auto bm = [&](std::int32_t mode, std::int32_t bits, std::int32_t count, bool trailer) {
    BMFileParts parts;
    parts.Header.PaletteMode = mode;
    parts.Header.BitsPerPixel = bits;
    parts.Header.ImageCount = count;
    if (count > 0) parts.Images = {{2, 1, {1, 2}}};
    if (trailer) parts.Trailer = t;
    return MakeBM(parts);
  };
  Bytes badSig = bm(2, 8, 1, true);
  badSig[2] = 'X';
  const Bytes headerOnly = bm(2, 8, 0, false);
  std::vector<PaletteCase> cases = {
      {"valid", bm(2, 8, 1, true), false, true, "", t},
      {"depth and count are not looked at", bm(2, 24, -5, true), false, true, "", t},
      {"16-bit with mode 2", bm(2, 16, 0, true), false, true, "", t},
      {"no signature", badSig, false, false, "Invalid BM file!", {}},
      {"mode 1", bm(1, 8, 1, true), false, false, "BM doesn't contain a Palette!", {}},
      {"mode 0", bm(0, 8, 1, true), false, false, "BM doesn't contain a Palette!", {}},
      {"mode 3", bm(3, 8, 1, true), false, false, "BM doesn't contain a Palette!", {}},
      {"16-bit as written (mode 1)", SmallBM16(), false, false, "BM doesn't contain a Palette!", {}},
      {"mode 2 but nothing after the header", headerOnly, false, false, "Invalid BM file!", {}},
      {"shorter than a header",
       Bytes(badSig.begin(), badSig.begin() + 100),
       false,
       false,
       "Invalid BM file!",
       {}},
      {"empty", Bytes{}, false, false, "Invalid BM file!", {}},
      {"missing", Bytes{}, true, false, "Invalid BM file!", {}},
  };
  RunPaletteCases(cases, false);

  // The order of the checks: a short file of mode 1 is refused for having no palette.
  Bytes shortMode1 = bm(1, 8, 0, false);
  test::TempDir dir;
  test::WriteFileBytes(dir.File("m1.bm"), shortMode1);
  TBMPalette palette{};
  const auto refusal = ReadBMPalette(dir.File("m1.bm"), palette);
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->Reason, ERefusal::BMHasNoPalette);
}

}  // namespace
}  // namespace zarn
