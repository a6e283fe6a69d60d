#include "cli/CliReport.h"

#include <exception>
#include <new>
#include <vector>

#include "codec/Png.h"
#include "codec/files/FilePaths.h"

#include "cli/CliCommands.h"

namespace zarn::cli {

namespace {

constexpr std::string_view kOutOfMemory = "Out of memory";

}  // namespace

std::string RefusalFor(const std::string& file, const TRefusal& refusal) {
  if (auto reason = OpenFailure(PathFromUtf8(file))) return *reason;
  return RefusalText(refusal);
}

void TInputFiles::Add(const std::string& file) {
  if (const auto id = IdentityOf(PathFromUtf8(file))) files_.emplace(*id, file);
}

void TInputFiles::AddAll(std::span<const std::string> files,
                         const std::optional<std::string>& more) {
  for (const std::string& file : files)
    Add(file);
  if (more) Add(*more);
}

std::optional<std::string> TInputFiles::Overwritten(const std::string& output) const {
  const auto id = IdentityOf(PathFromUtf8(output));
  if (!id) return std::nullopt;
  const auto it = files_.find(*id);
  if (it == files_.end()) return std::nullopt;
  return it->second;
}

bool TInputFiles::RefuseOutput(const std::string& output, std::ostream& err) const {
  const auto input = Overwritten(output);
  if (input)
    Report(err, output, "Not written, as it is the input file " + *input + " of this command");
  return input.has_value();
}

std::string CurrentFailureText() {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return std::string(kOutOfMemory);
  } catch (const FileError& e) {
    return std::string(e.what()) + ": " + SystemReason(e.Error());
  } catch (const std::exception& e) {
    return e.what();
  }
}

std::string Escaped(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      escaped += c;
    } else if (c == '\n') {
      escaped += "\\n";
    } else if (c == '\t') {
      escaped += "\\t";
    } else if (c == '\r') {
      escaped += "\\r";
    } else {
      constexpr std::string_view kHexDigits = "0123456789abcdef";
      escaped += "\\x";
      escaped += kHexDigits[byte >> 4];
      escaped += kHexDigits[byte & 0xF];
    }
  }
  return escaped;
}

void Report(std::ostream& err, std::string_view file, std::string_view text) {
  err << Escaped(file) << ": " << Escaped(text) << '\n';
}

std::ostream* OwnStream(const std::string& output, std::ostream& out, std::ostream& err) {
  if (output == "-") return &out;
  const auto id = IdentityOf(PathFromUtf8(output));
  if (!id) return nullptr;
  if (id == IdentityOfStream(EStandardStream::Output)) return &out;
  if (id == IdentityOfStream(EStandardStream::Error)) return &err;
  return nullptr;
}

int WriteOutput(const std::string& output, std::ostream& out, std::ostream& err,
                const std::function<std::vector<std::uint8_t>()>& encode,
                const std::function<void()>& writeFile) {
  try {
    if (std::ostream* stream = OwnStream(output, out, err)) {
      const std::vector<std::uint8_t> bytes = encode();
      const std::span<const std::uint8_t> pieces[] = {bytes};
      WriteToStream(*stream, pieces);
    } else {
      writeFile();
    }
  } catch (...) {
    Report(err, output, CurrentFailureText());
    return kExitRefused;
  }
  return kExitSuccess;
}

void WriteImageToStream(const TBitmap& bitmap, EExportFormat format, std::ostream& stream) {
  std::vector<std::uint8_t> head;
  std::span<const std::uint8_t> body;
  if (format == EExportFormat::Png) {
    std::vector<std::uint8_t> scratch;
    EncodePng(bitmap, head, scratch);
  } else {
    head = bitmap.BmpFileHeader();
    body = bitmap.StoredForm();
  }
  const std::span<const std::uint8_t> pieces[] = {head, body};
  WriteToStream(stream, pieces);
}

void WriteToStream(std::ostream& stream, std::span<const std::span<const std::uint8_t>> pieces) {
  for (const auto piece : pieces)
    stream.write(reinterpret_cast<const char*>(piece.data()),
                 static_cast<std::streamsize>(piece.size()));
}

int UsageError(std::ostream& err, std::string_view command, std::string_view text) {
  err << kProgram << ' ' << command << ": " << Escaped(text) << '\n'
      << "Try '" << kProgram << ' ' << command << " --help'.\n";
  return kExitUsage;
}

}  // namespace zarn::cli
