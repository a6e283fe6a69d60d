#include "codec/files/FilePaths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "codec/files/FileSource.h"

namespace zarn {

namespace {

namespace fs = std::filesystem;

// Links followed before giving up, as the system itself does.
constexpr int kMaxLinkHops = 40;

TFileIdentity IdentityFrom(const struct stat& info) {
  return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

fs::path FolderOf(const fs::path& path) {
  return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

// Whether the system would follow the link `link` (owned by `linkOwner`) for this user: not in a
// sticky folder that others may write to, unless the user or the folder's owner owns the link.
bool MayFollow(const fs::path& link, uid_t linkOwner) {
  if (linkOwner == ::geteuid()) return true;
  struct stat folder {};
  if (::stat(FolderOf(link).c_str(), &folder) != 0) return true;
  const mode_t shared = S_ISVTX | S_IWOTH;
  return (folder.st_mode & shared) != shared || folder.st_uid == linkOwner;
}

}  // namespace

std::string SystemReason(int error) {
  return std::generic_category().message(error);
}

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
  return IdentityFrom(info);
}

std::optional<TFileIdentity> IdentityOfStream(EStandardStream stream) {
  const int fd = stream == EStandardStream::Output ? STDOUT_FILENO : STDERR_FILENO;
  struct stat info {};
  if (::fstat(fd, &info) != 0) return std::nullopt;
  return IdentityFrom(info);
}

fs::path FinalTarget(const fs::path& path) {
  fs::path target = path;
  for (int hops = 0;; ++hops) {
    struct stat link {};
    if (::lstat(target.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return target;
    if (hops == kMaxLinkHops) throw FileError(CannotCreateFileText(path), ELOOP);
    if (!MayFollow(target, link.st_uid)) throw FileError(CannotCreateFileText(path), EACCES);
    std::error_code ec;
    const fs::path next = fs::read_symlink(target, ec);
    if (ec) return target;
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
}

TReachedFile ReachedFile(const fs::path& path) {
  if (const auto id = IdentityOf(path)) return *id;
  std::error_code ec;
  fs::path target;
  try {
    target = FinalTarget(path);
  } catch (const FileError&) {
    target = path;  // a name that reaches no file: only the same spelling is the same file
  }
  fs::path resolved = fs::weakly_canonical(fs::absolute(target, ec), ec);
  if (ec) resolved = fs::absolute(target, ec).lexically_normal();
  return resolved;
}

std::optional<std::string> OpenFailure(const std::filesystem::path& path) {
  const detail::TFileSource source(path);
  if (source.IsOpen()) return std::nullopt;
  return source.Failure();
}

bool Exists(const fs::path& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

bool IsFolder(const fs::path& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

std::optional<std::uint64_t> RegularFileSize(const fs::path& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return std::nullopt;
  const std::uintmax_t size = fs::file_size(path, ec);
  if (ec) return std::nullopt;
  return size;
}

std::optional<std::vector<fs::path>> MakeFolders(const fs::path& folder) {
  std::vector<fs::path> made;
  std::error_code ec;
  for (fs::path missing = folder.lexically_normal();
       !missing.empty() && !fs::exists(fs::symlink_status(missing, ec));
       missing = missing.parent_path()) {
    made.insert(made.begin(), missing);
    if (missing == missing.parent_path()) break;
  }
  fs::create_directories(folder, ec);
  if (ec || !fs::is_directory(folder, ec)) return std::nullopt;
  return made;
}

void RemoveEmptyFolders(std::span<const fs::path> folders) {
  std::error_code ec;
  for (auto it = folders.rbegin(); it != folders.rend(); ++it)
    fs::remove(*it, ec);
}

}  // namespace zarn
