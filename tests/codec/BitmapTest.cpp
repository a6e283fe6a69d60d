// The in-memory bitmap: loading every BMP layout it promises to take, refusing the rest with
// the right text, saving, and the true picture (including RLE8 from hostile input).
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "PictureBytes.h"
#include "TestFiles.h"
#include "codec/Bitmap.h"
#include "codec/Errors.h"
#include "codec/files/CodecFiles.h"

namespace zarn {
namespace {

using test::BmpParts;
using test::Bytes;
using test::LoadedBitmap;
using test::PictureBytes;
using test::Saved;

// Runs `f`, expecting a CodecError whose text is exactly `text`.
template <typename F>
void ExpectCodecError(F&& f, const std::string& text, const std::string& context) {
  try {
    f();
    ADD_FAILURE() << context << ": no error, expected \"" << text << "\"";
  } catch (const CodecError& e) {
    EXPECT_EQ(std::string(e.what()), text) << context;
  }
}

BmpParts Parts8(std::int32_t w, std::int32_t h, std::size_t colours = 256) {
  BmpParts parts;
  parts.BitCount = 8;
  parts.Width = w;
  parts.Height = h;
  parts.Pixels = test::Pattern(static_cast<std::size_t>(w * h), 17);
  parts.Colours = test::TestColours(colours);
  parts.PadByte = 0xCC;
  return parts;
}

BmpParts Parts24(std::int32_t w, std::int32_t h) {
  BmpParts parts;
  parts.BitCount = 24;
  parts.Width = w;
  parts.Height = h;
  parts.Pixels = test::Pattern(static_cast<std::size_t>(3 * w * h), 23);
  parts.PadByte = 0xCC;
  return parts;
}

TBMPalette PaddedPalette(const std::vector<test::Colour>& colours) {
  TBMPalette p{};
  for (std::size_t i = 0; i < colours.size() && i < p.size(); ++i) {
    p[i] = TRGBQuad{colours[i].Blue, colours[i].Green, colours[i].Red, colours[i].Reserved};
  }
  return p;
}

// ---- Loading and saving ------------------------------------------------------------------

TEST(TBitmapLoad, StandardFilesSaveByteForByte) {
  for (const Bytes& file : {test::MakeBmp(Parts8(3, 2)), test::MakeBmp(Parts8(4, 5)),
                            test::MakeBmp(Parts24(1, 1)), test::MakeBmp(Parts24(5, 3))}) {
    const TBitmap bitmap = LoadedBitmap(file);
    EXPECT_EQ(Saved(bitmap), file);
    EXPECT_EQ(Bytes(bitmap.StoredForm().begin(), bitmap.StoredForm().end()),
              Bytes(file.begin() + 14, file.end()));
  }
  const TBitmap b = LoadedBitmap(test::MakeBmp(Parts8(3, 2)));
  EXPECT_EQ(b.Width(), 3);
  EXPECT_EQ(b.Height(), 2);
  EXPECT_FALSE(b.Empty());
}

TEST(TBitmapLoad, SavingAppendsToTheStream) {
  const Bytes file = test::MakeBmp(Parts24(2, 2));
  const TBitmap bitmap = LoadedBitmap(file);
  Bytes out{1, 2, 3};
  bitmap.SaveToBmpStream(out);
  ASSERT_EQ(out.size(), file.size() + 3);
  EXPECT_EQ(Bytes(out.begin() + 3, out.end()), file);
}

TEST(TBitmapLoad, SaveWritesAFreshFileHeader) {
  // File-size and pixel-offset fields that lie are not consulted, and saving states the truth.
  struct Row {
    const char* Name;
    BmpParts Parts;
    std::uint32_t SavedOffset;
  };
  BmpParts sixteen = Parts8(3, 2, 16);
  BmpParts offset2000 = Parts8(3, 2);
  offset2000.PixelOffsetField = 2000;
  offset2000.FileSizeField = 7;
  BmpParts used0 = Parts8(3, 2);
  used0.ColoursUsedField = 0;  // 0 means 256 for 8 bits
  BmpParts core = Parts8(3, 2);
  core.InfoSize = 12;
  BmpParts core24 = Parts24(2, 2);
  core24.InfoSize = 12;
  BmpParts v5 = Parts8(3, 2);
  v5.InfoSize = 124;
  BmpParts v5rgb = Parts24(3, 2);
  v5rgb.InfoSize = 124;
  const Row rows[] = {
      {"16 colours used", sixteen, 14 + 40 + 64},
      {"offset field 2000", offset2000, 1078},
      {"colours used 0", used0, 1078},
      {"12-byte header, 8 bits", core, 14 + 12 + 768},
      {"12-byte header, 24 bits", core24, 14 + 12},
      {"124-byte header, 8 bits", v5, 14 + 124 + 1024},
      {"124-byte header, 24 bits", v5rgb, 14 + 124},
  };
  for (const Row& row : rows) {
    const Bytes file = test::MakeBmp(row.Parts);
    const Bytes saved = Saved(LoadedBitmap(file));
    ASSERT_EQ(saved.size(), file.size()) << row.Name;
    EXPECT_EQ(test::GetU32(saved, 2), saved.size()) << row.Name;
    EXPECT_EQ(test::GetU32(saved, 6), 0u) << row.Name;
    EXPECT_EQ(test::GetU32(saved, 10), row.SavedOffset) << row.Name;
    EXPECT_EQ(Bytes(saved.begin() + 14, saved.end()), Bytes(file.begin() + 14, file.end()))
        << row.Name;
  }
}

TEST(TBitmapLoad, EmptyInputMakesTheBitmapEmpty) {
  TBitmap bitmap = LoadedBitmap(test::MakeBmp(Parts8(3, 2)));
  bitmap.LoadFromBmpStream({});
  EXPECT_TRUE(bitmap.Empty());
  EXPECT_EQ(bitmap.Width(), 0);
  EXPECT_EQ(bitmap.Height(), 0);
  std::vector<std::uint8_t> scratch;
  EXPECT_THROW(bitmap.Picture(scratch), CodecError);
}

TEST(TBitmapLoad, ShortInputIsAStreamReadError) {
  const Bytes good = test::MakeBmp(Parts8(3, 2));
  const Bytes other = test::MakeBmp(Parts24(2, 2));
  for (std::size_t length = 1; length < 14; ++length) {
    TBitmap bitmap = LoadedBitmap(good);
    ExpectCodecError([&] { bitmap.LoadFromBmpStream(std::span(other).first(length)); },
                     kStreamReadError, "length " + std::to_string(length));
    EXPECT_EQ(Saved(bitmap), good) << "previous picture kept, length " << length;
  }
}

TEST(TBitmapLoad, BrokenLayoutsAreNotValid) {
  struct Row {
    const char* Name;
    Bytes File;
  };
  auto with = [](BmpParts parts, auto&& change) {
    change(parts);
    return test::MakeBmp(parts);
  };
  auto patched = [](Bytes b, std::size_t offset, std::uint32_t value) {
    test::PutU32(b, offset, value);
    return b;
  };
  auto cut = [](Bytes b, std::size_t drop) {
    b.resize(b.size() - drop);
    return b;
  };
  const Bytes std8 = test::MakeBmp(Parts8(4, 4));
  const Bytes std24 = test::MakeBmp(Parts24(4, 4));
  const Bytes v5 = with(Parts24(1, 1), [](BmpParts& s) { s.InfoSize = 124; });
  std::vector<Row> rows = {
      {"type BA", with(Parts8(2, 2), [](BmpParts& s) { s.Type = "BA"; })},
      {"type bm", with(Parts8(2, 2), [](BmpParts& s) { s.Type = "bm"; })},
      {"info size 0", with(Parts8(2, 2), [](BmpParts& s) { s.InfoSize = 0; })},
      {"info size 16", with(Parts8(2, 2), [](BmpParts& s) { s.InfoSize = 16; })},
      {"info size 41", with(Parts8(2, 2), [](BmpParts& s) { s.InfoSize = 41; })},
      {"info size 64", with(Parts8(2, 2), [](BmpParts& s) { s.InfoSize = 64; })},
      {"info size huge", patched(test::MakeBmp(Parts8(2, 2)), 14, 0xFFFFFFF0u)},
      {"only the file header", Bytes(std8.begin(), std8.begin() + 14)},
      {"info header cut short", Bytes(std8.begin(), std8.begin() + 30)},
      {"124-byte header cut short", Bytes(v5.begin(), v5.begin() + 14 + 60)},
      {"colour table cut short", Bytes(std8.begin(), std8.begin() + 54 + 40)},
      {"colours used beyond the file",
       with(Parts8(2, 2), [](BmpParts& s) { s.ColoursUsedField = 0xFFFFFFFFu; })},
      {"8-bit rows one byte short", cut(std8, 1)},
      {"24-bit rows one byte short", cut(std24, 1)},
      {"24-bit with no rows at all", Bytes(std24.begin(), std24.begin() + 54)},
      {"huge width", with(Parts8(1, 1),
                          [](BmpParts& s) {
                            s.Width = INT32_MAX;
                            s.RawPixelData = Bytes(64, 0);
                          })},
      {"rows of 2^32 bytes", with(Parts8(1, 1),
                                  [](BmpParts& s) {
                                    s.Width = 65536;
                                    s.Height = 65536;
                                    s.RawPixelData = Bytes(64, 0);
                                  })},
      {"24-bit width whose row size wraps", with(Parts24(1, 1),
                                                 [](BmpParts& s) {
                                                   s.Width = 0x55555556;
                                                   s.RawPixelData = Bytes(64, 0);
                                                 })},
      // Found by fuzzing: a zero-width picture fits any file, whatever its row count.
      {"zero width, a billion rows", with(Parts24(1, 1),
                                          [](BmpParts& s) {
                                            s.Width = 0;
                                            s.Height = 1 << 30;
                                            s.RawPixelData = Bytes(4, 0);
                                          })},
      {"zero rows, a width past any real picture", with(Parts8(1, 1),
                                                        [](BmpParts& s) {
                                                          s.Width = (1 << 20) + 1;
                                                          s.Height = 0;
                                                          s.RawPixelData = {};
                                                        })},
      {"most negative height", with(Parts8(1, 1),
                                    [](BmpParts& s) {
                                      s.Height = INT32_MIN;
                                      s.TopDown = false;
                                      s.RawPixelData = Bytes(64, 0);
                                    })},
  };
  const Bytes previous = test::MakeBmp(Parts24(2, 2));
  for (const Row& row : rows) {
    TBitmap bitmap = LoadedBitmap(previous);
    ExpectCodecError([&] { bitmap.LoadFromBmpStream(row.File); }, kBitmapNotValid, row.Name);
    EXPECT_EQ(Saved(bitmap), previous) << row.Name << ": previous picture kept";
  }
}

TEST(TBitmapLoad, LoadFromFile) {
  test::TempDir dir;
  const Bytes file = test::MakeBmp(Parts8(5, 3));
  test::WriteFileBytes(dir.File("a.bmp"), file);
  TBitmap bitmap;
  LoadFromBmpFile(bitmap, dir.File("a.bmp"));
  EXPECT_EQ(Saved(bitmap), file);

  const auto missing = dir.File("missing.bmp");
  ExpectCodecError([&] { LoadFromBmpFile(bitmap, missing); },
                   "Cannot open file " + missing.string(), "missing file");
  EXPECT_EQ(Saved(bitmap), file);

  // A file that is there but not a BMP fails like the stream does.
  test::WriteFileBytes(dir.File("short.bmp"), Bytes{'B', 'M', 0});
  ExpectCodecError([&] { LoadFromBmpFile(bitmap, dir.File("short.bmp")); }, kStreamReadError,
                   "short file");
  EXPECT_EQ(Saved(bitmap), file);
}

TEST(TBitmapSave, ToFileAndReplacingAnOldFile) {
  test::TempDir dir;
  const Bytes file = test::MakeBmp(Parts24(3, 3));
  test::WriteFileBytes(dir.File("out.bmp"), Bytes(5000, 0x77));
  SaveToBmpFile(LoadedBitmap(file), dir.File("out.bmp"));
  EXPECT_EQ(test::ReadFileBytes(dir.File("out.bmp")), file);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"out.bmp"});
}

