// zarn-cli's refusals end to end: each with its exit status and its message, nothing written;
// batches that go on past a refused file; help and version.
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "CliFixture.h"
#include "codec/PaletteFormats.h"

namespace zarn::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

Bytes Text(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

Bytes TruncatedBM() {
  Bytes bytes = MakeBM(SampleBMs::Paletted8());
  bytes.resize(140);
  return bytes;
}

// A BM over one of the limits: more images than a BM can hold, or an image too large.
Bytes OverTheLimit(std::int32_t count, std::int32_t width, std::int32_t height) {
  BMFileParts bm;
  bm.Header.ImageCount = count;
  for (std::int32_t i = 0; i < count; ++i)
    bm.Images.push_back({width, height, Bytes(static_cast<std::size_t>(width * height), 1)});
  return MakeBM(bm);
}

// A BMP of 16 bits per pixel, one pixel.
Bytes Bmp16() {
  BmpParts parts;
  parts.BitCount = 16;
  parts.Width = 1;
  parts.Height = 1;
  parts.Pixels = {1, 2};
  return MakeBmp(parts);
}

BMFileParts ZeroWidth16() {
  BMFileParts bm = SampleBMs::Colour16Multi();
  bm.Images[0] = BMImageParts{0, 3, {}};
  return bm;
}

// ---- refusals, table-driven ---------------------------------------------------------------

struct RefusalCase {
  std::string Name;
  std::vector<std::pair<std::string, Bytes>> Files;
  std::vector<std::string> Args;
  int Status = 1;
  std::string Err;
  std::vector<std::string> Fifos = {};                          // made before the run
  std::vector<std::pair<std::string, std::string>> Links = {};  // name, where it points
};

std::string Usage(const std::string& command, const std::string& text) {
  return "zarn-cli " + command + ": " + text + "\nTry 'zarn-cli " + command + " --help'.\n";
}

std::vector<RefusalCase> RefusalCases() {
  const Bytes notBM = Text("not a BM file at all");
  const Bytes bare = MakeBM(SampleBMs::Unpaletted8());
  const Bytes w16 = MakeBM(SampleBMs::Colour16());
  const Bytes bmp8 = StandardBmp8(2, 2, Pattern(4, 1), TestColours(256, 3));
  const Bytes bmp24 = StandardBmp24(2, 2, Pattern(12, 2));
  const std::vector<std::string> tooMany(22, "s.bmp");
  auto create = [](std::vector<std::string> args) {
    args.insert(args.begin(), "create");
    return args;
  };
  std::vector<std::string> tooManyArgs = create({"-o", "new.bm"});
  tooManyArgs.insert(tooManyArgs.end(), tooMany.begin(), tooMany.end());
  const std::string notWritten = "new.bm: Not written, as a source file was refused\n";

  return {
      // info
      {"InfoNotABM", {{"bad.bm", notBM}}, {"info", "bad.bm"}, 1, "bad.bm: Invalid BM file!\n"},
      {"InfoMissingFile", {}, {"info", "none.bm"}, 1, "none.bm: No such file or directory\n"},
      {"InfoFolder", {{"d.bm/x", notBM}}, {"info", "d.bm"}, 1, "d.bm: Is a directory\n"},
      {"InfoFifo", {}, {"info", "f.bm"}, 1, "f.bm: Not a regular file\n", {"f.bm"}},
      {"InfoControlCharactersInTheName",
       {},
       {"info", "new\nline\x1b[2J.bm"},
       1,
       "new\\nline\\x1b[2J.bm: No such file or directory\n"},
      {"InfoTooManyImages",
       {{"many.bm", OverTheLimit(22, 1, 1)}},
       {"info", "many.bm"},
       1,
       "many.bm: The BM has 22 images; a BM can hold at most 21 images!\n"},
      {"ExportImageTooLarge",
       {{"big.bm", OverTheLimit(1, 1001, 1000)}},
       {"export", "big.bm"},
       1,
       "big.bm: Image 0 is too large for a BM: its 1,001 x 1,000 pixels are shown in 1,000 rows "
       "of 1,004 bytes (1 byte a pixel, each row padded to a multiple of 4 bytes), 1,004,000 "
       "bytes in all, and a BM image may take at most 1,000,001 bytes!\n"},
      {"InfoTruncated",
       {{"cut.bm", TruncatedBM()}},
       {"info", "cut.bm"},
       1,
       "cut.bm: Invalid BM file!\n"},
      {"InfoNoFile", {}, {"info"}, 2, Usage("info", "no BM file given")},
      {"InfoUnknownOption",
       {{"a.bm", w16}},
       {"info", "--palette", "x.cmp", "a.bm"},
       2,
       Usage("info", "unknown option --palette")},
      // export: the BM
      {"ExportNotABM", {{"bad.bm", notBM}}, {"export", "bad.bm"}, 1, "bad.bm: Invalid BM file!\n"},
      {"ExportWithoutPalette",
       {{"bare.bm", bare}},
       {"export", "bare.bm"},
       1,
       "bare.bm: 8-bit BM without a palette: give one with --palette FILE.cmp or --palette "
       "FILE.bm\n"},
      {"ExportOtherDepth",
       {{"deep.bm", MakeBM(SampleBMs::Deep())}},
       {"export", "deep.bm"},
       1,
       "deep.bm: The BM has 24 bits per pixel; only 8-bit and 16-bit BMs can be decoded!\n"},
      {"ExportNoImages",
       {{"none.bm", MakeBM(SampleBMs::Empty8())}},
       {"export", "none.bm"},
       1,
       "none.bm: The BM holds no image to export\n"},
      {"ExportEmptyImageToPng",
       {{"zero.bm", MakeBM(ZeroWidth16())}},
       {"export", "--format", "png", "zero.bm"},
       1,
       "zero.bm: Image 0 has no pixels; a PNG file cannot hold it!\n"},
      {"ExportIntoMissingFolder",
       {{"w16.bm", w16}},
       {"export", "w16.bm", "-o", "missing/x.bmp"},
       1,
       "w16.bm: Cannot create file missing/x.bmp: No such file or directory\n"},
      {"ExportSeveralIntoAFileName",
       {{"a.bm", w16}, {"b.bm", w16}},
       {"export", "a.bm", "b.bm", "-o", "all.PNG"},
       2,
       Usage("export",
             "-o all.PNG names a file, and several BMs need a folder: give a folder or one BM")},
      {"ExportFolderMadeInVainIsRemoved",
       {{"bad.bm", notBM}, {"bad2.bm", notBM}},
       {"export", "bad.bm", "bad2.bm", "-o", "out/deep"},
       1,
       "bad.bm: Invalid BM file!\nbad2.bm: Invalid BM file!\n"},
      {"ExportSeveralToStandardOutput",
       {{"a.bm", w16}, {"b.bm", w16}},
       {"export", "a.bm", "b.bm", "-o", "-"},
       2,
       Usage("export", "only one image can be written to standard output or standard error")},
      {"ExportImagesToStandardOutput",
       {{"multi.bm", MakeBM(SampleBMs::Colour16Multi())}},
       {"export", "multi.bm", "-o", "/dev/stdout"},
       2,
       Usage("export", "only one image can be written to standard output or standard error")},
      {"ExportFolderIsAFile",
       {{"a.bm", w16}, {"b.bm", w16}, {"taken", Text("x")}},
       {"export", "a.bm", "b.bm", "-o", "taken"},
       1,
       "taken: Cannot create folder taken\n"},
      // export: the palette, read before any BM
      {"PaletteNotACmp",
       {{"bad.cmp", MakeCMP(TestTriples(), "CMPX")}, {"bare.bm", bare}},
       {"export", "--palette", "bad.cmp", "bare.bm"},
       1,
       "bad.cmp: Invalid CMP file!\nbad.cmp: Error retrieving Palette!\n"},
      {"PaletteMissing",
       {{"bare.bm", bare}},
       {"export", "--palette", "none.cmp", "bare.bm"},
       1,
       "none.cmp: No such file or directory\nnone.cmp: Error retrieving Palette!\n"},
      {"PaletteFromBMWithout",
       {{"bare.bm", bare}},
       {"export", "--palette", "bare.bm", "bare.bm"},
       1,
       "bare.bm: BM doesn't contain a Palette!\nbare.bm: Error retrieving Palette!\n"},
      {"PaletteFromNotABM",
       {{"bad.bm", notBM}, {"bare.bm", bare}},
       {"export", "--palette", "bad.bm", "bare.bm"},
       1,
       "bad.bm: Invalid BM file!\nbad.bm: Error retrieving Palette!\n"},
      {"PaletteUnknownExtension",
       {{"bare.bm", bare}},
       {"export", "--palette", "p.pal", "bare.bm"},
       2,
       Usage("export", "--palette needs a CMP file (.cmp) or a BM file (.bm)")},
      // export: the command line
      {"ExportUnknownFormat",
       {{"a.bm", w16}},
       {"export", "--format", "gif", "a.bm"},
       2,
       Usage("export", "unknown format 'gif': use bmp or png")},
      {"ExportNoFile", {}, {"export", "-o", "x.bmp"}, 2, Usage("export", "no BM file given")},
      {"ExportOutputTwice",
       {{"a.bm", w16}},
       {"export", "a.bm", "-o", "x.bmp", "--output=y.bmp"},
       2,
       Usage("export", "--output is given more than once")},
      {"ExportValueLooksLikeAnOption",
       {{"a.bm", w16}},
       {"export", "a.bm", "-o", "--format", "png"},
       2,
       Usage("export",
             "-o needs a value; one that begins with \"-\" is given as --output=--format")},
      // export: outputs that are inputs, however they are named
      {"ExportOverItself",
       {{"in.bm", w16}},
       {"export", "in.bm", "-o", "./in.bm"},
       1,
       "in.bm: Not exported, as ./in.bm is the input file in.bm of this command\n"},
      {"ExportBesideItself",
       {{"tex.bmp", w16}},
       {"export", "tex.bmp"},
       1,
       "tex.bmp: Not exported, as tex.bmp is the input file tex.bmp of this command\n"},
      {"ExportOverThePalette",
       {{"bare.bm", bare}, {"p_1.bm", MakeBM(SampleBMs::Paletted8())}},
       {"export", "--palette", "p_1.bm", "bare.bm", "-o", "p.bm"},
       1,
       "bare.bm: Not exported, as p_1.bm is the input file p_1.bm of this command\n"},
      {"ExportMissingValue",
       {{"a.bm", w16}},
       {"export", "a.bm", "-o"},
       2,
       Usage("export", "-o needs a value")},
      // create: the sources
      {"Create24BitIn8BitMode",
       {{"t.bmp", bmp24}},
       create({"-o", "new.bm", "t.bmp"}),
       1,
       "t.bmp: BMP file is not 256 color!\n" + notWritten},
      {"Create8BitIn16BitMode",
       {{"s.bmp", bmp8}},
       create({"--16bit", "-o", "new.bm", "s.bmp"}),
       1,
       "s.bmp: BMP file is not truecolor!\n" + notWritten},
      {"CreateNotABmp",
       {{"s.bmp", bmp8},
        {"x.bmp", Text("XM and more than 54 bytes, which is "
                       "what the check reads of a BMP file")}},
       create({"-o", "new.bm", "s.bmp", "x.bmp"}),
       1,
       "x.bmp: Invalid BMP file!\n" + notWritten},
      {"CreateShortBmp",
       {{"x.bmp", Slice(bmp8, 0, 53)}},
       create({"-o", "new.bm", "x.bmp"}),
       1,
       "x.bmp: Invalid BMP file!\n" + notWritten},
      {"CreateMissingSource",
       {},
       create({"-o", "new.bm", "none.bmp"}),
       1,
       "none.bmp: No such file or directory\n" + notWritten},
      {"CreateOverASource",
       {{"a.bmp", bmp8}, {"b.bmp", bmp8}},
       create({"-o", "b.bmp", "a.bmp", "b.bmp"}),
       1,
       "b.bmp: Not written, as it is the input file b.bmp of this command\n"},
      {"CreateIntoMissingFolder",
       {{"s.bmp", bmp8}},
       create({"-o", "missing/new.bm", "s.bmp"}),
       1,
       "missing/new.bm: Cannot create file missing/new.bm: No such file or directory\n"},
      {"CreateOverALinkLoop",
       {{"s.bmp", bmp8}},
       create({"-o", "loop-a", "s.bmp"}),
       1,
       "loop-a: Cannot create file loop-a: Too many levels of symbolic links\n",
       {},
       {{"loop-a", "loop-b"}, {"loop-b", "loop-a"}}},
      // create: the command line
      {"CreateTooManySources",
       {{"s.bmp", bmp8}},
       tooManyArgs,
       2,
       Usage("create", "A BM can hold at most 21 images!")},
      {"CreateNoSources",
       {},
       create({"-o", "new.bm"}),
       2,
       Usage("create", "Add at least one BMP file first!")},
      {"CreateNoOutput",
       {{"s.bmp", bmp8}},
       create({"s.bmp"}),
       2,
       Usage("create", "-o OUT.bm is required")},
      {"CreateXTooLarge",
       {{"s.bmp", bmp8}},
       create({"--x", "641", "-o", "new.bm", "s.bmp"}),
       2,
       Usage("create", "--x must be a whole number from 0 to 640")},
      {"CreateXNotANumber",
       {{"s.bmp", bmp8}},
       create({"--x", "1e2", "-o", "new.bm", "s.bmp"}),
       2,
       Usage("create", "--x must be a whole number from 0 to 640")},
      {"CreateYNegative",
       {{"s.bmp", bmp8}},
       create({"--y=-1", "-o", "new.bm", "s.bmp"}),
       2,
       Usage("create", "--y must be a whole number from 0 to 480")},
      {"CreateYTooLarge",
       {{"s.bmp", bmp8}},
       create({"--y=481", "-o", "new.bm", "s.bmp"}),
       2,
       Usage("create", "--y must be a whole number from 0 to 480")},
      {"CreateTransparentTooLarge",
       {{"s.bmp", bmp8}},
       create({"--transparent", "256", "-o", "new.bm", "s.bmp"}),
       2,
       Usage("create", "--transparent must be a whole number from 0 to 255")},
      {"CreateRgbTwoChannels",
       {{"t.bmp", bmp24}},
       create({"--16bit", "--rgb", "1,2", "-o", "new.bm", "t.bmp"}),
       2,
       Usage("create", "--rgb must be three whole numbers from 0 to 255, as R,G,B")},
      {"CreateRgbFourChannels",
       {{"t.bmp", bmp24}},
       create({"--16bit", "--rgb", "1,2,3,4", "-o", "new.bm", "t.bmp"}),
       2,
       Usage("create", "--rgb must be three whole numbers from 0 to 255, as R,G,B")},
      {"CreateRgbChannelTooLarge",
       {{"t.bmp", bmp24}},
       create({"--16bit", "--rgb", "1,256,3", "-o", "new.bm", "t.bmp"}),
       2,
       Usage("create", "--rgb must be three whole numbers from 0 to 255, as R,G,B")},
      {"CreateRgbFor8Bit",
       {{"s.bmp", bmp8}},
       create({"--rgb", "1,2,3", "-o", "new.bm", "s.bmp"}),
       2,
       Usage("create", "--rgb is for 16-bit BMs (with --16bit)")},
      {"CreateTransparentFor16Bit",
       {{"t.bmp", bmp24}},
       create({"--16bit", "--transparent", "3", "-o", "new.bm", "t.bmp"}),
       2,
       Usage("create", "--transparent is for 8-bit BMs; a 16-bit BM takes --rgb R,G,B")},
      {"CreatePaletteFor16Bit",
       {{"t.bmp", bmp24}},
       create({"--16bit", "--include-palette", "-o", "new.bm", "t.bmp"}),
       2,
       Usage("create", "--include-palette is for 8-bit BMs")},
      {"CreateFlagWithValue",
       {{"t.bmp", bmp24}},
       create({"--16bit=yes", "-o", "new.bm", "t.bmp"}),
       2,
       Usage("create", "--16bit takes no value")},
      // the program
      // thumbnail: nothing written for a BM that cannot be shown
      {"ThumbnailNotABM",
       {{"bad.bm", notBM}},
       {"thumbnail", "bad.bm", "t.png"},
       1,
       "bad.bm: Invalid BM file!\n"},
      {"ThumbnailMissingFile",
       {},
       {"thumbnail", "none.bm", "t.png"},
       1,
       "none.bm: No such file or directory\n"},
      {"ThumbnailFolder",
       {{"d.bm/x", notBM}},
       {"thumbnail", "d.bm", "t.png"},
       1,
       "d.bm: Is a directory\n"},
      {"ThumbnailTooManyImages",
       {{"many.bm", OverTheLimit(22, 1, 1)}},
       {"thumbnail", "many.bm", "t.png"},
       1,
       "many.bm: The BM has 22 images; a BM can hold at most 21 images!\n"},
      {"ThumbnailOtherDepth",
       {{"deep.bm", MakeBM(SampleBMs::Deep())}},
       {"thumbnail", "deep.bm", "t.png"},
       1,
       "deep.bm: The BM has 24 bits per pixel; only 8-bit and 16-bit BMs can be decoded!\n"},
      {"ThumbnailNoImages",
       {{"none.bm", MakeBM(SampleBMs::Empty8())}},
       {"thumbnail", "none.bm", "t.png"},
       1,
       "none.bm: The BM holds no image to export\n"},
      {"ThumbnailEmptyImage",
       {{"zero.bm", MakeBM(ZeroWidth16())}},
       {"thumbnail", "zero.bm", "t.png"},
       1,
       "zero.bm: Image 0 has no pixels; a PNG file cannot hold it!\n"},
      {"ThumbnailOverItsBM",
       {{"w16.bm", w16}},
       {"thumbnail", "w16.bm", "w16.bm"},
       1,
       "w16.bm: Not written, as it is the input file w16.bm of this command\n"},
      {"ThumbnailIntoMissingFolder",
       {{"w16.bm", w16}},
       {"thumbnail", "w16.bm", "missing/t.png"},
       1,
       "missing/t.png: Cannot create file missing/t.png: No such file or directory\n"},
      {"ThumbnailSizeTooLarge",
       {{"w16.bm", w16}},
       {"thumbnail", "--size", "1025", "w16.bm", "t.png"},
       2,
       Usage("thumbnail", "--size must be a whole number from 1 to 1024")},
      {"ThumbnailOutputMissing",
       {{"w16.bm", w16}},
       {"thumbnail", "w16.bm"},
       2,
       Usage("thumbnail", "give IN.bm and OUT.png")},
      // create --map and --dither
      {"CreateMapWith16Bit",
       {{"t.bmp", bmp24}, {"p.act", Bytes(768, 7)}},
       create({"--16bit", "--map", "p.act", "-o", "new.bm", "t.bmp"}),
       2,
       Usage("create", "--map is for 8-bit BMs, not with --16bit")},
      {"CreateKeyWithoutMap",
       {{"s.bmp", bmp8}},
       create({"--key", "255,0,255", "-o", "new.bm", "s.bmp"}),
       2,
       Usage("create", "--key is for mapping, with --map PALETTE")},
      {"CreateDitherWithoutMap",
       {{"s.bmp", bmp8}},
       create({"--dither", "-o", "new.bm", "s.bmp"}),
       2,
       Usage("create", "--dither is for --map PALETTE or --16bit")},
      {"CreateMapPaletteRefused",
       {{"t.bmp", bmp24}, {"p.gpl", Text("GIMP Palette\n1 2\n")}},
       create({"--map", "p.gpl", "-o", "new.bm", "t.bmp"}),
       1,
       "p.gpl: Invalid GIMP palette! Line 2 is not a colour (red, green and blue of 0 to "
       "255).\nnew.bm: Not written, as the --map palette was refused\n"},
      {"CreateMapOverThePalette",
       {{"t.bmp", bmp24}, {"p.act", Bytes(768, 7)}},
       create({"--map", "p.act", "-o", "p.act", "t.bmp"}),
       1,
       "p.act: Not written, as it is the input file p.act of this command\n"},
      {"CreateMapSourceOf16Bits",
       {{"w.bmp", Bmp16()},
        {"p.act", Bytes(768, 7)}},
       create({"--map", "p.act", "-o", "new.bm", "w.bmp"}),
       1,
       "w.bmp: BMP file is not 256 color or truecolor (8, 24 or 32 bits)!\n" + notWritten},
      // palette
      {"PaletteNotAPalette",
       {{"notes.txt", notBM}},
       {"palette", "notes.txt"},
       1,
       "notes.txt: Not a palette file: give a CMP, a BM with a palette, a GIMP (.gpl), Adobe "
       "(.act) or JASC (.pal) palette, a palette PNG or a 256-colour BMP!\n"},
      {"PaletteOfMoreThan256Colours",
       {{"big.gpl", Text("GIMP Palette\n" + [] {
                            std::string lines;
                            for (int i = 0; i < 257; ++i) lines += "1 2 3\n";
                            return lines;
                          }())}},
       {"palette", "big.gpl", "-o", "big.act"},
       1,
       "big.gpl: The palette has more than 256 colours!\n"},
      {"PaletteOverItsInput",
       {{"p.act", Bytes(768, 7)}},
       {"palette", "p.act", "-o", "./p.act"},
       1,
       "./p.act: Not written, as it is the input file p.act of this command\n"},
      {"PaletteToAnUnknownKind",
       {{"p.act", Bytes(768, 7)}},
       {"palette", "p.act", "-o", "p.txt"},
       2,
       Usage("palette", kNotAPaletteOutput)},
      {"PaletteOfTwoFiles",
       {{"p.act", Bytes(768, 7)}},
       {"palette", "p.act", "p.act"},
       2,
       Usage("palette", "give one palette file")},
      {"UnknownCommand",
       {},
       {"convert", "a.bm"},
       2,
       "zarn-cli: unknown command convert\nTry 'zarn-cli --help'.\n"},
      {"UnknownOption",
       {},
       {"--verbose"},
       2,
       "zarn-cli: unknown option --verbose\nTry 'zarn-cli --help'.\n"},
  };
}

class CliRefusal : public CliTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(CliRefusal, ExitStatusMessageAndNothingWritten) {
  const RefusalCase& c = GetParam();
  for (const auto& [name, bytes] : c.Files)
    Put(name, bytes);
  for (const std::string& fifo : c.Fifos)
    ASSERT_EQ(::mkfifo((work_.Path() / fifo).c_str(), 0600), 0);
  for (const auto& [name, to] : c.Links)
    std::filesystem::create_symlink(to, work_.Path() / name);
  const std::vector<std::string> before = Tree();
  const CliResult result = Run(c.Args);
  EXPECT_EQ(result.Status, c.Status) << Describe(result);
  EXPECT_EQ(result.Err, c.Err);
  EXPECT_EQ(result.Out, "");
  EXPECT_EQ(Tree(), before);
}

INSTANTIATE_TEST_SUITE_P(Every, CliRefusal, ::testing::ValuesIn(RefusalCases()),
                         [](const auto& p) { return p.param.Name; });

class CliRefusalFiles : public CliTest {};

TEST_F(CliRefusalFiles, NoArgumentsShowTheUsageOnTheErrorStream) {
  const CliResult result = Run({});
  EXPECT_EQ(result.Status, 2);
  EXPECT_EQ(result.Out, "");
  EXPECT_THAT(result.Err, StartsWith("Usage: zarn-cli COMMAND"));
}

TEST_F(CliRefusalFiles, ARefusedCreateLeavesTheExistingBMAsItWas) {
  Put("new.bm", Pattern(300, 7));
  Put("t.bmp", StandardBmp24(2, 2, Pattern(12, 2)));
  const CliResult result = Run({"create", "-o", "new.bm", "t.bmp"});
  EXPECT_EQ(result.Status, 1) << Describe(result);
  EXPECT_EQ(Get("new.bm"), Pattern(300, 7));
}

TEST_F(CliRefusalFiles, ASourceTheWriterCannotTakeIsRefusedWithTheWritersReason) {
  BmpParts rle4;
  rle4.BitCount = 8;
  rle4.Width = 2;
  rle4.Height = 2;
  rle4.Compression = 2;  // RLE4 data in an 8-bit bitmap
  rle4.Colours = TestColours(256);
  rle4.RawPixelData = Bytes{0, 1};
  Put("rle.bmp", MakeBmp(rle4));
  const CliResult result = Run({"create", "-o", "new.bm", "rle.bmp"});
  EXPECT_EQ(result.Status, 1) << Describe(result);
  EXPECT_THAT(result.Err, StartsWith("rle.bmp: "));
  EXPECT_THAT(result.Err, HasSubstr("\nnew.bm: Not written, as a source file was refused\n"));
  EXPECT_FALSE(Exists("new.bm"));
}

TEST_F(CliRefusalFiles, AFailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
  BMFileParts bm = SampleBMs::Colour16();
  bm.Images = {BMImageParts{20, 20, Pattern(800, 4)}};  // a 1254-byte BMP
  PutBM("wall.bm", bm);
  Put("wall.bmp", Pattern(100, 1));
  CliResult result;
  {
    ScopedFileSizeLimit limit(1000);
    if (!limit.Active()) GTEST_SKIP() << "cannot limit the size of written files here";
    result = Run({"export", "wall.bm"});
  }
  EXPECT_EQ(result.Status, 1) << Describe(result);
  EXPECT_THAT(result.Err, StartsWith("wall.bm: Cannot write file wall.bmp: "));
  EXPECT_EQ(Get("wall.bmp"), Pattern(100, 1));
  EXPECT_THAT(Tree(), ElementsAre("wall.bm", "wall.bmp"));
}

TEST_F(CliRefusalFiles, ABMIsNotExportedOverAFileWrittenEarlierInTheSameRunHoweverItIsNamed) {
  namespace fs = std::filesystem;
  const BMFileParts single = SampleBMs::Colour16();
  const BMFileParts multi = SampleBMs::Colour16Multi();
  PutBM("a/wall.bm", single);
  PutBM("b/wall.bm", multi);
  PutBM("c/wall_0.bm", single);
  PutBM("d/e/x.bm", single);
  PutBM("y.bm", single);
  fs::create_symlink("d/e", work_.Path() / "sl");
  fs::create_directory(work_.Path() / "out");
  fs::create_symlink("wall.bmp", work_.Path() / "out/y.bmp");
  const std::string absolute = (work_.Path() / "d/e/x.bm").string();
  const CliResult result =
      Run({"export", "a/wall.bm", "b/wall.bm", "c/wall_0.bm", "y.bm", "-o", "out"});
  EXPECT_EQ(result.Status, 1) << Describe(result);
  EXPECT_EQ(result.Err,
            "c/wall_0.bm: Not exported, as out/wall_0.bmp would replace out/wall_0.bmp, written "
            "from b/wall.bm\n"
            "y.bm: Not exported, as out/y.bmp would replace out/wall.bmp, written from "
            "a/wall.bm\n");
  EXPECT_EQ(Get("out/wall.bmp"), ExportedBmp(single, 0, nullptr));
  EXPECT_EQ(Get("out/wall_0.bmp"), ExportedBmp(multi, 0, nullptr));
  EXPECT_EQ(Get("out/wall_1.bmp"), ExportedBmp(multi, 1, nullptr));

  // Beside each BM: a folder through a link, and an absolute name for a relative one.
  const CliResult besides = Run({"export", "d/e/x.bm", "sl/x.bm", absolute});
  EXPECT_EQ(besides.Status, 1) << Describe(besides);
  EXPECT_EQ(besides.Err,
            "sl/x.bm: Not exported, as sl/x.bmp would replace d/e/x.bmp, written from d/e/x.bm\n" +
                absolute + ": Not exported, as " + (work_.Path() / "d/e/x.bmp").string() +
                " would replace d/e/x.bmp, written from d/e/x.bm\n");
  // Names that only look alike are different files: sl/.. is d.
  PutBM("d/y.BM", single);
  const CliResult alike = Run({"export", "y.bm", "sl/../y.BM"});
  EXPECT_EQ(alike.Status, 0) << Describe(alike);
  EXPECT_TRUE(Exists("d/y.bmp"));
}

TEST_F(CliRefusalFiles, AnOutputLinkedToAnInputIsRefusedAndTheBatchGoesOn) {
  const BMFileParts a = SampleBMs::Colour16();
  PutBM("a.bm", a);
  PutBM("c.bm", SampleBMs::Colour16Multi());
  const Bytes before = Get("c.bm");
  std::filesystem::create_directory(work_.Path() / "out");
  std::filesystem::create_symlink("../c.bm", work_.Path() / "out/c_1.bmp");
  const CliResult result = Run({"export", "a.bm", "c.bm", "-o", "out"});
  EXPECT_EQ(result.Status, 1) << Describe(result);
  EXPECT_EQ(result.Err,
            "c.bm: Not exported, as out/c_1.bmp is the input file c.bm of this command\n");
  EXPECT_EQ(Get("c.bm"), before);
  EXPECT_EQ(Get("out/a.bmp"), ExportedBmp(a, 0, nullptr));
  EXPECT_FALSE(Exists("out/c_0.bmp"));
}

TEST_F(CliRefusalFiles, AFailedWriteToStandardOutputIsAnError) {
  PutBM("a.bm", SampleBMs::Colour16());
  const CliResult result = RunCli(work_.Path(), {"info", "a.bm"}, "/dev/full");
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(result.Err, "zarn-cli: cannot write to standard output: No space left on device\n");
}

// ---- batches --------------------------------------------------------------------------------

class CliBatch : public CliTest {};

TEST_F(CliBatch, InfoGoesOnPastARefusedFile) {
  PutBM("a.bm", SampleBMs::Colour16());
  Put("b.bm", Text("BX not a BM"));
  PutBM("c.bm", SampleBMs::Empty8());
  const CliResult result = Run({"info", "a.bm", "b.bm", "c.bm"});
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(result.Err, "b.bm: Invalid BM file!\n");
  EXPECT_EQ(result.Out,
            "a.bm:\n16-bit BM\n1 image(s) in BM\nPalette Included : N/A\nX-Offset : 0\n"
            "Y-Offset : 0\nImage 0 : 7 x 3\n"
            "\n"
            "c.bm:\n8-bit BM\n0 image(s) in BM\nPalette Included : Yes\nX-Offset : 0\n"
            "Y-Offset : 0\n");
}

TEST_F(CliBatch, ExportGoesOnPastRefusedFiles) {
  const BMFileParts a = SampleBMs::Colour16Multi();
  const BMFileParts c = SampleBMs::Paletted8();
  PutBM("a.bm", a);
  PutBM("b.bm", SampleBMs::Unpaletted8());
  Put("x.bm", TruncatedBM());
  PutBM("c.bm", c);
  const CliResult result = Run({"export", "a.bm", "b.bm", "x.bm", "c.bm", "-o", "out"});
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(result.Err,
            "b.bm: 8-bit BM without a palette: give one with --palette FILE.cmp or --palette "
            "FILE.bm\n"
            "x.bm: Invalid BM file!\n");
  EXPECT_EQ(Get("out/a_1.bmp"), ExportedBmp(a, 1, nullptr));
  EXPECT_EQ(Get("out/c_2.bmp"), ExportedBmp(c, 2, nullptr));
  EXPECT_THAT(Tree(), ElementsAre("a.bm", "b.bm", "c.bm", "out", "out/a_0.bmp", "out/a_1.bmp",
                                  "out/c_0.bmp", "out/c_1.bmp", "out/c_2.bmp", "x.bm"));
}

TEST_F(CliBatch, PngExportBesideEachBMGoesOnPastARefusedFile) {
  PutBM("a.bm", SampleBMs::Colour16());
  Put("b.bm", Text("nothing"));
  PutBM("c.bm", SampleBMs::Colour16());
  const CliResult result = Run({"export", "--format", "png", "a.bm", "b.bm", "c.bm"});
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(result.Err, "b.bm: Invalid BM file!\n");
  EXPECT_THAT(Tree(), ElementsAre("a.bm", "a.png", "b.bm", "c.bm", "c.png"));
}

TEST_F(CliBatch, CreateReportsEveryRefusedSourceAndWritesNothing) {
  Put("s0.bmp", StandardBmp8(2, 2, Pattern(4, 1), TestColours(256, 3)));
  Put("t.bmp", StandardBmp24(2, 2, Pattern(12, 2)));
  Put("s2.bmp", StandardBmp8(2, 2, Pattern(4, 1), TestColours(256, 3)));
  const CliResult result = Run({"create", "-o", "new.bm", "s0.bmp", "t.bmp", "none.bmp", "s2.bmp"});
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(result.Err,
            "t.bmp: BMP file is not 256 color!\n"
            "none.bmp: No such file or directory\n"
            "new.bm: Not written, as a source file was refused\n");
  EXPECT_FALSE(Exists("new.bm"));
}

// ---- help and version ---------------------------------------------------------------------

class CliUsage : public CliTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(CliUsage, HelpOfEveryCommandGoesToStandardOutput) {
  const std::string command = GetParam();
  for (const char* flag : {"--help", "-h"}) {
    const CliResult result = Run({command, flag});
    EXPECT_EQ(result.Status, 0) << Describe(result);
    EXPECT_THAT(result.Out, StartsWith("Usage: zarn-cli " + command)) << flag;
    EXPECT_EQ(result.Err, "");
  }
  // Help wins over anything else on the line, and nothing is done.
  const CliResult result = Run({command, "--help", "missing.bm", "-o", "x"});
  EXPECT_EQ(result.Status, 0) << Describe(result);
  EXPECT_TRUE(Tree().empty());
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, CliUsage,
                         ::testing::Values("info", "export", "create", "thumbnail", "palette"));

TEST(CliUsageProgram, HelpAndVersion) {
  TempDir work;
  const CliResult help = RunCli(work.Path(), {"--help"});
  EXPECT_EQ(help.Status, 0);
  EXPECT_THAT(help.Out, StartsWith("Usage: zarn-cli COMMAND"));
  const CliResult version = RunCli(work.Path(), {"--version"});
  EXPECT_EQ(version.Status, 0);
  // "zarn-cli" and the version: three numbers with dots between them.
  const std::string prefix = "zarn-cli ";
  ASSERT_THAT(version.Out, StartsWith(prefix));
  std::string number = version.Out.substr(prefix.size());
  EXPECT_EQ(std::count(number.begin(), number.end(), '.'), 2) << version.Out;
  EXPECT_EQ(number.find_first_not_of("0123456789."), number.size() - 1) << version.Out;
  EXPECT_EQ(number.back(), '\n');
}

}  // namespace
}  // namespace zarn::test
