// PNG both ways: our own PNGs come back as the same BM images byte for byte; PNGs made by
// another program (tests/data/png, drawn by formulas repeated here) are taken or refused by
// the BM depth with the right pixels; hostile PNGs are refused at once.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "PictureBytes.h"
#include "TestFiles.h"
#include "codec/BMWriter.h"
#include "codec/Display.h"
#include "codec/Errors.h"
#include "codec/Png.h"
#include "codec/files/CodecFiles.h"

namespace zarn {
namespace {

using test::Bytes;

// ---- the pictures of tests/data/png/make-samples.py -----------------------------------------

constexpr std::int32_t kW = 13;
constexpr std::int32_t kH = 7;

std::array<int, 3> PaletteColour(int k) {
  return {k, 255 - k, (k * 7 + 1) & 255};
}
int Index(int x, int y, int n) {
  return (x + 3 * y) % n;
}
int Grey(int x, int y) {
  return (x * 17 + y * 29) & 255;
}
int Grey16(int x, int y) {
  return (x * 4099 + y * 7919 + 129) & 0xFFFF;
}
std::array<int, 3> Rgb(int x, int y) {
  return {(x * 20) & 255, (y * 30 + 5) & 255, (x * y * 5 + 9) & 255};
}
std::array<int, 3> Rgb16(int x, int y) {
  return {(x * 5003 + 77) & 0xFFFF, (y * 9001 + 128) & 0xFFFF, (x * y * 611 + 32767) & 0xFFFF};
}
int Alpha(int x, int y) {
  return ((x + y) * 20) & 255;
}
// 16-bit channels narrowed with rounding.
int Scaled(int v) {
  return (v * 255 + 32767) / 65535;
}

enum class EPicture {
  Palette2,
  Palette4,
  Palette16,
  Palette256,
  PaletteClear0,
  Grey,
  Grey16,
  Rgb,
  Rgba,
  Rgb16,
  Rgba16
};

// The expected colour (red, green, blue) and whether the pixel is clear.
std::array<int, 3> Expected(EPicture p, int x, int y, bool& clear) {
  clear = false;
  switch (p) {
    case EPicture::Palette2:
      return PaletteColour(Index(x, y, 2));
    case EPicture::Palette4:
      return PaletteColour(Index(x, y, 4));
    case EPicture::Palette16:
      return PaletteColour(Index(x, y, 16));
    case EPicture::Palette256:
      return PaletteColour(Index(x, y, 256));
    case EPicture::PaletteClear0:
      clear = Index(x, y, 16) == 0;
      return PaletteColour(Index(x, y, 16));
    case EPicture::Grey:
      return {Grey(x, y), Grey(x, y), Grey(x, y)};
    case EPicture::Grey16: {
      const int g = Scaled(Grey16(x, y));
      return {g, g, g};
    }
    case EPicture::Rgb:
      return Rgb(x, y);
    case EPicture::Rgba:
      clear = Alpha(x, y) < 128;
      return Rgb(x, y);
    case EPicture::Rgb16:
    case EPicture::Rgba16: {
      clear = p == EPicture::Rgba16 && Alpha(x, y) < 128;
      const auto c = Rgb16(x, y);
      return {Scaled(c[0]), Scaled(c[1]), Scaled(c[2])};
    }
  }
  return {};
}

Bytes Sample(const std::string& name) {
  return test::ReadFileBytes(std::filesystem::path(ZARN_PNG_SAMPLES) / name);
}

struct SampleCase {
  const char* File;
  EPicture Picture;
  bool TakenBy8Bit;  // else "PNG file is not 256 color!"
};

constexpr SampleCase kSamples[] = {
    {"palette-1bit.png", EPicture::Palette2, true},
    {"palette-2bit.png", EPicture::Palette4, true},
    {"palette-4bit.png", EPicture::Palette16, true},
    {"palette-4bit-interlaced.png", EPicture::Palette16, true},
    {"palette-4bit-trns.png", EPicture::PaletteClear0, true},
    {"palette-8bit.png", EPicture::Palette256, true},
    {"grey-8bit.png", EPicture::Grey, true},
    {"grey-16bit.png", EPicture::Grey16, false},
    {"rgb-8bit.png", EPicture::Rgb, false},
    {"rgb-8bit-interlaced.png", EPicture::Rgb, false},
    {"rgb-16bit.png", EPicture::Rgb16, false},
    {"rgba-8bit.png", EPicture::Rgba, false},
    {"rgba-16bit.png", EPicture::Rgba16, false},
};

TEST(TPngSources, SamplesOfAnotherProgramGiveTheirPixels) {
  const std::array<int, 3> transparent = {1, 2, 3};
  for (const SampleCase& c : kSamples) {
    SCOPED_TRACE(c.File);
    const Bytes png = Sample(c.File);
    for (const int depth : {8, 16}) {
      SCOPED_TRACE(depth);
      TSourceImage source;
      const auto refusal = DecodePngSource(png, depth, source);
      if (depth == 8 && !c.TakenBy8Bit) {
        EXPECT_EQ(refusal, std::string(kPNGNot256Colour));
        EXPECT_EQ(CheckPngHead(png, 8), std::string(kPNGNot256Colour));
        continue;
      }
      ASSERT_EQ(refusal, std::nullopt);
      EXPECT_EQ(CheckPngHead(png, depth), std::nullopt);
      EXPECT_TRUE(WriteRefusal(source.Bitmap, depth).empty());
      PaintClearPixels(source, 1, 2, 3);
      std::vector<std::uint8_t> scratch;
      const TPicture picture = source.Bitmap.Picture(scratch);
      ASSERT_EQ(picture.Width, kW);
      ASSERT_EQ(picture.Height, kH);
      for (int y = 0; y < kH; ++y) {
        const auto row = picture.Row(y);
        for (int x = 0; x < kW; ++x) {
          bool clear = false;
          std::array<int, 3> want = Expected(c.Picture, x, y, clear);
          std::array<int, 3> got{};
          if (depth == 8) {
            const TRGBQuad q = picture.Colours[row[static_cast<std::size_t>(x)]];
            got = {q.Red, q.Green, q.Blue};
            if (c.Picture == EPicture::Grey) {
              EXPECT_EQ(row[static_cast<std::size_t>(x)], want[0]);
            }
          } else {
            const auto* p = &row[3 * static_cast<std::size_t>(x)];
            got = {p[2], p[1], p[0]};
            if (clear) want = transparent;
          }
          ASSERT_EQ(got, want) << "pixel " << x << ", " << y;
        }
      }
    }
  }
}

// ---- round trip -----------------------------------------------------------------------------

TEST(TPngRoundTrip, ImagesComeBackByteForByte) {
  // A palette with repeated colours and entries no pixel uses, and every index in the picture:
  // the PNG must keep the indices and all 256 entries, not merely the colours.
  TBMPalette palette{};
  for (std::size_t i = 0; i < palette.size(); ++i) {
    const auto v = static_cast<std::uint8_t>(i < 128 ? i / 2 : 255 - i);
    palette[i] = {v, static_cast<std::uint8_t>(v ^ 0x5A), static_cast<std::uint8_t>(i % 7), 0};
  }
  for (const std::int32_t width : {1, 3, 17}) {
    SCOPED_TRACE(width);
    const std::int32_t height = 20;
    const auto n = static_cast<std::size_t>(width * height);
    const TBMImage image8{width, height, test::Pattern(n, 7)};
    const TBMImage image16{width, height, test::Pattern(2 * n, 9)};
    TBitmap display8;
    TBitmap display16;
    BM8ToBitmap(display8, image8, palette);
    BM16ToBitmap(display16, image16);

    std::vector<std::uint8_t> png;
    std::vector<std::uint8_t> scratch;
    TSourceImage back8;
    TSourceImage back16;
    EncodePng(display8, png, scratch);
    ASSERT_EQ(DecodePngSource(png, 8, back8), std::nullopt);
    EncodePng(display16, png, scratch);
    ASSERT_EQ(DecodePngSource(png, 16, back16), std::nullopt);
    EXPECT_TRUE(back16.ClearPixels.empty());

    std::vector<std::uint8_t> original;
    std::vector<std::uint8_t> again;
    const TBitmap* before8[] = {&display8};
    const TBitmap* after8[] = {&back8.Bitmap};
    EncodeBM8(original, before8, 1, 2, 3, true);
    EncodeBM8(again, after8, 1, 2, 3, true);
    EXPECT_EQ(again, original);
    const TBitmap* before16[] = {&display16};
    const TBitmap* after16[] = {&back16.Bitmap};
    EncodeBM16(original, before16, 1, 2, 255, 0, 255);
    EncodeBM16(again, after16, 1, 2, 255, 0, 255);
    EXPECT_EQ(again, original);
  }
}

// ---- hostile files --------------------------------------------------------------------------

void PutBE32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int k = 0; k < 4; ++k)
    b[at + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(v >> (24 - 8 * k));
}
std::uint32_t GetBE32(const Bytes& b, std::size_t at) {
  return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) |
         (std::uint32_t{b[at + 2]} << 8) | b[at + 3];
}