TEST(TBitmapSave, FolderThatIsAFileCannotBeCreated) {
  test::TempDir dir;
  test::WriteFileBytes(dir.File("plain"), Bytes{1});
  const auto target = dir.File("plain") / "out.bmp";
  const TBitmap bitmap = LoadedBitmap(test::MakeBmp(Parts8(2, 2)));
  ExpectCodecError([&] { SaveToBmpFile(bitmap, target); }, "Cannot create file " + target.string(),
                   "parent is a file");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"plain"});
}

TEST(TBitmapSave, FailedWriteKeepsTheOldFile) {
  test::TempDir dir;
  const Bytes old(300, 0x42);
  test::WriteFileBytes(dir.File("out.bmp"), old);
  const TBitmap bitmap = LoadedBitmap(test::MakeBmp(Parts8(40, 40)));  // 2678 bytes
  {
    test::ScopedFileSizeLimit limit(1024);
    ASSERT_TRUE(limit.Active());
    EXPECT_THROW(SaveToBmpFile(bitmap, dir.File("out.bmp")), CodecError);
  }
  EXPECT_EQ(test::ReadFileBytes(dir.File("out.bmp")), old);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"out.bmp"}) << "no temporary file left";
}

TEST(TBitmapSave, TargetThatIsADirectoryIsLeftAlone) {
  test::TempDir dir;
  std::filesystem::create_directory(dir.File("out.bmp"));
  test::WriteFileBytes(dir.File("out.bmp") / "inside", Bytes{7});
  const TBitmap bitmap = LoadedBitmap(test::MakeBmp(Parts8(2, 2)));
  EXPECT_THROW(SaveToBmpFile(bitmap, dir.File("out.bmp")), CodecError);
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("out.bmp")));
  EXPECT_EQ(test::ReadFileBytes(dir.File("out.bmp") / "inside"), Bytes{7});
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"out.bmp"}) << "no temporary file left";
}

