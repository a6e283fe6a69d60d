// A byte source over a file, for the readers that take only the parts of a file they need.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>

#include "codec/ByteSource.h"

namespace zarn::detail {

// A file opened for reading; closed when the source goes out of scope, on every path. Only
// regular files are opened: a folder or a device is refused without being opened, so that
// nothing can block on a FIFO.
class TFileSource final : public TByteSource {
 public:
  explicit TFileSource(const std::filesystem::path& path);
  bool IsOpen() const { return open_; }
  // Why the file was not opened, as the system says it; empty when it was.
  const std::string& Failure() const { return failure_; }
  bool Read(std::span<std::uint8_t> out) override;
  std::uint64_t Remaining() override;
  bool Seek(std::uint64_t offset) override;
  std::uint64_t Size() override { return size_; }

 private:
  std::ifstream in_;
  std::uint64_t size_ = 0;
  std::uint64_t pos_ = 0;
  bool open_ = false;
  std::string failure_;
};

}  // namespace zarn::detail
