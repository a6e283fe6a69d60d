// Paths as the user gives and sees them, the texts that name them, and the identity of a file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "codec/Errors.h"

namespace zarn {

// A file that could not be created or written, with the system's error number: the windows show
// the text, zarn-cli adds the system's reason to it.
class FileError : public CodecError {
 public:
  FileError(const std::string& text, int error) : CodecError(text), error_(error) {}
  int Error() const { return error_; }

 private:
  int error_;
};

// The system's reason for an error number ("Permission denied").
std::string SystemReason(int error);

// "Cannot open file <path>" and "Cannot create file <path>".
std::string CannotOpenFileText(const std::filesystem::path& path);
std::string CannotCreateFileText(const std::filesystem::path& path);

// A path as the user sees it in a message (UTF-8).
std::string DisplayPath(const std::filesystem::path& path);
// A path from UTF-8 text, as the windows and the command line hand paths over.
std::filesystem::path PathFromUtf8(std::string_view utf8);

// Which file a path names once every link is followed: two paths name the same file exactly
// when their identities are equal, however they are spelt.
struct TFileIdentity {
  std::uint64_t Device = 0;
  std::uint64_t Inode = 0;
  friend bool operator==(const TFileIdentity&, const TFileIdentity&) = default;
  friend auto operator<=>(const TFileIdentity&, const TFileIdentity&) = default;
};
// Nothing when no file is there (or it cannot be looked at).
std::optional<TFileIdentity> IdentityOf(const std::filesystem::path& path);
// The file one of the program's own standard streams writes to; nothing when it is closed.
enum class EStandardStream { Output, Error };
std::optional<TFileIdentity> IdentityOfStream(EStandardStream stream);

// The file that writing to `path` replaces or creates: each symbolic link followed, at most 40
// as the system does. A link in a sticky folder that others may write to (as /tmp) is followed
// only when the user or the folder's owner owns it, so that nobody can point another user's
// output at a file of theirs. Throws FileError "Cannot create file <path>" for a loop or a
// longer chain (ELOOP) and for a link that is not followed (EACCES).
std::filesystem::path FinalTarget(const std::filesystem::path& path);

// The file a name reaches, to tell whether two names are one file however they are spelt: the
// identity of a file that is there, else the resolved path where it would be made.
using TReachedFile = std::variant<TFileIdentity, std::filesystem::path>;
TReachedFile ReachedFile(const std::filesystem::path& path);

// Why the file cannot be opened for reading, as the system says it ("No such file or
// directory"); nothing when it can.
std::optional<std::string> OpenFailure(const std::filesystem::path& path);

// Whether anything is there under `path`, links followed.
bool Exists(const std::filesystem::path& path);
// Whether `path` names a folder, links followed.
bool IsFolder(const std::filesystem::path& path);
// The size of the regular file `path` names, links followed; nothing for anything else or when
// it cannot be looked at.
std::optional<std::uint64_t> RegularFileSize(const std::filesystem::path& path);

// Makes the folder `folder` with every folder above it that is missing. Returns the folders it
// made, outermost first, or nothing when the folder is not there afterwards.
std::optional<std::vector<std::filesystem::path>> MakeFolders(const std::filesystem::path& folder);
// Removes `folders` innermost (last) first; a folder that is not empty stays.
void RemoveEmptyFolders(std::span<const std::filesystem::path> folders);

}  // namespace zarn
