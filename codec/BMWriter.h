// Writing BM files from bitmaps: one image record per source, in order.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "codec/Bitmap.h"

namespace zarn {

// Writes an 8-bit BM from 256-colour sources, with the palette trailer of source 0's colour
// table when IncludePalette (a table of fewer than 256 entries is padded with zero entries).
// Every source is checked before anything is written: it must have a true picture of 8 bits
// (uncompressed or RLE8) within the size limits; otherwise CodecError names the source and the
// reason. The file is written atomically: a failure leaves an existing file as it was.
void WriteBM8(const std::filesystem::path& FileName, std::span<const TBitmap* const> Sources,
              std::int32_t XOffset, std::int32_t YOffset, std::uint8_t TransparentIndex,
              bool IncludePalette);

// Writes a 16-bit BM from 24-bit sources, every pixel narrowed to RGB565; the transparent
// colour is stored as RGB565 too. Checks and atomicity as for WriteBM8.
void WriteBM16(const std::filesystem::path& FileName, std::span<const TBitmap* const> Sources,
               std::int32_t XOffset, std::int32_t YOffset, std::uint8_t Red, std::uint8_t Green,
               std::uint8_t Blue);

// The same two encoders without the file system: `out` is replaced by the whole BM file.
// Reusing `out` across calls reuses its memory.
void EncodeBM8(std::vector<std::uint8_t>& out, std::span<const TBitmap* const> Sources,
               std::int32_t XOffset, std::int32_t YOffset, std::uint8_t TransparentIndex,
               bool IncludePalette);
void EncodeBM16(std::vector<std::uint8_t>& out, std::span<const TBitmap* const> Sources,
                std::int32_t XOffset, std::int32_t YOffset, std::uint8_t Red, std::uint8_t Green,
                std::uint8_t Blue);

// Why a bitmap cannot be written as an image of an 8-bit (bitsPerPixel 8) or 16-bit (16) BM:
// an empty text when it can. Shared by the writers and by every place that admits sources.
std::string WriteRefusal(const TBitmap& source, int bitsPerPixel);

}  // namespace zarn
