// zarn-cli: the BM codec for scripts and batch work. All the work is in RunCli.
#include <iostream>
#include <string>
#include <vector>

#include "cli/CliCommands.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const int status = zarn::cli::RunCli(args, std::cout, std::cerr);
  std::cout.flush();
  return std::cout ? status : zarn::cli::kExitRefused;
}
