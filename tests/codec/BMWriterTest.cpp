// Writing BM files: the exact bytes for standard sources, the true picture for every other
// layout, refusal before anything is written, round trips, and files that survive failures.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "PictureBytes.h"
#include "TestFiles.h"
#include "codec/BMReader.h"
#include "codec/BMWriter.h"
#include "codec/Colour.h"
#include "codec/Display.h"
#include "codec/Errors.h"
#include "codec/files/CodecFiles.h"

namespace zarn {
namespace {

using test::BmpParts;
using test::Bytes;
using test::LoadedBitmap;

std::vector<const TBitmap*> Ptrs(const std::vector<TBitmap>& bitmaps) {
  std::vector<const TBitmap*> out;
  for (const auto& b : bitmaps)
    out.push_back(&b);
  return out;
}

Bytes Encode8(const std::vector<TBitmap>& sources, bool includePalette, std::int32_t x = 0,
              std::int32_t y = 0, std::uint8_t transparent = 0) {
  Bytes out;
  EncodeBM8(out, Ptrs(sources), x, y, transparent, includePalette);
  return out;
}

Bytes Encode16(const std::vector<TBitmap>& sources, std::int32_t x = 0, std::int32_t y = 0,
               std::uint8_t r = 255, std::uint8_t g = 0, std::uint8_t b = 255) {
  Bytes out;
  EncodeBM16(out, Ptrs(sources), x, y, r, g, b);
  return out;
}

Bytes Triples(const std::vector<test::Colour>& colours) {
  Bytes out;
  for (const auto& c : colours)
    out.insert(out.end(), {c.Red, c.Green, c.Blue});
  out.resize(768, 0);
  return out;
}

BmpParts Parts8(std::int32_t w, std::int32_t h, Bytes pixels, std::size_t colours = 256,
                std::uint8_t seed = 5) {
  BmpParts parts;
  parts.BitCount = 8;
  parts.Width = w;
  parts.Height = h;
  parts.Pixels = std::move(pixels);
  parts.Colours = test::TestColours(colours, seed);
  parts.PadByte = 0xCC;
  return parts;
}

BmpParts Parts24(std::int32_t w, std::int32_t h, Bytes pixels) {
  BmpParts parts;
  parts.BitCount = 24;
  parts.Width = w;
  parts.Height = h;
  parts.Pixels = std::move(pixels);
  parts.PadByte = 0xCC;
  return parts;
}

// RGB565 of BGR triples, as the 16-bit writer stores them.
Bytes ToRgb565(const Bytes& bgr) {
  Bytes out;
  for (std::size_t k = 0; k + 2 < bgr.size(); k += 3) {
    std::uint8_t low = 0, high = 0;
    RgbToRgb565(bgr[k + 2], bgr[k + 1], bgr[k], low, high);
    out.insert(out.end(), {low, high});
  }
  return out;
}

// ---- Byte-exact files ---------------------------------------------------------------------

TEST(WriteBM8, ThreeByTwoWithPaletteIsThe910ByteFile) {
  const BmpParts parts = Parts8(3, 2, {1, 2, 3, 4, 5, 6});
  test::TempDir dir;
  const std::vector<TBitmap> sources{LoadedBitmap(test::MakeBmp(parts))};
  WriteBM8(dir.File("out.bm"), Ptrs(sources), 0, 0, 0, true);
  const Bytes file = test::ReadFileBytes(dir.File("out.bm"));
  ASSERT_EQ(file.size(), 910u);

  test::ByteWriter expected;
  expected.Text("BM  ").I32(70).I32(0).I32(2).I32(1).I32(0).I32(0).U32(0).I32(0).I32(8);
  expected.Fill(128 - 40);
  expected.Raw(Bytes{3, 0, 0, 0, 2, 0, 0, 0, 1, 2, 3, 4, 5, 6});
  expected.Raw(Triples(parts.Colours));
  EXPECT_EQ(file, expected.Data());
}

TEST(WriteBM8, HeaderFieldsAndNoTrailerWithoutPalette) {
  const std::vector<TBitmap> sources{LoadedBitmap(test::MakeBmp(Parts8(3, 2, {1, 2, 3, 4, 5, 6})))};
  const Bytes file = Encode8(sources, false, 640, 480, 255);
  ASSERT_EQ(file.size(), 128u + 8u + 6u);
  EXPECT_EQ(test::GetI32(file, 12), 1) << "PaletteMode";
  EXPECT_EQ(test::Slice(file, 20, 12), (Bytes{0x80, 0x02, 0, 0, 0xE0, 0x01, 0, 0, 0xFF, 0, 0, 0}));
  EXPECT_EQ(test::GetI32(file, 32), 0) << "ColourMode";
  EXPECT_EQ(test::GetI32(file, 36), 8);
  EXPECT_EQ(test::Slice(file, 40, 88), Bytes(88, 0));
}

TEST(WriteBM8, TrailerIsTheFirstSourcesTableAndIndicesAreKept) {
  const BmpParts a = Parts8(2, 1, {1, 2}, 256, 5);
  const BmpParts b = Parts8(2, 1, {200, 100}, 256, 77);
  const std::vector<TBitmap> sources{LoadedBitmap(test::MakeBmp(a)),
                                     LoadedBitmap(test::MakeBmp(b))};
  const Bytes file = Encode8(sources, true);
  ASSERT_EQ(file.size(), 128u + 2u * 10u + 768u);
  EXPECT_EQ(test::GetI32(file, 16), 2);
  EXPECT_EQ(test::Slice(file, 128, 20), (Bytes{2, 0, 0, 0, 1, 0, 0, 0, 1,   2,  //
                                               2, 0, 0, 0, 1, 0, 0, 0, 200, 100}));
  EXPECT_EQ(test::Slice(file, 148, 768), Triples(a.Colours));
}

TEST(WriteBM16, OnePixelAndTheSixteenBitHeader) {
  const std::vector<TBitmap> sources{LoadedBitmap(test::MakeBmp(Parts24(1, 1, {0xFF, 0, 0})))};
  const Bytes file = Encode16(sources, 640, 480, 255, 0, 255);
  test::ByteWriter expected;
  expected.Text("BM  ").I32(70).I32(0).I32(1).I32(1).I32(640).I32(480);
  expected.Raw(Bytes{0x1F, 0xF8, 0, 0}).I32(1).I32(16);
  for (std::int32_t v : {5, 6, 5, 11, 5, 0, 3, 2, 2})
    expected.I32(v);
  expected.Fill(52);
  expected.Raw(Bytes{1, 0, 0, 0, 1, 0, 0, 0, 0x1F, 0x00});
  EXPECT_EQ(file, expected.Data());
}

TEST(WriteBM16, RedAndBlueAndTheTransparentColour) {
  // Pure red then pure blue: 00 F8 1F 00.
  const std::vector<TBitmap> sources{
      LoadedBitmap(test::MakeBmp(Parts24(2, 1, {0, 0, 255, 255, 0, 0})))};
  const Bytes file = Encode16(sources, 0, 0, 200, 100, 50);
  EXPECT_EQ(test::Slice(file, 28, 4), (Bytes{0x26, 0xCB, 0, 0}));
  EXPECT_EQ(test::Slice(file, 136, 4), (Bytes{0x00, 0xF8, 0x1F, 0x00}));
  EXPECT_EQ(file.size(), 140u);
}

TEST(WriteBM, RowsWithoutPaddingAreTakenBackToBack) {
  const Bytes idx = test::Pattern(4 * 3, 2);
  const std::vector<TBitmap> s8{LoadedBitmap(test::MakeBmp(Parts8(4, 3, idx)))};
  EXPECT_EQ(test::Slice(Encode8(s8, false), 136, 12), idx);
  const Bytes bgr = test::Pattern(4 * 3 * 2, 3);
  const std::vector<TBitmap> s24{LoadedBitmap(test::MakeBmp(Parts24(4, 2, bgr)))};
  EXPECT_EQ(test::Slice(Encode16(s24), 136, 16), ToRgb565(bgr));
}

// ---- Every layout gives its true picture --------------------------------------------------

TEST(WriteBM8, NonStandardSourcesGiveTheirTruePicture) {
  const Bytes idx = test::Pattern(5 * 3, 8);
  struct Row {
    const char* Name;
    BmpParts Parts;
  };
  std::vector<Row> rows;
  rows.push_back({"standard", Parts8(5, 3, idx)});
  rows.push_back({"16 colours", Parts8(5, 3, idx, 16)});
  rows.push_back({"2 colours", Parts8(5, 3, idx, 2)});
  BmpParts used0 = Parts8(5, 3, idx);
  used0.ColoursUsedField = 0;
  rows.push_back({"colours used 0", used0});
  BmpParts topDown = Parts8(5, 3, idx, 100);
  topDown.TopDown = true;
  rows.push_back({"top-down", topDown});
  BmpParts core = Parts8(5, 3, idx);
  core.InfoSize = 12;
  for (auto& c : core.Colours)
    c.Reserved = 0;
  rows.push_back({"12-byte header", core});
  for (std::uint32_t info : {52u, 56u, 108u, 124u}) {
    BmpParts v = Parts8(5, 3, idx, 30);
    v.InfoSize = info;
    rows.push_back({"larger header", v});
  }
  BmpParts offset = Parts8(5, 3, idx);
  offset.PixelOffsetField = 2000;
  rows.push_back({"offset field 2000", offset});
  BmpParts trailing = Parts8(5, 3, idx, 16);
  trailing.Trailing = test::Pattern(3000, 9);
  rows.push_back({"bytes after the rows", trailing});
  BmpParts rle = Parts8(5, 3, idx, 16);
  rle.Compression = 1;
  test::Rle8Writer w;
  for (int y = 2; y >= 0; --y) {
    w.Absolute(std::span(idx).subspan(static_cast<std::size_t>(y) * 5, 5)).EndOfLine();
  }
  w.EndOfBitmap();
  rle.RawPixelData = w.Data();
  rows.push_back({"RLE8", rle});

  for (const Row& row : rows) {
    const std::vector<TBitmap> sources{LoadedBitmap(test::MakeBmp(row.Parts))};
    EXPECT_EQ(CheckWritable(sources[0], 8), std::nullopt) << row.Name;
    const Bytes file = Encode8(sources, true);
    ASSERT_EQ(file.size(), 128u + 8u + 15u + 768u) << row.Name;
    EXPECT_EQ(test::Slice(file, 128, 8), (Bytes{5, 0, 0, 0, 3, 0, 0, 0})) << row.Name;
    EXPECT_EQ(test::Slice(file, 136, 15), idx) << row.Name;
    EXPECT_EQ(test::Slice(file, 151, 768), Triples(row.Parts.Colours)) << row.Name;
  }
}

TEST(WriteBM16, NonStandardSourcesGiveTheirTruePicture) {
  const Bytes bgr = test::Pattern(3 * 5 * 3, 12);
  std::vector<BmpParts> partsList;
  partsList.push_back(Parts24(5, 3, bgr));
  BmpParts topDown = Parts24(5, 3, bgr);
  topDown.TopDown = true;
  partsList.push_back(topDown);
  for (std::uint32_t info : {12u, 52u, 56u, 108u, 124u}) {
    BmpParts v = Parts24(5, 3, bgr);
    v.InfoSize = info;
    partsList.push_back(v);
  }
  BmpParts gap = Parts24(5, 3, bgr);
  gap.Gap = 1024;  // rows where the offset field says, after a gap
  gap.Trailing = test::Pattern(2000);
  partsList.push_back(gap);
  for (const BmpParts& parts : partsList) {
    const std::vector<TBitmap> sources{LoadedBitmap(test::MakeBmp(parts))};
    EXPECT_EQ(CheckWritable(sources[0], 16), std::nullopt) << parts.InfoSize;
    const Bytes file = Encode16(sources);
    ASSERT_EQ(file.size(), 128u + 8u + 30u) << parts.InfoSize;
    EXPECT_EQ(test::Slice(file, 136, 30), ToRgb565(bgr)) << parts.InfoSize << parts.TopDown;
  }
}

// ---- Refusals ------------------------------------------------------------------------------

struct RefusalRow {
  const char* Name;
  int Depth;  // the writer: 8 or 16
  Bytes Bmp;  // empty: an empty bitmap
};

// Every row loads as a bitmap: it is the writers' own check that refuses it.

std::vector<RefusalRow> RefusalRows() {
  auto parts = [](int bits, std::int32_t w, std::int32_t h, std::uint32_t compression) {
    BmpParts s;
    s.BitCount = bits;
    s.Width = w;
    s.Height = h;
    s.Compression = compression;
    if (bits <= 8) s.Colours = test::TestColours(std::size_t{1} << bits);
    return test::MakeBmp(s);
  };
  return {
      {"24-bit source for 8 bits", 8, parts(24, 2, 2, 0)},
      {"8-bit source for 16 bits", 16, parts(8, 2, 2, 0)},
      {"4-bit source", 8, parts(4, 2, 2, 0)},
      {"1-bit source", 8, parts(1, 8, 2, 0)},
      {"32-bit source", 16, parts(32, 2, 2, 0)},
      {"16-bit source", 16, parts(16, 2, 2, 0)},
      {"RLE4", 8, parts(4, 2, 2, 2)},
      {"bitfields", 16, parts(32, 2, 2, 3)},
      {"8-bit over the limit", 8, parts(8, 1001, 1000, 0)},
      {"8-bit rows over the limit", 8, parts(8, 1001, 999, 0)},
      {"24-bit over the limit", 16, parts(24, 578, 578, 0)},
      {"empty bitmap", 8, Bytes{}},
  };
}

TEST(CheckWritable, NamesAReasonForEverySourceTheWritersCannotTake) {
  for (const auto& row : RefusalRows()) {
    TBitmap bitmap;
    ASSERT_NO_THROW(bitmap.LoadFromBmpStream(row.Bmp)) << row.Name;
    EXPECT_NE(CheckWritable(bitmap, row.Depth), std::nullopt) << row.Name;
  }
  EXPECT_EQ(CheckWritable(LoadedBitmap(test::MakeBmp(Parts8(1000, 1000, {}))), 8), std::nullopt);
  EXPECT_EQ(CheckWritable(LoadedBitmap(test::MakeBmp(Parts24(577, 577, {}))), 16), std::nullopt);
}

TEST(WriteBMRefusal, NothingIsWrittenForARefusedSource) {
  test::TempDir dir;
  const Bytes old = {9, 9, 9};
  const TBitmap good8 = LoadedBitmap(test::MakeBmp(Parts8(2, 2, {1, 2, 3, 4})));
  const TBitmap good24 = LoadedBitmap(test::MakeBmp(Parts24(1, 1, {1, 2, 3})));
  for (const auto& row : RefusalRows()) {
    TBitmap bad;
    ASSERT_NO_THROW(bad.LoadFromBmpStream(row.Bmp)) << row.Name;
    const TBitmap& good = row.Depth == 8 ? good8 : good24;
    // The refused source second: the first one must not have been written either.
    const std::vector<const TBitmap*> sources{&good, &bad};
    test::WriteFileBytes(dir.File("old.bm"), old);
    std::filesystem::remove(dir.File("new.bm"));
    for (const char* name : {"old.bm", "new.bm"}) {
      if (row.Depth == 8) {
        EXPECT_THROW(WriteBM8(dir.File(name), sources, 0, 0, 0, true), CodecError) << row.Name;
      } else {
        EXPECT_THROW(WriteBM16(dir.File(name), sources, 0, 0, 1, 2, 3), CodecError) << row.Name;
      }
    }
    EXPECT_EQ(test::ReadFileBytes(dir.File("old.bm")), old) << row.Name;
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"old.bm"}) << row.Name;
    Bytes out{1, 2, 3};
    if (row.Depth == 8) {
      EXPECT_THROW(EncodeBM8(out, sources, 0, 0, 0, false), CodecError) << row.Name;
    } else {
      EXPECT_THROW(EncodeBM16(out, sources, 0, 0, 0, 0, 0), CodecError) << row.Name;
    }
  }
}

