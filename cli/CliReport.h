// What every zarn-cli command shares: how it reads its command line, reports a refusal or a
// failure on the error stream, and keeps its outputs off its own input files.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "Mainwin/core/BMDocument.h"
#include "cli/CliArgs.h"
#include "codec/Bitmap.h"
#include "codec/Messages.h"
#include "codec/files/FilePaths.h"

namespace zarn::cli {

inline constexpr std::string_view kProgram = "zarn-cli";

// A refusal only the command line has; the viewer leaves its export disabled instead.
inline constexpr std::string_view kNoImages = "The BM holds no image to export";

// Why a BM was not read: the system's reason when the file cannot be opened at all, else the
// reader's (a limit it is over, or "Invalid BM file!").
std::string ReadFailure(const std::string& file, const std::string& refusal);

// The input files of a run by their identity, so that an output can be checked against every
// one of them however it is spelt or linked.
class TInputFiles {
 public:
  void Add(const std::string& file);
  // The input that `output` would write over, or nothing.
  std::optional<std::string> Overwritten(const std::string& output) const;
  // The refusal of a single output that would write over one of the inputs, or nothing.
  std::optional<std::string> OutputRefusal(const std::string& output) const;

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
// An image as the export of `format` writes it, to such a stream.
void WriteImageToStream(const TBitmap& bitmap, EExportFormat format, std::ostream& stream);
inline constexpr std::string_view kOneImageToAStream =
    "only one image can be written to standard output or standard error";

// A wrong command line: the text and where to find the command's options. Returns kExitUsage.
int UsageError(std::ostream& err, std::string_view command, std::string_view text);

// The palette readers warn through this: each warning goes out with the palette's name.
class TReportingSink : public TMessageSink {
 public:
  TReportingSink(std::ostream& err, std::string_view file) : err_(err), file_(file) {}
  void Warning(const std::string& text) override { Report(err_, file_, text); }

 private:
  std::ostream& err_;
  std::string_view file_;
};

// Parses a command's words into `parsed`. Returns the exit status when that already ends the
// command (a wrong command line, or --help answered), else nothing.
std::optional<int> ParseCommand(std::span<const std::string> args,
                                std::span<const TOptionDef> options, std::string_view command,
                                std::string_view help, std::ostream& out, std::ostream& err,
                                TParsedArgs& parsed);

// The commands, one file each. `args` are the words after the command's name.
int RunInfo(std::span<const std::string> args, std::ostream& out, std::ostream& err);
int RunExport(std::span<const std::string> args, std::ostream& out, std::ostream& err);
int RunCreate(std::span<const std::string> args, std::ostream& out, std::ostream& err);
int RunThumbnail(std::span<const std::string> args, std::ostream& out, std::ostream& err);
int RunPalette(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace zarn::cli
