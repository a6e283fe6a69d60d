// The in-memory bitmap: a Windows BMP held in its stored form (everything after the 14-byte
// file header), with the fields of its info header parsed once at load time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "codec/BMFormat.h"
#include "codec/Refusal.h"

namespace zarn {

inline constexpr std::size_t kBmpFileHeaderSize = 14;
inline constexpr std::size_t kBmpInfoHeaderSize = 40;
inline constexpr std::size_t kBmpCoreHeaderSize = 12;  // the older form, 3-byte colour entries
inline constexpr std::uint16_t kBmpType = 0x4D42;      // "BM"

// The compressions this program reads pixels from.
inline constexpr std::uint32_t kBmpUncompressed = 0;
inline constexpr std::uint32_t kBmpRle8 = 1;

// Where things are in a bitmap's stored form, as its info header describes them.
struct TBmpLayout {
  std::uint32_t InfoSize = 0;  // 12, 40, 52, 56, 108 or 124
  std::int32_t Width = 0;      // pixels per row, never negative
  std::int32_t Height = 0;     // number of rows, never negative
  bool TopDown = false;        // rows stored top row first (negative height field)
  std::uint16_t BitCount = 0;
  std::uint32_t Compression = 0;
  std::uint32_t ColourCount = 0;      // entries in the colour table
  std::uint32_t ColourEntrySize = 4;  // 3 for the 12-byte info header
  std::size_t ColourTableOffset = 0;  // offsets into the stored form
  std::size_t PixelOffset = 0;        // rows start right after the colour table
  std::int64_t RowSize = 0;           // bytes of one stored, padded, uncompressed row
};

// The true picture of a bitmap, whatever its stored layout: rows top to bottom, each `Width`
// pixels of one colour index (BitCount 8) or three bytes blue, green, red (BitCount 24).
// Row(y) points into the bitmap itself or into the caller's scratch buffer, so the picture is
// valid only while both are unchanged.
struct TPicture {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  int BitCount = 0;  // 8 or 24
  // For BitCount 8: the colour table, padded to 256 entries with zero entries.
  TBMPalette Colours{};
  const std::uint8_t* Top = nullptr;  // first byte of the top row
  std::ptrdiff_t Stride = 0;          // from one row to the next one down

  int BytesPerPixel() const { return BitCount / 8; }
  std::span<const std::uint8_t> Row(std::int32_t y) const {
    return {Top + Stride * y,
            static_cast<std::size_t>(Width) * static_cast<std::size_t>(BytesPerPixel())};
  }
};

class TBitmap {
 public:
  // Makes the BMP in `bytes` (a stream's remainder, from the 14-byte file header on) the
  // picture. Empty bytes make the bitmap empty. Throws CodecError: "Stream read error" for
  // fewer than 14 bytes; "Bitmap image is not valid" for a type other than "BM", an unknown info
  // header size, or a colour table or pixel rows that do not fit in the bytes. The rows start
  // where the pixel-data offset field says when that is sound (at or after the end of the
  // colour table, and the rows fit from there); otherwise right after the colour table. A gap
  // before the rows is not kept: the stored form has its rows right after the colour table.
  // On failure the bitmap keeps its previous picture. (The file form is in the file layer.)
  void LoadFromBmpStream(std::span<const std::uint8_t> bytes);

  // Appends a fresh 14-byte file header and the stored form to `out`.
  void SaveToBmpStream(std::vector<std::uint8_t>& out) const;
  // The 14-byte file header that SaveToBmpStream writes before the stored form.
  std::vector<std::uint8_t> BmpFileHeader() const;

  std::int32_t Width() const { return layout_.Width; }
  std::int32_t Height() const { return layout_.Height; }
  bool Empty() const { return stored_.empty(); }
  const TBmpLayout& Layout() const { return layout_; }
  std::span<const std::uint8_t> StoredForm() const { return stored_; }

  // The true picture (see TPicture). Decodes RLE8 into `scratch`; uncompressed rows are read
  // in place. Throws CodecError for layouts without a true picture here: bit counts other than
  // 8 and 24, compressions other than none and RLE8, and empty bitmaps.
  TPicture Picture(std::vector<std::uint8_t>& scratch) const;

  // Makes `stored` (a BMP without its file header, rows right after the colour table) the
  // picture, taking its storage. Throws CodecError(kBitmapNotValid) as LoadFromBmpStream does;
  // the bitmap is then unchanged.
  void AdoptStoredForm(std::vector<std::uint8_t>&& stored);
  // Gives up the stored form, leaving the bitmap empty: a caller that builds the next stored
  // form in the same memory (the display decoders, once per image shown) takes it here and
  // hands it back with AdoptStoredForm, which saves a fresh allocation and its page faults.
  std::vector<std::uint8_t> ReleaseStoredForm();

 private:
  std::vector<std::uint8_t> stored_;
  TBmpLayout layout_;
};

// The bytes CheckBmpHead looks at: the file header and the longest info header it reads.
inline constexpr std::size_t kBmpHeadSize = kBmpFileHeaderSize + kBmpInfoHeaderSize;

// True when `bytes` begin with the BMP type "BM".
bool HasBmpType(std::span<const std::uint8_t> bytes);

// The bit count at the start of a BMP file: nothing when `head` does not begin with the "BM"
// type and the fields of the info header it declares.
std::optional<std::uint16_t> BmpHeadBitCount(std::span<const std::uint8_t> head);

// Checks the start of a BMP offered as the source of an 8-bit (bitsPerPixel 8) or 16-bit (16)
// BM: the "BM" type first, then the bit count the BM needs (8 or 24). Bytes too short for the
// file header and the fields of the info header they declare (54 bytes, or 26 for the older
// 12-byte info header) are an invalid BMP. Nothing when the BMP may be loaded.
std::optional<TRefusal> CheckBmpHead(std::span<const std::uint8_t> head, int bitsPerPixel);

}  // namespace zarn