TEST(TBitmapSave, ReadOnlyFolderKeepsTheOldFile) {
  test::TempDir dir;
  std::filesystem::permissions(dir.Path(), std::filesystem::perms::all);
  const auto folder = dir.File("ro");
  std::filesystem::create_directory(folder);
  const Bytes old{1, 2, 3};
  test::WriteFileBytes(folder / "out.bmp", old);
  std::filesystem::permissions(folder / "out.bmp",
                               std::filesystem::perms::all);  // not write-protected
  std::filesystem::permissions(folder, std::filesystem::perms::owner_all |
                                           std::filesystem::perms::others_read |
                                           std::filesystem::perms::others_exec);
  const TBitmap bitmap = LoadedBitmap(test::MakeBmp(Parts8(2, 2)));
  // Permissions do not stop root: the write is made as an unprivileged user.
  const std::string text = test::AsUnprivilegedUser([&] {
    SaveToBmpFile(bitmap, folder / "out.bmp");
    return std::string("no error");
  });
  EXPECT_EQ(text, "Cannot create file " + (folder / "out.bmp").string());
  EXPECT_EQ(test::ReadFileBytes(folder / "out.bmp"), old);
}

// ---- The true picture --------------------------------------------------------------------

TEST(TBitmapPicture, EveryLayoutGivesTheSamePicture) {
  struct Row {
    const char* Name;
    BmpParts Parts;
  };
  std::vector<Row> rows;
  for (int bits : {8, 24}) {
    for (std::uint32_t info : {12u, 40u, 52u, 56u, 108u, 124u}) {
      for (bool topDown : {false, true}) {
        if (info == 12 && topDown) continue;  // the old header has no signed height
        for (std::int32_t width : {1, 3, 4, 5}) {
          BmpParts parts = bits == 8 ? Parts8(width, 3) : Parts24(width, 3);
          parts.InfoSize = info;
          parts.TopDown = topDown;
          rows.push_back({"", parts});
        }
      }
    }
  }
  for (const Row& row : rows) {
    const BmpParts& s = row.Parts;
    const std::string name = std::to_string(s.BitCount) + " bits, info " +
                             std::to_string(s.InfoSize) + (s.TopDown ? ", top-down" : "") +
                             ", width " + std::to_string(s.Width);
    TBitmap bitmap;
    ASSERT_NO_THROW(bitmap.LoadFromBmpStream(test::MakeBmp(s))) << name;
    EXPECT_EQ(bitmap.Width(), s.Width) << name;
    EXPECT_EQ(bitmap.Height(), s.Height) << name;
    std::vector<std::uint8_t> scratch;
    const TPicture picture = bitmap.Picture(scratch);
    EXPECT_EQ(picture.Width, s.Width) << name;
    EXPECT_EQ(picture.Height, s.Height) << name;
    EXPECT_EQ(picture.BitCount, s.BitCount) << name;
    EXPECT_EQ(PictureBytes(picture), s.Pixels) << name;
    if (s.BitCount == 8) {
      TBMPalette expected = PaddedPalette(s.Colours);
      if (s.InfoSize == 12) {
        for (auto& c : expected)
          c.Reserved = 0;  // 3-byte entries
      }
      EXPECT_EQ(picture.Colours, expected) << name;
    }
  }
}

