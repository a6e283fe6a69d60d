// The display-free half of the new-BM window: the check of a source BMP file when it is
// offered, and the writing of a new BM from the sources with the window's options.
// The creator window and the command-line tool both go through these.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "codec/Bitmap.h"
#include "codec/ColourMap.h"
#include "codec/Messages.h"
#include "codec/Png.h"

namespace zarn {

inline const std::string kBMPNot256Colour = std::string(kNot256Colour) + "!";
inline const std::string kBMPNotTruecolour = std::string(kNotTruecolour) + "!";
inline constexpr const char* kTooManySources = "A BM can hold at most 21 images!";

enum class EBMMode { Bit8, Bit16 };

// Checks the headers of a BMP file offered as a source: the "BM" type first, then the bit count
// the mode needs (8 or 24). A file that cannot be read, or is too short for its own file and
// info headers (54 bytes, or 26 for the older 12-byte info header), is an invalid BMP file.
// Returns the warning to show, or nothing when the file passes.
std::optional<std::string> CheckBmpFile(const std::string& path, EBMMode mode);

// Loads a source that passed CheckBmpFile and makes sure the writer can turn it into an image:
// returns the warning when it cannot (unsupported compression, too large for a BM). Throws
// CodecError when the bitmap cannot be loaded at all.
std::optional<std::string> LoadSource(const std::string& path, EBMMode mode, TBitmap& bitmap);

// A source file is a PNG when it starts with the PNG signature, whatever its name; any other
// file is taken as a BMP.
bool IsPngSource(const std::string& path);

// The source check for either kind: CheckBmpFile for a BMP; for a PNG its signature and header
// chunk ("Invalid PNG file!", "PNG file is not 256 color!" for an 8-bit BM).
std::optional<std::string> CheckSourceFile(const std::string& path, EBMMode mode);

// Loads a source that passed CheckSourceFile, as LoadSource does, into `source`: a PNG of a
// 16-bit BM keeps the pixels that are to take the transparent colour (ClearPixels). Returns the
// warning when the source cannot be an image (a damaged PNG, over the size limit); throws
// CodecError when the file cannot be read at all.
std::optional<std::string> LoadSourceFile(const std::string& path, EBMMode mode,
                                          TSourceImage& source);

// A picture taken from the clipboard, as PNG bytes, checked and loaded as a PNG source file is
// (LoadSourceFile); one that is not 256-colour for an 8-bit BM is refused with
// kClipboardNot256Colour.
inline constexpr const char* kClipboardNot256Colour = "The clipboard's picture is not 256 color!";
std::optional<std::string> LoadClipboardSource(std::span<const std::uint8_t> png, EBMMode mode,
                                               TSourceImage& source);

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

// The check of a source taken by its colours: a PNG by its signature and header chunk, a BMP
// by its type and a bit count of 8, 24 or 32 (kBMPNotMappable).
std::optional<std::string> CheckColourSourceFile(const std::string& path);

// A source's colours converted as `options` say (ConvertsColours()): mapped to MapPalette
// into a 256-colour bitmap whose colour table is that palette, or dithered to RGB565 into a
// 24-bit bitmap of exactly the colours the BM will hold.
TBitmap ConvertColours(const TColourPicture& picture, const TCreateOptions& options);

// Loads a source by its colours, within the size limits of the options' mode, into `picture`;
// returns the refusal. Throws CodecError when the file cannot be read at all.
std::optional<std::string> LoadColourSource(const std::string& path,
                                            const TCreateOptions& options,
                                            TColourPicture& picture);

// The same for a source file's bytes in memory (a pasted picture).
std::optional<std::string> LoadColourSource(std::span<const std::uint8_t> file,
                                            const TCreateOptions& options,
                                            TColourPicture& picture);

// LoadColourSource, then ConvertColours into `source`.
std::optional<std::string> LoadConvertedSource(const std::string& path,
                                               const TCreateOptions& options,
                                               TSourceImage& source);

// Refusal of the whole source list before anything is written (more than kMaxImages sources,
// or none): the warning to show, or nothing.
std::optional<std::string> CheckSourceCount(std::size_t count);

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
