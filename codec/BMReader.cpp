#include "codec/BMReader.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "codec/ByteSource.h"

namespace zarn {

using detail::LoadI32;

namespace {

// Reads a file's bytes in order; every read is checked against what is left.
class TByteCursor {
 public:
  explicit TByteCursor(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  // The next `count` bytes, or nothing (and no move) when fewer are left.
  std::optional<std::span<const std::uint8_t>> Take(std::size_t count) {
    if (count > bytes_.size() - pos_) return std::nullopt;
    const auto taken = bytes_.subspan(pos_, count);
    pos_ += count;
    return taken;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
};

std::optional<TBMPalette> TakePalette(TByteCursor& cursor) {
  const auto triples = cursor.Take(kPaletteTrailerSize);
  if (!triples) return std::nullopt;
  return PaletteFromTriples(triples->first<kPaletteTrailerSize>());
}

std::optional<TBMHeader> TakeHeader(TByteCursor& cursor) {
  const auto bytes = cursor.Take(kBMHeaderSize);
  if (!bytes) return std::nullopt;
  return TBMHeader::FromBytes(bytes->first<kBMHeaderSize>());
}

// Everything ReadBMFromBytes reads, held apart until the whole file has been accepted.
struct TReadBM {
  TBMHeader Header;
  std::vector<TBMImage> Images;
  std::optional<TBMPalette> Palette;
};

constexpr TRefusal kInvalidBM{.Reason = ERefusal::InvalidBM};

// The images of a BM whose header has been read, into `bm`.
std::optional<TRefusal> TakeImages(TByteCursor& cursor, std::size_t slots, TReadBM& bm) {
  const int bytesPerPixel = BytesPerPixel(bm.Header.BitsPerPixel);
  const std::int32_t count = bm.Header.ImageCount;
  if (count > 0 && static_cast<std::size_t>(count) > slots) {
    return TRefusal{.Reason = ERefusal::TooManyImages, .Count = count};
  }
  if (count > 0) bm.Images.resize(static_cast<std::size_t>(count));
  for (std::size_t i = 0; i < bm.Images.size(); ++i) {
    TBMImage& image = bm.Images[i];
    const auto size = cursor.Take(kImageRecordHeaderSize);
    if (!size) return kInvalidBM;
    image.Width = LoadI32(size->data());
    image.Height = LoadI32(size->data() + 4);
    if (image.Width < 0 || image.Height < 0) return kInvalidBM;
    if (!ImageWithinLimits(image.Width, image.Height, bm.Header.BitsPerPixel)) {
      return ImageTooLarge(EPictureName::BMImage, image.Width, image.Height,
                           bm.Header.BitsPerPixel, static_cast<std::int32_t>(i));
    }
    const auto pixels = cursor.Take(static_cast<std::size_t>(image.Width) *
                                    static_cast<std::size_t>(image.Height) *
                                    static_cast<std::size_t>(bytesPerPixel));
    if (!pixels) return kInvalidBM;
    image.Pixels.assign(pixels->begin(), pixels->end());
  }
  return std::nullopt;
}

}  // namespace

std::optional<TRefusal> ReadBMFromBytes(std::span<const std::uint8_t> bytes, TBMHeader& header,
                                        std::span<TBMImage> images, TBMPalette& palette) {
  TByteCursor cursor(bytes);
  TReadBM bm;
  const auto readHeader = TakeHeader(cursor);
  if (!readHeader || !readHeader->HasSignature()) return kInvalidBM;
  bm.Header = *readHeader;
  // No image record can be read without a defined pixel size: the header alone is kept.
  if (BytesPerPixel(bm.Header.BitsPerPixel) != 0) {
    if (auto refusal = TakeImages(cursor, images.size(), bm)) return refusal;
    if (bm.Header.PaletteMode == kPaletteModeIncluded) {
      bm.Palette = TakePalette(cursor);
      if (!bm.Palette) return kInvalidBM;
    }
  }
  header = bm.Header;
  for (std::size_t i = 0; i < bm.Images.size(); ++i)
    images[i] = std::move(bm.Images[i]);
  if (bm.Palette) palette = *bm.Palette;
  return std::nullopt;
}

std::optional<TRefusal> ReadCMPPaletteFromBytes(std::span<const std::uint8_t> bytes,
                                                TBMPalette& palette) {
  const TRefusal invalid{.Reason = ERefusal::InvalidCMP};
  if (!HasCMPMagic(bytes) || bytes.size() < kCMPHeaderSize) return invalid;
  TByteCursor cursor(bytes.subspan(kCMPHeaderSize));
  const auto read = TakePalette(cursor);
  if (!read) return invalid;
  palette = *read;
  return std::nullopt;
}

std::optional<TRefusal> ReadBMPaletteFromBytes(std::span<const std::uint8_t> bytes,
                                               TBMPalette& palette) {
  TByteCursor cursor(bytes);
  const auto header = TakeHeader(cursor);
  if (!header || !header->HasSignature()) return kInvalidBM;
  if (header->PaletteMode != kPaletteModeIncluded) {
    return TRefusal{.Reason = ERefusal::BMHasNoPalette};
  }
  // The palette is the file's last 768 bytes, wherever the images end.
  TByteCursor last(bytes.last(std::min(bytes.size(), kPaletteTrailerSize)));
  const auto read = TakePalette(last);
  if (!read) return kInvalidBM;
  palette = *read;
  return std::nullopt;
}

}  // namespace zarn