Bytes Chunk(const std::string& type, const Bytes& data) {
  Bytes out(8);
  PutBE32(out, 0, static_cast<std::uint32_t>(data.size()));
  out.insert(out.begin() + 4, type.begin(), type.end());
  out.resize(8);
  out.insert(out.end(), data.begin(), data.end());
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type.data()), 4);
  if (!data.empty()) crc = crc32(crc, data.data(), static_cast<uInt>(data.size()));
  out.resize(out.size() + 4);
  PutBE32(out, out.size() - 4, static_cast<std::uint32_t>(crc));
  return out;
}

// Where each chunk starts, and the end of the file.
std::vector<std::size_t> ChunkStarts(const Bytes& png) {
  std::vector<std::size_t> starts;
  for (std::size_t at = 8; at + 8 <= png.size(); at += 12 + GetBE32(png, at))
    starts.push_back(at);
  starts.push_back(png.size());
  return starts;
}

// A small valid 16 x 16 RGB PNG of our own.
Bytes ValidPng() {
  TBitmap display;
  BM16ToBitmap(display, TBMImage{16, 16, test::Pattern(512, 3)});
  std::vector<std::uint8_t> png;
  std::vector<std::uint8_t> scratch;
  EncodePng(display, png, scratch);
  return png;
}

// The valid PNG with `chunks` right after its header chunk.
Bytes WithChunksAfterHeader(const std::vector<Bytes>& chunks) {
  Bytes png = ValidPng();
  const std::size_t afterHeader = ChunkStarts(png)[1];
  Bytes out(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(afterHeader));
  for (const Bytes& c : chunks)
    out.insert(out.end(), c.begin(), c.end());
  out.insert(out.end(), png.begin() + static_cast<std::ptrdiff_t>(afterHeader), png.end());
  return out;
}

