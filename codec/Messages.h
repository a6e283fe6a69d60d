// The texts of refused files, and how the palette readers report one: through a sink the caller
// supplies (the windows show a warning box, the command line prints, tests record).
#pragma once

#include <string>
#include <string_view>

namespace zarn {

inline constexpr const char* kInvalidCMPFile = "Invalid CMP file!";
inline constexpr const char* kInvalidBMFile = "Invalid BM file!";
inline constexpr const char* kBMHasNoPalette = "BM doesn't contain a Palette!";
inline constexpr const char* kInvalidBMPFile = "Invalid BMP file!";
// Why a BMP cannot be the source of an 8-bit or of a 16-bit BM (the creator's warnings end
// them with "!").
inline constexpr std::string_view kNot256Colour = "BMP file is not 256 color";
inline constexpr std::string_view kNotTruecolour = "BMP file is not truecolor";
inline constexpr std::string_view kUnsupportedCompression =
    "BMP compression is not supported (only uncompressed and RLE8 BMPs can be used)";

class TMessageSink {
 public:
  virtual ~TMessageSink() = default;
  virtual void Warning(const std::string& text) = 0;
};

}  // namespace zarn
