// The one error type of the codec: it carries the text the user is shown.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zarn {

class CodecError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr const char* kBitmapNotValid = "Bitmap image is not valid";
inline constexpr const char* kStreamReadError = "Stream read error";

// "Cannot open file <path>" and "Cannot create file <path>".
std::string CannotOpenFileText(const std::filesystem::path& path);
std::string CannotCreateFileText(const std::filesystem::path& path);

// A path as the user sees it in a message (UTF-8).
std::string DisplayPath(const std::filesystem::path& path);
// A path from UTF-8 text, as the windows and the command line hand paths over.
std::filesystem::path PathFromUtf8(std::string_view utf8);

}  // namespace zarn
