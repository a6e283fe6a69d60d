// How the palette readers report a refused file: through a sink the caller supplies
// (the windows show a warning box, the command line prints, tests record).
#pragma once

#include <string>

namespace zarn {

inline constexpr const char* kInvalidCMPFile = "Invalid CMP file!";
inline constexpr const char* kInvalidBMFile = "Invalid BM file!";
inline constexpr const char* kBMHasNoPalette = "BM doesn't contain a Palette!";

class TMessageSink {
 public:
  virtual ~TMessageSink() = default;
  virtual void Warning(const std::string& text) = 0;
};

}  // namespace zarn
