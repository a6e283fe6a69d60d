// Reading BM files and palettes.
//
// Every reader is all-or-nothing: the caller's records change only when the whole file has been
// read and accepted. A refused file leaves them exactly as they were.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "codec/BMFormat.h"
#include "codec/Messages.h"

namespace zarn {

// Reads a whole BM file: header, image records (into Images[0] to Images[ImageCount - 1]) and,
// when PaletteMode is 2, the 768-byte trailer right after the last image. Returns false (showing
// nothing) for a file that cannot be opened, lacks the "BM " signature, ends early, has a
// negative image size, more images than `Images` holds, or an image outside
// ImageWithinLimits(). A header whose BitsPerPixel is neither 8 nor 16 is accepted with its
// header only: no image record and no palette is read. Slots from ImageCount up are untouched,
// and so is Palette when there is no trailer.
bool ReadBM(const std::filesystem::path& FileName, TBMHeader& Header, std::span<TBMImage> Images,
            TBMPalette& Palette);
// The same rules for a BM held in memory.
bool ReadBMFromBytes(std::span<const std::uint8_t> bytes, TBMHeader& Header,
                     std::span<TBMImage> Images, TBMPalette& Palette);

// Reads the palette at bytes 64 to 831 of a CMP file. A file that cannot be opened, does not
// begin with "CMP " or is too short gets the warning "Invalid CMP file!" and false.
bool ReadCMPPalette(const std::filesystem::path& FileName, TBMPalette& Palette,
                    TMessageSink& messages);

// Reads the last 768 bytes of a BM file whose PaletteMode is 2. Warns "Invalid BM file!" for a
// file that cannot be opened, lacks the signature or is too short, and "BM doesn't contain a
// Palette!" when PaletteMode is not 2; both return false.
bool ReadBMPalette(const std::filesystem::path& FileName, TBMPalette& Palette,
                   TMessageSink& messages);

}  // namespace zarn
