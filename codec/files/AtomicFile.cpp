#include "codec/files/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>

#include "codec/Errors.h"
#include "codec/files/FilePaths.h"

namespace zarn {

namespace {

namespace fs = std::filesystem;

constexpr int kTemporaryNameAttempts = 16;
// Links followed before giving up, as the system itself does.
constexpr int kMaxLinkHops = 40;
// The longest file name the usual file systems take, in bytes.
constexpr std::size_t kMaxNameBytes = 255;
// "." before the name and ".<16 hex digits>.tmp" after it.
constexpr std::size_t kTemporaryNameExtra = 1 + 21;

detail::TAtomicFileSeam* gSeam = nullptr;

std::string SystemReason(int error) {
  return std::generic_category().message(error);
}

[[noreturn]] void Fail(const fs::path& path, int error) {
  throw CodecError("Cannot write file " + DisplayPath(path) + ": " + SystemReason(error));
}

// The file that writing to `path` really replaces: every symbolic link followed.
fs::path FinalTarget(const fs::path& path) {
  fs::path target = path;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(target, ec))) return target;
    const fs::path link = fs::read_symlink(target, ec);
    if (ec) return target;
    target = link.is_absolute() ? link : target.parent_path() / link;
  }
  throw CodecError(CannotCreateFileText(path));
}

fs::path FolderOf(const fs::path& target) {
  return target.has_parent_path() ? target.parent_path() : fs::path(".");
}

// The temporary's name: the target's own, hidden, with a random part. A name near the file
// system's limit is shortened (at a character boundary) so that the temporary's fits too.
std::string TemporaryName(const fs::path& target, std::uint64_t random) {
  std::string name = target.filename().string();
  if (name.size() + kTemporaryNameExtra > kMaxNameBytes) {
    std::size_t keep = kMaxNameBytes - kTemporaryNameExtra;
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
      --keep;
    name.resize(keep);
  }
  char suffix[24];
  std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(random));
  return "." + name + suffix;
}

// Creates a new, empty file beside `target` that no other writer can be using, with `mode`.
int CreateTemporary(const fs::path& target, mode_t mode, fs::path& temporary) {
  static std::mt19937_64 random{std::random_device{}()};
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    temporary = FolderOf(target) / TemporaryName(target, random());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    bytes = bytes.subspan(static_cast<std::size_t>(n));
  }
  return true;
}

bool SyncFile(int fd) {
  if (gSeam != nullptr) ++gSeam->FileSyncs;
  return ::fsync(fd) == 0;
}

// Flushes the folder's entries, so that the renamed name itself is on the disk. File systems
// that cannot flush a folder say EINVAL; their entries need no flush.
int SyncFolder(const fs::path& folder) {
  if (gSeam != nullptr) ++gSeam->FolderSyncs;
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  const int result = ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
  ::close(fd);
  return result;
}

int Rename(const fs::path& from, const fs::path& to) {
  if (gSeam != nullptr && gSeam->RenameError != 0) return gSeam->RenameError;
  return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

}  // namespace

void detail::SetAtomicFileSeam(TAtomicFileSeam* seam) {
  gSeam = seam;
}

void WriteFileAtomically(const fs::path& path, std::span<const std::uint8_t> bytes,
                         EDurability durability) {
  const std::span<const std::uint8_t> pieces[] = {bytes};
  WriteFileAtomically(path, pieces, durability);
}

void WriteFileAtomically(const fs::path& path,
                         std::span<const std::span<const std::uint8_t>> pieces,
                         EDurability durability) {
  const fs::path target = FinalTarget(path);
  // A replaced file's kind, mode, owner and group; lstat, as every link has been followed.
  struct stat existing {};
  const bool replacing = ::lstat(target.c_str(), &existing) == 0;
  if (replacing && S_ISDIR(existing.st_mode)) throw CodecError(CannotCreateFileText(path));
  if (replacing && !S_ISREG(existing.st_mode)) {
    throw CodecError(DisplayPath(path) + " is not a regular file");
  }
  const mode_t mode = replacing ? existing.st_mode & 07777 : 0666;

  fs::path temporary;
  // Until the group is known to be kept, the group has no access to the new file.
  const mode_t initial =
      replacing ? mode & ~static_cast<mode_t>(S_IRWXG | S_ISGID | S_ISUID) : mode;
  const int fd = CreateTemporary(target, initial, temporary);
  if (fd < 0) throw CodecError(CannotCreateFileText(path));
  int error = 0;
  if (replacing) {
    // Owner and group first: changing them may clear the set-id bits that the mode then sets.
    // Either may be refused (only root gives a file away). The bits of an owner or group that
    // could not be kept are dropped, so that the new file is never open to anyone the old one
    // was not.
    mode_t kept = mode;
    if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
      kept &= ~static_cast<mode_t>(S_ISUID);
      if (::fchown(fd, static_cast<uid_t>(-1), existing.st_gid) != 0) {
        kept &= ~static_cast<mode_t>(S_IRWXG | S_ISGID);
      }
    }
    (void)::fchmod(fd, kept);
  }
  for (const auto piece : pieces) {
    if (!WriteAll(fd, piece)) {
      error = errno;
      break;
    }
  }
  if (error == 0 && durability == EDurability::Synced && !SyncFile(fd)) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    Fail(path, error);
  }
  if (const int renameError = Rename(temporary, target); renameError != 0) {
    ::unlink(temporary.c_str());
    throw CodecError("Cannot replace file " + DisplayPath(path) + ": " + SystemReason(renameError));
  }
  if (durability == EDurability::Synced) {
    if (const int folderError = SyncFolder(FolderOf(target)); folderError != 0) {
      Fail(path, folderError);
    }
  }
}

}  // namespace zarn
