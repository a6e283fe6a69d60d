#include "codec/ColourSource.h"

#include <bit>
#include <utility>
#include <vector>

#include "codec/Bitmap.h"
#include "codec/ByteSource.h"
#include "codec/Errors.h"
#include "codec/Messages.h"

namespace zarn {

using detail::LoadU32;

namespace {

constexpr std::uint32_t kBmpBitFields = 3;
constexpr std::uint32_t kBmpAlphaBitFields = 6;
constexpr std::size_t kMasksAt = kBmpFileHeaderSize + kBmpInfoHeaderSize;  // red, green, blue, alpha
constexpr std::size_t kAlphaMaskInHeader = 56;  // info headers of this size and up hold one

// One channel of a 32-bit pixel, by its mask, widened or narrowed to 8 bits.
struct TChannel {
  std::uint32_t Mask = 0;
  int Shift = 0;
  int Bits = 0;

  explicit TChannel(std::uint32_t mask)
      : Mask(mask), Shift(mask == 0 ? 0 : std::countr_zero(mask)), Bits(std::popcount(mask)) {}
  std::uint8_t Of(std::uint32_t pixel, std::uint8_t absent) const {
    if (Bits == 0) return absent;
    const std::uint32_t v = (pixel & Mask) >> Shift;
    if (Bits >= 8) return static_cast<std::uint8_t>(v >> (Bits - 8));
    return static_cast<std::uint8_t>(v * 255u / ((1u << Bits) - 1u));
  }
};

std::uint32_t MaskAt(std::span<const std::uint8_t> bytes, std::size_t at, std::uint32_t absent) {
  return at + 4 <= bytes.size() ? LoadU32(bytes.data() + at) : absent;
}

// The masks of a 32-bit BMP: those of its header for bit-field compression, else 8 bits each
// in the order blue, green, red; the alpha mask only where the header has one.
std::array<TChannel, 4> Channels(std::span<const std::uint8_t> bytes, const TBmpLayout& l) {
  std::uint32_t red = 0x00FF0000u, green = 0x0000FF00u, blue = 0x000000FFu, alpha = 0;
  const bool fields = l.Compression == kBmpBitFields || l.Compression == kBmpAlphaBitFields;
  if (fields) {
    red = MaskAt(bytes, kMasksAt, 0);
    green = MaskAt(bytes, kMasksAt + 4, 0);
    blue = MaskAt(bytes, kMasksAt + 8, 0);
  }
  if (l.InfoSize >= kAlphaMaskInHeader ||
      (l.InfoSize == kBmpInfoHeaderSize && l.Compression == kBmpAlphaBitFields)) {
    alpha = MaskAt(bytes, kMasksAt + 12, 0);
  }
  return {TChannel(blue), TChannel(green), TChannel(red), TChannel(alpha)};
}

std::optional<std::string> DecodeBmp(std::span<const std::uint8_t> bytes,
                                     std::int32_t bitsPerPixel, TColourPicture& out) {
  TBitmap bitmap;
  try {
    bitmap.LoadFromBmpStream(bytes);
  } catch (const CodecError&) {
    return std::string(kInvalidBMPFile);
  }
  if (bitmap.Empty()) return std::string(kInvalidBMPFile);
  const TBmpLayout& l = bitmap.Layout();
  if (!IsColourSourceBitCount(l.BitCount)) return std::string(kBMPNotMappable);
  if (!ImageWithinLimits(l.Width, l.Height, bitsPerPixel)) {
    return ImageTooLargeText("The BMP image", l.Width, l.Height, bitsPerPixel) + "!";
  }
  const auto width = static_cast<std::size_t>(l.Width);
  const auto height = static_cast<std::size_t>(l.Height);
  TColourPicture picture{l.Width, l.Height, std::vector<std::uint8_t>(4 * width * height)};
  std::uint8_t* dst = picture.Pixels.data();

  if (l.BitCount == 32) {
    const bool fields = l.Compression == kBmpBitFields || l.Compression == kBmpAlphaBitFields;
    if (l.Compression != kBmpUncompressed && !fields) {
      return std::string(kUnsupportedCompression) + "!";
    }
    const auto channels = Channels(bytes, l);
    const std::uint8_t* rows = bitmap.StoredForm().data() + l.PixelOffset;
    for (std::size_t y = 0; y < height; ++y) {
      const std::size_t stored = l.TopDown ? y : height - 1 - y;
      const std::uint8_t* src = rows + stored * static_cast<std::size_t>(l.RowSize);
      for (std::size_t x = 0; x < width; ++x, src += 4, dst += 4) {
        const std::uint32_t pixel = LoadU32(src);
        for (std::size_t c = 0; c < 4; ++c)
          dst[c] = channels[c].Of(pixel, 255);
      }
    }
  } else {
    std::vector<std::uint8_t> scratch;
    TPicture source;
    try {
      source = bitmap.Picture(scratch);
    } catch (const CodecError& e) {
      return std::string(e.what()) + "!";
    }
    for (std::int32_t y = 0; y < source.Height; ++y) {
      const std::uint8_t* src = source.Row(y).data();
      for (std::size_t x = 0; x < width; ++x, dst += 4) {
        if (source.BitCount == 8) {
          const TRGBQuad& c = source.Colours[src[x]];
          dst[0] = c.Blue;
          dst[1] = c.Green;
          dst[2] = c.Red;
        } else {
          dst[0] = src[3 * x];
          dst[1] = src[3 * x + 1];
          dst[2] = src[3 * x + 2];
        }
        dst[3] = 255;
      }
    }
  }
  out = std::move(picture);
  return std::nullopt;
}

}  // namespace

bool IsColourSourceBitCount(std::uint16_t bitCount) {
  return bitCount == 8 || bitCount == 24 || bitCount == 32;
}

std::optional<std::string> DecodeColourSource(std::span<const std::uint8_t> bytes,
                                              std::int32_t bitsPerPixel, TColourPicture& out) {
  if (HasPngSignature(bytes)) return DecodePngBgra(bytes, bitsPerPixel, out);
  return DecodeBmp(bytes, bitsPerPixel, out);
}

}  // namespace zarn
