// zarn-cli: the BM codec for scripts and batch work. All the work is in RunCli.
#include <cerrno>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "cli/CliCommands.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  errno = 0;
  const int status = zarn::cli::RunCli(args, std::cout, std::cerr);
  std::cout.flush();
  if (std::cout) return status;
  // Results that did not reach their reader (a full disk, a closed file) are a failure. A
  // reader that goes away early ends the program by SIGPIPE before this, as usual.
  const int error = errno;
  std::cerr << "zarn-cli: cannot write to standard output"
            << (error != 0 ? ": " + std::generic_category().message(error) : std::string()) << '\n';
  return zarn::cli::kExitRefused;
}