// ---- Round trips ---------------------------------------------------------------------------

TEST(WriteBM8, WriteReadDecodeSaveGivesTheSourceBack) {
  test::TempDir dir;
  const Bytes srcA = test::StandardBmp8(7, 5, test::Pattern(35, 1), test::TestColours(256, 3));
  const Bytes srcB = test::StandardBmp8(4, 2, test::Pattern(8, 2), test::TestColours(256, 3));
  const std::vector<TBitmap> sources{LoadedBitmap(srcA), LoadedBitmap(srcB)};
  WriteBM8(dir.File("rt.bm"), Ptrs(sources), 12, 34, 7, true);

  TBMHeader header{};
  std::array<TBMImage, kMaxImages> images{};
  TBMPalette palette{};
  ASSERT_EQ(ReadBM(dir.File("rt.bm"), header, images, palette), std::nullopt);
  EXPECT_EQ(header.ImageCount, 2);
  EXPECT_EQ(header.XOffset, 12);
  EXPECT_EQ(header.YOffset, 34);
  EXPECT_EQ(header.TransparentColour[0], 7);
  const Bytes* srcs[] = {&srcA, &srcB};
  for (std::size_t i = 0; i < 2; ++i) {
    TBitmap shown;
    BM8ToBitmap(shown, images[i], palette);
    SaveToBmpFile(shown, dir.File("back.bmp"));
    const Bytes back = test::ReadFileBytes(dir.File("back.bmp"));
    const auto pad = test::PaddingOffsets(1078, images[i].Width, images[i].Height, 1);
    EXPECT_EQ(test::WithoutPadding(back, pad), test::WithoutPadding(*srcs[i], pad)) << i;
  }
}

