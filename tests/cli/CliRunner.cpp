#include "CliRunner.h"

#include <spawn.h>
#include <sys/wait.h>

#include <fcntl.h>
#include <cerrno>
#include <stdexcept>
#include <system_error>

#include "TestFiles.h"

extern char** environ;

namespace zarn::test {

namespace {

std::string ReadText(const std::filesystem::path& path) {
  const Bytes bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

void Check(int error, const char* what) {
  if (error != 0) throw std::system_error(error, std::generic_category(), what);
}

}  // namespace

CliResult RunCli(const std::filesystem::path& workDir, const std::vector<std::string>& args,
                 const std::filesystem::path& outTo, const std::filesystem::path& errTo) {
  TempDir streams;
  const std::string outPath = outTo.empty() ? streams.File("stdout").string() : outTo.string();
  const std::string errPath = errTo.empty() ? streams.File("stderr").string() : errTo.string();
  const std::string program = ZARN_CLI_PATH;

  std::vector<std::string> argvText{program};
  argvText.insert(argvText.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argvText)
    argv.push_back(arg.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  Check(posix_spawn_file_actions_init(&actions), "posix_spawn_file_actions_init");
  const int flags = O_WRONLY | O_CREAT | O_APPEND;
  int error = posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), flags, 0644);
  if (error == 0) {
    error = posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), flags, 0644);
  }
  if (error == 0) error = posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
  pid_t pid = 0;
  if (error == 0)
    error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  Check(error, "posix_spawn");

  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) throw std::system_error(errno, std::generic_category(), "waitpid");
  }
  CliResult result;
  result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (outTo.empty()) result.Out = ReadText(outPath);
  if (errTo.empty()) result.Err = ReadText(errPath);
  return result;
}

}  // namespace zarn::test
