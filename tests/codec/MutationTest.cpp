// Deterministic mutations of small valid files, fed through every reader: no crash (the
// sanitizers watch), no error other than CodecError, and what one stage accepts the next stage
// can handle (a BM that ReadBM accepts can be shown; a bitmap the writers accept is encoded and
// reads back).
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "PictureBytes.h"
#include "TestFiles.h"
#include "codec/BMReader.h"
#include "codec/BMWriter.h"
#include "codec/Display.h"
#include "codec/Errors.h"

namespace zarn {
namespace {

using test::Bytes;

// Changes a few bytes or one 32-bit field, mostly within the first `hot` bytes (the headers).
Bytes Mutate(Bytes b, std::mt19937& rng, std::size_t hot) {
  static constexpr std::uint32_t kValues[] = {
      0,   1,   2,    3,     8,          12,         16,         24,         40,      124,
      255, 256, 1000, 65536, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFFFFFE, 1000001, 0x40000000};
  const int edits = 1 + static_cast<int>(rng() % 3);
  for (int e = 0; e < edits && !b.empty(); ++e) {
    const std::size_t range = (rng() % 4 != 0) ? std::min(hot, b.size()) : b.size();
    const std::size_t at = rng() % range;
    switch (rng() % 4) {
      case 0:
        b[at] = static_cast<std::uint8_t>(rng());
        break;
      case 1:
        if (at + 4 <= b.size()) test::PutU32(b, at & ~std::size_t{1}, kValues[rng() % 20]);
        break;
      case 2:
        b.resize(at);  // truncate
        break;
      default:
        b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), static_cast<std::uint8_t>(rng()));
        break;
    }
  }
  return b;
}

TEST(HostileMutations, ReadBMIsAllOrNothingAndWhatItAcceptsCanBeShown) {
  test::BMFileParts s8;
  s8.Header.PaletteMode = 2;
  s8.Header.ImageCount = 2;
  s8.Images = {{3, 2, {1, 2, 3, 4, 5, 6}}, {2, 2, {7, 8, 9, 10}}};
  s8.Trailer = test::TestTriples();
  test::BMFileParts s16;
  s16.Header = test::Header16();
  s16.Header.ImageCount = 2;
  s16.Images = {{2, 1, {0, 0xF8, 0x1F, 0}}, {1, 2, {1, 2, 3, 4}}};
  const Bytes seeds[] = {test::MakeBM(s8), test::MakeBM(s16)};

  std::mt19937 rng(12345);
  int accepted = 0;
  for (int i = 0; i < 4000; ++i) {
    const Bytes file = Mutate(seeds[i % 2], rng, 160);
    TBMHeader header{};
    header.ImageCount = 777;
    std::array<TBMImage, kMaxImages> images{};
    images[0].Width = 555;
    TBMPalette palette{};
    palette[0].Red = 99;
    if (ReadBMFromBytes(file, header, images, palette)) {
      ASSERT_EQ(header.ImageCount, 777) << "iteration " << i;
      ASSERT_EQ(images[0].Width, 555) << "iteration " << i;
      ASSERT_EQ(palette[0].Red, 99) << "iteration " << i;
      continue;
    }
    ++accepted;
    const int bytes = BytesPerPixel(header.BitsPerPixel);
    for (std::int32_t k = 0; bytes != 0 && k < std::min(header.ImageCount, kMaxImages); ++k) {
      const TBMImage& image = images[static_cast<std::size_t>(k)];
      TBitmap shown;
      if (bytes == 1) {
        ASSERT_NO_THROW(BM8ToBitmap(shown, image, palette)) << "iteration " << i;
      } else {
        ASSERT_NO_THROW(BM16ToBitmap(shown, image)) << "iteration " << i;
      }
      ASSERT_EQ(shown.Width(), image.Width);
    }
  }
  EXPECT_GT(accepted, 100) << "the mutations should leave many files readable";
}

TEST(HostileMutations, BitmapsLoadDecodeAndEncodeSafely) {
  test::BmpParts plain8;
  plain8.BitCount = 8;
  plain8.Width = 5;
  plain8.Height = 3;
  plain8.Pixels = test::Pattern(15);
  plain8.Colours = test::TestColours(16);
  test::BmpParts rle = plain8;
  rle.Compression = 1;
  test::Rle8Writer w;
  w.Run(3, 1).Absolute(Bytes{4, 5, 6}).EndOfLine().Delta(1, 1).Run(2, 9).EndOfBitmap();
  rle.RawPixelData = w.Data();
  test::BmpParts plain24;
  plain24.BitCount = 24;
  plain24.Width = 3;
  plain24.Height = 2;
  plain24.Pixels = test::Pattern(18);
  plain24.TopDown = true;
  test::BmpParts core = plain8;
  core.InfoSize = 12;
  const Bytes seeds[] = {test::MakeBmp(plain8), test::MakeBmp(rle), test::MakeBmp(plain24),
                         test::MakeBmp(core)};

  std::mt19937 rng(777);
  int encoded = 0;
  for (int i = 0; i < 6000; ++i) {
    const Bytes file = Mutate(seeds[i % 4], rng, 60);
    TBitmap bitmap;
    try {
      bitmap.LoadFromBmpStream(file);
    } catch (const CodecError&) {
      continue;
    }
    std::vector<std::uint8_t> scratch;
    try {
      const TPicture picture = bitmap.Picture(scratch);
      ASSERT_EQ(picture.Width, bitmap.Width());
      ASSERT_EQ(picture.Height, bitmap.Height());
      std::uint32_t sum = 0;
      for (std::uint8_t v : test::PictureBytes(picture))
        sum += v;
      (void)sum;
    } catch (const CodecError&) {
    }
    for (int depth : {8, 16}) {
      if (CheckWritable(bitmap, depth)) continue;
      const TBitmap* sources[] = {&bitmap};
      Bytes out;
      if (depth == 8) {
        ASSERT_NO_THROW(EncodeBM8(out, sources, 1, 2, 3, true)) << "iteration " << i;
      } else {
        ASSERT_NO_THROW(EncodeBM16(out, sources, 1, 2, 3, 4, 5)) << "iteration " << i;
      }
      TBMHeader header{};
      std::array<TBMImage, kMaxImages> images{};
      TBMPalette palette{};
      ASSERT_EQ(ReadBMFromBytes(out, header, images, palette), std::nullopt) << "iteration " << i;
      ASSERT_EQ(images[0].Width, bitmap.Width());
      ASSERT_EQ(images[0].Height, bitmap.Height());
      ++encoded;
    }
  }
  EXPECT_GT(encoded, 100) << "the mutations should leave many sources writable";
}

}  // namespace
}  // namespace zarn
