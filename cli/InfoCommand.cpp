// zarn-cli info: the properties the viewer shows for each BM, and the size of each image.
#include <string>
#include <string_view>

#include "Mainwin/core/BMDocument.h"
#include "cli/CliCommands.h"
#include "cli/CliReport.h"
#include "codec/BMFormat.h"
#include "codec/Display.h"

namespace zarn::cli {

namespace {

constexpr std::string_view kInfoHelp =
    R"(Usage: zarn-cli info FILE.bm...

Writes for each BM the five lines the viewer shows when it opens the file (bits
per pixel, number of images, whether a palette is included, X and Y offset),
then one line "Image N : WIDTH x HEIGHT" per image. With several files each
block starts with the file's name.
)";

void WriteInfo(const TBMDocument& doc, std::ostream& out) {
  for (const std::string& line : InfoLines(doc.Header, EInfoStyle::Opened))
    out << line << '\n';
  // The image records of a BM of another depth are not read, so their sizes are unknown.
  if (BytesPerPixel(doc.Header.BitsPerPixel) == 0) return;
  const int count = ImageCountOf(doc.Header);
  for (int i = 0; i < count; ++i) {
    out << "Image " << i << " : " << doc.Images[i].Width << " x " << doc.Images[i].Height << '\n';
  }
}

}  // namespace

int RunInfo(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  TParsedArgs parsed;
  if (const auto end = ParseCommand(args, {}, "info", kInfoHelp, out, err, parsed)) return *end;
  if (parsed.Files.empty()) return UsageError(err, "info", "no BM file given");

  TBMDocument doc;
  const bool several = parsed.Files.size() > 1;
  bool firstBlock = true;
  int status = kExitSuccess;
  for (const std::string& file : parsed.Files) {
    std::string refusal;
    if (!ReadDocument(doc, file, &refusal)) {
      Report(err, file, ReadFailure(file, refusal));
      status = kExitRefused;
      continue;
    }
    if (several) {
      if (!firstBlock) out << '\n';
      out << Escaped(file) << ":\n";
    }
    firstBlock = false;
    WriteInfo(doc, out);
  }
  return status;
}

}  // namespace zarn::cli
