#include "codec/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <system_error>

#include "codec/Errors.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace zarn {

namespace {

namespace fs = std::filesystem;

constexpr int kTemporaryNameAttempts = 16;

std::string SystemReason(int error) {
  return std::generic_category().message(error);
}

// Creates a new, empty file beside `target` that no other writer can be using.
std::FILE* CreateTemporary(const fs::path& target, fs::path& temporary) {
  static std::mt19937_64 random{std::random_device{}()};
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(random()));
    std::string name = ".";
    name += target.filename().string();
    name += suffix;
    temporary = folder / name;
#if defined(_WIN32)
    std::FILE* file = _wfopen(temporary.c_str(), L"wbx");
#else
    std::FILE* file = std::fopen(temporary.c_str(), "wbx");
#endif
    if (file != nullptr) return file;
    if (errno != EEXIST) return nullptr;
  }
  return nullptr;
}

bool FlushToDisk(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
#if defined(_WIN32)
  return _commit(_fileno(file)) == 0;
#else
  return fsync(fileno(file)) == 0;
#endif
}

}  // namespace

void WriteFileAtomically(const fs::path& path, std::span<const std::uint8_t> bytes,
                         EDurability durability) {
  const std::span<const std::uint8_t> pieces[] = {bytes};
  WriteFileAtomically(path, pieces, durability);
}

void WriteFileAtomically(const fs::path& path,
                         std::span<const std::span<const std::uint8_t>> pieces,
                         EDurability durability) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) throw CodecError(CannotCreateFileText(path));
  fs::path temporary;
  std::FILE* file = CreateTemporary(path, temporary);
  if (file == nullptr) throw CodecError(CannotCreateFileText(path));

  bool written = true;
  for (const auto piece : pieces) {
    if (!piece.empty() && std::fwrite(piece.data(), 1, piece.size(), file) != piece.size()) {
      written = false;
      break;
    }
  }
  int error = errno;
  const bool flushed =
      written && (durability == EDurability::Buffered ? std::fflush(file) == 0 : FlushToDisk(file));
  if (written && !flushed) error = errno;
  const bool closed = std::fclose(file) == 0;
  if (written && flushed && !closed) error = errno;
  if (!(written && flushed && closed)) {
    fs::remove(temporary, ec);
    throw CodecError("Cannot write file " + DisplayPath(path) + ": " + SystemReason(error));
  }
  // A replaced file keeps its permissions.
  const auto existing = fs::status(path, ec);
  if (!ec && fs::exists(existing)) {
    fs::permissions(temporary, existing.permissions(), fs::perm_options::replace, ec);
  }
  fs::rename(temporary, path, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    throw CodecError("Cannot replace file " + DisplayPath(path) + ": " + ec.message());
  }
}

}  // namespace zarn
