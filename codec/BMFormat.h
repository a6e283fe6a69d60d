// The BM and CMP file formats: the 128-byte BM header, the image record, the 256-colour
// palette, and the limits every reader and writer of this program works within.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zarn {

// A document holds this many image slots; a BM with more images cannot be shown.
inline constexpr int kMaxImages = 21;
// An image is handled only while its pixel data, and the padded BMP rows needed to show it,
// each fit in this many bytes (1000 x 1000 at 8 bits, 577 x 577 at 16 bits).
inline constexpr std::int64_t kMaxImageBytes = 1'000'001;

inline constexpr std::size_t kBMHeaderSize = 128;
inline constexpr std::size_t kImageRecordHeaderSize = 8;  // Width and Height
inline constexpr int kPaletteEntries = 256;
inline constexpr std::size_t kPaletteTrailerSize = 3 * kPaletteEntries;  // red, green, blue
inline constexpr std::size_t kCMPHeaderSize = 64;
// A CMP file holds its palette at bytes kCMPHeaderSize to kCMPPaletteEnd - 1.
inline constexpr std::size_t kCMPPaletteEnd = kCMPHeaderSize + kPaletteTrailerSize;
inline constexpr std::int32_t kPaletteModeIncluded = 2;

// True when `bytes` begin with the BM signature "BM " (the fourth byte is not examined).
bool HasBMSignature(std::span<const std::uint8_t> bytes);
// True when `bytes` begin with the CMP magic "CMP ".
bool HasCMPMagic(std::span<const std::uint8_t> bytes);

// One colour in the order of a Windows BMP colour table.
struct TRGBQuad {
  std::uint8_t Blue = 0;
  std::uint8_t Green = 0;
  std::uint8_t Red = 0;
  std::uint8_t Reserved = 0;
  friend bool operator==(const TRGBQuad&, const TRGBQuad&) = default;
};
static_assert(sizeof(TRGBQuad) == 4);

using TBMPalette = std::array<TRGBQuad, kPaletteEntries>;

// The BM header, field by field as stored. Every field is 4 bytes, little-endian in the file.
struct TBMHeader {
  std::array<std::uint8_t, 4> Signature{};  // "BM " and one more byte
  std::int32_t HeaderConstant = 0;
  std::int32_t Reserved1 = 0;
  std::int32_t PaletteMode = 0;  // 2: a 768-byte palette trailer follows the last image
  std::int32_t ImageCount = 0;   // signed; 0 or less means no image records
  std::int32_t XOffset = 0;
  std::int32_t YOffset = 0;
  std::array<std::uint8_t, 4> TransparentColour{};  // index (8-bit) or RGB565 low, high (16-bit)
  std::int32_t ColourMode = 0;
  std::int32_t BitsPerPixel = 0;  // 8 or 16; other values leave the images unreadable
  std::int32_t RedBits = 0;
  std::int32_t GreenBits = 0;
  std::int32_t BlueBits = 0;
  std::int32_t RedShift = 0;
  std::int32_t GreenShift = 0;
  std::int32_t BlueShift = 0;
  std::int32_t RedLoss = 0;
  std::int32_t GreenLoss = 0;
  std::int32_t BlueLoss = 0;
  std::array<std::int32_t, 13> Reserved2{};

  // Parses the 128 stored bytes; every byte is kept, whatever it holds.
  static TBMHeader FromBytes(std::span<const std::uint8_t, kBMHeaderSize> bytes);
  std::array<std::uint8_t, kBMHeaderSize> ToBytes() const;
  // True when the first three bytes are "BM " (the fourth is not examined).
  bool HasSignature() const { return HasBMSignature(Signature); }

  friend bool operator==(const TBMHeader&, const TBMHeader&) = default;
};
static_assert(sizeof(TBMHeader) == kBMHeaderSize, "TBMHeader must mirror the 128 stored bytes");

// One image: its size and its pixel bytes exactly as stored (rows top to bottom, unpadded).
struct TBMImage {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::vector<std::uint8_t> Pixels;
  friend bool operator==(const TBMImage&, const TBMImage&) = default;
};

// Bytes per pixel of a BM image: 1 for 8 bits, 2 for 16 bits, 0 for any other value.
constexpr int BytesPerPixel(std::int32_t bitsPerPixel) {
  return bitsPerPixel == 8 ? 1 : bitsPerPixel == 16 ? 2 : 0;
}

// Bytes of one BMP row of `width` pixels of `bytesPerPixel` each, padded to a multiple of 4.
// Computed in 64 bits: never overflows for any 32-bit width.
constexpr std::int64_t PaddedRowSize(std::int64_t width, int bytesPerPixel) {
  return (width * bytesPerPixel + 3) / 4 * 4;
}

// Bytes per pixel of the display bitmap of a BM image: 1 for 8 bits (indices), 3 for 16 bits
// (24-bit colours), 0 for any other value.
constexpr int ShownBytesPerPixel(std::int32_t bitsPerPixel) {
  return bitsPerPixel == 8 ? 1 : bitsPerPixel == 16 ? 3 : 0;
}

// True when neither side is longer than kMaxImageBytes: then every product of the sizes fits
// in 64 bits, and an image with one side 0 and the other huge, whose every reader would walk
// the rows, is refused.
constexpr bool SidesWithinLimit(std::int64_t width, std::int64_t height) {
  return width <= kMaxImageBytes && height <= kMaxImageBytes;
}

// True when an image of this size can be held and shown: non-negative sides within
// SidesWithinLimit(), a depth of 8 or 16 bits, and the padded rows of its display bitmap within
// kMaxImageBytes. Its pixel data is never larger than those rows, so it fits too.
bool ImageWithinLimits(std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel);

// The largest BM file: the header, kMaxImages records of kMaxImageBytes, and the palette.
inline constexpr std::int64_t kMaxBMFileBytes =
    static_cast<std::int64_t>(kBMHeaderSize + kPaletteTrailerSize) +
    kMaxImages * (static_cast<std::int64_t>(kImageRecordHeaderSize) + kMaxImageBytes);
// A source picture's file (BMP or PNG) is read whole up to this size: far more than the largest
// picture a BM image can come from, with room for the metadata editors embed.
inline constexpr std::int64_t kMaxSourceFileBytes = std::int64_t{64} << 20;

// A 768-byte palette of red, green, blue triples (BM trailer, CMP) as a colour table.
TBMPalette PaletteFromTriples(std::span<const std::uint8_t, kPaletteTrailerSize> triples);

}  // namespace zarn
