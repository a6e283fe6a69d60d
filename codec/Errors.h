// The one error type of the codec: it carries the text the user is shown.
#pragma once

#include <stdexcept>

namespace zarn {

class CodecError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr const char* kBitmapNotValid = "Bitmap image is not valid";
inline constexpr const char* kStreamReadError = "Stream read error";

}  // namespace zarn
