#include "codec/Bitmap.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "codec/ByteSource.h"
#include "codec/Errors.h"

namespace zarn {

using detail::LoadI32;
using detail::LoadU16;
using detail::LoadU32;
using detail::StoreU16;
using detail::StoreU32;

namespace {

// An RLE8 picture is expanded in memory; a header may not ask for more than this.
constexpr std::int64_t kMaxDecodedPictureBytes = 256 << 20;

constexpr std::uint32_t kInfoSizes[] = {12, 40, 52, 56, 108, 124};
// No side of a picture may be longer: a zero-width picture fits any file however many rows it
// claims, and every reader of its rows would walk them all.
constexpr std::int64_t kMaxBmpSide = 1 << 20;

[[noreturn]] void Invalid() {
  throw CodecError(kBitmapNotValid);
}

// Expands RLE8 data into `out` (Width x Height indices, top row first). Runs that leave the
// picture are clipped, and the loop ends with the input, so no data can make it write outside
// `out` or run long.
void DecodeRle8(std::span<const std::uint8_t> in, const TBmpLayout& layout, std::uint8_t* out) {
  const std::int64_t width = layout.Width;
  const std::int64_t height = layout.Height;
  std::int64_t x = 0;
  std::int64_t row = 0;  // in stored order: bottom row first unless top-down
  auto put = [&](std::int64_t count, const std::uint8_t* literal, std::uint8_t value) {
    if (row < height && x < width) {
      const std::int64_t n = std::min(count, width - x);
      std::uint8_t* dst = out + (layout.TopDown ? row : height - 1 - row) * width + x;
      if (literal != nullptr) {
        std::memcpy(dst, literal, static_cast<std::size_t>(n));
      } else {
        std::memset(dst, value, static_cast<std::size_t>(n));
      }
    }
    x += count;
  };
  std::size_t i = 0;
  while (i + 1 < in.size() && row < height) {
    const std::uint8_t count = in[i];
    const std::uint8_t value = in[i + 1];
    i += 2;
    if (count > 0) {
      put(count, nullptr, value);
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++row;
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {  // move right and down
      if (i + 1 >= in.size()) break;
      x += in[i];
      row += in[i + 1];
      i += 2;
    } else {  // `value` literal bytes, padded to an even count
      const std::size_t available = std::min<std::size_t>(value, in.size() - i);
      put(static_cast<std::int64_t>(available), in.data() + i, 0);
      if (available < value) break;
      i += value + (value & 1u);
    }
  }
}

}  // namespace

namespace {

// The fields of the info header at the start of `stored`, unchecked; nothing when `stored` is
// shorter than the fields of the header it declares (12 bytes for the older form, 40 for the
// others). The height is kept signed and wide: a top-down picture stores it negative.
struct TBmpFields {
  std::uint32_t InfoSize = 0;
  std::int64_t Width = 0;
  std::int64_t Height = 0;
  std::uint16_t BitCount = 0;
  std::uint32_t Compression = 0;
  std::uint32_t ColoursUsed = 0;
};

std::optional<TBmpFields> ReadBmpFields(std::span<const std::uint8_t> stored) {
  if (stored.size() < 4) return std::nullopt;
  TBmpFields f;
  f.InfoSize = LoadU32(stored.data());
  const bool core = f.InfoSize == kBmpCoreHeaderSize;
  if (stored.size() < (core ? kBmpCoreHeaderSize : kBmpInfoHeaderSize)) return std::nullopt;
  const std::uint8_t* p = stored.data();
  if (core) {
    f.Width = LoadU16(p + 4);
    f.Height = LoadU16(p + 6);
    f.BitCount = LoadU16(p + 10);
  } else {
    f.Width = LoadI32(p + 4);
    f.Height = LoadI32(p + 8);
    f.BitCount = LoadU16(p + 14);
    f.Compression = LoadU32(p + 16);
    f.ColoursUsed = LoadU32(p + 32);
  }
  return f;
}

bool RowsUncompressed(const TBmpLayout& layout) {
  return layout.Compression == kBmpUncompressed || layout.Compression == 3 ||
         layout.Compression == 6;
}

// True when the rows of `layout` fit in `bytes` bytes from its pixel offset on.
bool RowsFit(const TBmpLayout& layout, std::size_t bytes) {
  if (layout.PixelOffset > bytes) return false;
  if (!RowsUncompressed(layout) || layout.Height == 0) return true;
  const auto available = static_cast<std::int64_t>(bytes - layout.PixelOffset);
  return layout.RowSize <= available / layout.Height;
}

// Parses the info header at the start of a stored form, rows right after the colour table.
// Throws CodecError(kBitmapNotValid) when the layout does not fit in `stored`.
TBmpLayout ParseBmpLayout(std::span<const std::uint8_t> stored) {
  const auto fields = ReadBmpFields(stored);
  if (!fields) Invalid();
  TBmpLayout layout;
  layout.InfoSize = fields->InfoSize;
  if (std::find(std::begin(kInfoSizes), std::end(kInfoSizes), layout.InfoSize) ==
      std::end(kInfoSizes)) {
    Invalid();
  }
  if (stored.size() < layout.InfoSize) Invalid();
  std::int64_t height = fields->Height;
  if (fields->Width < 0) Invalid();
  if (height < 0) {
    layout.TopDown = true;
    height = -height;
  }
  if (fields->Width > kMaxBmpSide || height > kMaxBmpSide) Invalid();
  layout.Width = static_cast<std::int32_t>(fields->Width);
  layout.Height = static_cast<std::int32_t>(height);
  layout.BitCount = fields->BitCount;
  layout.Compression = fields->Compression;
  layout.ColourEntrySize = layout.InfoSize == kBmpCoreHeaderSize ? 3 : 4;

  layout.ColourCount = fields->ColoursUsed;
  if (layout.ColourCount == 0 &&
      (layout.BitCount == 1 || layout.BitCount == 4 || layout.BitCount == 8)) {
    layout.ColourCount = 1u << layout.BitCount;
  }
  const std::uint64_t tableBytes = std::uint64_t{layout.ColourCount} * layout.ColourEntrySize;
  if (tableBytes > stored.size() - layout.InfoSize) Invalid();
  layout.ColourTableOffset = layout.InfoSize;
  layout.PixelOffset = layout.InfoSize + static_cast<std::size_t>(tableBytes);

  layout.RowSize = (std::int64_t{layout.Width} * layout.BitCount + 31) / 32 * 4;
  if (!RowsFit(layout, stored.size())) Invalid();
  return layout;
}

}  // namespace

bool HasBmpType(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= 2 && LoadU16(bytes.data()) == kBmpType;
}

std::optional<std::uint16_t> BmpHeadBitCount(std::span<const std::uint8_t> head) {
  if (head.size() < kBmpFileHeaderSize || !HasBmpType(head)) return std::nullopt;
  const auto fields = ReadBmpFields(head.subspan(kBmpFileHeaderSize));
  if (!fields) return std::nullopt;
  return fields->BitCount;
}

std::optional<TRefusal> CheckBmpHead(std::span<const std::uint8_t> head, int bitsPerPixel) {
  const auto bitCount = BmpHeadBitCount(head);
  if (!bitCount) return TRefusal{.Reason = ERefusal::InvalidBMP};
  if (bitsPerPixel == 8 && *bitCount != 8) return TRefusal{.Reason = ERefusal::BMPNot256Colour};
  if (bitsPerPixel != 8 && *bitCount != 24) {
    return TRefusal{.Reason = ERefusal::BMPNotTruecolour};
  }
  return std::nullopt;
}

void TBitmap::LoadFromBmpStream(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) {
    stored_.clear();
    layout_ = {};
    return;
  }
  if (bytes.size() < kBmpFileHeaderSize) throw CodecError(kStreamReadError);
  if (!HasBmpType(bytes)) Invalid();
  const auto stored = bytes.subspan(kBmpFileHeaderSize);
  const TBmpLayout layout = ParseBmpLayout(stored);
  // Rows after a gap, where the offset field says: honoured when it is sound, and the gap left
  // out, so that the stored form has its rows right after the colour table as saved forms do.
  const std::uint32_t offsetField = LoadU32(bytes.data() + 10);
  if (offsetField >= kBmpFileHeaderSize && offsetField - kBmpFileHeaderSize > layout.PixelOffset) {
    TBmpLayout atOffset = layout;
    atOffset.PixelOffset = offsetField - kBmpFileHeaderSize;
    if (RowsFit(atOffset, stored.size())) {
      std::vector<std::uint8_t> joined(
          stored.begin(), stored.begin() + static_cast<std::ptrdiff_t>(layout.PixelOffset));
      joined.insert(joined.end(),
                    stored.begin() + static_cast<std::ptrdiff_t>(atOffset.PixelOffset),
                    stored.end());
      stored_ = std::move(joined);
      layout_ = layout;
      return;
    }
  }
  stored_.assign(stored.begin(), stored.end());
  layout_ = layout;
}

void TBitmap::SaveToBmpStream(std::vector<std::uint8_t>& out) const {
  const auto header = BmpFileHeader();
  out.insert(out.end(), header.begin(), header.end());
  out.insert(out.end(), stored_.begin(), stored_.end());
}

std::vector<std::uint8_t> TBitmap::BmpFileHeader() const {
  std::vector<std::uint8_t> header(kBmpFileHeaderSize);
  StoreU16(header.data(), kBmpType);
  StoreU32(header.data() + 2, static_cast<std::uint32_t>(kBmpFileHeaderSize + stored_.size()));
  StoreU32(header.data() + 6, 0);
  StoreU32(header.data() + 10,
           static_cast<std::uint32_t>(kBmpFileHeaderSize + layout_.PixelOffset));
  return header;
}

void TBitmap::AdoptStoredForm(std::vector<std::uint8_t>&& stored) {
  layout_ = ParseBmpLayout(stored);
  stored_ = std::move(stored);
}

std::vector<std::uint8_t> TBitmap::ReleaseStoredForm() {
  layout_ = {};
  return std::exchange(stored_, {});
}

TPicture TBitmap::Picture(std::vector<std::uint8_t>& scratch) const {
  if (Empty()) throw CodecError("The bitmap holds no picture");
  const TBmpLayout& l = layout_;
  if (l.BitCount != 8 && l.BitCount != 24) {
    throw CodecError("Only 256-colour and truecolour BMPs can be used; this one has " +
                     std::to_string(l.BitCount) + " bits per pixel");
  }
  const bool rle8 = l.Compression == kBmpRle8;
  if (l.Compression != kBmpUncompressed && !(rle8 && l.BitCount == 8)) {
    throw CodecError(RefusalText({.Reason = ERefusal::UnsupportedCompression}));
  }
  TPicture picture;
  picture.Width = l.Width;
  picture.Height = l.Height;
  picture.BitCount = l.BitCount;
  if (l.BitCount == 8) {
    const std::size_t entries = std::min<std::size_t>(l.ColourCount, kPaletteEntries);
    const std::uint8_t* table = stored_.data() + l.ColourTableOffset;
    for (std::size_t i = 0; i < entries; ++i) {
      const std::uint8_t* e = table + i * l.ColourEntrySize;
      picture.Colours[i] = {e[0], e[1], e[2], 0};
      if (l.ColourEntrySize == 4) picture.Colours[i].Reserved = e[3];
    }
  }
  const std::uint8_t* pixels = stored_.data() + l.PixelOffset;
  if (rle8) {
    const std::int64_t bytes = std::int64_t{l.Width} * l.Height;
    if (bytes > kMaxDecodedPictureBytes) {
      throw CodecError(RefusalText(ImageTooLarge(EPictureName::BmpSource, l.Width, l.Height, 8)));
    }
    scratch.assign(static_cast<std::size_t>(bytes), 0);
    DecodeRle8(std::span(pixels, stored_.size() - l.PixelOffset), l, scratch.data());
    picture.Top = scratch.data();
    picture.Stride = l.Width;
  } else if (l.TopDown || l.Height == 0) {
    picture.Top = pixels;
    picture.Stride = static_cast<std::ptrdiff_t>(l.RowSize);
  } else {
    picture.Top = pixels + l.RowSize * (l.Height - 1);
    picture.Stride = -static_cast<std::ptrdiff_t>(l.RowSize);
  }
  return picture;
}

}  // namespace zarn