TEST(WriteBM16, WriteReadDecodeSaveGivesTheSourceBack) {
  test::TempDir dir;
  // Channels that RGB565 holds exactly: low bits clear.
  Bytes bgr = test::Pattern(3 * 6 * 5, 6);
  for (std::size_t k = 0; k < bgr.size(); ++k)
    bgr[k] &= (k % 3 == 1) ? 0xFC : 0xF8;
  const Bytes src = test::StandardBmp24(6, 5, bgr);
  const std::vector<TBitmap> sources{LoadedBitmap(src)};
  WriteBM16(dir.File("rt16.bm"), Ptrs(sources), 0, 0, 255, 0, 255);

  TBMHeader header{};
  std::array<TBMImage, kMaxImages> images{};
  TBMPalette palette{};
  ASSERT_EQ(ReadBM(dir.File("rt16.bm"), header, images, palette), std::nullopt);
  EXPECT_EQ(header.BitsPerPixel, 16);
  EXPECT_EQ(header.PaletteMode, 1);
  TBitmap shown;
  BM16ToBitmap(shown, images[0]);
  SaveToBmpFile(shown, dir.File("back.bmp"));
  const auto pad = test::PaddingOffsets(54, 6, 5, 3);
  EXPECT_EQ(test::WithoutPadding(test::ReadFileBytes(dir.File("back.bmp")), pad),
            test::WithoutPadding(src, pad));
}

