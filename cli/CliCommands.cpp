// zarn-cli: the main help, and which command runs.
#include "cli/CliCommands.h"

#include <array>
#include <ostream>
#include <string>
#include <string_view>

#include "cli/CliReport.h"

#ifndef ZARN_VERSION
#define ZARN_VERSION "0"
#endif

namespace zarn::cli {

namespace {

constexpr std::string_view kMainHelp =
    R"(Usage: zarn-cli COMMAND [OPTIONS] FILE...

Reads, converts and builds Jedi Knight BM images without a display.

Commands:
  info [--json] FILE.bm...        the properties of each BM and the size of each image
  export FILE.bm... [-o OUT]      every image of each BM as a BMP or PNG file
  create -o OUT.bm FILE...        a new BM from BMP or PNG files
  thumbnail [--size N] IN.bm OUT.png
                                  image 0 of a BM as a PNG picture of at most
                                  N x N pixels, for file managers
  palette IN [-o OUT]             a palette (CMP, BM, .gpl, .act, .pal, PNG, BMP)
                                  as a palette file for a paint program, or as text

  zarn-cli COMMAND --help         the options of a command
  zarn-cli --version              the version

An option's value is the next word, or follows "=" (--output=OUT). A value
that begins with "-" must follow "=" (--output=-x.bm): a separate word that
begins with "-" is taken as an option, so "-o --x" is a usage error. "--"
ends the options; every word after it is a file.

Outputs: "-", or any name of the command's own standard output or error, is
written to it as a stream. A link is followed and the file it points to is
replaced (the link stays), except another user's link in a sticky folder such
as /tmp; a write-protected file, a folder, a FIFO, a device or a socket is
refused; an output that is one of the command's own input files, or a file
written earlier in the same run, under any name, is refused and nothing is
written over it.

Exit status: 0 when all went well, 1 when a file was refused or could not be
written (each on its own line on standard error), 2 for a wrong command line.
)";

constexpr std::array<const TCommand*, 5> kCommands = {
    &kInfoCommand, &kExportCommand, &kCreateCommand, &kThumbnailCommand, &kPaletteCommand};

// Parses the command's words and runs it; a wrong command line and --help end it here.
int RunParsed(const TCommand& command, std::span<const std::string> args, std::ostream& out,
              std::ostream& err) {
  TParsedArgs parsed;
  if (const auto error = ParseArgs(args, command.Options, parsed)) {
    return UsageError(err, command.Name, *error);
  }
  if (parsed.Help) {
    out << command.Help;
    return kExitSuccess;
  }
  return command.Run(parsed, out, err);
}

int RunCommand(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << kMainHelp;
    return kExitUsage;
  }
  const std::string& command = args.front();
  const auto rest = args.subspan(1);
  for (const TCommand* known : kCommands) {
    if (command == known->Name) return RunParsed(*known, rest, out, err);
  }
  if (command == "--help" || command == "-h") {
    out << kMainHelp;
    return kExitSuccess;
  }
  if (command == "--version") {
    out << kProgram << ' ' << ZARN_VERSION << '\n';
    return kExitSuccess;
  }
  err << kProgram << ": " << (command.starts_with('-') ? "unknown option " : "unknown command ")
      << command << '\n'
      << "Try '" << kProgram << " --help'.\n";
  return kExitUsage;
}

}  // namespace

int RunCli(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  try {
    return RunCommand(args, out, err);
  } catch (...) {
    err << kProgram << ": " << CurrentFailureText() << '\n';
  }
  return kExitRefused;
}

}  // namespace zarn::cli
