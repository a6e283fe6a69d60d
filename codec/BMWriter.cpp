#include "codec/BMWriter.h"

#include <cstring>
#include <string>

#include "codec/ByteSource.h"
#include "codec/Colour.h"
#include "codec/Errors.h"
#include "codec/PixelRows.h"

namespace zarn {

using detail::StoreI32;

namespace {

constexpr std::int32_t kHeaderConstant = 70;

TBMHeader BaseHeader(std::size_t imageCount, std::int32_t xOffset, std::int32_t yOffset) {
  TBMHeader h;
  h.Signature = {'B', 'M', ' ', ' '};
  h.HeaderConstant = kHeaderConstant;
  h.PaletteMode = 1;
  h.ImageCount = static_cast<std::int32_t>(imageCount);
  h.XOffset = xOffset;
  h.YOffset = yOffset;
  return h;
}

// Refuses the whole list before anything is written, naming the first source that cannot be.
void CheckSources(std::span<const TBitmap* const> sources, int bitsPerPixel) {
  if (sources.size() > static_cast<std::size_t>(INT32_MAX)) {
    throw CodecError("Too many images for one BM");
  }
  for (std::size_t i = 0; i < sources.size(); ++i) {
    const auto refusal = sources[i] == nullptr ? TRefusal{.Reason = ERefusal::EmptyBitmap}
                                               : CheckWritable(*sources[i], bitsPerPixel);
    if (refusal) {
      throw CodecError("Image " + std::to_string(i) + " cannot be written: " +
                       RefusalText(*refusal));
    }
  }
}

// Size of the whole file: header, records, and the trailer when there is one.
std::size_t FileSize(std::span<const TBitmap* const> sources, int bytesPerPixel, bool trailer) {
  std::size_t size = kBMHeaderSize + (trailer ? kPaletteTrailerSize : 0);
  for (const TBitmap* s : sources) {
    size += kImageRecordHeaderSize + static_cast<std::size_t>(s->Width()) *
                                         static_cast<std::size_t>(s->Height()) *
                                         static_cast<std::size_t>(bytesPerPixel);
  }
  return size;
}

// Lays out the file in `out`: the header, then for each source its Width, Height and its
// picture's rows top to bottom, each converted by `putRow(row, dst, width)`, which writes
// width x bytesPerPixel bytes. Returns where the trailer goes.
template <class PutRow>
std::uint8_t* EncodeRecords(std::vector<std::uint8_t>& out, const TBMHeader& header,
                            std::span<const TBitmap* const> sources, int bytesPerPixel,
                            bool trailer, PutRow putRow) {
  out.resize(FileSize(sources, bytesPerPixel, trailer));
  const auto headerBytes = header.ToBytes();
  std::uint8_t* p = std::copy(headerBytes.begin(), headerBytes.end(), out.data());
  std::vector<std::uint8_t> scratch;
  for (const TBitmap* source : sources) {
    const TPicture picture = source->Picture(scratch);
    StoreI32(p, picture.Width);
    StoreI32(p + 4, picture.Height);
    p += kImageRecordHeaderSize;
    const auto width = static_cast<std::size_t>(picture.Width);
    for (std::int32_t y = 0; y < picture.Height; ++y) {
      putRow(picture.Row(y).data(), p, width);
      p += width * static_cast<std::size_t>(bytesPerPixel);
    }
  }
  return p;
}

}  // namespace

std::optional<TRefusal> CheckWritable(const TBitmap& source, int bitsPerPixel) {
  if (source.Empty()) return TRefusal{.Reason = ERefusal::EmptyBitmap};
  const TBmpLayout& l = source.Layout();
  const bool eightBit = bitsPerPixel == 8;
  if (l.BitCount != (eightBit ? 8 : 24)) {
    return TRefusal{.Reason = eightBit ? ERefusal::BMPNot256Colour : ERefusal::BMPNotTruecolour};
  }
  if (l.Compression != kBmpUncompressed && !(eightBit && l.Compression == kBmpRle8)) {
    return TRefusal{.Reason = ERefusal::UnsupportedCompression};
  }
  if (!ImageWithinLimits(l.Width, l.Height, eightBit ? 8 : 16)) {
    return ImageTooLarge(EPictureName::Image, l.Width, l.Height, eightBit ? 8 : 16);
  }
  return std::nullopt;
}

void EncodeBM8(std::vector<std::uint8_t>& Out, std::span<const TBitmap* const> Sources,
               std::int32_t XOffset, std::int32_t YOffset, std::uint8_t TransparentIndex,
               bool IncludePalette) {
  CheckSources(Sources, 8);
  if (IncludePalette && Sources.empty()) {
    throw CodecError("A palette can only be included from a first image");
  }
  TBMHeader header = BaseHeader(Sources.size(), XOffset, YOffset);
  header.PaletteMode = IncludePalette ? kPaletteModeIncluded : 1;
  header.TransparentColour = {TransparentIndex, 0, 0, 0};
  header.BitsPerPixel = 8;

  std::uint8_t* p =
      EncodeRecords(Out, header, Sources, 1, IncludePalette,
                    [](const std::uint8_t* row, std::uint8_t* dst, std::size_t width) {
                      if (width > 0) std::memcpy(dst, row, width);
                    });
  if (IncludePalette) {
    // All images index source 0's colour table; its fourth bytes are dropped.
    std::vector<std::uint8_t> scratch;
    const TPicture first = Sources.front()->Picture(scratch);
    for (const TRGBQuad& colour : first.Colours) {
      *p++ = colour.Red;
      *p++ = colour.Green;
      *p++ = colour.Blue;
    }
  }
}

void EncodeBM16(std::vector<std::uint8_t>& Out, std::span<const TBitmap* const> Sources,
                std::int32_t XOffset, std::int32_t YOffset, std::uint8_t Red, std::uint8_t Green,
                std::uint8_t Blue) {
  CheckSources(Sources, 16);
  TBMHeader header = BaseHeader(Sources.size(), XOffset, YOffset);
  RgbToRgb565(Red, Green, Blue, header.TransparentColour[0], header.TransparentColour[1]);
  header.ColourMode = 1;
  header.BitsPerPixel = 16;
  header.RedBits = 5;
  header.GreenBits = 6;
  header.BlueBits = 5;
  header.RedShift = 11;
  header.GreenShift = 5;
  header.BlueShift = 0;
  header.RedLoss = 3;
  header.GreenLoss = 2;
  header.BlueLoss = 2;  // the format stores 2 here, not 3

  EncodeRecords(Out, header, Sources, 2, false, detail::BgrRowToRgb565);
}

}  // namespace zarn