TEST(EncodeBM, MatchesTheFileAndReplacesTheBuffer) {
  test::TempDir dir;
  const std::vector<TBitmap> s8{LoadedBitmap(test::MakeBmp(Parts8(3, 3, test::Pattern(9))))};
  const std::vector<TBitmap> s24{LoadedBitmap(test::MakeBmp(Parts24(3, 3, test::Pattern(27))))};
  WriteBM8(dir.File("a.bm"), Ptrs(s8), 1, 2, 3, true);
  WriteBM16(dir.File("b.bm"), Ptrs(s24), 1, 2, 3, 4, 5);
  Bytes out(5000, 0xEE);
  EncodeBM8(out, Ptrs(s8), 1, 2, 3, true);
  EXPECT_EQ(out, test::ReadFileBytes(dir.File("a.bm")));
  EncodeBM16(out, Ptrs(s24), 1, 2, 3, 4, 5);
  EXPECT_EQ(out, test::ReadFileBytes(dir.File("b.bm")));
  EncodeBM8(out, Ptrs(s8), 1, 2, 3, true);
  EXPECT_EQ(out, test::ReadFileBytes(dir.File("a.bm")));
}

// ---- Failed writes -------------------------------------------------------------------------

TEST(WriteBMFailure, FolderThatIsAFileCannotBeCreated) {
  test::TempDir dir;
  test::WriteFileBytes(dir.File("plain"), Bytes{1});
  const std::vector<TBitmap> s8{LoadedBitmap(test::MakeBmp(Parts8(2, 2, {1, 2, 3, 4})))};
  const std::vector<TBitmap> s24{LoadedBitmap(test::MakeBmp(Parts24(1, 1, {1, 2, 3})))};
  const auto target = dir.File("plain") / "x.bm";
  const std::string text = "Cannot create file " + target.string();
  try {
    WriteBM8(target, Ptrs(s8), 0, 0, 0, false);
    ADD_FAILURE() << "WriteBM8 did not fail";
  } catch (const CodecError& e) {
    EXPECT_EQ(std::string(e.what()), text);
  }
  try {
    WriteBM16(target, Ptrs(s24), 0, 0, 0, 0, 0);
    ADD_FAILURE() << "WriteBM16 did not fail";
  } catch (const CodecError& e) {
    EXPECT_EQ(std::string(e.what()), text);
  }
}

