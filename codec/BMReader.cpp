#include "codec/BMReader.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "codec/ByteSource.h"

namespace zarn {

using detail::LoadI32;
using detail::TByteSource;
using detail::TMemorySource;

namespace {

constexpr std::array<std::uint8_t, 4> kCMPMagic = {'C', 'M', 'P', ' '};

// Reads `count` bytes into a new vector, refusing before allocating when the source is known
// to hold fewer.
bool ReadBytes(TByteSource& source, std::size_t count, std::vector<std::uint8_t>& out) {
  if (source.Remaining() < count) return false;
  out.resize(count);
  return source.Read(out);
}

bool ReadPaletteTriples(TByteSource& source, TBMPalette& palette) {
  std::array<std::uint8_t, kPaletteTrailerSize> triples;
  if (!source.Read(triples)) return false;
  palette = PaletteFromTriples(triples);
  return true;
}

// Everything ReadBM reads, held apart until the whole file has been accepted.
struct TReadBM {
  TBMHeader Header;
  std::vector<TBMImage> Images;
  std::optional<TBMPalette> Palette;
};

// Refuses the BM: `refusal` (when given) gets why.
std::nullopt_t Refuse(std::string* refusal, std::string text = kInvalidBMFile) {
  if (refusal != nullptr) *refusal = std::move(text);
  return std::nullopt;
}

std::optional<TReadBM> ParseBM(TByteSource& source, std::size_t slots, std::string* refusal) {
  std::array<std::uint8_t, kBMHeaderSize> headerBytes;
  if (!source.Read(headerBytes)) return Refuse(refusal);
  TReadBM bm;
  bm.Header = TBMHeader::FromBytes(headerBytes);
  if (!bm.Header.HasSignature()) return Refuse(refusal);

  const int bytesPerPixel = BytesPerPixel(bm.Header.BitsPerPixel);
  // No image record can be read without a defined pixel size: the header alone is kept.
  if (bytesPerPixel == 0) return bm;

  const std::int32_t count = bm.Header.ImageCount;
  if (count > 0 && static_cast<std::size_t>(count) > slots) {
    return Refuse(refusal, "The BM has " + std::to_string(count) +
                               " images; a BM can hold at most " + std::to_string(slots));
  }
  if (count > 0) bm.Images.resize(static_cast<std::size_t>(count));
  for (std::size_t i = 0; i < bm.Images.size(); ++i) {
    TBMImage& image = bm.Images[i];
    std::array<std::uint8_t, kImageRecordHeaderSize> size;
    if (!source.Read(size)) return Refuse(refusal);
    image.Width = LoadI32(size.data());
    image.Height = LoadI32(size.data() + 4);
    if (image.Width < 0 || image.Height < 0) return Refuse(refusal);
    if (!ImageWithinLimits(image.Width, image.Height, bm.Header.BitsPerPixel)) {
      return Refuse(refusal, ImageTooLargeText("Image " + std::to_string(i), image.Width,
                                               image.Height, bm.Header.BitsPerPixel));
    }
    const auto bytes = static_cast<std::size_t>(image.Width) *
                       static_cast<std::size_t>(image.Height) *
                       static_cast<std::size_t>(bytesPerPixel);
    if (!ReadBytes(source, bytes, image.Pixels)) return Refuse(refusal);
  }
  if (bm.Header.PaletteMode == kPaletteModeIncluded) {
    TBMPalette palette;
    if (!ReadPaletteTriples(source, palette)) return Refuse(refusal);
    bm.Palette = palette;
  }
  return bm;
}

}  // namespace

bool ReadBMFromSource(TByteSource& source, TBMHeader& Header, std::span<TBMImage> Images,
                      TBMPalette& Palette, std::string* refusal) {
  auto bm = ParseBM(source, Images.size(), refusal);
  if (!bm) return false;
  Header = bm->Header;
  for (std::size_t i = 0; i < bm->Images.size(); ++i)
    Images[i] = std::move(bm->Images[i]);
  if (bm->Palette) Palette = *bm->Palette;
  return true;
}

bool ReadBMFromBytes(std::span<const std::uint8_t> bytes, TBMHeader& Header,
                     std::span<TBMImage> Images, TBMPalette& Palette, std::string* refusal) {
  TMemorySource source(bytes);
  return ReadBMFromSource(source, Header, Images, Palette, refusal);
}

bool ReadCMPPaletteFromSource(TByteSource& source, TBMPalette& Palette, TMessageSink& messages) {
  std::array<std::uint8_t, kCMPHeaderSize> header;
  TBMPalette palette;
  if (!source.Read(header) || !std::equal(kCMPMagic.begin(), kCMPMagic.end(), header.begin()) ||
      !ReadPaletteTriples(source, palette)) {
    messages.Warning(kInvalidCMPFile);
    return false;
  }
  Palette = palette;
  return true;
}

bool ReadBMPaletteFromSource(TByteSource& source, TBMPalette& Palette, TMessageSink& messages) {
  std::array<std::uint8_t, kBMHeaderSize> headerBytes;
  if (!source.Read(headerBytes) || !TBMHeader::FromBytes(headerBytes).HasSignature()) {
    messages.Warning(kInvalidBMFile);
    return false;
  }
  if (TBMHeader::FromBytes(headerBytes).PaletteMode != kPaletteModeIncluded) {
    messages.Warning(kBMHasNoPalette);
    return false;
  }
  // The palette is the file's last 768 bytes, wherever the images end.
  TBMPalette palette;
  if (source.Size() < kPaletteTrailerSize || !source.Seek(source.Size() - kPaletteTrailerSize) ||
      !ReadPaletteTriples(source, palette)) {
    messages.Warning(kInvalidBMFile);
    return false;
  }
  Palette = palette;
  return true;
}

}  // namespace zarn
