// What every zarn-cli command shares: how it reads its command line, reports a refusal or a
// failure on the error stream, and keeps its outputs off its own input files.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Mainwin/core/BMDocument.h"
#include "cli/CliArgs.h"
#include "codec/Bitmap.h"
#include "codec/Refusal.h"
#include "codec/files/FilePaths.h"

namespace zarn::cli {

inline constexpr std::string_view kProgram = "zarn-cli";

// A refusal only the command line has; the viewer leaves its export disabled instead.
inline constexpr std::string_view kNoImages = "The BM holds no image to export";

// Why a file was refused: the system's reason when it cannot be opened at all, else the
// codec's (a limit it is over, or "Invalid BM file!").
std::string RefusalFor(const std::string& file, const TRefusal& refusal);

// The input files of a run by their identity, so that an output can be checked against every
// one of them however it is spelt or linked.
class TInputFiles {
 public:
  void Add(const std::string& file);
  // Every one of `files`, and `more` when given.
  void AddAll(std::span<const std::string> files, const std::optional<std::string>& more = {});
  // The input that `output` would write over, or nothing.
  std::optional<std::string> Overwritten(const std::string& output) const;
  // When a single output would write over one of the inputs: reports it against `output` and
  // returns true.
  bool RefuseOutput(const std::string& output, std::ostream& err) const;

 private:
  std::map<TFileIdentity, std::string> files_;
};

// The text of the exception being handled: "Out of memory" or the exception's own, with the
// system's reason after a file that could not be created. Only inside a catch block; an
// exception of another kind goes on.
std::string CurrentFailureText();

// `text` with its control characters escaped (\n, \t, \x1b, ...), so that a name cannot break a
// message into several lines or send commands to a terminal.
std::string Escaped(std::string_view text);

// One message on the error stream, on one line: the file it is about, then the text.
void Report(std::ostream& err, std::string_view file, std::string_view text);

// The command's own standard output or error, when `output` is "-" (standard output) or names
// the file, pipe or terminal that one of them writes to, by device and inode whatever the
// name: the stream to write the output to as it goes, never replacing what it reaches.
std::ostream* OwnStream(const std::string& output, std::ostream& out, std::ostream& err);
// Writes `pieces` one after another to such a stream; a failure to write standard output is
// reported when the program ends, as for every other result written there.
void WriteToStream(std::ostream& stream, std::span<const std::span<const std::uint8_t>> pieces);
// A command's one output: written as it goes to the command's own stream when `output` names
// one (`encode` gives the bytes), else into the file by `writeFile`. A failure of either is
// reported against `output`. Returns the exit status.
int WriteOutput(const std::string& output, std::ostream& out, std::ostream& err,
                const std::function<std::vector<std::uint8_t>()>& encode,
                const std::function<void()>& writeFile);
// An image as the export of `format` writes it, to such a stream.
void WriteImageToStream(const TBitmap& bitmap, EExportFormat format, std::ostream& stream);
inline constexpr std::string_view kOneImageToAStream =
    "only one image can be written to standard output or standard error";

// A wrong command line: the text and where to find the command's options. Returns kExitUsage.
int UsageError(std::ostream& err, std::string_view command, std::string_view text);

// A command of zarn-cli: its name, its help (--help), its options, and what it does once its
// command line has been parsed into `parsed` (by the table in CliCommands.cpp).
struct TCommand {
  std::string_view Name;
  std::string_view Help;
  std::span<const TOptionDef> Options;
  int (*Run)(const TParsedArgs& parsed, std::ostream& out, std::ostream& err);
};

// The commands, one file each.
extern const TCommand kInfoCommand;
extern const TCommand kExportCommand;
extern const TCommand kCreateCommand;
extern const TCommand kThumbnailCommand;
extern const TCommand kPaletteCommand;

}  // namespace zarn::cli
