// Source pictures by their colours, whatever their kind: the input of colour mapping.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "codec/Png.h"

namespace zarn {

// Decodes a source file's bytes into colours with alpha: any PNG; a BMP of 8 bits (its indices
// through its colour table, RLE8 too), 24 bits, or 32 bits (blue, green, red and a fourth byte,
// or the channels its masks name). A 32-bit BMP's alpha counts only when its header declares
// an alpha mask; every other BMP pixel is opaque. Returns the refusal (kInvalidBMPFile,
// kInvalidPNGFile, an unsupported depth or compression, or a picture beyond the limits of a BM
// image of `bitsPerPixel` bits), leaving `out` unchanged, or nothing.
std::optional<std::string> DecodeColourSource(std::span<const std::uint8_t> bytes,
                                              std::int32_t bitsPerPixel, TColourPicture& out);

// The bit counts of BMP sources that DecodeColourSource takes.
bool IsColourSourceBitCount(std::uint16_t bitCount);

inline constexpr const char* kBMPNotMappable =
    "BMP file is not 256 color or truecolor (8, 24 or 32 bits)!";

}  // namespace zarn