// A one-row PNG of `width` pixels: the header fields as given, then `row` (without its filter
// byte) as the image data.
Bytes OneRowPng(std::uint32_t width, std::uint8_t depth, std::uint8_t colourType, Bytes row) {
  Bytes fields(13, 0);
  PutBE32(fields, 0, width);
  PutBE32(fields, 4, 1);
  fields[8] = depth;
  fields[9] = colourType;
  row.insert(row.begin(), 0);  // no filter
  uLongf packedSize = compressBound(static_cast<uLong>(row.size()));
  Bytes packed(packedSize);
  EXPECT_EQ(compress(packed.data(), &packedSize, row.data(), static_cast<uLong>(row.size())), Z_OK);
  packed.resize(packedSize);
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  for (const Bytes& chunk : {Chunk("IHDR", fields), Chunk("IDAT", packed), Chunk("IEND", {})})
    png.insert(png.end(), chunk.begin(), chunk.end());
  return png;
}

std::optional<std::string> Decoded(const Bytes& png, int depth) {
  TSourceImage source;
  return DecodePngSource(png, depth, source);
}

TEST(TPngSources, DamagedFilesAreInvalid) {
  const Bytes png = ValidPng();
  ASSERT_EQ(Decoded(png, 16), std::nullopt);
  const std::vector<std::size_t> starts = ChunkStarts(png);
  for (const std::size_t cut : starts) {
    if (cut == png.size()) continue;
    for (const std::size_t at : {cut, cut + 5}) {
      EXPECT_EQ(Decoded(Bytes(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(at)), 16),
                kInvalidPNGFile)
          << "cut at " << at;
    }
  }
  const auto idat = std::find_if(starts.begin(), starts.end(), [&](std::size_t at) {
    return at + 8 <= png.size() &&
           std::string(png.begin() + static_cast<std::ptrdiff_t>(at) + 4,
                       png.begin() + static_cast<std::ptrdiff_t>(at) + 8) == "IDAT";
  });
  ASSERT_NE(idat, starts.end());
  for (const std::size_t chunk : {starts[0], *idat}) {  // header, first image data
    Bytes bad = png;
    bad[chunk + 8 + GetBE32(png, chunk) + 3] ^= 1;
    EXPECT_EQ(Decoded(bad, 16), kInvalidPNGFile) << "bad CRC of the chunk at " << chunk;
  }
  // A critical chunk the reader does not know.
  EXPECT_EQ(Decoded(WithChunksAfterHeader({Chunk("ZZZZ", {1, 2})}), 16), kInvalidPNGFile);
  Bytes notPng = png;
  notPng[1] = 'Q';
  EXPECT_EQ(Decoded(notPng, 8), kInvalidPNGFile);
  EXPECT_EQ(Decoded(Bytes{}, 8), kInvalidPNGFile);
}

