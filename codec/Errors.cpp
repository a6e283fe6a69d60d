#include "codec/Errors.h"

namespace zarn {

std::string DisplayPath(const std::filesystem::path& path) {
  const auto text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::filesystem::path PathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string CannotOpenFileText(const std::filesystem::path& path) {
  return "Cannot open file " + DisplayPath(path);
}

std::string CannotCreateFileText(const std::filesystem::path& path) {
  return "Cannot create file " + DisplayPath(path);
}

}  // namespace zarn
