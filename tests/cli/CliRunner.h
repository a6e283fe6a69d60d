// Runs the built zarn-cli as a separate process, the way a script does, and collects what it
// wrote and its exit status.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zarn::test {

struct CliResult {
  int Status = -1;  // the exit status, or -1 when the process did not exit normally
  std::string Out;
  std::string Err;
};

// Runs zarn-cli with `args` in the folder `workDir`, so that relative names in the arguments
// and in the messages are relative to it. Standard output and error go through files in a
// private folder, never into `workDir`; standard output or error is appended to `outPath` or
// `errPath` instead when given, as with ">>" (its Out or Err is then empty).
CliResult RunCli(const std::filesystem::path& workDir, const std::vector<std::string>& args,
                 const std::filesystem::path& outPath = {},
                 const std::filesystem::path& errPath = {});

}  // namespace zarn::test
