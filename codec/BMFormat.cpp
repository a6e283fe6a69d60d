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

namespace {
bool StartsWith(std::span<const std::uint8_t> bytes, std::string_view magic) {
  return bytes.size() >= magic.size() && std::equal(magic.begin(), magic.end(), bytes.begin());
}
}  // namespace

bool HasBMSignature(std::span<const std::uint8_t> bytes) {
  return StartsWith(bytes, "BM ");
}

bool HasCMPMagic(std::span<const std::uint8_t> bytes) {
  return StartsWith(bytes, "CMP ");
}

bool ImageWithinLimits(std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel) {
  const int shown = ShownBytesPerPixel(bitsPerPixel);
  if (shown == 0 || width < 0 || height < 0 || !SidesWithinLimit(width, height)) return false;
  return PaddedRowSize(width, shown) * height <= kMaxImageBytes;
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
