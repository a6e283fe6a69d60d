#include "codec/files/FileSource.h"

#include <cerrno>
#include <system_error>

namespace zarn::detail {

TFileSource::TFileSource(const std::filesystem::path& path) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status)) {
    failure_ = ec ? ec.message() : std::generic_category().message(ENOENT);
    return;
  }
  // Only regular files: a directory or a device would open but cannot be read as a file.
  if (std::filesystem::is_directory(status)) {
    failure_ = std::generic_category().message(EISDIR);
    return;
  }
  if (!std::filesystem::is_regular_file(status)) {
    failure_ = "Not a regular file";
    return;
  }
  const auto size = std::filesystem::file_size(path, ec);
  if (ec) {
    failure_ = ec.message();
    return;
  }
  errno = 0;
  in_.open(path, std::ios::binary);
  if (!in_) {
    failure_ = std::generic_category().message(errno != 0 ? errno : EACCES);
    return;
  }
  size_ = size;
  open_ = true;
}

bool TFileSource::Read(std::span<std::uint8_t> out) {
  if (!open_) return false;
  if (out.empty()) return true;
  in_.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
  if (static_cast<std::size_t>(in_.gcount()) != out.size()) {
    in_.clear();
    return false;
  }
  return true;
}

}  // namespace zarn::detail