TEST(TBitmapPicture, FewerColoursArePaddedWithZeroEntries) {
  const BmpParts parts = Parts8(3, 2, 16);
  const TBitmap bitmap = LoadedBitmap(test::MakeBmp(parts));
  std::vector<std::uint8_t> scratch;
  const TPicture picture = bitmap.Picture(scratch);
  EXPECT_EQ(picture.Colours, PaddedPalette(parts.Colours));
  EXPECT_EQ(picture.Colours[16], (TRGBQuad{0, 0, 0, 0}));
  EXPECT_EQ(PictureBytes(picture), parts.Pixels);
}

TEST(TBitmapPicture, RowsStartWhereASoundOffsetFieldSays) {
  // Past the end of the file, or inside the colour table: rows right after the table.
  BmpParts beyond = Parts8(3, 2);
  beyond.PixelOffsetField = 2000;
  BmpParts small = Parts8(3, 2, 2);
  small.PixelOffsetField = 1078;
  BmpParts inTable = Parts8(3, 2);
  inTable.PixelOffsetField = 60;
  // After a gap: there, and the saved form has its rows right after the colour table.
  BmpParts gap8 = Parts8(3, 2, 2);
  gap8.Gap = 100;
  BmpParts gap24 = Parts24(2, 2);
  gap24.InfoSize = 12;
  gap24.Gap = 6;
  for (const BmpParts& parts : {beyond, small, inTable, gap8, gap24}) {
    const TBitmap bitmap = LoadedBitmap(test::MakeBmp(parts));
    EXPECT_EQ(PictureBytes(bitmap), parts.Pixels) << parts.Gap;
    BmpParts plain = parts;
    plain.Gap = 0;
    plain.PixelOffsetField.reset();
    EXPECT_EQ(Saved(bitmap), test::MakeBmp(plain)) << parts.Gap;
  }
}

