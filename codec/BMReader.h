// Reading BMs and palettes from the bytes of a whole file in memory; the file forms, which read
// the file whole under kMaxBMFileBytes, are in the file layer.
//
// Every reader is all-or-nothing: the caller's records change only when the whole file has been
// read and accepted. A refused file leaves them exactly as they were.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "codec/BMFormat.h"
#include "codec/Refusal.h"

namespace zarn {

// Reads a whole BM: header, image records (into Images[0] to Images[ImageCount - 1]) and, when
// PaletteMode is 2, the 768-byte trailer right after the last image. Refuses (InvalidBM) a BM
// that lacks the "BM " signature, ends early or has a negative image size; TooManyImages for
// more images than `Images` holds; ImageTooLarge for an image outside ImageWithinLimits(). A
// header whose BitsPerPixel is neither 8 nor 16 is accepted with its header only: no image
// record and no palette is read. Slots from ImageCount up are untouched, and so is Palette when
// there is no trailer.
std::optional<TRefusal> ReadBMFromBytes(std::span<const std::uint8_t> bytes, TBMHeader& header,
                                        std::span<TBMImage> images, TBMPalette& palette);

// Reads the palette at bytes 64 to 831 of a CMP. Bytes that do not begin with "CMP " or are too
// short are refused (InvalidCMP).
std::optional<TRefusal> ReadCMPPaletteFromBytes(std::span<const std::uint8_t> bytes,
                                                TBMPalette& palette);

// Reads the last 768 bytes of a BM whose PaletteMode is 2. Refuses bytes that lack the signature
// or are too short (InvalidBM), and a BM whose PaletteMode is not 2 (BMHasNoPalette).
std::optional<TRefusal> ReadBMPaletteFromBytes(std::span<const std::uint8_t> bytes,
                                               TBMPalette& palette);

}  // namespace zarn
