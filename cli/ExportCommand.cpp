// zarn-cli export: every image of each BM as a BMP or PNG file, as the viewer exports it.
#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Mainwin/core/BMDocument.h"
#include "cli/CliCommands.h"
#include "cli/CliReport.h"
#include "codec/BMFormat.h"
#include "codec/files/FilePaths.h"

namespace zarn::cli {

namespace {

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
                   name; a name ending in .bmp or .png is a folder only when it
                   already is one. "-" is standard output, for one image.
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
  EPaletteFile PaletteKind = EPaletteFile::CMP;
};

struct TExportRun {
  EExportFormat Format = EExportFormat::Bmp;
  std::optional<std::string> Folder;  // with its trailing separator
  std::optional<std::string> Output;  // the one output name, when not exporting into a folder
  std::optional<TBMPalette> GivenPalette;
  TBMDocument Doc;
  // Every file written in this run, by the file its name reaches, with that name and the BM it
  // came from: a later output that reaches one of them, however it is spelt, is refused
  // instead of silently overwriting it.
  std::map<TReachedFile, std::pair<std::string, std::string>> Written;
  // Every input of the run: no output may be one of them.
  TInputFiles Inputs;
  // The folders made for the run, outermost first: removed again when nothing was exported.
  std::vector<std::filesystem::path> MadeFolders;
  bool Exported = false;
};

// The BM's name in `folder` with the extension of the format in place of its own.
std::string OutputNameFor(const std::string& folder, const std::string& bmPath,
                          EExportFormat format) {
  return folder + WithoutExtension(FileNamePart(bmPath)) +
         (format == EExportFormat::Png ? ".png" : ".bmp");
}

// The kind of palette file a --palette file is taken for, by its extension: CMP or BM.
std::optional<EPaletteFile> PaletteFileByExtension(const std::string& path) {
  const std::string extension = LowerExtension(path);
  if (extension == ".cmp") return EPaletteFile::CMP;
  if (extension == ".bm") return EPaletteFile::BM;
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
    const auto kind = PaletteFileByExtension(*options.PalettePath);
    if (!kind) {
      return UsageError(err, "export", "--palette needs a CMP file (.cmp) or a BM file (.bm)");
    }
    options.PaletteKind = *kind;
  }
  return std::nullopt;
}

// Where the run writes: one output file, or a folder; and in which format. The exit status of
// a usage error, else nothing.
std::optional<int> ResolveOutputs(const TExportOptions& options, std::size_t fileCount,
                                  std::ostream& out, std::ostream& err, TExportRun& run) {
  if (const auto& output = options.Output) {
    const bool ownStream = OwnStream(*output, out, err) != nullptr;
    const bool existingFolder = !ownStream && IsFolder(PathFromUtf8(*output));
    const bool namedFolder = IsPathSeparator(output->back()) || existingFolder;
    if (fileCount > 1 && ownStream) return UsageError(err, "export", kOneImageToAStream);
    const std::string extension = LowerExtension(*output);
    if (fileCount > 1 && !namedFolder && (extension == ".png" || extension == ".bmp")) {
      return UsageError(err, "export",
                        "-o " + *output +
                            " names a file, and several BMs need a folder: give a folder or "
                            "one BM");
    }
    if (fileCount > 1 || namedFolder) {
      run.Folder = IsPathSeparator(output->back()) ? *output : *output + "/";
    } else {
      run.Output = output;
    }
  }
  run.Format = options.Format.value_or(run.Output && LowerExtension(*run.Output) == ".png"
                                           ? EExportFormat::Png
                                           : EExportFormat::Bmp);
  return std::nullopt;
}

// Reads the given palette once, before any BM; false (after reporting why) when it is refused,
// which stops the command.
bool LoadGivenPalette(const TExportOptions& options, std::ostream& err, TExportRun& run) {
  const std::string& path = *options.PalettePath;
  if (const auto refusal = LoadDocumentPalette(run.Doc, path, options.PaletteKind)) {
    Report(err, path, RefusalFor(path, *refusal));
    Report(err, path, kErrorRetrievingPalette);
    return false;
  }
  run.GivenPalette = run.Doc.Palette;
  return true;
}

