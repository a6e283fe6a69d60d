#include "codec/files/AtomicFile.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <string>

#include "codec/Errors.h"
#include "codec/files/FilePaths.h"

namespace zarn {

namespace {

namespace fs = std::filesystem;

constexpr int kTemporaryNameAttempts = 16;
// The longest file name the usual file systems take, in bytes.
constexpr std::size_t kMaxNameBytes = 255;
// "." before the name and ".<16 hex digits>.tmp" after it.
constexpr std::size_t kTemporaryNameExtra = 1 + 21;

detail::TAtomicFileSeam* gSeam = nullptr;

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

std::uint64_t RandomPart() {
  static std::mt19937_64 random{std::random_device{}()};
  if (gSeam != nullptr && gSeam->Random) return gSeam->Random();
  return random();
}

// Creates a new, empty file beside `target` that no other writer can be using, with `mode`.
int CreateTemporary(const fs::path& target, mode_t mode, fs::path& temporary) {
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    temporary = FolderOf(target) / TemporaryName(target, RandomPart());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Whether the system keeps the entries of a folder, or a file, as they are (append-only or
// immutable): nothing in such a folder can be renamed or removed, nor such a file replaced.
bool IsFixed(const fs::path& path, int openFlags) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | openFlags);
  if (fd < 0) return false;
  int flags = 0;
  const bool fixed =
      ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & (FS_APPEND_FL | FS_IMMUTABLE_FL)) != 0;
  ::close(fd);
  return fixed;
}

// The error the rename would fail with, when that is known before anything is written, else 0:
// a folder or a file the system keeps as they are, or another user's file in a sticky folder
// that is not the user's. A temporary in such a folder could not even be removed again.
int KnownRenameFailure(const fs::path& target, const struct stat* replaced) {
  const fs::path folder = FolderOf(target);
  if (IsFixed(folder, O_DIRECTORY)) return EPERM;
  if (replaced == nullptr) return 0;
  if (IsFixed(target, O_NOFOLLOW)) return EPERM;
  struct stat info {};
  const uid_t user = ::geteuid();
  if (user != 0 && replaced->st_uid != user && ::stat(folder.c_str(), &info) == 0 &&
      (info.st_mode & S_ISVTX) != 0 && info.st_uid != user) {
    return EPERM;
  }
  return 0;
}

// Whether the user may not write to the file, as the shell's test -w judges it (root may).
bool IsWriteProtected(const fs::path& target) {
  return ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES;
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

// Gives the new file the replaced one's owner, group and mode. Owner and group first: changing
// them may clear the set-id bits that the mode then sets. Either may be refused (only root
// gives a file away). The bits of an owner or group that could not be kept are dropped, so
// that the new file is never open to anyone the old one was not.
void KeepOwnerAndMode(int fd, const struct stat& replaced) {
  mode_t kept = replaced.st_mode & 07777;
  if (::fchown(fd, replaced.st_uid, replaced.st_gid) != 0) {
    kept &= ~static_cast<mode_t>(S_ISUID);
    if (::fchown(fd, static_cast<uid_t>(-1), replaced.st_gid) != 0) {
      kept &= ~static_cast<mode_t>(S_IRWXG | S_ISGID);
    }
  }
  (void)::fchmod(fd, kept);
}

int SyncFile(int fd) {
  if (gSeam != nullptr && gSeam->SyncFile) return gSeam->SyncFile(fd);
  return ::fsync(fd);
}

// Flushes the folder's entries, so that the renamed name itself is on the disk. File systems
// that cannot flush a folder say EINVAL; their entries need no flush.
int SyncFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  const int synced = gSeam != nullptr && gSeam->SyncFolder ? gSeam->SyncFolder(fd) : ::fsync(fd);
  const int result = synced == 0 || errno == EINVAL ? 0 : errno;
  ::close(fd);
  return result;
}

int Rename(const fs::path& from, const fs::path& to) {
  if (gSeam != nullptr && gSeam->RenameError != 0) return gSeam->RenameError;
  return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// Removes the temporary after a failure: an empty text, or the words that say it is still there
// and name it, to end the message with.
std::string Discard(const fs::path& temporary) {
  const bool removed = gSeam != nullptr && gSeam->RemoveError != 0
                           ? (errno = gSeam->RemoveError, false)
                           : ::unlink(temporary.c_str()) == 0;
  if (removed) return {};
  return "; the temporary file " + DisplayPath(temporary) + " could not be removed";
}

std::string CannotReplaceText(const fs::path& path, int error) {
  return "Cannot replace file " + DisplayPath(path) + ": " + SystemReason(error);
}

std::string CannotWriteText(const fs::path& path, int error) {
  return "Cannot write file " + DisplayPath(path) + ": " + SystemReason(error);
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
  if (replacing && S_ISDIR(existing.st_mode)) throw FileError(CannotCreateFileText(path), EISDIR);
  if (replacing && !S_ISREG(existing.st_mode)) {
    throw CodecError(DisplayPath(path) + " is not a regular file");
  }
  if (replacing && IsWriteProtected(target)) {
    throw CodecError(DisplayPath(path) + " is write-protected");
  }
  if (const int error = KnownRenameFailure(target, replacing ? &existing : nullptr)) {
    if (replacing) throw CodecError(CannotReplaceText(path, error));
    throw FileError(CannotCreateFileText(path), error);
  }

  // While it is written, the group has no access to a replacement: its group is not yet the
  // replaced file's.
  const mode_t mode = replacing ? existing.st_mode & 07777 : 0666;
  const mode_t initial =
      replacing ? mode & ~static_cast<mode_t>(S_IRWXG | S_ISGID | S_ISUID) : mode;
  fs::path temporary;
  const int fd = CreateTemporary(target, initial, temporary);
  if (fd < 0) throw FileError(CannotCreateFileText(path), errno);
  int error = 0;
  for (const auto piece : pieces) {
    if (!WriteAll(fd, piece)) {
      error = errno;
      break;
    }
  }
  if (error == 0 && replacing) KeepOwnerAndMode(fd, existing);
  if (error == 0 && durability == EDurability::Synced && SyncFile(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) {
    const std::string left = Discard(temporary);
    throw CodecError(CannotWriteText(path, error) + left);
  }
  if (const int renameError = Rename(temporary, target); renameError != 0) {
    const std::string left = Discard(temporary);
    throw CodecError(CannotReplaceText(path, renameError) + left);
  }
  if (durability == EDurability::Synced) {
    if (const int folderError = SyncFolder(FolderOf(target)); folderError != 0) {
      throw CodecError(CannotWriteText(path, folderError));
    }
  }
}

}  // namespace zarn
