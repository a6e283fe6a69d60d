#include "codec/files/FilePaths.h"

#include <sys/stat.h>

#include <cerrno>
#include <system_error>

#include "codec/files/FileSource.h"

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

std::optional<TFileIdentity> IdentityOf(const std::filesystem::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return TFileIdentity{static_cast<std::uint64_t>(info.st_dev),
                       static_cast<std::uint64_t>(info.st_ino)};
}

std::optional<std::string> OpenFailure(const std::filesystem::path& path) {
  const detail::TFileSource source(path);
  if (source.IsOpen()) return std::nullopt;
  return source.Failure();
}

}  // namespace zarn
