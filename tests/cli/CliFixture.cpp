#include "CliFixture.h"

#include <algorithm>
#include <filesystem>

#include "PictureBytes.h"
#include "codec/Display.h"

namespace zarn::test {

namespace {

BMImageParts Image(std::int32_t width, std::int32_t height, int bytesPerPixel, std::uint8_t seed) {
  const auto count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                     static_cast<std::size_t>(bytesPerPixel);
  return BMImageParts{width, height, Pattern(count, seed)};
}

BMFileParts Files8(bool palette, std::vector<BMImageParts> images) {
  BMFileParts bm;
  bm.Header.PaletteMode = palette ? 2 : 1;
  bm.Header.ImageCount = static_cast<std::int32_t>(images.size());
  bm.Images = std::move(images);
  if (palette) bm.Trailer = TestTriples(9);
  return bm;
}

BMFileParts Files16(std::vector<BMImageParts> images) {
  BMFileParts bm;
  bm.Header = Header16();
  bm.Header.ImageCount = static_cast<std::int32_t>(images.size());
  bm.Images = std::move(images);
  return bm;
}

}  // namespace

BMFileParts SampleBMs::Paletted8() {
  BMFileParts bm = Files8(true, {Image(4, 2, 1, 1), Image(3, 3, 1, 2), Image(5, 1, 1, 3)});
  bm.Header.XOffset = 5;
  bm.Header.YOffset = -3;
  return bm;
}

BMFileParts SampleBMs::Unpaletted8() {
  return Files8(false, {Image(6, 2, 1, 4), Image(2, 5, 1, 5)});
}

BMFileParts SampleBMs::Colour16() {
  return Files16({Image(7, 3, 2, 6)});
}

BMFileParts SampleBMs::Colour16Multi() {
  return Files16({Image(3, 2, 2, 7), Image(2, 4, 2, 8)});
}

BMFileParts SampleBMs::Deep() {
  BMFileParts bm;
  bm.Header.BitsPerPixel = 24;
  bm.Header.ImageCount = 2;
  return bm;
}

BMFileParts SampleBMs::Empty8() {
  return Files8(true, {});
}

TBMPalette PaletteOf(const Bytes& triples) {
  return PaletteFromTriples(
      std::span<const std::uint8_t, kPaletteTrailerSize>(triples.data(), kPaletteTrailerSize));
}

TBitmap DisplayBitmap(const BMFileParts& bm, std::size_t index, const TBMPalette* palette) {
  const BMImageParts& option = bm.Images.at(index);
  const TBMImage image{option.Width, option.Height, option.Pixels};
  TBitmap bitmap;
  if (bm.Header.BitsPerPixel == 16) {
    BM16ToBitmap(bitmap, image);
  } else {
    BM8ToBitmap(bitmap, image, palette != nullptr ? *palette : PaletteOf(*bm.Trailer));
  }
  return bitmap;
}

Bytes ExportedBmp(const BMFileParts& bm, std::size_t index, const TBMPalette* palette) {
  return Saved(DisplayBitmap(bm, index, palette));
}

Bytes RgbPixels(const TBitmap& bitmap) {
  std::vector<std::uint8_t> scratch;
  const TPicture picture = bitmap.Picture(scratch);
  Bytes rgb;
  for (std::int32_t y = 0; y < picture.Height; ++y) {
    const auto row = picture.Row(y);
    for (std::int32_t x = 0; x < picture.Width; ++x) {
      const auto at = static_cast<std::size_t>(x);
      if (picture.BitCount == 8) {
        const TRGBQuad& colour = picture.Colours[row[at]];
        rgb.insert(rgb.end(), {colour.Red, colour.Green, colour.Blue});
      } else {
        rgb.insert(rgb.end(), {row[3 * at + 2], row[3 * at + 1], row[3 * at]});
      }
    }
  }
  return rgb;
}

std::string CliTest::Put(const std::string& name, const Bytes& bytes) {
  const std::filesystem::path path = work_.File(name);
  std::filesystem::create_directories(path.parent_path());
  WriteFileBytes(path, bytes);
  return name;
}

bool CliTest::Exists(const std::string& name) const {
  return std::filesystem::exists(work_.File(name));
}

std::vector<std::string> CliTest::Tree() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(work_.Path())) {
    names.push_back(entry.path().lexically_relative(work_.Path()).generic_string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string Describe(const CliResult& result) {
  return "exit status " + std::to_string(result.Status) + "\n--- stdout ---\n" + result.Out +
         "--- stderr ---\n" + result.Err;
}

}  // namespace zarn::test