TEST(WriteBMFailure, AWriteThatFailsHalfwayKeepsTheOldFile) {
  test::TempDir dir;
  const Bytes old(200, 0x55);
  test::WriteFileBytes(dir.File("keep.bm"), old);
  const std::vector<TBitmap> s8{LoadedBitmap(test::MakeBmp(Parts8(50, 50, test::Pattern(2500))))};
  const std::vector<TBitmap> s24{LoadedBitmap(test::MakeBmp(Parts24(30, 30, test::Pattern(2700))))};
  {
    test::ScopedFileSizeLimit limit(1000);
    ASSERT_TRUE(limit.Active());
    EXPECT_THROW(WriteBM8(dir.File("keep.bm"), Ptrs(s8), 0, 0, 0, true), CodecError);
    EXPECT_THROW(WriteBM16(dir.File("keep.bm"), Ptrs(s24), 0, 0, 0, 0, 0), CodecError);
  }
  EXPECT_EQ(test::ReadFileBytes(dir.File("keep.bm")), old);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"keep.bm"}) << "no temporary file left";
}

TEST(WriteBMFailure, ReadOnlyFolderKeepsTheOldFile) {
  test::TempDir dir;
  std::filesystem::permissions(dir.Path(), std::filesystem::perms::all);
  const auto folder = dir.File("ro");
  std::filesystem::create_directory(folder);
  const Bytes old{4, 5, 6};
  test::WriteFileBytes(folder / "x.bm", old);
  std::filesystem::permissions(folder / "x.bm",
                               std::filesystem::perms::all);  // not write-protected
  std::filesystem::permissions(folder, std::filesystem::perms::owner_all |
                                           std::filesystem::perms::others_read |
                                           std::filesystem::perms::others_exec);
  const std::vector<TBitmap> s8{LoadedBitmap(test::MakeBmp(Parts8(2, 2, {1, 2, 3, 4})))};
  // Permissions do not stop root: the write is made as an unprivileged user.
  const std::string text = test::AsUnprivilegedUser([&] {
    WriteBM8(folder / "x.bm", Ptrs(s8), 0, 0, 0, false);
    return std::string("no error");
  });
  EXPECT_EQ(text, "Cannot create file " + (folder / "x.bm").string());
  EXPECT_EQ(test::ReadFileBytes(folder / "x.bm"), old);
}

}  // namespace
}  // namespace zarn
