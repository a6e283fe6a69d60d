// Encoding BMs from bitmaps: one image record per source, in order.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "codec/Bitmap.h"
#include "codec/Refusal.h"

namespace zarn {

// Encodes an 8-bit BM from 256-colour sources into `Out`, which is replaced by the whole file,
// with the palette trailer of source 0's colour table when IncludePalette (a table of fewer
// than 256 entries is padded with zero entries). Every source is checked first: it must have a
// true picture of 8 bits (uncompressed or RLE8) within the size limits; otherwise CodecError
// names the source and the reason. Reusing `Out` across calls reuses its memory. The file
// forms (WriteBM8, WriteBM16) are in the file layer.
void EncodeBM8(std::vector<std::uint8_t>& Out, std::span<const TBitmap* const> Sources,
               std::int32_t XOffset, std::int32_t YOffset, std::uint8_t TransparentIndex,
               bool IncludePalette);

// Encodes a 16-bit BM from 24-bit sources, every pixel narrowed to RGB565; the transparent
// colour is stored as RGB565 too. Checks as for EncodeBM8.
void EncodeBM16(std::vector<std::uint8_t>& Out, std::span<const TBitmap* const> Sources,
                std::int32_t XOffset, std::int32_t YOffset, std::uint8_t Red, std::uint8_t Green,
                std::uint8_t Blue);

// Why a bitmap cannot be written as an image of an 8-bit (bitsPerPixel 8) or 16-bit (16) BM
// (EmptyBitmap, BMPNot256Colour, BMPNotTruecolour, UnsupportedCompression, ImageTooLarge), or
// nothing when it can. Shared by the writers and by every place that admits sources.
std::optional<TRefusal> CheckWritable(const TBitmap& source, int bitsPerPixel);

}  // namespace zarn
