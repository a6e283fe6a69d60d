// PNG files both ways, encoded and decoded by libpng in memory: bitmaps out as PNG, and PNG
// sources in as the same standard-layout bitmaps that the BM writers take.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "codec/Bitmap.h"
#include "codec/Refusal.h"

namespace zarn {

// A pixel whose alpha is below this is clear: it takes the BM's transparent colour or index.
inline constexpr std::uint8_t kHalfAlpha = 128;

// The bytes CheckPngHead looks at: the signature and the header chunk.
inline constexpr std::size_t kPngHeadSize = 33;
// The eight bytes every PNG file begins with.
inline constexpr std::array<std::uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G',
                                                              '\r', '\n', 0x1A, '\n'};

// True when `bytes` start with the 8-byte PNG signature.
bool HasPngSignature(std::span<const std::uint8_t> bytes);

// Replaces `out` with a PNG file of the bitmap's true picture: a 256-colour picture becomes a
// palette PNG whose indices and 256 palette entries are exactly the bitmap's, a 24-bit one an
// RGB PNG. Compressed about as well as the general image tools do by default, in well under
// half their time (PngEncoder.cpp). `scratch` is the work area of TBitmap::Picture; reusing
// `out` and `scratch` across calls reuses their memory. Throws CodecError for a picture
// without pixels (a PNG holds at least one) or one too large for zlib.
void EncodePng(const TBitmap& bitmap, std::vector<std::uint8_t>& out,
               std::vector<std::uint8_t>& scratch);

// A picture offered as the source of one image of a new 8-bit (bitsPerPixel 8) or 16-bit (16)
// BM. A BMP source fills only Bitmap; a PNG source may also have clear pixels.
struct TSourceImage {
  // 8 bits: a 256-colour bitmap with the file's indices and its palette padded with zero
  // entries (grey PNGs: the grey value is the index, the palette the grey ramp). 16 bits: a
  // 24-bit bitmap.
  TBitmap Bitmap;
  // 16 bits: where in Bitmap's stored form each pixel starts whose alpha is below half; these
  // take the BM's transparent colour (PaintClearPixels).
  std::vector<std::uint32_t> ClearPixels;
};

// Checks the signature and the header chunk at the start of a PNG offered as a source:
// InvalidPNG, PNGNot256Colour (8 bits: neither a palette PNG nor an 8-bit grey one), or
// nothing when the file may be decoded.
std::optional<TRefusal> CheckPngHead(std::span<const std::uint8_t> head, int bitsPerPixel);

// Decodes a whole PNG into `out`, or returns why not: InvalidPNG for a file that is not a PNG
// or is damaged (bad CRC, truncated, a bad header), PNGNot256Colour, or ImageTooLarge when the
// image is beyond the limits of BM images (checked from the header before anything is
// allocated). On a refusal `out` is unchanged.
std::optional<TRefusal> DecodePngSource(std::span<const std::uint8_t> png, int bitsPerPixel,
                                        TSourceImage& out);

// A picture in true colour with alpha: rows top to bottom, four bytes per pixel, blue, green,
// red, alpha (255 opaque).
struct TColourPicture {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::vector<std::uint8_t> Pixels;
};

// Decodes any PNG (palette, grey or colour, with or without alpha) into its colours, or
// returns the refusal: InvalidPNG, or ImageTooLarge for a picture beyond the limits of a BM
// image of `bitsPerPixel` bits. On a refusal `out` is unchanged.
std::optional<TRefusal> DecodePngBgra(std::span<const std::uint8_t> png,
                                      std::int32_t bitsPerPixel, TColourPicture& out);

// The colours of a palette PNG's PLTE chunk (1 to 256, as libpng admits), read without
// decoding the pixels: InvalidPNG for a file that is not a sound PNG up to its image data,
// PNGHasNoPalette for any other colour type.
std::optional<TRefusal> ReadPngPalette(std::span<const std::uint8_t> png,
                                       std::vector<TRGBQuad>& colours);

// Gives every clear pixel of a 16-bit source the colour red, green, blue.
void PaintClearPixels(TSourceImage& source, std::uint8_t red, std::uint8_t green,
                      std::uint8_t blue);

}  // namespace zarn
