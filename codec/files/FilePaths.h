// Paths as the user gives and sees them, the texts that name them, and the identity of a file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zarn {

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

// Why the file cannot be opened for reading, as the system says it ("No such file or
// directory"); nothing when it can.
std::optional<std::string> OpenFailure(const std::filesystem::path& path);

}  // namespace zarn