TEST(TBitmapPicture, LayoutsWithoutATruePictureAreRefused) {
  struct Row {
    const char* Name;
    int Bits;
    std::uint32_t Compression;
    bool MustLoad;
  };
  const Row rows[] = {
      {"1 bit", 1, 0, true},          {"4 bits", 4, 0, true},
      {"16 bits", 16, 0, true},       {"32 bits", 32, 0, true},
      {"RLE4", 4, 2, false},          {"8-bit RLE4", 8, 2, false},
      {"bitfields", 32, 3, false},    {"24-bit bitfields", 24, 3, false},
      {"compression 4", 8, 4, false}, {"compression 5", 24, 5, false},
  };
  for (const Row& row : rows) {
    BmpParts parts;
    parts.BitCount = row.Bits;
    parts.Width = 4;
    parts.Height = 2;
    parts.Compression = row.Compression;
    if (row.Bits <= 8) parts.Colours = test::TestColours(std::size_t{1} << row.Bits);
    TBitmap bitmap;
    try {
      bitmap.LoadFromBmpStream(test::MakeBmp(parts));
    } catch (const CodecError&) {
      EXPECT_FALSE(row.MustLoad) << row.Name << " should load";
      continue;
    }
    std::vector<std::uint8_t> scratch;
    EXPECT_THROW(bitmap.Picture(scratch), CodecError) << row.Name;
  }
}

// ---- RLE8 --------------------------------------------------------------------------------

BmpParts Rle8Parts(std::int32_t w, std::int32_t h, const test::Rle8Writer& data) {
  BmpParts parts = Parts8(w, h);
  parts.Compression = 1;
  parts.RawPixelData = data.Data();
  return parts;
}

