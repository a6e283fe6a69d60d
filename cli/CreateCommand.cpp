// zarn-cli create: a new BM from BMP or PNG files, checked as the new-BM window checks them.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Bmp2Bm/core/BMCreator.h"
#include "cli/CliCommands.h"
#include "cli/CliReport.h"
#include "codec/files/CodecFiles.h"
#include "codec/files/FilePaths.h"

namespace zarn::cli {

namespace {

// The help, with the limits and defaults of a new BM.
std::string CreateHelp() {
  const auto n = [](auto value) { return std::to_string(value); };
  const TRgb c = kDefaultTransparentColour;
  return R"(Usage: zarn-cli create [--16bit] [--x N] [--y N] [--transparent N] [--rgb R,G,B]
                       [--include-palette] [--map PALETTE [--key R,G,B]] [--dither]
                       -o OUT.bm FILE...

Builds a new BM from 1 to )" + n(kMaxImages) + R"( BMP or PNG files (told apart by their content), one
image per file in the order given: an 8-bit BM from 256-colour BMPs and from
palette or 8-bit grey PNGs, or with --16bit a 16-bit BM from 24-bit BMPs and from
any PNG. PNG pixels less than half opaque take the transparent colour.

With --map an 8-bit BM is made from any PNG and from 8, 24 and 32-bit BMPs by
their colours: each pixel takes the index of the nearest colour of the palette
(nearest as the eye sees it, in OKLab). Pixels less than half opaque, and with
--key pixels of exactly that colour, take the transparent index; no other pixel
does, even where its colour is the nearest. A 32-bit BMP's alpha counts when its
header declares an alpha mask.

  --16bit            build a 16-bit BM
  --x N              X offset, 0 to )" + n(kMaxXOffset) + " (default " + n(kDefaultXOffset) + R"()
  --y N              Y offset, 0 to )" + n(kMaxYOffset) + " (default " + n(kDefaultYOffset) + R"()
  --transparent N    8-bit: the transparent colour index, 0 to 255 (default )" +
         n(kDefaultTransparentIndex) + R"()
  --include-palette  8-bit: store the palette in the BM: the --map palette, or
                     else that of the first file
  --rgb R,G,B        16-bit: the transparent colour, each 0 to 255
                     (default )" + n(int{c.Red}) + "," + n(int{c.Green}) + "," + n(int{c.Blue}) + R"()
  --map PALETTE      8-bit: map the files' colours to this palette: a CMP, a BM
                     with a palette, .gpl, .act, .pal, a palette PNG or a
                     256-colour BMP (see zarn-cli palette --help)
  --key R,G,B        with --map: the colour that is transparent, each 0 to 255
  --dither           with --map: spread each pixel's error to its neighbours
                     (Floyd-Steinberg), so that gradients are not banded; with
                     --16bit: the same to the BM's 65536 colours instead of
                     cutting off the low bits
  -o OUT.bm          the BM file to write (required)
The BM is written only when every file is accepted.

Examples:
  zarn-cli create --map level.cmp --transparent 0 -o menu.bm menu.png
  zarn-cli create --map level.cmp --dither --key 255,0,255 --include-palette \
                  -o sky.bm sky.bmp
  zarn-cli create --16bit --dither -o glow.bm glow.png
)";
}

constexpr std::string_view kBMNotWritten = "Not written, as a source file was refused";
constexpr std::string_view kBMNotWrittenPalette = "Not written, as the --map palette was refused";

std::optional<std::array<int, 3>> ParseRgb(std::string_view text) {
  std::array<int, 3> channels{};
  for (std::size_t k = 0; k < channels.size(); ++k) {
    const std::size_t comma = text.find(',');
    const bool last = k + 1 == channels.size();
    if (last != (comma == std::string_view::npos)) return std::nullopt;
    const auto channel = ParseNumberInRange(text.substr(0, comma), 0, 255);
    if (!channel) return std::nullopt;
    channels[k] = *channel;
    if (!last) text.remove_prefix(comma + 1);
  }
  return channels;
}

// Reads the BM's settings into `options`; the exit status of a usage error, else nothing.
std::optional<int> ParseCreateOptions(const TParsedArgs& parsed, std::ostream& err,
                                      TCreateOptions& options) {
  options.Mode = parsed.Has("--16bit") ? EBMMode::Bit16 : EBMMode::Bit8;
  const bool bit8 = options.Mode == EBMMode::Bit8;
  const struct {
    const char* Name;
    std::int32_t Most;
    std::int32_t* Offset;
  } offsets[] = {{"--x", kMaxXOffset, &options.XOffset}, {"--y", kMaxYOffset, &options.YOffset}};
  for (const auto& [name, most, offset] : offsets) {
    const auto text = parsed.Value(name);
    if (!text) continue;
    const auto value = ParseNumberInRange(*text, 0, most);
    if (!value) {
      return UsageError(err, "create",
                        std::string(name) + " must be a whole number from 0 to " +
                            std::to_string(most));
    }
    *offset = *value;
  }
  if (const auto index = parsed.Value("--transparent")) {
    if (!bit8) {
      return UsageError(err, "create",
                        "--transparent is for 8-bit BMs; a 16-bit BM takes --rgb R,G,B");
    }
    const auto value = ParseNumberInRange(*index, 0, 255);
    if (!value) {
      return UsageError(err, "create", "--transparent must be a whole number from 0 to 255");
    }
    options.TransparentIndex = *value;
  }
  if (parsed.Has("--include-palette")) {
    if (!bit8) return UsageError(err, "create", "--include-palette is for 8-bit BMs");
    options.IncludePalette = true;
  }
  if (const auto rgb = parsed.Value("--rgb")) {
    if (bit8) return UsageError(err, "create", "--rgb is for 16-bit BMs (with --16bit)");
    const auto channels = ParseRgb(*rgb);
    if (!channels) {
      return UsageError(err, "create", "--rgb must be three whole numbers from 0 to 255, as R,G,B");
    }
    options.Red = (*channels)[0];
    options.Green = (*channels)[1];
    options.Blue = (*channels)[2];
  }
  const bool map = parsed.Has("--map");
  if (map && !bit8) return UsageError(err, "create", "--map is for 8-bit BMs, not with --16bit");
  if (const auto key = parsed.Value("--key")) {
    if (!map) return UsageError(err, "create", "--key is for mapping, with --map PALETTE");
    const auto channels = ParseRgb(*key);
    if (!channels) {
      return UsageError(err, "create", "--key must be three whole numbers from 0 to 255, as R,G,B");
    }
    options.Key =
        TRgb{static_cast<std::uint8_t>((*channels)[0]), static_cast<std::uint8_t>((*channels)[1]),
             static_cast<std::uint8_t>((*channels)[2])};
  }
  options.Dither = parsed.Has("--dither");
  if (options.Dither && bit8 && !map) {
    return UsageError(err, "create", "--dither is for --map PALETTE or --16bit");
  }
  return std::nullopt;
}

// Reads the --map palette into `options`; false (after reporting why) when it is refused.
bool LoadMapPalette(const std::string& path, std::ostream& err, TCreateOptions& options) {
  std::optional<std::string> failure = OpenFailure(PathFromUtf8(path));
  TBMPalette palette{};
  if (!failure) {
    try {
      if (const auto refusal = ReadPaletteFile(PathFromUtf8(path), palette))
        failure = RefusalText(*refusal);
    } catch (...) {
      failure = CurrentFailureText();
    }
  }
  if (failure) {
    Report(err, path, *failure);
    return false;
  }
  options.MapPalette = palette;
  return true;
}

// Admits every source into `loaded`, so that all refusals are reported at once; false when any
// was refused.
bool AdmitSources(const std::vector<std::string>& files, const TCreateOptions& options,
                  std::ostream& err, std::vector<TSourceImage>& loaded) {
  loaded.resize(files.size());
  bool refused = false;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string& file = files[i];
    std::optional<std::string> failure;
    try {
      if (const auto refusal = AdmitSourceFile(file, options, loaded[i]))
        failure = RefusalFor(file, *refusal);
    } catch (...) {
      failure = CurrentFailureText();
    }
    if (failure) {
      Report(err, file, *failure);
      refused = true;
    }
  }
  return !refused;
}

