#include "codec/BMFormat.h"

#include <algorithm>

#include "codec/ByteSource.h"

namespace zarn {

using detail::LoadI32;
using detail::StoreI32;

namespace {
// Offsets of the header's int32 fields after the signature, in order.
constexpr std::size_t kFieldsStart = 4;
constexpr std::size_t kTransparentOffset = 28;
constexpr std::size_t kColourModeOffset = 32;
constexpr std::size_t kReserved2Offset = 76;
}  // namespace

TBMHeader TBMHeader::FromBytes(std::span<const std::uint8_t, kBMHeaderSize> b) {
  TBMHeader h;
  const std::uint8_t* p = b.data();
  std::copy_n(p, 4, h.Signature.begin());
  std::int32_t* const before[] = {&h.HeaderConstant, &h.Reserved1, &h.PaletteMode,
                                  &h.ImageCount,     &h.XOffset,   &h.YOffset};
  std::size_t at = kFieldsStart;
  for (std::int32_t* field : before) {
    *field = LoadI32(p + at);
    at += 4;
  }
  std::copy_n(p + kTransparentOffset, 4, h.TransparentColour.begin());
  std::int32_t* const after[] = {&h.ColourMode, &h.BitsPerPixel, &h.RedBits,    &h.GreenBits,
                                 &h.BlueBits,   &h.RedShift,     &h.GreenShift, &h.BlueShift,
                                 &h.RedLoss,    &h.GreenLoss,    &h.BlueLoss};
  at = kColourModeOffset;
  for (std::int32_t* field : after) {
    *field = LoadI32(p + at);
    at += 4;
  }
  for (std::size_t i = 0; i < h.Reserved2.size(); ++i) {
    h.Reserved2[i] = LoadI32(p + kReserved2Offset + 4 * i);
  }
  return h;
}

std::array<std::uint8_t, kBMHeaderSize> TBMHeader::ToBytes() const {
  std::array<std::uint8_t, kBMHeaderSize> b{};
  std::uint8_t* p = b.data();
  std::copy(Signature.begin(), Signature.end(), p);
  const std::int32_t before[] = {HeaderConstant, Reserved1, PaletteMode,
                                 ImageCount,     XOffset,   YOffset};
  std::size_t at = kFieldsStart;
  for (std::int32_t v : before) {
    StoreI32(p + at, v);
    at += 4;
  }
  std::copy(TransparentColour.begin(), TransparentColour.end(), p + kTransparentOffset);
  const std::int32_t after[] = {ColourMode, BitsPerPixel, RedBits, GreenBits, BlueBits, RedShift,
                                GreenShift, BlueShift,    RedLoss, GreenLoss, BlueLoss};
  at = kColourModeOffset;
  for (std::int32_t v : after) {
    StoreI32(p + at, v);
    at += 4;
  }
  for (std::size_t i = 0; i < Reserved2.size(); ++i) {
    StoreI32(p + kReserved2Offset + 4 * i, Reserved2[i]);
  }
  return b;
}

bool TBMHeader::HasSignature() const {
  return Signature[0] == 'B' && Signature[1] == 'M' && Signature[2] == ' ';
}

namespace {

// A whole number with its digits grouped by threes: 1000001 gives "1,000,001".
std::string GroupedDigits(std::int64_t value) {
  const std::string digits = std::to_string(value < 0 ? -value : value);
  std::string grouped = value < 0 ? "-" : "";
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

// Each side alone within the limit keeps every product of ImageBytes() within 64 bits, and
// refuses an image with one side 0 and the other huge, whose every reader would walk the rows.
bool SidesWithinLimit(std::int32_t width, std::int32_t height) {
  return width <= kMaxImageBytes && height <= kMaxImageBytes;
}

// The bytes an image of this size takes where it takes most: its pixel data, or the padded rows
// of its display bitmap. Never overflows while SidesWithinLimit().
std::int64_t ImageBytes(std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel) {
  const int bytes = BytesPerPixel(bitsPerPixel);
  const std::int64_t pixelBytes = std::int64_t{width} * height * bytes;
  // The display bitmap holds 8-bit indices or 24-bit colours.
  const std::int64_t displayRows = PaddedRowSize(width, bytes == 1 ? 1 : 3) * height;
  return std::max(pixelBytes, displayRows);
}
}  // namespace

bool ImageWithinLimits(std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel) {
  if (BytesPerPixel(bitsPerPixel) == 0 || width < 0 || height < 0) return false;
  return SidesWithinLimit(width, height) &&
         ImageBytes(width, height, bitsPerPixel) <= kMaxImageBytes;
}

std::string ImageTooLargeText(std::string_view subject, std::int32_t width, std::int32_t height,
                              std::int32_t bitsPerPixel) {
  std::string text = std::string(subject) + " is too large for a BM: it has " +
                     GroupedDigits(width) + " x " + GroupedDigits(height) + " pixels, ";
  if (SidesWithinLimit(width, height) && width >= 0 && height >= 0) {
    text += "which take " + GroupedDigits(ImageBytes(width, height, bitsPerPixel)) + " bytes, ";
  }
  return text + "and a BM image may take at most " + GroupedDigits(kMaxImageBytes) + " bytes";
}

TBMPalette PaletteFromTriples(std::span<const std::uint8_t, kPaletteTrailerSize> triples) {
  TBMPalette palette;
  for (std::size_t i = 0; i < palette.size(); ++i) {
    palette[i].Red = triples[3 * i];
    palette[i].Green = triples[3 * i + 1];
    palette[i].Blue = triples[3 * i + 2];
    palette[i].Reserved = 0;
  }
  return palette;
}

}  // namespace zarn