TEST(TBitmapRle8, DecodesRunsAbsoluteRunsAndDeltas) {
  // Stored bottom row first.
  test::Rle8Writer rle;
  rle.Run(4, 7).EndOfLine();                           // bottom: 7 7 7 7
  rle.Absolute(Bytes{1, 2, 3}).Run(1, 9).EndOfLine();  // middle: 1 2 3 9
  rle.Run(1, 5).Delta(2, 0).Run(1, 6).EndOfBitmap();   // top: 5 0 0 6
  const TBitmap bitmap = LoadedBitmap(test::MakeBmp(Rle8Parts(4, 3, rle)));
  EXPECT_EQ(bitmap.Width(), 4);
  EXPECT_EQ(bitmap.Height(), 3);
  EXPECT_EQ(PictureBytes(bitmap), (Bytes{5, 0, 0, 6, 1, 2, 3, 9, 7, 7, 7, 7}));
}

TEST(TBitmapRle8, DeltaUpAndEarlyEndLeaveZeros) {
  test::Rle8Writer rle;
  rle.Run(2, 4).Delta(1, 1).Run(1, 8).EndOfBitmap();  // from (2, 0) one right and one up
  const TBitmap bitmap = LoadedBitmap(test::MakeBmp(Rle8Parts(4, 3, rle)));
  // Top row untouched, middle row (stored row 1) has 8 at x 3, bottom row 4 4 0 0.
  EXPECT_EQ(PictureBytes(bitmap), (Bytes{0, 0, 0, 0, 0, 0, 0, 8, 4, 4, 0, 0}));
}

TEST(TBitmapRle8, ScratchReuseLeavesNothingBehind) {
  test::Rle8Writer full;
  full.Run(4, 9).EndOfLine().Run(4, 9).EndOfLine().Run(4, 9).EndOfBitmap();
  test::Rle8Writer sparse;
  sparse.Run(1, 1).EndOfBitmap();
  const TBitmap a = LoadedBitmap(test::MakeBmp(Rle8Parts(4, 3, full)));
  const TBitmap b = LoadedBitmap(test::MakeBmp(Rle8Parts(4, 3, sparse)));
  std::vector<std::uint8_t> scratch;
  (void)a.Picture(scratch);
  EXPECT_EQ(PictureBytes(b.Picture(scratch)), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}));
}

// A hostile stream decodes into a picture of the declared size whose every row can be read:
// what runs past a row, the image or the input is dropped, and what no run reaches stays 0. It
// never reads or writes outside its buffers (the sanitizers watch) and never allocates more
// than the picture needs.
void ExpectRle8Decodes(const char* name, std::int32_t w, std::int32_t h, const Bytes& data,
                       const Bytes& pixels) {
  BmpParts parts = Parts8(w, h);
  parts.Compression = 1;
  parts.RawPixelData = data;
  const TBitmap bitmap = LoadedBitmap(test::MakeBmp(parts));
  std::vector<std::uint8_t> scratch;
  const TPicture picture = bitmap.Picture(scratch);
  EXPECT_EQ(picture.Width, w) << name;
  EXPECT_EQ(picture.Height, h) << name;
  EXPECT_EQ(PictureBytes(picture), pixels) << name;
}

