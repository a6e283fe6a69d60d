#include "cli/CliReport.h"

#include <exception>
#include <new>

#include "cli/CliCommands.h"

namespace zarn::cli {

namespace {

constexpr std::string_view kOutOfMemory = "Out of memory";

}  // namespace

std::string ReadFailure(const std::string& file, const std::string& refusal) {
  if (auto reason = OpenFailure(PathFromUtf8(file))) return *reason;
  return refusal.empty() ? std::string(kInvalidBMFile) : refusal;
}

void TInputFiles::Add(const std::string& file) {
  if (const auto id = IdentityOf(PathFromUtf8(file))) files_.emplace(*id, file);
}

std::optional<std::string> TInputFiles::Overwritten(const std::string& output) const {
  const auto id = IdentityOf(PathFromUtf8(output));
  if (!id) return std::nullopt;
  const auto it = files_.find(*id);
  if (it == files_.end()) return std::nullopt;
  return it->second;
}

std::optional<std::string> TInputFiles::OutputRefusal(const std::string& output) const {
  const auto input = Overwritten(output);
  if (!input) return std::nullopt;
  return "Not written, as it is the input file " + *input + " of this command";
}

std::string CurrentFailureText() {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return std::string(kOutOfMemory);
  } catch (const std::exception& e) {
    return e.what();
  }
}

void Report(std::ostream& err, std::string_view file, std::string_view text) {
  err << file << ": " << text << '\n';
}

int UsageError(std::ostream& err, std::string_view command, std::string_view text) {
  err << kProgram << ' ' << command << ": " << text << '\n'
      << "Try '" << kProgram << ' ' << command << " --help'.\n";
  return kExitUsage;
}

std::optional<int> ParseCommand(std::span<const std::string> args,
                                std::span<const TOptionDef> options, std::string_view command,
                                std::string_view help, std::ostream& out, std::ostream& err,
                                TParsedArgs& parsed) {
  if (const auto error = ParseArgs(args, options, parsed)) return UsageError(err, command, *error);
  if (parsed.Help) {
    out << help;
    return kExitSuccess;
  }
  return std::nullopt;
}

}  // namespace zarn::cli
