// Reading BMs and palettes from bytes in memory or from a byte source.
//
// Every reader is all-or-nothing: the caller's records change only when the whole file has been
// read and accepted. A refused file leaves them exactly as they were.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "codec/BMFormat.h"
#include "codec/ByteSource.h"
#include "codec/Messages.h"

namespace zarn {

// Reads a whole BM: header, image records (into Images[0] to Images[ImageCount - 1]) and, when
// PaletteMode is 2, the 768-byte trailer right after the last image. Returns false (showing
// nothing) for a BM that lacks the "BM " signature, ends early, has a negative image size, more
// images than `Images` holds, or an image outside ImageWithinLimits(); `refusal`, when given,
// then gets why: kInvalidBMFile, or a text naming the limit the BM is over. A header whose
// BitsPerPixel is neither 8 nor 16 is accepted with its header only: no image record and no
// palette is read. Slots from ImageCount up are untouched, and so is Palette when there is no
// trailer. The file form (ReadBM) is in the file layer.
bool ReadBMFromBytes(std::span<const std::uint8_t> bytes, TBMHeader& Header,
                     std::span<TBMImage> Images, TBMPalette& Palette,
                     std::string* refusal = nullptr);
bool ReadBMFromSource(detail::TByteSource& source, TBMHeader& Header, std::span<TBMImage> Images,
                      TBMPalette& Palette, std::string* refusal = nullptr);

// Reads the palette at bytes 64 to 831 of a CMP. A source that cannot be read, does not begin
// with "CMP " or is too short gets the warning "Invalid CMP file!" and false.
bool ReadCMPPaletteFromSource(detail::TByteSource& source, TBMPalette& Palette,
                              TMessageSink& messages);

// Reads the last 768 bytes of a BM whose PaletteMode is 2. Warns "Invalid BM file!" for a
// source that cannot be read, lacks the signature or is too short, and "BM doesn't contain a
// Palette!" when PaletteMode is not 2; both return false.
bool ReadBMPaletteFromSource(detail::TByteSource& source, TBMPalette& Palette,
                             TMessageSink& messages);

}  // namespace zarn
