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
// private folder, never into `workDir`; standard output goes to `outPath` instead when given
// (its Out is then empty).
CliResult RunCli(const std::filesystem::path& workDir, const std::vector<std::string>& args,
                 const std::filesystem::path& outPath = {});

}  // namespace zarn::test
