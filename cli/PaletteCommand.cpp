// zarn-cli palette: a palette from one kind of file into another, or as text.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CliCommands.h"
#include "cli/CliReport.h"
#include "codec/PaletteFormats.h"
#include "codec/files/CodecFiles.h"
#include "codec/files/FilePaths.h"

namespace zarn::cli {

namespace {

constexpr std::string_view kPaletteHelp =
    R"(Usage: zarn-cli palette IN [-o OUT]

Reads the 256 colours of a palette and writes them as a palette file for a paint
program, or without -o prints them, one "index red green blue" line each.

IN may be a CMP colour map, a BM with a palette, a GIMP palette (.gpl), an Adobe
colour table (.act, 768 or 772 bytes), a JASC palette (.pal), a palette PNG or a
256-colour BMP. Its content tells which, where it can; an Adobe table is known
by its extension. A palette of fewer than 256 colours is filled up with black;
one of more is refused.

  -o OUT   the palette file to write, of the kind its extension names:
           .gpl (GIMP), .act (Adobe), .pal (JASC), or .png
           (a swatch of 16 x 16 cells of 16 pixels, index 0 top left, row by row)

Examples:
  zarn-cli palette level.cmp -o level.gpl   # the level's colours for a paint program
  zarn-cli palette sign.bm                  # the palette of a BM, as text
)";

constexpr std::array<TOptionDef, 1> kOptions{{{"--output", "-o", true}}};

int RunPalette(const TParsedArgs& parsed, std::ostream& out, std::ostream& err) {
  if (parsed.Files.size() != 1) return UsageError(err, "palette", "give one palette file");
  const std::string& input = parsed.Files.front();
  const std::optional<std::string> output = parsed.Value("--output");
  if (output && !PaletteOutputFor(*output)) {
    return UsageError(err, "palette", kNotAPaletteOutput);
  }
  if (output) {
    TInputFiles inputs;
    inputs.Add(input);
    if (inputs.RefuseOutput(*output, err)) return kExitRefused;
  }

  TBMPalette palette{};
  try {
    if (const auto reason = OpenFailure(PathFromUtf8(input))) {
      Report(err, input, *reason);
      return kExitRefused;
    }
    if (const auto refusal = ReadPaletteFile(PathFromUtf8(input), palette)) {
      Report(err, input, RefusalText(*refusal));
      return kExitRefused;
    }
  } catch (...) {
    Report(err, input, CurrentFailureText());
    return kExitRefused;
  }
  if (!output) {
    for (std::size_t i = 0; i < palette.size(); ++i) {
      out << i << ' ' << int{palette[i].Red} << ' ' << int{palette[i].Green} << ' '
          << int{palette[i].Blue} << '\n';
    }
    return kExitSuccess;
  }
  return WriteOutput(
      *output, out, err,
      [&] {
        std::vector<std::uint8_t> bytes;
        EncodePalette(palette, *PaletteOutputFor(*output), bytes);
        return bytes;
      },
      [&] { WritePaletteFile(PathFromUtf8(*output), palette); });
}

}  // namespace

const TCommand kPaletteCommand{"palette", kPaletteHelp, kOptions, RunPalette};

}  // namespace zarn::cli
