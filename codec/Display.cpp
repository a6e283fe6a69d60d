#include "codec/Display.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "codec/ByteSource.h"
#include "codec/Errors.h"
#include "codec/PixelRows.h"
#include "codec/Refusal.h"

namespace zarn {

using detail::StoreI32;
using detail::StoreU16;
using detail::StoreU32;

namespace {

constexpr std::size_t kColourTableBytes = 4 * kPaletteEntries;

void CheckImage(const TBMImage& image, std::int32_t bitsPerPixel) {
  if (!ImageWithinLimits(image.Width, image.Height, bitsPerPixel)) {
    throw CodecError(
        RefusalText(ImageTooLarge(EPictureName::Image, image.Width, image.Height, bitsPerPixel)));
  }
  const auto expected = static_cast<std::size_t>(image.Width) *
                        static_cast<std::size_t>(image.Height) *
                        static_cast<std::size_t>(BytesPerPixel(bitsPerPixel));
  if (image.Pixels.size() != expected) throw CodecError("Image data is incomplete");
}

}  // namespace

TStandardForm StartStandardForm(std::vector<std::uint8_t>& stored, std::int32_t width,
                                std::int32_t height, const TBMPalette* colours) {
  const std::size_t bytesPerPixel = colours != nullptr ? 1 : 3;
  const std::size_t pixelBytes = static_cast<std::size_t>(width) * bytesPerPixel;
  TStandardForm form;
  form.PixelsAt = kBmpInfoHeaderSize + (colours != nullptr ? kColourTableBytes : 0);
  form.RowSize = static_cast<std::size_t>(PaddedRowSize(width, static_cast<int>(bytesPerPixel)));
  form.Height = static_cast<std::size_t>(height);
  const std::size_t imageSize = form.RowSize * form.Height;
  stored.resize(form.PixelsAt + imageSize);

  std::uint8_t* p = stored.data();
  StoreU32(p, static_cast<std::uint32_t>(kBmpInfoHeaderSize));
  StoreI32(p + 4, width);
  StoreI32(p + 8, height);
  StoreU16(p + 12, 1);
  StoreU16(p + 14, static_cast<std::uint16_t>(8 * bytesPerPixel));
  StoreU32(p + 16, kBmpUncompressed);
  StoreU32(p + 20, static_cast<std::uint32_t>(imageSize));
  StoreU32(p + 24, 0);
  StoreU32(p + 28, 0);
  const std::uint32_t tableEntries = colours != nullptr ? kPaletteEntries : 0;
  StoreU32(p + 32, tableEntries);
  StoreU32(p + 36, tableEntries);
  static_assert(sizeof(TBMPalette) == kColourTableBytes);
  if (colours != nullptr) std::memcpy(p + kBmpInfoHeaderSize, colours->data(), kColourTableBytes);
  const std::size_t padding = form.RowSize - pixelBytes;
  for (std::size_t y = 0; y < form.Height && padding > 0; ++y)
    std::memset(p + form.PixelsAt + y * form.RowSize + pixelBytes, 0, padding);
  return form;
}

void BM8ToBitmap(TBitmap& bitmap, const TBMImage& image, const TBMPalette& palette) {
  CheckImage(image, 8);
  const auto width = static_cast<std::size_t>(image.Width);
  // The previous picture's memory is reused; every byte of it is written, padding too. Should
  // the memory run out, the bitmap is left empty.
  std::vector<std::uint8_t> out = bitmap.ReleaseStoredForm();
  const TStandardForm form = StartStandardForm(out, image.Width, image.Height, &palette);
  const std::uint8_t* src = image.Pixels.data();
  // Bottom row first, as the rows are stored: the faster way through memory.
  for (std::size_t y = form.Height; y-- > 0 && width > 0;)
    std::memcpy(out.data() + form.RowAt(y), src + y * width, width);
  bitmap.AdoptStoredForm(std::move(out));
}

void BM16ToBitmap(TBitmap& bitmap, const TBMImage& image) {
  CheckImage(image, 16);
  const auto width = static_cast<std::size_t>(image.Width);
  std::vector<std::uint8_t> out = bitmap.ReleaseStoredForm();
  const TStandardForm form = StartStandardForm(out, image.Width, image.Height, nullptr);
  const std::uint8_t* src = image.Pixels.data();
  for (std::size_t y = 0; y < form.Height; ++y)
    detail::Rgb565RowToBgr(src + y * width * 2, out.data() + form.RowAt(y), width);
  bitmap.AdoptStoredForm(std::move(out));
}

TBMPalette GreyRamp() {
  TBMPalette grey{};
  for (std::size_t i = 0; i < grey.size(); ++i) {
    const auto level = static_cast<std::uint8_t>(i);
    grey[i] = TRGBQuad{level, level, level, 0};
  }
  return grey;
}

TFitSize FitWithin(std::int32_t width, std::int32_t height, std::int32_t box) {
  // The longer side becomes `box`; the shorter one is scaled by the same factor, rounded.
  const std::int64_t w = width, h = height, b = box;
  if (w >= h)
    return {box, static_cast<std::int32_t>(std::max<std::int64_t>(1, (h * b + w / 2) / w))};
  return {static_cast<std::int32_t>(std::max<std::int64_t>(1, (w * b + h / 2) / h)), box};
}

namespace {

// The source pixels [First, Last) that one target pixel covers along one side. Growing, each
// span is the one source pixel under the target pixel's start; shrinking, every source pixel
// that starts inside the target pixel.
struct TSpan {
  std::size_t First = 0;
  std::size_t Last = 0;
};

std::vector<TSpan> SpansAlong(std::int32_t from, std::int32_t to) {
  std::vector<TSpan> spans(static_cast<std::size_t>(to));
  const auto n = static_cast<std::uint64_t>(from), m = static_cast<std::uint64_t>(to);
  for (std::uint64_t i = 0; i < m; ++i) {
    const auto first = static_cast<std::size_t>(i * n / m);
    const auto last = std::max(first + 1, static_cast<std::size_t>((i + 1) * n / m));
    spans[static_cast<std::size_t>(i)] = {first, last};
  }
  return spans;
}

}  // namespace

void ScaleToFit(const TBitmap& source, std::int32_t box, TBitmap& out,
                std::vector<std::uint8_t>& scratch) {
  if (box < 1 || box > kMaxFitBox) throw CodecError("Size out of range");
  const TPicture picture = source.Picture(scratch);
  if (picture.Width < 1 || picture.Height < 1) {
    throw CodecError(RefusalText(NoPixels(EPictureName::Image)));
  }
  const TFitSize size = FitWithin(picture.Width, picture.Height, box);
  const std::vector<TSpan> columns = SpansAlong(picture.Width, size.Width);
  const std::vector<TSpan> rows = SpansAlong(picture.Height, size.Height);
  const auto width = static_cast<std::size_t>(size.Width);

  std::vector<std::uint8_t> stored = out.ReleaseStoredForm();
  const TStandardForm form = StartStandardForm(stored, size.Width, size.Height, nullptr);
  const bool indexed = picture.BitCount == 8;
  for (std::size_t y = 0; y < rows.size(); ++y) {
    std::uint8_t* dst = stored.data() + form.RowAt(y);
    for (std::size_t x = 0; x < width; ++x) {
      std::uint64_t sum[3] = {0, 0, 0};
      for (std::size_t sy = rows[y].First; sy < rows[y].Last; ++sy) {
        const std::span<const std::uint8_t> row = picture.Row(static_cast<std::int32_t>(sy));
        for (std::size_t sx = columns[x].First; sx < columns[x].Last; ++sx) {
          if (indexed) {
            const TRGBQuad& c = picture.Colours[row[sx]];
            sum[0] += c.Blue;
            sum[1] += c.Green;
            sum[2] += c.Red;
          } else {
            for (std::size_t k = 0; k < 3; ++k)
              sum[k] += row[3 * sx + k];
          }
        }
      }
      const std::uint64_t count =
          (rows[y].Last - rows[y].First) * (columns[x].Last - columns[x].First);
      for (std::size_t k = 0; k < 3; ++k)
        dst[3 * x + k] = static_cast<std::uint8_t>((sum[k] + count / 2) / count);
    }
  }
  out.AdoptStoredForm(std::move(stored));
}

}  // namespace zarn