const std::string kCreateHelp = CreateHelp();

constexpr std::array<TOptionDef, 10> kOptions{{
    {"--16bit", "", false},
    {"--map", "", true},
    {"--key", "", true},
    {"--dither", "", false},
    {"--x", "", true},
    {"--y", "", true},
    {"--transparent", "", true},
    {"--rgb", "", true},
    {"--include-palette", "", false},
    {"--output", "-o", true},
}};

int RunCreate(const TParsedArgs& parsed, std::ostream& out, std::ostream& err) {
  TCreateOptions options;
  if (const auto end = ParseCreateOptions(parsed, err, options)) return *end;
  const std::optional<std::string> output = parsed.Value("--output");
  if (!output || output->empty()) return UsageError(err, "create", "-o OUT.bm is required");
  if (const auto refusal = CheckSourceCount(parsed.Files.size())) {
    return UsageError(err, "create", RefusalText(*refusal));
  }
  const std::optional<std::string> mapPath = parsed.Value("--map");
  TInputFiles inputs;
  inputs.AddAll(parsed.Files, mapPath);
  if (inputs.RefuseOutput(*output, err)) return kExitRefused;
  if (mapPath && !LoadMapPalette(*mapPath, err, options)) {
    Report(err, *output, kBMNotWrittenPalette);
    return kExitRefused;
  }

  std::vector<TSourceImage> loaded;
  if (!AdmitSources(parsed.Files, options, err, loaded)) {
    Report(err, *output, kBMNotWritten);
    return kExitRefused;
  }
  std::vector<const TBitmap*> sources;
  for (const TSourceImage& source : loaded)
    sources.push_back(&source.Bitmap);
  return WriteOutput(
      *output, out, err, [&] { return EncodeNewBM(sources, options); },
      [&] { CreateBM(*output, sources, options); });
}

}  // namespace

const TCommand kCreateCommand{"create", kCreateHelp, kOptions, RunCreate};

}  // namespace zarn::cli
