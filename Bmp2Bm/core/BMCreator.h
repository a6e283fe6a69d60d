// The display-free half of the new-BM window: admitting a source picture when it is offered,
// and the writing of a new BM from the sources with the window's options.
// The creator window and the command-line tool both go through these.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "codec/Bitmap.h"
#include "codec/ColourMap.h"
#include "codec/Png.h"
#include "codec/Refusal.h"

namespace zarn {

enum class EBMMode { Bit8, Bit16 };

// The options of a new BM as the window or the command line gives them. Out-of-range values
// are taken by their low 8 bits, as the writers store one byte each.
struct TCreateOptions {
  EBMMode Mode = EBMMode::Bit8;
  std::int32_t XOffset = 0;
  std::int32_t YOffset = 0;
  int TransparentIndex = 0;              // 8-bit
  bool IncludePalette = false;           // 8-bit
  int Red = 255, Green = 0, Blue = 255;  // 16-bit
  // 8-bit: every source is taken by its colours and mapped to this palette (MapToPalette), and
  // an included palette is this one. Without it the sources' own indices are kept.
  std::optional<TBMPalette> MapPalette;
  std::optional<TRgb> Key;  // with MapPalette: pixels of this colour are transparent too
  // With MapPalette: Floyd-Steinberg to the palette; 16-bit: to RGB565 instead of cutting the
  // low bits.
  bool Dither = false;

  // True when sources are decoded by their colours and converted here (mapped, or dithered
  // to RGB565) rather than taken as they are stored.
  bool ConvertsColours() const { return MapPalette.has_value() || (Mode == EBMMode::Bit16 && Dither); }
};

// Admits one source picture of a new BM made with `options`, from the bytes of a whole BMP or
// PNG file (told apart by their content, whatever the picture's name or origin). As stored:
// checks its head for the mode (CheckBmpHead, CheckPngHead), loads it, checks that the writers
// take it (CheckWritable), and gives its clear pixels the transparent colour
// (PaintTransparent). When options.ConvertsColours(): checks the head of a source taken by its
// colours (a PNG, or a BMP of 8, 24 or 32 bits), decodes its colours and converts them (mapped
// to MapPalette into a 256-colour bitmap whose colour table is that palette, or dithered to
// RGB565 into a 24-bit bitmap of exactly the colours the BM will hold). Returns why it is
// refused, `source` then unchanged. Throws CodecError for a BMP that passes the check but
// cannot be loaded at all ("Bitmap image is not valid"), and std::bad_alloc.
std::optional<TRefusal> AdmitSource(std::span<const std::uint8_t> bytes,
                                    const TCreateOptions& options, TSourceImage& source);

// AdmitSource on the file at `path` (UTF-8), read once and whole. A file that cannot be read is
// an invalid BMP file (OpenFailure() says why), one over kMaxSourceFileBytes is refused unread.
std::optional<TRefusal> AdmitSourceFile(const std::string& path, const TCreateOptions& options,
                                        TSourceImage& source);

// Refusal of the whole source list before anything is written: none (NoSources) or more than
// kMaxImages (TooManySources).
std::optional<TRefusal> CheckSourceCount(std::size_t count);

// Writes the BM with WriteBM8 or WriteBM16 by the mode. Throws CodecError on any failure; an
// existing file is then left as it was.
void CreateBM(const std::string& path, const std::vector<const TBitmap*>& sources,
              const TCreateOptions& options);

// Gives a source's clear pixels the transparent colour of a 16-bit BM with these options.
void PaintTransparent(TSourceImage& source, const TCreateOptions& options);

}  // namespace zarn