// Reads the BM and checks that it can be exported; its kind, or nothing after reporting why not.
std::optional<EBMKind> ReadForExport(TExportRun& run, const std::string& file, std::ostream& err) {
  TBMDocument& doc = run.Doc;
  if (const auto refusal = ReadDocument(doc, file)) {
    Report(err, file, RefusalFor(file, *refusal));
    return std::nullopt;
  }
  const EBMKind kind = KindOf(doc.Header);
  if (kind == EBMKind::Undecodable) {
    Report(err, file, RefusalText(UndecodableBM(doc.Header.BitsPerPixel)));
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
// of the run or reaches a file already written in it, from another BM or from this one.
std::optional<std::vector<std::string>> ResolveTargets(const TExportRun& run,
                                                       const std::string& file,
                                                       const std::string& chosen, int count,
                                                       std::ostream& err) {
  std::vector<std::string> targets;
  std::map<TReachedFile, std::string> own;
  for (int i = 0; i < count; ++i) {
    const std::string target = ExportPathFor(chosen, i, count);
    const TReachedFile reached = ReachedFile(PathFromUtf8(target));
    std::optional<std::pair<std::string, std::string>> earlier;
    if (const auto it = run.Written.find(reached); it != run.Written.end()) earlier = it->second;
    if (const auto it = own.find(reached); it != own.end()) earlier = {it->second, file};
    if (earlier) {
      Report(err, file,
             "Not exported, as " + target + " would replace " + earlier->first + ", written from " +
                 earlier->second);
      return std::nullopt;
    }
    if (const auto input = run.Inputs.Overwritten(target)) {
      Report(err, file,
             "Not exported, as " + target + " is the input file " + *input + " of this command");
      return std::nullopt;
    }
    own.emplace(reached, target);
    targets.push_back(target);
  }
  return targets;
}

// False (after reporting which) when an image has no pixels, which a PNG file cannot hold.
bool FitsPng(const TBMDocument& doc, const std::string& file, int count, std::ostream& err) {
  for (int i = 0; i < count; ++i) {
    if (doc.Images[i].Width <= 0 || doc.Images[i].Height <= 0) {
      Report(err, file, RefusalText(NoPixels(EPictureName::BMImage, i)));
      return false;
    }
  }
  return true;
}

// Exports one BM: its exit status, after reporting why when it is refused or a file cannot be
// written.
int ExportOne(TExportRun& run, const std::string& file, std::ostream& out, std::ostream& err) {
  const auto kind = ReadForExport(run, file, err);
  if (!kind) return kExitRefused;
  TBMDocument& doc = run.Doc;
  const int count = ImageCountOf(doc.Header);
  const std::string chosen =
      run.Output ? *run.Output
                 : OutputNameFor(run.Folder ? *run.Folder : FolderPart(file), file, run.Format);
  std::ostream* stream = OwnStream(chosen, out, err);
  if (stream != nullptr && count > 1) return UsageError(err, "export", kOneImageToAStream);
  std::vector<std::string> targets{chosen};
  if (stream == nullptr) {
    auto resolved = ResolveTargets(run, file, chosen, count, err);
    if (!resolved) return kExitRefused;
    targets = std::move(*resolved);
  }
  if (run.Format == EExportFormat::Png && !FitsPng(doc, file, count, err)) return kExitRefused;

  std::vector<std::optional<TFileIdentity>> before;
  for (const std::string& target : targets)
    before.push_back(IdentityOf(PathFromUtf8(target)));
  int status = kExitSuccess;
  try {
    if (*kind == EBMKind::Unpaletted8) {
      doc.Palette = *run.GivenPalette;
      DecodeDocument8(doc);
    } else {
      DecodeForKind(doc, *kind);
    }
    if (stream != nullptr) {
      WriteImageToStream(doc.Bitmaps[0], run.Format, *stream);
      run.Exported = true;
      return kExitSuccess;
    }
    // Exports can always be made again: no flush to disk per file.
    ExportDocument(doc, chosen, EDurability::Buffered, run.Format);
  } catch (...) {
    Report(err, file, CurrentFailureText());
    status = kExitRefused;
  }
  // The files this BM made or replaced, also when a later one of its images failed.
  for (std::size_t i = 0; i < targets.size(); ++i) {
    const auto now = IdentityOf(PathFromUtf8(targets[i]));
    if (!now || now == before[i]) continue;
    run.Written.emplace(*now, std::make_pair(targets[i], file));
    run.Exported = true;
  }
  return status;
}

// Makes the folder the run exports into; false (after reporting) when it cannot be made.
bool MakeFolder(TExportRun& run, const std::string& output, std::ostream& err) {
  auto made = MakeFolders(PathFromUtf8(*run.Folder));
  if (!made) {
    Report(err, output, "Cannot create folder " + output);
    return false;
  }
  run.MadeFolders = std::move(*made);
  return true;
}

// Removes the folders made for a run that exported nothing, innermost first; a folder that is
// not empty stays.
void RemoveMadeFolders(const TExportRun& run) {
  if (!run.Exported) RemoveEmptyFolders(run.MadeFolders);
}

constexpr std::array<TOptionDef, 3> kOptions{
    {{"--palette", "", true}, {"--format", "", true}, {"--output", "-o", true}}};

int RunExport(const TParsedArgs& parsed, std::ostream& out, std::ostream& err) {
  TExportOptions options;
  if (const auto end = ParseExportOptions(parsed, err, options)) return *end;

  auto run = std::make_unique<TExportRun>();
  if (const auto end = ResolveOutputs(options, parsed.Files.size(), out, err, *run)) return *end;
  if (options.PalettePath && !LoadGivenPalette(options, err, *run)) return kExitRefused;
  if (run->Folder && !MakeFolder(*run, *options.Output, err)) return kExitRefused;

  run->Inputs.AddAll(parsed.Files, options.PalettePath);
  int status = kExitSuccess;
  for (const std::string& file : parsed.Files)
    status = std::max(status, ExportOne(*run, file, out, err));
  RemoveMadeFolders(*run);
  return status;
}

}  // namespace

const TCommand kExportCommand{"export", kExportHelp, kOptions, RunExport};

}  // namespace zarn::cli
