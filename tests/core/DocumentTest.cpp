// The viewer's display-free logic: kinds, enabled states, texts, export names, and the document
// operations that must leave the document whole when they fail.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Mainwin/core/BMDocument.h"
#include "Mainwin/core/DroppedFile.h"
#include "PictureBytes.h"
#include "TestFiles.h"
#include "codec/Display.h"
#include "codec/Errors.h"

namespace zarn {
namespace {

using test::BMFileParts;
using test::Bytes;
using test::Saved;

TBMHeader HeaderWith(std::int32_t bits, std::int32_t paletteMode, std::int32_t count,
                     std::int32_t x = 0, std::int32_t y = 0) {
  TBMHeader h{};
  h.Signature = {'B', 'M', ' ', ' '};
  h.BitsPerPixel = bits;
  h.PaletteMode = paletteMode;
  h.ImageCount = count;
  h.XOffset = x;
  h.YOffset = y;
  return h;
}

// ---- Kinds and texts -----------------------------------------------------------------------

TEST(KindOf, ByDepthAndPaletteMode) {
  struct Row {
    std::int32_t Bits, Mode;
    EBMKind Kind;
    const char* Palette;
  };
  const Row rows[] = {
      {8, 2, EBMKind::Paletted8, "Yes"},  {8, 1, EBMKind::Unpaletted8, "No"},
      {8, 0, EBMKind::Unpaletted8, "No"}, {8, 3, EBMKind::Unpaletted8, "No"},
      {16, 1, EBMKind::Colour16, "N/A"},  {16, 2, EBMKind::Colour16, "N/A"},
      {24, 2, EBMKind::Undecodable, ""},  {0, 1, EBMKind::Undecodable, ""},
      {32, 1, EBMKind::Undecodable, ""},  {-8, 2, EBMKind::Undecodable, ""},
  };
  for (const Row& row : rows) {
    const EBMKind kind = KindOf(HeaderWith(row.Bits, row.Mode, 1));
    EXPECT_EQ(kind, row.Kind) << row.Bits << "/" << row.Mode;
    EXPECT_EQ(InfoLines(HeaderWith(row.Bits, row.Mode, 1), EInfoStyle::Opened)[2],
              std::string("Palette Included : ") + row.Palette)
        << row.Bits << "/" << row.Mode;
  }
}

TEST(ImageCountOf, NeverNegative) {
  EXPECT_EQ(ImageCountOf(HeaderWith(8, 1, 5)), 5);
  EXPECT_EQ(ImageCountOf(HeaderWith(8, 1, 21)), 21);
  EXPECT_EQ(ImageCountOf(HeaderWith(8, 1, 0)), 0);
  EXPECT_EQ(ImageCountOf(HeaderWith(8, 1, -3)), 0);
  EXPECT_EQ(ImageCountOf(HeaderWith(8, 1, INT32_MIN)), 0);
}

TEST(InfoLines, OpenedAndCreatedStyles) {
  struct Row {
    TBMHeader Header;
    EInfoStyle Style;
    std::vector<std::string> Lines;
  };
  const Row rows[] = {
      {HeaderWith(8, 2, 3, 12, 34),
       EInfoStyle::Opened,
       {"8-bit BM", "3 image(s) in BM", "Palette Included : Yes", "X-Offset : 12",
        "Y-Offset : 34"}},
      {HeaderWith(8, 1, 1, -3, 0),
       EInfoStyle::Opened,
       {"8-bit BM", "1 image(s) in BM", "Palette Included : No", "X-Offset : -3", "Y-Offset : 0"}},
      {HeaderWith(16, 2, 21, 640, 480),
       EInfoStyle::Opened,
       {"16-bit BM", "21 image(s) in BM", "Palette Included : N/A", "X-Offset : 640",
        "Y-Offset : 480"}},
      {HeaderWith(24, 2, 2, 0, -7),
       EInfoStyle::Opened,
       {"24-bit BM", "2 image(s) in BM", "Palette Included : ", "X-Offset : 0", "Y-Offset : -7"}},
      {HeaderWith(8, 2, 1),
       EInfoStyle::Created,
       {"8 bit BM", "1 image(s) in BM", "Palette Included : Yes", "X-Offset : 0", "Y-Offset : 0"}},
      {HeaderWith(8, 1, 2, 5, 6),
       EInfoStyle::Created,
       {"8 bit BM", "2 image(s) in BM", "Palette Included : No", "X-Offset : 5", "Y-Offset : 6"}},
      {HeaderWith(16, 1, 3),
       EInfoStyle::Created,
       {"16 bit BM", "3 image(s) in BM", "Palette Included : N/A", "X-Offset : 0", "Y-Offset : 0"}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(InfoLines(row.Header, row.Style), row.Lines) << row.Lines[0];
  }
}

TEST(Texts, ImageSize) {
  EXPECT_EQ(ImageSizeLines(64, 32), (std::vector<std::string>{"Width : 64", "Height : 32"}));
  EXPECT_EQ(ImageSizeLines(0, 0), (std::vector<std::string>{"Width : 0", "Height : 0"}));
}

// ---- Path pieces and export names ----------------------------------------------------------

TEST(PathPieces, FileAndFolderParts) {
  struct Row {
    const char* Path;
    const char* File;
    const char* Folder;
  };
  const Row rows[] = {
      {"/data/WALL.BM", "WALL.BM", "/data/"},
      {"WALL.BM", "WALL.BM", ""},
      {"/my.dir/wall.bm", "wall.bm", "/my.dir/"},
      {"/a/b/", "", "/a/b/"},
      {"/", "", "/"},
      {"", "", ""},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(FileNamePart(row.Path), row.File) << row.Path;
    EXPECT_EQ(FolderPart(row.Path), row.Folder) << row.Path;
  }
  EXPECT_TRUE(IsPathSeparator('/'));
#ifndef _WIN32
  EXPECT_FALSE(IsPathSeparator('\\'));
  EXPECT_FALSE(IsPathSeparator(':'));
  EXPECT_EQ(FileNamePart("D:\\OUT\\WALL.BMP"), "D:\\OUT\\WALL.BMP");
#endif
}

TEST(DefaultExportName, FolderThenNameWithoutItsLastExtension) {
  struct Row {
    const char* Dir;
    const char* Base;
    const char* Name;
  };
  const Row rows[] = {
      {"", "WALL.BM", "WALL.BMP"}, {"/out/", "WALL.BM", "/out/WALL.BMP"},
      {"", "wall.bm", "wall.BMP"}, {"/out/", "A.B.BM", "/out/A.B.BMP"},
      {"", "NOEXT", "NOEXT.BMP"},  {"/my.dir/", "X", "/my.dir/X.BMP"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(DefaultExportName(row.Dir, row.Base), row.Name) << row.Dir << row.Base;
  }
}

TEST(ExportPathFor, NumbersBeforeTheFirstDotOfTheFileName) {
  struct Row {
    const char* Chosen;
    int Index, Count;
    const char* Path;
  };
  const Row rows[] = {
      {"/out/WALL.BMP", 0, 1, "/out/WALL.BMP"},   {"/out/WALL.BMP", 0, 3, "/out/WALL_0.BMP"},
      {"/out/WALL.BMP", 2, 3, "/out/WALL_2.BMP"}, {"/out/X.Y.BMP", 0, 2, "/out/X_0.Y.BMP"},
      {"/out/X.Y.BMP", 1, 2, "/out/X_1.Y.BMP"},   {"/my.dir/WALL.BMP", 1, 2, "/my.dir/WALL_1.BMP"},
      {"/my.dir/NAME", 0, 2, "/my.dir/NAME_0"},   {"/my.dir/NAME", 0, 1, "/my.dir/NAME"},
      {"NAME.BMP", 20, 21, "NAME_20.BMP"},        {"/out/.BMP", 1, 2, "/out/_1.BMP"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ExportPathFor(row.Chosen, row.Index, row.Count), row.Path)
        << row.Chosen << " " << row.Index << "/" << row.Count;
  }
}

// ---- Viewer states -------------------------------------------------------------------------

struct Flags {
  bool OpenBM, NewBM, Close, LoadPalette, Export, ImageSelector;
};

void ExpectFlags(const TViewerState& s, const Flags& f, const std::string& what) {
  EXPECT_EQ(s.OpenBM, f.OpenBM) << what << ": OpenBM";
  EXPECT_EQ(s.NewBM, f.NewBM) << what << ": NewBM";
  EXPECT_EQ(s.Close, f.Close) << what << ": Close";
  EXPECT_EQ(s.LoadPalette, f.LoadPalette) << what << ": LoadPalette";
  EXPECT_EQ(s.Export, f.Export) << what << ": Export";
  EXPECT_EQ(s.ImageSelector, f.ImageSelector) << what << ": ImageSelector";
}

TEST(ViewerState, ClosedOffersOnlyOpenAndNew) {
  ExpectFlags(ClosedViewerState(), {true, true, false, false, false, false}, "closed");
}

TEST(ViewerState, AfterOpening) {
  struct Row {
    EBMKind Kind;
    std::int32_t Count;
    Flags Expected;
    int Max;
  };
  const Row rows[] = {
      {EBMKind::Paletted8, 1, {false, false, true, false, true, false}, 0},
      {EBMKind::Paletted8, 3, {false, false, true, false, true, true}, 2},
      {EBMKind::Unpaletted8, 1, {false, false, true, true, false, false}, 0},
      {EBMKind::Unpaletted8, 4, {false, false, true, true, false, false}, 3},
      {EBMKind::Colour16, 21, {false, false, true, false, true, true}, 20},
      {EBMKind::Colour16, 1, {false, false, true, false, true, false}, 0},
      {EBMKind::Undecodable, 2, {false, false, true, false, false, false}, 1},
  };
  for (const Row& row : rows) {
    const std::string what =
        "kind " + std::to_string(static_cast<int>(row.Kind)) + ", " + std::to_string(row.Count);
    const TViewerState s = OpenedViewerState(row.Kind, row.Count);
    ExpectFlags(s, row.Expected, what);
    EXPECT_EQ(s.SelectorMin, 0) << what;
    EXPECT_EQ(s.SelectorMax, row.Max) << what;
    EXPECT_EQ(s.SelectorValue, 0) << what;
  }
}

TEST(ViewerState, NoImagesMeansNoSelectorAndNoExport) {
  for (EBMKind kind : {EBMKind::Paletted8, EBMKind::Colour16, EBMKind::Unpaletted8}) {
    for (std::int32_t count : {0, -1, INT32_MIN}) {
      const TViewerState s = OpenedViewerState(kind, count);
      EXPECT_FALSE(s.Export) << count;
      EXPECT_FALSE(s.ImageSelector) << count;
      EXPECT_TRUE(s.Close) << count;
      EXPECT_LE(s.SelectorMin, s.SelectorMax) << "a range that exists, " << count;
      EXPECT_EQ(s.SelectorValue, 0) << count;
    }
  }
  const TViewerState loaded = PaletteLoadedViewerState(0);
  EXPECT_FALSE(loaded.Export);
  EXPECT_FALSE(loaded.ImageSelector);
  EXPECT_LE(loaded.SelectorMin, loaded.SelectorMax);
}

TEST(ViewerState, AfterLoadingAPalette) {
  const TViewerState three = PaletteLoadedViewerState(3);
  ExpectFlags(three, {false, false, true, true, true, true}, "3 images");
  EXPECT_EQ(three.SelectorMax, 2);
  EXPECT_EQ(three.SelectorValue, 0);
  ExpectFlags(PaletteLoadedViewerState(1), {false, false, true, true, true, false}, "1 image");
}

// ---- Document operations -------------------------------------------------------------------

Bytes BM8(std::int32_t count, bool palette, std::uint8_t seed = 1) {
  BMFileParts parts;
  parts.Header.ImageCount = count;
  parts.Header.PaletteMode = palette ? 2 : 1;
  parts.Header.XOffset = seed;
  for (std::int32_t i = 0; i < count; ++i) {
    parts.Images.push_back({i + 1, 2,
                            test::Pattern(static_cast<std::size_t>(2 * (i + 1)),
                                          static_cast<std::uint8_t>(seed + i))});
  }
  if (palette) parts.Trailer = test::TestTriples(seed);
  return MakeBM(parts);
}

Bytes BM16(std::int32_t count, std::uint8_t seed = 1) {
  BMFileParts parts;
  parts.Header = test::Header16();
  parts.Header.ImageCount = count;
  for (std::int32_t i = 0; i < count; ++i) {
    parts.Images.push_back({2, i + 1,
                            test::Pattern(static_cast<std::size_t>(4 * (i + 1)),
                                          static_cast<std::uint8_t>(seed + i))});
  }
  return MakeBM(parts);
}

// Everything of a document that can be compared.
struct Snapshot {
  TBMHeader Header;
  std::array<TBMImage, kMaxImages> Images;
  TBMPalette Palette;
  std::vector<Bytes> Bitmaps;
  std::string ExportDir, BaseName;
  friend bool operator==(const Snapshot&, const Snapshot&) = default;

  static Snapshot Of(const TBMDocument& doc) {
    Snapshot s{doc.Header, doc.Images, doc.Palette, {}, doc.ExportDir, doc.BaseName};
    for (const auto& b : doc.Bitmaps)
      s.Bitmaps.push_back(b.Empty() ? Bytes{} : Saved(b));
    return s;
  }
};

class DocumentTest : public ::testing::Test {
 protected:
  // A document holding an open, decoded 8-bit BM of three images.
  void SetUp() override {
    test::WriteFileBytes(dir.File("OLD.BM"), BM8(3, true, 40));
    ASSERT_EQ(ReadDocument(doc, dir.File("OLD.BM").string()), std::nullopt);
    DecodeForKind(doc, KindOf(doc.Header));
    doc.BaseName = "OLD.BM";
    doc.ExportDir = "/previous/";
  }
  std::string Write(const char* name, const Bytes& bytes) {
    test::WriteFileBytes(dir.File(name), bytes);
    return dir.File(name).string();
  }
  test::TempDir dir;
  TBMDocument doc;
};

TEST_F(DocumentTest, ReadDocumentFillsHeaderImagesAndPaletteOnly) {
  const Snapshot before = Snapshot::Of(doc);
  ASSERT_EQ(ReadDocument(doc, Write("NEW.BM", BM16(2, 9))), std::nullopt);
  EXPECT_EQ(doc.Header.BitsPerPixel, 16);
  EXPECT_EQ(doc.Header.ImageCount, 2);
  EXPECT_EQ(doc.Images[0], (TBMImage{2, 1, test::Pattern(4, 9)}));
  EXPECT_EQ(doc.Images[1], (TBMImage{2, 2, test::Pattern(8, 10)}));
  EXPECT_EQ(doc.Images[2], before.Images[2]) << "slots of the old BM stay";
  EXPECT_EQ(doc.Palette, before.Palette) << "no trailer, palette kept";
  EXPECT_EQ(Snapshot::Of(doc).Bitmaps, before.Bitmaps) << "nothing decoded";
  EXPECT_EQ(doc.ExportDir, "/previous/");
}

TEST_F(DocumentTest, ReadDocumentIsAllOrNothing) {
  const Bytes good = BM8(2, true, 70);
  std::vector<std::pair<std::string, std::string>> refused = {
      {"missing", dir.File("missing.BM").string()},
      {"not a BM", Write("a.BM", test::MakeCMP(test::TestTriples()))},
      {"truncated in the trailer", Write("b.BM", Bytes(good.begin(), good.end() - 1))},
      {"truncated in an image", Write("c.BM", Bytes(good.begin(), good.begin() + 140))},
      {"22 images", Write("d.BM", BM8(22, false))},
  };
  const Snapshot before = Snapshot::Of(doc);
  for (const auto& [what, path] : refused) {
    EXPECT_NE(ReadDocument(doc, path), std::nullopt) << what;
    EXPECT_TRUE(Snapshot::Of(doc) == before) << what;
  }
}

TEST_F(DocumentTest, DecodeForKindDecodesOnlyWhatIsShown) {
  TBMDocument fresh;
  ASSERT_EQ(ReadDocument(fresh, Write("p.BM", BM8(2, true, 3))), std::nullopt);
  DecodeForKind(fresh, KindOf(fresh.Header));
  for (std::size_t i = 0; i < 2; ++i) {
    TBitmap expected;
    BM8ToBitmap(expected, fresh.Images[i], fresh.Palette);
    EXPECT_EQ(Saved(fresh.Bitmaps[i]), Saved(expected)) << i;
  }
  EXPECT_TRUE(fresh.Bitmaps[2].Empty());

  // 16-bit over a document that held more images: slot 2 keeps its old bitmap.
  const Snapshot old = Snapshot::Of(doc);
  ASSERT_EQ(ReadDocument(doc, Write("q.BM", BM16(2, 5))), std::nullopt);
  DecodeForKind(doc, KindOf(doc.Header));
  for (std::size_t i = 0; i < 2; ++i) {
    TBitmap expected;
    BM16ToBitmap(expected, doc.Images[i]);
    EXPECT_EQ(Saved(doc.Bitmaps[i]), Saved(expected)) << i;
  }
  EXPECT_EQ(Saved(doc.Bitmaps[2]), old.Bitmaps[2]);

  // Kinds that are not shown decode nothing.
  for (const Bytes& file : {BM8(2, false, 8), [] {
                              BMFileParts s;
                              s.Header.BitsPerPixel = 24;
                              s.Header.ImageCount = 2;
                              return MakeBM(s);
                            }()}) {
    const Snapshot before = Snapshot::Of(doc);
    ASSERT_EQ(ReadDocument(doc, Write("r.BM", file)), std::nullopt);
    DecodeForKind(doc, KindOf(doc.Header));
    EXPECT_EQ(Snapshot::Of(doc).Bitmaps, before.Bitmaps);
  }
}

TEST_F(DocumentTest, LoadDocumentPaletteReaderIsChosenByFilterNotExtension) {
  const Bytes cmp = test::MakeCMP(test::TestTriples(21));
  const Bytes bmWithPalette = BM8(1, true, 22);  // its trailer: TestTriples(22)
  const Bytes bmWithout = BM8(1, false);
  const auto paletteOf = [](std::uint8_t seed) {
    const Bytes t = test::TestTriples(seed);
    return PaletteFromTriples(std::span<const std::uint8_t, 768>(t.data(), 768));
  };
  struct Row {
    const char* What;
    const char* Name;
    const Bytes* File;
    int Filter;
    bool Ok;
    std::optional<std::string> Refusal;
    std::uint8_t Seed;
  };
  const auto textOf = [](const std::optional<TRefusal>& r) {
    return r ? std::optional(RefusalText(*r)) : std::nullopt;
  };
  const std::vector<Row> rows = {
      {"CMP named .CMP", "p.CMP", &cmp, 0, true, std::nullopt, 21},
      {"CMP named .BM with the CMP entry", "p.BM", &cmp, 0, true, std::nullopt, 21},
      {"BM named .CMP with the BM entry", "q.CMP", &bmWithPalette, 1, true, std::nullopt, 22},
      {"BM with the CMP entry", "r.BM", &bmWithPalette, 0, false, "Invalid CMP file!", 0},
      {"CMP with the BM entry", "s.CMP", &cmp, 1, false, "Invalid BM file!", 0},
      {"BM without a palette", "t.BM", &bmWithout, 1, false, "BM doesn't contain a Palette!", 0},
      {"any other entry", "u.CMP", &cmp, 2, false, std::nullopt, 0},
      {"negative entry", "v.CMP", &cmp, -1, false, std::nullopt, 0},
  };
  for (const Row& row : rows) {
    const std::string path = Write(row.Name, *row.File);
    const TBMPalette before = doc.Palette;
    const auto kind = LoadPaletteKind(row.Filter);
    const auto refusal = kind ? LoadDocumentPalette(doc, path, *kind) : std::nullopt;
    EXPECT_EQ(textOf(refusal), row.Refusal) << row.What;
    EXPECT_EQ(kind && !refusal, row.Ok) << row.What;
    EXPECT_EQ(doc.Palette, row.Ok ? paletteOf(row.Seed) : before) << row.What;
  }
  EXPECT_EQ(textOf(LoadDocumentPalette(doc, dir.File("none.CMP").string(), EPaletteFile::CMP)),
            "Invalid CMP file!");
}

TEST_F(DocumentTest, ExportWritesNumberedFilesAndRemembersTheFolder) {
  const auto out = dir.File("out");
  std::filesystem::create_directory(out);
  test::WriteFileBytes(out / "WALL_1.BMP", Bytes{1, 2, 3});  // replaced without asking
  ExportDocument(doc, (out / "WALL.BMP").string());
  for (std::size_t i = 0; i < 3; ++i) {
    const auto file = out / ("WALL_" + std::to_string(i) + ".BMP");
    EXPECT_EQ(test::ReadFileBytes(file), Saved(doc.Bitmaps[i])) << i;
  }
  EXPECT_FALSE(std::filesystem::exists(out / "WALL.BMP"));
  EXPECT_EQ(doc.ExportDir, out.string() + "/");
  EXPECT_EQ(DefaultExportName(doc.ExportDir, "NEXT.BM"), (out / "NEXT.BMP").string());
}

TEST_F(DocumentTest, ExportOfOneImageUsesTheChosenNameAndOnlyOpenImages) {
  // One image now, but slots 1 and 2 still hold bitmaps of the earlier BM.
  ASSERT_EQ(ReadDocument(doc, Write("ONE.BM", BM8(1, true, 50))), std::nullopt);
  DecodeForKind(doc, KindOf(doc.Header));
  const auto out = dir.File("one.dir");
  std::filesystem::create_directory(out);
  ExportDocument(doc, (out / "PIC.BMP").string());
  EXPECT_EQ(test::ReadFileBytes(out / "PIC.BMP"), Saved(doc.Bitmaps[0]));
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(out)) {
    names.push_back(e.path().filename().string());
  }
  EXPECT_EQ(names, std::vector<std::string>{"PIC.BMP"});
  EXPECT_EQ(doc.ExportDir, out.string() + "/");
}

TEST_F(DocumentTest, FailedExportStopsThereAndKeepsExportDir) {
  const auto out = dir.File("out");
  std::filesystem::create_directory(out);
  std::filesystem::create_directory(out / "WALL_1.BMP");  // image 1 cannot be written
  EXPECT_THROW(ExportDocument(doc, (out / "WALL.BMP").string()), CodecError);
  EXPECT_EQ(test::ReadFileBytes(out / "WALL_0.BMP"), Saved(doc.Bitmaps[0]));
  EXPECT_TRUE(std::filesystem::is_directory(out / "WALL_1.BMP"));
  EXPECT_FALSE(std::filesystem::exists(out / "WALL_2.BMP"));
  EXPECT_EQ(doc.ExportDir, "/previous/");

  test::WriteFileBytes(dir.File("plain"), Bytes{1});
  const auto chosen = dir.File("plain") / "WALL.BMP";
  try {
    ExportDocument(doc, chosen.string());
    ADD_FAILURE() << "no error";
  } catch (const CodecError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot create file " + (dir.File("plain") / "WALL_0.BMP").string());
  }
  EXPECT_EQ(doc.ExportDir, "/previous/");
}

// ---- Dropped files ---------------------------------------------------------------------------

TEST(DroppedFile, KindIsTakenFromTheContentNotTheName) {
  test::TempDir dir;
  const Bytes cmp = test::MakeCMP(test::TestTriples());
  const struct {
    const char* Name;
    Bytes Content;
    EFileKind Kind;
  } rows[] = {
      {"wall.txt", BM8(1, false), EFileKind::BM},
      {"header-only.bm", Bytes{'B', 'M', ' '}, EFileKind::BM},
      {"level.bm", cmp, EFileKind::CMP},
      {"short.cmp", Bytes(cmp.begin(), cmp.end() - 1), EFileKind::Other},
      {"bmp.bm", test::StandardBmp24(1, 1, Bytes(3, 0)), EFileKind::Other},
      {"two.bm", Bytes{'B', 'M'}, EFileKind::Other},
      {"empty.cmp", Bytes{}, EFileKind::Other},
  };
  for (const auto& r : rows) {
    test::WriteFileBytes(dir.File(r.Name), r.Content);
    EXPECT_EQ(FileKindOf(dir.File(r.Name).string()), r.Kind) << r.Name;
  }
  EXPECT_EQ(FileKindOf(dir.File("missing.bm").string()), EFileKind::Other);
  std::filesystem::create_directory(dir.File("folder.bm"));
  EXPECT_EQ(FileKindOf(dir.File("folder.bm").string()), EFileKind::Other);
}

}  // namespace
}  // namespace zarn
