// The commands of zarn-cli: info, export and create, with the same reading, decoding, checks,
// export names and texts as the viewer and the creator, which they share.
#pragma once

#include <iosfwd>
#include <span>
#include <string>

namespace zarn::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitRefused = 1;  // a file was refused or could not be written
inline constexpr int kExitUsage = 2;    // the command line itself is wrong

// Runs zarn-cli with `args`, the command line without the program's name. Results go to
// `out`, messages to `err`, each message naming the file it is about. Returns the exit status.
int RunCli(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace zarn::cli
