// A regular file opened for reading, for the file edge's whole-file and head reads.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>

namespace zarn::detail {

// A file opened for reading; closed when the source goes out of scope, on every path. Only
// regular files are opened: a folder or a device is refused without being opened, so that
// nothing can block on a FIFO.
class TFileSource {
 public:
  explicit TFileSource(const std::filesystem::path& path);
  bool IsOpen() const { return open_; }
  // Why the file was not opened, as the system says it; empty when it was.
  const std::string& Failure() const { return failure_; }
  // Fills `out` completely from where the last read ended, or returns false.
  bool Read(std::span<std::uint8_t> out);
  std::uint64_t Size() const { return size_; }

 private:
  std::ifstream in_;
  std::uint64_t size_ = 0;
  bool open_ = false;
  std::string failure_;
};

}  // namespace zarn::detail
