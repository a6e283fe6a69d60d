// zarn-cli export: every image of each BM as a BMP or PNG file, as the viewer exports it.
#include <array>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Mainwin/core/BMDocument.h"
#include "cli/CliCommands.h"
#include "cli/CliReport.h"
#include "codec/BMFormat.h"
#include "codec/files/FilePaths.h"

namespace zarn::cli {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kExportHelp =
    R"(Usage: zarn-cli export [--palette FILE.cmp|FILE.bm] [--format bmp|png] FILE.bm... [-o OUT]

Decodes every image of each BM as the viewer does and writes it as a Windows BMP
file (byte for byte the viewer's export) or as a PNG file with the same pixels.

  --palette FILE   the colours for 8-bit BMs without a palette of their own:
                   a CMP file (.cmp) or the palette of another BM (.bm)
  --format FORMAT  bmp or png; without it: png when OUT ends in .png, else bmp
  -o OUT           the file to write. A BM with several images is written to
                   OUT with _0, _1, ... before the first "." of its name.
                   With several BMs, or when OUT is a folder (or ends in "/"),
                   OUT is the folder that each BM is exported to under its own
                   name.
Without -o each BM is exported beside itself, under its name with the format's
extension (wall.bm gives wall.bmp).
)";

// The viewer never gets this far with such a file: it shows the properties and leaves the
// export disabled.
constexpr std::string_view kNeedsPalette =
    "8-bit BM without a palette: give one with --palette FILE.cmp or --palette FILE.bm";

// The options of one export command, as given.
struct TExportOptions {
  std::optional<EExportFormat> Format;
  std::optional<std::string> Output;
  std::optional<std::string> PalettePath;
  int PaletteFilter = 0;
};

struct TExportRun {
  EExportFormat Format = EExportFormat::Bmp;
  std::optional<std::string> Folder;  // with its trailing separator
  std::optional<std::string> Output;  // the one output name, when not exporting into a folder
  std::optional<TBMPalette> GivenPalette;
  TBMDocument Doc;
  // Every file written in this run, and the BM it came from: a later BM whose export would
  // replace one of them is refused instead of silently overwriting it.
  std::map<std::string, std::string> Written;
  // Every input of the run: no output may be one of them.
  TInputFiles Inputs;
};

// The BM's name in `folder` with the extension of the format in place of its own.
std::string OutputNameFor(const std::string& folder, const std::string& bmPath,
                          EExportFormat format) {
  return folder + WithoutExtension(FileNamePart(bmPath)) +
         (format == EExportFormat::Png ? ".png" : ".bmp");
}

std::string PathKey(const std::string& path) {
  return PathFromUtf8(path).lexically_normal().generic_string();
}

// The reader the "Load Palette" dialog's filter entry would pick: 0 for CMP, 1 for BM.
std::optional<int> PaletteFilterFor(const std::string& path) {
  const std::string extension = LowerExtension(path);
  if (extension == ".cmp") return 0;
  if (extension == ".bm") return 1;
  return std::nullopt;
}

// Reads the options into `options`; the exit status of a usage error, else nothing.
std::optional<int> ParseExportOptions(const TParsedArgs& parsed, std::ostream& err,
                                      TExportOptions& options) {
  if (parsed.Files.empty()) return UsageError(err, "export", "no BM file given");
  if (const auto name = parsed.Value("--format")) {
    const std::string lower = LowerAscii(*name);
    if (lower == "bmp") {
      options.Format = EExportFormat::Bmp;
    } else if (lower == "png") {
      options.Format = EExportFormat::Png;
    } else {
      return UsageError(err, "export", "unknown format '" + *name + "': use bmp or png");
    }
  }
  options.Output = parsed.Value("--output");
  if (options.Output && options.Output->empty())
    return UsageError(err, "export", "-o needs a file or folder name");
  options.PalettePath = parsed.Value("--palette");
  if (options.PalettePath) {
    const auto filter = PaletteFilterFor(*options.PalettePath);
    if (!filter) {
      return UsageError(err, "export", "--palette needs a CMP file (.cmp) or a BM file (.bm)");
    }
    options.PaletteFilter = *filter;
  }
  return std::nullopt;
}

// Where the run writes: one output file, or a folder; and in which format.
void ResolveOutputs(const TExportOptions& options, std::size_t fileCount, TExportRun& run) {
  if (const auto& output = options.Output) {
    std::error_code ec;
    const bool folder = fileCount > 1 || IsPathSeparator(output->back()) ||
                        fs::is_directory(PathFromUtf8(*output), ec);
    if (folder) {
      run.Folder = IsPathSeparator(output->back()) ? *output : *output + "/";
    } else {
      run.Output = output;
    }
  }
  run.Format = options.Format.value_or(
      run.Output && LowerExtension(*run.Output) == ".png" ? EExportFormat::Png
                                                          : EExportFormat::Bmp);
}

// Reads the given palette once, before any BM; false (after reporting why) when it is refused,
// which stops the command.
bool LoadGivenPalette(const TExportOptions& options, std::ostream& err, TExportRun& run) {
  const std::string& path = *options.PalettePath;
  TReportingSink sink(err, path);
  if (const auto reason = OpenFailure(PathFromUtf8(path))) {
    Report(err, path, *reason);
    Report(err, path, kErrorRetrievingPalette);
    return false;
  }
  if (!LoadDocumentPalette(run.Doc, path, options.PaletteFilter, sink)) {
    Report(err, path, kErrorRetrievingPalette);
    return false;
  }
  run.GivenPalette = run.Doc.Palette;
  return true;
}

// Reads the BM and checks that it can be exported; its kind, or nothing after reporting why not.
std::optional<EBMKind> ReadForExport(TExportRun& run, const std::string& file, std::ostream& err) {
  TBMDocument& doc = run.Doc;
  std::string refusal;
  if (!ReadDocument(doc, file, &refusal)) {
    Report(err, file, ReadFailure(file, refusal));
    return std::nullopt;
  }
  const EBMKind kind = KindOf(doc.Header);
  if (kind == EBMKind::Undecodable) {
    Report(err, file,
           "Cannot export a " + std::to_string(doc.Header.BitsPerPixel) +
               "-bit BM: only 8-bit and 16-bit BMs can be decoded");
    return std::nullopt;
  }
  if (kind == EBMKind::Unpaletted8 && !run.GivenPalette) {
    Report(err, file, kNeedsPalette);
    return std::nullopt;
  }
  if (ImageCountOf(doc.Header) == 0) {
    Report(err, file, kNoImages);
    return std::nullopt;
  }
  return kind;
}

// The files the BM's images go to; nothing (after reporting why) when one of them is an input
// of the run or was already written from another BM.
std::optional<std::vector<std::string>> ResolveTargets(const TExportRun& run,
                                                       const std::string& file,
                                                       const std::string& chosen, int count,
                                                       std::ostream& err) {
  std::vector<std::string> targets;
  for (int i = 0; i < count; ++i) {
    targets.push_back(ExportPathFor(chosen, i, count));
    const auto earlier = run.Written.find(PathKey(targets.back()));
    if (earlier != run.Written.end()) {
      Report(err, file,
             "Not exported, as it would replace " + targets.back() + ", written from " +
                 earlier->second);
      return std::nullopt;
    }
    if (const auto input = run.Inputs.Overwritten(targets.back())) {
      Report(err, file,
             "Not exported, as " + targets.back() + " is the input file " + *input +
                 " of this command");
      return std::nullopt;
    }
  }
  return targets;
}

// False (after reporting which) when an image has no pixels, which a PNG file cannot hold.
bool FitsPng(const TBMDocument& doc, const std::string& file, int count, std::ostream& err) {
  for (int i = 0; i < count; ++i) {
    if (doc.Images[i].Width <= 0 || doc.Images[i].Height <= 0) {
      Report(err, file, "Image " + std::to_string(i) + " has no pixels; a PNG file cannot hold it");
      return false;
    }
  }
  return true;
}

// Exports one BM; false (after reporting why) when it is refused or a file cannot be written.
bool ExportOne(TExportRun& run, const std::string& file, std::ostream& err) {
  const auto kind = ReadForExport(run, file, err);
  if (!kind) return false;
  TBMDocument& doc = run.Doc;
  const int count = ImageCountOf(doc.Header);
  const std::string chosen =
      run.Output ? *run.Output
                 : OutputNameFor(run.Folder ? *run.Folder : FolderPart(file), file, run.Format);
  const auto targets = ResolveTargets(run, file, chosen, count, err);
  if (!targets) return false;
  if (run.Format == EExportFormat::Png && !FitsPng(doc, file, count, err)) return false;

  try {
    if (*kind == EBMKind::Unpaletted8) {
      doc.Palette = *run.GivenPalette;
      DecodeDocument8(doc);
    } else {
      DecodeForKind(doc, *kind);
    }
    for (const std::string& target : *targets)
      run.Written.emplace(PathKey(target), file);
    // Exports can always be made again: no flush to disk per file.
    ExportDocument(doc, chosen, EDurability::Buffered, run.Format);
  } catch (...) {
    Report(err, file, CurrentFailureText());
    return false;
  }
  return true;
}

// Makes the folder the run exports into; false (after reporting) when it cannot be made.
bool MakeFolder(const TExportRun& run, const std::string& output, std::ostream& err) {
  std::error_code ec;
  fs::create_directories(PathFromUtf8(*run.Folder), ec);
  if (ec || !fs::is_directory(PathFromUtf8(*run.Folder), ec)) {
    Report(err, output, "Cannot create folder " + output);
    return false;
  }
  return true;
}

}  // namespace

int RunExport(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  static constexpr std::array<TOptionDef, 3> kOptions{{
      {"--palette", "", true},
      {"--format", "", true},
      {"--output", "-o", true},
  }};
  TParsedArgs parsed;
  if (const auto end = ParseCommand(args, kOptions, "export", kExportHelp, out, err, parsed))
    return *end;
  TExportOptions options;
  if (const auto end = ParseExportOptions(parsed, err, options)) return *end;

  auto run = std::make_unique<TExportRun>();
  ResolveOutputs(options, parsed.Files.size(), *run);
  if (options.PalettePath && !LoadGivenPalette(options, err, *run)) return kExitRefused;
  if (run->Folder && !MakeFolder(*run, *options.Output, err)) return kExitRefused;

  for (const std::string& file : parsed.Files)
    run->Inputs.Add(file);
  if (options.PalettePath) run->Inputs.Add(*options.PalettePath);
  int status = kExitSuccess;
  for (const std::string& file : parsed.Files) {
    if (!ExportOne(*run, file, err)) status = kExitRefused;
  }
  return status;
}

}  // namespace zarn::cli