TEST(TBitmapRle8, HostileStreamsAreDecodedSafely) {
  auto rle = [](auto&& build) {
    test::Rle8Writer w;
    build(w);
    return w.Data();
  };
  // Top row first.
  const Bytes zeros(16, 0);
  const Bytes absolute = test::Pattern(9);
  ExpectRle8Decodes("run past the row end", 4, 2,
                    rle([](auto& w) { w.Run(200, 3).Run(255, 4).EndOfBitmap(); }),
                    Bytes{0, 0, 0, 0, 3, 3, 3, 3});
  ExpectRle8Decodes("absolute run past the row end", 3, 2, rle([&](auto& w) {
                      w.Absolute(absolute).Absolute(test::Pattern(255)).EndOfBitmap();
                    }),
                    Bytes{0, 0, 0, absolute[0], absolute[1], absolute[2]});
  ExpectRle8Decodes("delta past the image", 4, 2, rle([](auto& w) {
                      w.Delta(255, 255).Run(4, 1).Delta(200, 0).Run(10, 2).EndOfBitmap();
                    }),
                    Bytes(8, 0));
  ExpectRle8Decodes("delta to the right edge then a run", 4, 2,
                    rle([](auto& w) { w.Delta(4, 0).Run(3, 1).Delta(0, 1).Run(5, 2); }),
                    Bytes(8, 0));
  ExpectRle8Decodes("absolute run past the input end", 4, 4, Bytes{0, 200, 1, 2, 3, 4, 5},
                    Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4});
  ExpectRle8Decodes("run count without its value", 4, 4, Bytes{5}, zeros);
  ExpectRle8Decodes("escape without its code", 4, 4, Bytes{2, 3, 0},
                    Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 3, 0, 0});
  ExpectRle8Decodes("delta without its offsets", 4, 4, Bytes{0, 2, 1}, zeros);
  ExpectRle8Decodes("no data at all", 4, 4, Bytes{}, zeros);
  ExpectRle8Decodes("more lines than the height", 2, 2, rle([](auto& w) {
                      for (int i = 0; i < 50; ++i)
                        w.Run(2, 1).EndOfLine();
                      w.Run(2, 9).EndOfBitmap();
                    }),
                    Bytes{1, 1, 1, 1});
  ExpectRle8Decodes("width 1, everything too long", 1, 1, rle([](auto& w) {
                      w.Run(255, 1).Absolute(test::Pattern(200)).Delta(1, 1).Run(1, 1);
                    }),
                    Bytes{1});
  const Bytes rows = {5, 5, 6, 6, 7, 7, 8, 8};
  ExpectRle8Decodes("missing end marker", 4, 2,
                    rle([](auto& w) { w.Run(2, 7).Run(2, 8).EndOfLine().Run(2, 5).Run(2, 6); }),
                    rows);
  ExpectRle8Decodes("ends after the last row without a marker", 4, 2, rle([](auto& w) {
                      w.Run(2, 7).Run(2, 8).EndOfLine().Run(2, 5).Run(2, 6).EndOfLine();
                    }),
                    rows);
  ExpectRle8Decodes("data after the end marker is ignored", 4, 2, rle([](auto& w) {
                      w.Run(2, 7).Run(2, 8).EndOfLine().Run(2, 5).Run(2, 6).EndOfBitmap();
                      w.Run(255, 1).Run(255, 2);
                    }),
                    rows);
}

TEST(TBitmapRle8, HugeDeclaredSizesDoNotAllocate) {
  // A few bytes of RLE cannot stand for a picture of 2^62 pixels: refused, never allocated,
  // either on load or when the picture is asked for.
  struct Row {
    std::int32_t W, H;
    bool RefusedOnLoad;
  };
  for (const Row row :
       {Row{INT32_MAX, INT32_MAX, true}, Row{65536, 65536, false}, Row{1, INT32_MAX, true}}) {
    BmpParts parts = Parts8(1, 1);
    parts.Width = row.W;
    parts.Height = row.H;
    parts.Compression = 1;
    parts.RawPixelData = Bytes{0, 1};
    TBitmap bitmap;
    std::vector<std::uint8_t> scratch;
    if (row.RefusedOnLoad) {
      EXPECT_THROW(bitmap.LoadFromBmpStream(test::MakeBmp(parts)), CodecError)
          << row.W << " x " << row.H;
    } else {
      bitmap.LoadFromBmpStream(test::MakeBmp(parts));
      EXPECT_THROW(bitmap.Picture(scratch), CodecError) << row.W << " x " << row.H;
    }
  }
}

TEST(TBitmapRle8, TopDownRle8IsDecodedTopRowFirst) {
  BmpParts parts = Parts8(2, 2);
  parts.Compression = 1;
  parts.TopDown = true;
  test::Rle8Writer w;
  w.Run(2, 1).EndOfLine().Run(2, 2).EndOfBitmap();
  parts.RawPixelData = w.Data();
  EXPECT_EQ(PictureBytes(LoadedBitmap(test::MakeBmp(parts))), (Bytes{1, 1, 2, 2}));
}

}  // namespace
}  // namespace zarn