TEST(TPngSources, HeaderSizesAreCheckedBeforeAnything) {
  const auto withSize = [](std::uint32_t w, std::uint32_t h, std::uint8_t colourType) {
    Bytes png = ValidPng();
    PutBE32(png, 16, w);
    PutBE32(png, 20, h);
    png[25] = colourType;
    const Bytes fields(png.begin() + 16, png.begin() + 29);
    const Bytes header = Chunk("IHDR", fields);
    std::copy(header.begin(), header.end(), png.begin() + 8);
    return png;
  };
  const auto tooLarge = [](const std::string& size, const std::string& bytes) {
    return "The PNG image is too large for a BM: it has " + size + " pixels, which take " + bytes +
           " bytes, and a BM image may take at most 1,000,001 bytes!";
  };
  EXPECT_EQ(Decoded(withSize(100000, 100000, 2), 16),
            tooLarge("100,000 x 100,000", "30,000,000,000"));
  EXPECT_EQ(Decoded(withSize(100000, 100000, 3), 8),
            tooLarge("100,000 x 100,000", "10,000,000,000"));
  // 1000 x 1000 indices fit an 8-bit BM; as 24-bit colours the rows of a 16-bit one do not.
  EXPECT_EQ(Decoded(withSize(1000, 1000, 2), 16), tooLarge("1,000 x 1,000", "3,000,000"));
  EXPECT_EQ(Decoded(withSize(1000, 1000, 3), 8), kInvalidPNGFile);  // past the size check
  EXPECT_EQ(Decoded(withSize(0, 16, 2), 16), kInvalidPNGFile);
  EXPECT_EQ(Decoded(withSize(16, 0, 2), 16), kInvalidPNGFile);
  EXPECT_EQ(Decoded(withSize(0x80000000u, 1, 2), 16), kInvalidPNGFile);
}

TEST(TPngSources, AncillaryChunksAreNeitherInflatedNorEndless) {
  // A compressed text of 16 MiB of zeros: skipped unread, the picture is taken.
  Bytes text(16u << 20, 0);
  uLongf packedSize = compressBound(static_cast<uLong>(text.size()));
  Bytes packed(packedSize);
  ASSERT_EQ(compress2(packed.data(), &packedSize, text.data(), static_cast<uLong>(text.size()), 9),
            Z_OK);
  packed.resize(packedSize);
  Bytes bomb = {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 0};
  bomb.insert(bomb.end(), packed.begin(), packed.end());
  EXPECT_EQ(Decoded(WithChunksAfterHeader({Chunk("zTXt", bomb)}), 16), std::nullopt);

  const Bytes note = Chunk("tEXt", {'a', 0, 'b'});
  // 1000 ancillary chunks are taken, 1001 refused, counting those of our own PNG.
  const Bytes png = ValidPng();
  const std::vector<std::size_t> starts = ChunkStarts(png);
  const auto own =
      static_cast<std::size_t>(std::count_if(starts.begin(), starts.end() - 1, [&](std::size_t at) {
        return (png[at + 4] & 0x20) != 0;  // a lower-case first letter
      }));
  EXPECT_EQ(Decoded(WithChunksAfterHeader(std::vector<Bytes>(1000 - own, note)), 16), std::nullopt);
  EXPECT_EQ(Decoded(WithChunksAfterHeader(std::vector<Bytes>(1001 - own, note)), 16),
            kInvalidPNGFile);
}

TEST(TPngSources, GreyBelowEightBitsAndTheHalfOpaqueRule) {
  // Grey of 1, 2 or 4 bits has no palette to give an 8-bit BM; 8-bit grey is its own.
  for (const std::uint8_t depth : {1, 2, 4}) {
    EXPECT_EQ(Decoded(OneRowPng(8, depth, 0, Bytes(depth, 0x5A)), 8), kPNGNot256Colour)
        << int{depth};
  }
  EXPECT_EQ(Decoded(OneRowPng(2, 8, 0, {1, 2}), 8), std::nullopt);

  // Red, green, blue, alpha: alpha 127 is clear, 128 is not.
  TSourceImage source;
  ASSERT_EQ(DecodePngSource(OneRowPng(2, 8, 6, {1, 2, 3, 127, 4, 5, 6, 128}), 16, source),
            std::nullopt);
  EXPECT_EQ(source.ClearPixels, (std::vector<std::uint32_t>{kBmpInfoHeaderSize}));
}

TEST(TPngSources, FilesAreReadWholeUpToTheirLimit) {
  test::TempDir dir;
  // Larger than any buffer of a stream reader.
  const auto large = dir.File("large.png");
  test::WriteFileBytes(large, WithChunksAfterHeader({Chunk("tEXt", Bytes(70000, 'a'))}));
  TSourceImage source;
  EXPECT_EQ(LoadPngFile(large, 16, source), std::nullopt);
  EXPECT_EQ(source.Bitmap.Width(), 16);
  // One byte over the limit; a sparse file takes no room on the disk.
  const auto huge = dir.File("huge.png");
  test::WriteFileBytes(huge, ValidPng());
  std::filesystem::resize_file(huge, (64u << 20) + 1);
  try {
    LoadPngFile(huge, 16, source);
    ADD_FAILURE() << "no error";
  } catch (const CodecError& e) {
    EXPECT_EQ(std::string(e.what()), "PNG file is too large: " + huge.string());
  }
}

}  // namespace
}  // namespace zarn
