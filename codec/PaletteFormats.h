// Palettes in the file formats of the game and of paint programs, on bytes in memory: which
// format a file is, reading its 256 colours, and writing them back out.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "codec/BMFormat.h"
#include "codec/Refusal.h"

namespace zarn {

// The kind of a palette file. The viewer's "Load Palette" offers the first two; every kind is
// read by ReadPaletteBytes, and the kinds marked "written" by EncodePalette.
enum class EPaletteFile {
  CMP,   // the game's colour map: "CMP " header, 768 bytes of red, green, blue at offset 64
  BM,    // a BM's palette trailer: the last 768 bytes of a BM whose PaletteMode is 2
  Gimp,  // GIMP palette text, "GIMP Palette" then "R G B name" lines (.gpl; written)
  Act,   // Adobe colour table: 256 triples, optionally a big-endian count and a transparent
         // index after them (768 or 772 bytes, .act; written with 768)
  Jasc,  // JASC-PAL text: "JASC-PAL", "0100", the count, then "R G B" lines (.pal; written)
  Png,   // a palette PNG's PLTE chunk (.png; written as a swatch, see EncodePalette)
  Bmp,   // the colour table of a BMP of 1, 4 or 8 bits per pixel (.bmp)
};

// The kinds EncodePalette writes, in the order the program offers them.
inline constexpr EPaletteFile kWrittenPaletteKinds[] = {EPaletteFile::Gimp, EPaletteFile::Act,
                                                        EPaletteFile::Jasc, EPaletteFile::Png};

// No palette file is read beyond this size (a large palette PNG or 256-colour BMP picture).
inline constexpr std::uint64_t kMaxPaletteFileBytes = 64u << 20;

// The side of one swatch cell, in pixels, and the cells a swatch row holds.
inline constexpr std::int32_t kSwatchCell = 16;
inline constexpr std::int32_t kSwatchColumns = 16;

inline constexpr const char* kNotAPaletteOutput =
    "A palette is written as .gpl, .act, .pal or .png!";

// The kind of a palette file from its first bytes where they tell (CMP magic, BM signature,
// "GIMP Palette", "JASC-PAL", PNG and BMP signatures), otherwise from its extension (".act",
// and the extension of each kind above, in any case): nothing when neither does.
std::optional<EPaletteFile> PaletteFileOf(std::span<const std::uint8_t> bytes,
                                          std::string_view path);

// The usual extension of each kind, without the dot ("gpl", "act", "pal", "png", ...).
std::string_view PaletteExtension(EPaletteFile kind);

// The kind a palette is written as, from the extension of `path` (.gpl, .act, .pal, .png in
// any case): nothing for any other.
std::optional<EPaletteFile> PaletteOutputFor(std::string_view path);

// Reads the colours of a palette file of kind `kind` into `palette`: a palette of fewer than
// 256 colours has the rest black. Returns why the file is refused (the reader's refusal for
// CMP and BM; damaged or malformed content, by its kind; more than 256 colours,
// TooManyColours), leaving `palette` unchanged, or nothing.
std::optional<TRefusal> ReadPaletteBytes(std::span<const std::uint8_t> bytes, EPaletteFile kind,
                                         TBMPalette& palette);

// Replaces `out` with the palette as a file of kind Gimp, Act, Jasc or Png. The PNG is a
// swatch: a palette PNG of 16 x 16 cells of kSwatchCell pixels, cell i (row by row) filled
// with index i, whose PLTE is the palette, so that it reads back exactly. Throws CodecError
// for the kinds that are not written.
void EncodePalette(const TBMPalette& palette, EPaletteFile kind, std::vector<std::uint8_t>& out);

}  // namespace zarn
