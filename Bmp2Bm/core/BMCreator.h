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

// The offsets a new BM may be given, each from 0.
inline constexpr std::int32_t kMaxXOffset = 640;
inline constexpr std::int32_t kMaxYOffset = 480;
// The options a new BM starts with, in the window and on the command line.
inline constexpr std::int32_t kDefaultXOffset = 0;
inline constexpr std::int32_t kDefaultYOffset = 0;
inline constexpr int kDefaultTransparentIndex = 0;
inline constexpr TRgb kDefaultTransparentColour{255, 0, 255};  // also the mapping's key colour

// The options of a new BM as the window or the command line gives them. Out-of-range values
// are taken by their low 8 bits, as the writers store one byte each.
struct TCreateOptions {
  EBMMode Mode = EBMMode::Bit8;
  std::int32_t XOffset = kDefaultXOffset;
  std::int32_t YOffset = kDefaultYOffset;
  int TransparentIndex = kDefaultTransparentIndex;  // 8-bit
  bool IncludePalette = false;                      // 8-bit
  int Red = kDefaultTransparentColour.Red;          // 16-bit: the transparent colour
  int Green = kDefaultTransparentColour.Green;
  int Blue = kDefaultTransparentColour.Blue;
  // 8-bit: every source is taken by its colours and mapped to this palette (MapToPalette), and
  // an included palette is this one. Without it the sources' own indices are kept.
  std::optional<TBMPalette> MapPalette;
  std::optional<TRgb> Key;  // with MapPalette: pixels of this colour are transparent too
  // With MapPalette: Floyd-Steinberg to the palette; 16-bit: to RGB565 instead of cutting the
  // low bits.
  bool Dither = false;

  // True when sources are decoded by their colours and converted here (mapped, or dithered
  // to RGB565) rather than taken as they are stored.
  bool ConvertsColours() const {
    return MapPalette.has_value() || (Mode == EBMMode::Bit16 && Dither);
  }
};

// Admits one source picture of a new BM made with `options`, from the bytes of a whole BMP or
// PNG file (told apart by their content, whatever the picture's name or origin: a file, or a
// picture from the clipboard saved as PNG). First the head check: for a source taken by its
// colours when there is a MapPalette (a PNG, or a BMP of 8, 24 or 32 bits), else for the mode
// (CheckPngHead, CheckBmpHead). Then, as stored: it is loaded, checked for the writers
// (CheckWritable) and its clear pixels take the transparent colour (PaintTransparent); or,
// when options.ConvertsColours(), its colours are decoded (AdmitColourSource) and converted
// (ConvertColours). Returns why it is refused, `source` then unchanged. Throws CodecError for a
// BMP that passes the head check but cannot be loaded at all ("Bitmap image is not valid"),
// and std::bad_alloc.
std::optional<TRefusal> AdmitSource(std::span<const std::uint8_t> bytes,
                                    const TCreateOptions& options, TSourceImage& source);

// The head check of AdmitSource, then the source's colours decoded into `colours` (within the
// size limits of the options' mode), for a caller that keeps them to convert them again when
// the options change. Returns why it is refused, `colours` then unchanged.
std::optional<TRefusal> AdmitColourSource(std::span<const std::uint8_t> bytes,
                                          const TCreateOptions& options, TColourPicture& colours);

// AdmitSource for a picture from the clipboard, saved as PNG: one that is not 256-colour for
// an 8-bit BM is refused as ClipboardNot256Colour.
std::optional<TRefusal> AdmitClipboardSource(std::span<const std::uint8_t> png,
                                             const TCreateOptions& options, TSourceImage& source);

// The whole of a source file at `path` (UTF-8), read once into `bytes`: a file that cannot be
// read is an invalid BMP file (OpenFailure() says why), one over kMaxSourceFileBytes is refused
// unread (SourceFileTooLarge).
std::optional<TRefusal> ReadSourceFile(const std::string& path, std::vector<std::uint8_t>& bytes);

// ReadSourceFile, then AdmitSource.
std::optional<TRefusal> AdmitSourceFile(const std::string& path, const TCreateOptions& options,
                                        TSourceImage& source);

// A source's colours converted as `options` say (ConvertsColours()): mapped to MapPalette
// into a 256-colour bitmap whose colour table is that palette, or dithered to RGB565 into a
// 24-bit bitmap of exactly the colours the BM will hold.
TBitmap ConvertColours(const TColourPicture& picture, const TCreateOptions& options);

// Refusal of the whole source list before anything is written: none (NoSources) or more than
// kMaxImages (TooManySources).
std::optional<TRefusal> CheckSourceCount(std::size_t count);

// The bytes of the BM, encoded with EncodeBM8 or EncodeBM16 by the mode. Throws CodecError
// when a source cannot be stored.
std::vector<std::uint8_t> EncodeNewBM(const std::vector<const TBitmap*>& sources,
                                      const TCreateOptions& options);
// Writes that BM into a file, atomically and synced. Throws CodecError on any failure; an
// existing file is then left as it was.
void CreateBM(const std::string& path, const std::vector<const TBitmap*>& sources,
              const TCreateOptions& options);

// Gives a source's clear pixels the transparent colour of a 16-bit BM with these options.
void PaintTransparent(TSourceImage& source, const TCreateOptions& options);
// The transparent colour of a 16-bit BM with these options, as the RGB565 value it is stored as.
std::uint16_t TransparentRgb565(const TCreateOptions& options);

}  // namespace zarn
