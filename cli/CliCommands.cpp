#include "cli/CliCommands.h"

#include <array>
#include <filesystem>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "Bmp2Bm/core/BMCreator.h"
#include "Mainwin/core/BMDocument.h"
#include "cli/CliArgs.h"
#include "codec/BMFormat.h"
#include "codec/Display.h"
#include "codec/Errors.h"
#include "codec/Messages.h"
#include "codec/Png.h"
#include "codec/files/AtomicFile.h"
#include "codec/files/FilePaths.h"

#ifndef ZARN_VERSION
#define ZARN_VERSION "0"
#endif

namespace zarn::cli {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kProgram = "zarn-cli";

constexpr std::string_view kMainHelp =
    R"(Usage: zarn-cli COMMAND [OPTIONS] FILE...

Reads, converts and builds Jedi Knight BM images without a display.

Commands:
  info FILE.bm...                 the properties of each BM and the size of each image
  export FILE.bm... [-o OUT]      every image of each BM as a BMP or PNG file
  create -o OUT.bm FILE...        a new BM from BMP or PNG files
  thumbnail [--size N] IN.bm OUT.png
                                  image 0 of a BM as a PNG picture of at most
                                  N x N pixels, for file managers

  zarn-cli COMMAND --help         the options of a command
  zarn-cli --version              the version

An option's value is the next word, or follows "=" (--output=OUT). A value
that begins with "-" must follow "=" (--output=-x.bm): a separate word that
begins with "-" is taken as an option, so "-o --x" is a usage error. "--"
ends the options; every word after it is a file.

Outputs: a link is followed and the file it points to is replaced (the link
stays); a folder, a FIFO, a device or a socket is refused; an output that is
one of the command's own input files, under any name, is refused and nothing
is written over it.

Exit status: 0 when all went well, 1 when a file was refused or could not be
written (each on its own line on standard error), 2 for a wrong command line.
)";

constexpr std::string_view kInfoHelp =
    R"(Usage: zarn-cli info FILE.bm...

Writes for each BM the five lines the viewer shows when it opens the file (bits
per pixel, number of images, whether a palette is included, X and Y offset),
then one line "Image N : WIDTH x HEIGHT" per image. With several files each
block starts with the file's name.
)";

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

constexpr std::string_view kCreateHelp =
    R"(Usage: zarn-cli create [--16bit] [--x N] [--y N] [--transparent N] [--rgb R,G,B]
                       [--include-palette] -o OUT.bm FILE...

Builds a new BM from 1 to 21 BMP or PNG files (told apart by their content), one
image per file in the order given: an 8-bit BM from 256-colour BMPs and from
palette or 8-bit grey PNGs, or with --16bit a 16-bit BM from 24-bit BMPs and from
any PNG. PNG pixels less than half opaque take the transparent colour.

  --16bit            build a 16-bit BM
  --x N              X offset, 0 to 640 (default 0)
  --y N              Y offset, 0 to 480 (default 0)
  --transparent N    8-bit: the transparent colour index, 0 to 255 (default 0)
  --include-palette  8-bit: store the palette of the first file in the BM
  --rgb R,G,B        16-bit: the transparent colour, each 0 to 255
                     (default 255,0,255)
  -o OUT.bm          the BM file to write (required)
The BM is written only when every file is accepted.
)";

constexpr std::string_view kThumbnailHelp =
    R"(Usage: zarn-cli thumbnail [--size N] IN.bm OUT.png

Writes image 0 of the BM as a PNG picture scaled to fit in N x N pixels, keeping
its proportions: enlarged pixel by pixel so that it stays sharp, reduced by
averaging. An 8-bit BM without a palette of its own is drawn in shades of grey.
File managers call this through the thumbnailer installed with Zarn.

  --size N   the largest width and height, 1 to 1024 (default 256)
Nothing is written when the BM is refused.
)";

// Texts of the refusals that only the command line has; the viewer never gets this far with
// such a file (it shows the properties and leaves the export disabled).
constexpr std::string_view kNeedsPalette =
    "8-bit BM without a palette: give one with --palette FILE.cmp or --palette FILE.bm";
constexpr std::string_view kNoImages = "The BM holds no image to export";
constexpr std::string_view kBMNotWritten = "Not written, as a source file was refused";
constexpr std::string_view kOutOfMemory = "Out of memory";

// Why a BM was not read: the system's reason when the file cannot be opened at all, else the
// reader's (a limit it is over, or "Invalid BM file!").
std::string ReadFailure(const std::string& file, const std::string& refusal) {
  if (auto reason = OpenFailure(PathFromUtf8(file))) return *reason;
  return refusal.empty() ? std::string(kInvalidBMFile) : refusal;
}

// The input files of a run by their identity, so that an output can be checked against every
// one of them however it is spelt or linked.
class TInputFiles {
 public:
  void Add(const std::string& file) {
    if (const auto id = IdentityOf(PathFromUtf8(file))) files_.emplace(*id, file);
  }
  // The input that `output` would write over, or nothing.
  std::optional<std::string> Overwritten(const std::string& output) const {
    const auto id = IdentityOf(PathFromUtf8(output));
    if (!id) return std::nullopt;
    const auto it = files_.find(*id);
    if (it == files_.end()) return std::nullopt;
    return it->second;
  }
  // The refusal of a single output that would write over one of the inputs, or nothing.
  std::optional<std::string> OutputRefusal(const std::string& output) const {
    const auto input = Overwritten(output);
    if (!input) return std::nullopt;
    return "Not written, as it is the input file " + *input + " of this command";
  }

 private:
  std::map<TFileIdentity, std::string> files_;
};

// The text of the exception being handled: "Out of memory" or the exception's own. Only inside
// a catch block; an exception of another kind goes on.
std::string CurrentFailureText() {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return std::string(kOutOfMemory);
  } catch (const std::exception& e) {
    return e.what();
  }
}

// One message on the error stream: the file it is about, then the text.
void Report(std::ostream& err, std::string_view file, std::string_view text) {
  err << file << ": " << text << '\n';
}

int UsageError(std::ostream& err, std::string_view command, std::string_view text) {
  err << kProgram << ' ' << command << ": " << text << '\n'
      << "Try '" << kProgram << ' ' << command << " --help'.\n";
  return kExitUsage;
}

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
                                TParsedArgs& parsed) {
  if (const auto error = ParseArgs(args, options, parsed)) return UsageError(err, command, *error);
  if (parsed.Help) {
    out << help;
    return kExitSuccess;
  }
  return std::nullopt;
}

// ---- info -----------------------------------------------------------------------------------

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
      out << file << ":\n";
    }
    firstBlock = false;
    for (const std::string& line : InfoLines(doc.Header, EInfoStyle::Opened))
      out << line << '\n';
    // The image records of a BM of another depth are not read, so their sizes are unknown.
    if (BytesPerPixel(doc.Header.BitsPerPixel) != 0) {
      const int count = ImageCountOf(doc.Header);
      for (int i = 0; i < count; ++i) {
        out << "Image " << i << " : " << doc.Images[i].Width << " x " << doc.Images[i].Height
            << '\n';
      }
    }
  }
  return status;
}

// ---- export ---------------------------------------------------------------------------------

// The BM's name in `folder` with the extension of the format in place of its own.
std::string OutputNameFor(const std::string& folder, const std::string& bmPath,
                          EExportFormat format) {
  return folder + WithoutExtension(FileNamePart(bmPath)) +
         (format == EExportFormat::Png ? ".png" : ".bmp");
}

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

std::string PathKey(const std::string& path) {
  return PathFromUtf8(path).lexically_normal().generic_string();
}

// Exports one BM; false (after reporting why) when it is refused or a file cannot be written.
bool ExportOne(TExportRun& run, const std::string& file, std::ostream& err) {
  TBMDocument& doc = run.Doc;
  std::string refusal;
  if (!ReadDocument(doc, file, &refusal)) {
    Report(err, file, ReadFailure(file, refusal));
    return false;
  }
  const EBMKind kind = KindOf(doc.Header);
  if (kind == EBMKind::Undecodable) {
    Report(err, file,
           "Cannot export a " + std::to_string(doc.Header.BitsPerPixel) +
               "-bit BM: only 8-bit and 16-bit BMs can be decoded");
    return false;
  }
  if (kind == EBMKind::Unpaletted8 && !run.GivenPalette) {
    Report(err, file, kNeedsPalette);
    return false;
  }
  const int count = ImageCountOf(doc.Header);
  if (count == 0) {
    Report(err, file, kNoImages);
    return false;
  }

  const std::string chosen =
      run.Output ? *run.Output
                 : OutputNameFor(run.Folder ? *run.Folder : FolderPart(file), file, run.Format);
  std::vector<std::string> targets;
  for (int i = 0; i < count; ++i) {
    targets.push_back(ExportPathFor(chosen, i, count));
    const auto earlier = run.Written.find(PathKey(targets.back()));
    if (earlier != run.Written.end()) {
      Report(err, file,
             "Not exported, as it would replace " + targets.back() + ", written from " +
                 earlier->second);
      return false;
    }
    if (const auto input = run.Inputs.Overwritten(targets.back())) {
      Report(err, file,
             "Not exported, as " + targets.back() + " is the input file " + *input +
                 " of this command");
      return false;
    }
  }
  if (run.Format == EExportFormat::Png) {
    for (int i = 0; i < count; ++i) {
      if (doc.Images[i].Width <= 0 || doc.Images[i].Height <= 0) {
        Report(err, file,
               "Image " + std::to_string(i) + " has no pixels; a PNG file cannot hold it");
        return false;
      }
    }
  }

  try {
    if (kind == EBMKind::Unpaletted8) {
      doc.Palette = *run.GivenPalette;
      DecodeDocument8(doc);
    } else {
      DecodeForKind(doc, kind);
    }
    for (const std::string& target : targets)
      run.Written.emplace(PathKey(target), file);
    // Exports can always be made again: no flush to disk per file.
    ExportDocument(doc, chosen, EDurability::Buffered, run.Format);
  } catch (...) {
    Report(err, file, CurrentFailureText());
    return false;
  }
  return true;
}

// The reader the "Load Palette" dialog's filter entry would pick: 0 for CMP, 1 for BM.
std::optional<int> PaletteFilterFor(const std::string& path) {
  const std::string extension = LowerExtension(path);
  if (extension == ".cmp") return 0;
  if (extension == ".bm") return 1;
  return std::nullopt;
}

int RunExport(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  static constexpr std::array<TOptionDef, 3> kOptions{{
      {"--palette", "", true},
      {"--format", "", true},
      {"--output", "-o", true},
  }};
  TParsedArgs parsed;
  if (const auto end = ParseCommand(args, kOptions, "export", kExportHelp, out, err, parsed))
    return *end;
  if (parsed.Files.empty()) return UsageError(err, "export", "no BM file given");

  auto run = std::make_unique<TExportRun>();
  std::optional<EExportFormat> format;
  if (const auto name = parsed.Value("--format")) {
    const std::string lower = LowerAscii(*name);
    if (lower == "bmp") {
      format = EExportFormat::Bmp;
    } else if (lower == "png") {
      format = EExportFormat::Png;
    } else {
      return UsageError(err, "export", "unknown format '" + *name + "': use bmp or png");
    }
  }
  const std::optional<std::string> output = parsed.Value("--output");
  if (output && output->empty()) return UsageError(err, "export", "-o needs a file or folder name");
  std::optional<int> paletteFilter;
  const std::optional<std::string> palettePath = parsed.Value("--palette");
  if (palettePath) {
    paletteFilter = PaletteFilterFor(*palettePath);
    if (!paletteFilter) {
      return UsageError(err, "export", "--palette needs a CMP file (.cmp) or a BM file (.bm)");
    }
  }

  if (output) {
    std::error_code ec;
    const bool folder = parsed.Files.size() > 1 || IsPathSeparator(output->back()) ||
                        fs::is_directory(PathFromUtf8(*output), ec);
    if (folder) {
      run->Folder = IsPathSeparator(output->back()) ? *output : *output + "/";
    } else {
      run->Output = output;
    }
  }
  run->Format =
      format.value_or(run->Output && LowerExtension(*run->Output) == ".png" ? EExportFormat::Png
                                                                            : EExportFormat::Bmp);

  // The palette is read once, before any BM: a palette that is refused stops the command.
  if (palettePath) {
    TReportingSink sink(err, *palettePath);
    if (const auto reason = OpenFailure(PathFromUtf8(*palettePath))) {
      Report(err, *palettePath, *reason);
      Report(err, *palettePath, kErrorRetrievingPalette);
      return kExitRefused;
    }
    if (!LoadDocumentPalette(run->Doc, *palettePath, *paletteFilter, sink)) {
      Report(err, *palettePath, kErrorRetrievingPalette);
      return kExitRefused;
    }
    run->GivenPalette = run->Doc.Palette;
  }
  if (run->Folder) {
    std::error_code ec;
    fs::create_directories(PathFromUtf8(*run->Folder), ec);
    if (ec || !fs::is_directory(PathFromUtf8(*run->Folder), ec)) {
      Report(err, *output, "Cannot create folder " + *output);
      return kExitRefused;
    }
  }

  for (const std::string& file : parsed.Files)
    run->Inputs.Add(file);
  if (palettePath) run->Inputs.Add(*palettePath);
  int status = kExitSuccess;
  for (const std::string& file : parsed.Files) {
    if (!ExportOne(*run, file, err)) status = kExitRefused;
  }
  return status;
}

// ---- create ---------------------------------------------------------------------------------

std::optional<std::array<int, 3>> ParseRgb(std::string_view text) {
  std::array<int, 3> channels{};
  for (std::size_t k = 0; k < channels.size(); ++k) {
    const std::size_t comma = text.find(',');
    const bool last = k + 1 == channels.size();
    if (last != (comma == std::string_view::npos)) return std::nullopt;
    const auto channel = ParseWholeNumber(text.substr(0, comma), 0, 255);
    if (!channel) return std::nullopt;
    channels[k] = *channel;
    if (!last) text.remove_prefix(comma + 1);
  }
  return channels;
}

int RunCreate(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  static constexpr std::array<TOptionDef, 7> kOptions{{
      {"--16bit", "", false},
      {"--x", "", true},
      {"--y", "", true},
      {"--transparent", "", true},
      {"--rgb", "", true},
      {"--include-palette", "", false},
      {"--output", "-o", true},
  }};
  TParsedArgs parsed;
  if (const auto end = ParseCommand(args, kOptions, "create", kCreateHelp, out, err, parsed))
    return *end;

  TCreateOptions options;
  options.Mode = parsed.Has("--16bit") ? EBMMode::Bit16 : EBMMode::Bit8;
  const bool bit8 = options.Mode == EBMMode::Bit8;
  if (const auto x = parsed.Value("--x")) {
    const auto value = ParseWholeNumber(*x, 0, 640);
    if (!value) return UsageError(err, "create", "--x must be a whole number from 0 to 640");
    options.XOffset = *value;
  }
  if (const auto y = parsed.Value("--y")) {
    const auto value = ParseWholeNumber(*y, 0, 480);
    if (!value) return UsageError(err, "create", "--y must be a whole number from 0 to 480");
    options.YOffset = *value;
  }
  if (const auto index = parsed.Value("--transparent")) {
    if (!bit8) {
      return UsageError(err, "create",
                        "--transparent is for 8-bit BMs; a 16-bit BM takes --rgb R,G,B");
    }
    const auto value = ParseWholeNumber(*index, 0, 255);
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
  const std::optional<std::string> output = parsed.Value("--output");
  if (!output || output->empty()) return UsageError(err, "create", "-o OUT.bm is required");
  if (const auto refusal = CheckSourceCount(parsed.Files.size())) {
    return UsageError(err, "create", *refusal);
  }
  TInputFiles inputs;
  for (const std::string& file : parsed.Files)
    inputs.Add(file);
  if (const auto refusal = inputs.OutputRefusal(*output)) {
    Report(err, *output, *refusal);
    return kExitRefused;
  }

  // Every source is checked and loaded, so that all refusals are reported at once.
  std::vector<TSourceImage> loaded(parsed.Files.size());
  bool refused = false;
  for (std::size_t i = 0; i < parsed.Files.size(); ++i) {
    const std::string& file = parsed.Files[i];
    std::optional<std::string> refusal = OpenFailure(PathFromUtf8(file));
    if (!refusal) refusal = CheckSourceFile(file, options.Mode);
    if (!refusal) {
      try {
        refusal = LoadSourceFile(file, options.Mode, loaded[i]);
        PaintTransparent(loaded[i], options);
      } catch (...) {
        refusal = CurrentFailureText();
      }
    }
    if (refusal) {
      Report(err, file, *refusal);
      refused = true;
    }
  }
  if (refused) {
    Report(err, *output, kBMNotWritten);
    return kExitRefused;
  }

  std::vector<const TBitmap*> sources;
  for (const TSourceImage& source : loaded)
    sources.push_back(&source.Bitmap);
  try {
    CreateBM(*output, sources, options);
  } catch (...) {
    Report(err, *output, CurrentFailureText());
    return kExitRefused;
  }
  return kExitSuccess;
}

// ---- thumbnail ------------------------------------------------------------------------------

constexpr std::int32_t kDefaultThumbnailSize = 256;

// Image 0 of the BM in `file`, decoded as the viewer shows it (grey for an 8-bit BM without a
// palette) into `bitmap`; the refusal's text when it cannot be shown.
std::optional<std::string> DecodeFirstImage(const std::string& file, TBitmap& bitmap) {
  auto doc = std::make_unique<TBMDocument>();
  if (!ReadDocument(*doc, file)) return std::string(kInvalidBMFile);
  const EBMKind kind = KindOf(doc->Header);
  if (kind == EBMKind::Undecodable) {
    return "Cannot show a " + std::to_string(doc->Header.BitsPerPixel) +
           "-bit BM: only 8-bit and 16-bit BMs can be decoded";
  }
  if (ImageCountOf(doc->Header) == 0) return std::string(kNoImages);
  const TBMImage& image = doc->Images[0];
  if (image.Width <= 0 || image.Height <= 0) return "Image 0 has no pixels";
  if (kind == EBMKind::Colour16) {
    BM16ToBitmap(bitmap, image);
  } else {
    BM8ToBitmap(bitmap, image, kind == EBMKind::Paletted8 ? doc->Palette : GreyRamp());
  }
  return std::nullopt;
}

// The one place the thumbnail is encoded as PNG.
void WriteThumbnailPng(const TBitmap& thumbnail, const std::string& target) {
  std::vector<std::uint8_t> png;
  std::vector<std::uint8_t> scratch;
  EncodePng(thumbnail, png, scratch);
  WriteFileAtomically(PathFromUtf8(target), png, EDurability::Buffered);
}

int RunThumbnail(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  static constexpr std::array<TOptionDef, 1> kOptions{{{"--size", "-s", true}}};
  TParsedArgs parsed;
  if (const auto end = ParseCommand(args, kOptions, "thumbnail", kThumbnailHelp, out, err, parsed))
    return *end;
  std::int32_t size = kDefaultThumbnailSize;
  if (const auto text = parsed.Value("--size")) {
    const auto value = ParseWholeNumber(*text, 1, kMaxFitBox);
    if (!value) {
      return UsageError(err, "thumbnail",
                        "--size must be a whole number from 1 to " + std::to_string(kMaxFitBox));
    }
    size = *value;
  }
  if (parsed.Files.size() != 2) return UsageError(err, "thumbnail", "give IN.bm and OUT.png");
  const std::string& file = parsed.Files[0];
  const std::string& target = parsed.Files[1];
  TInputFiles inputs;
  inputs.Add(file);
  if (const auto refusal = inputs.OutputRefusal(target)) {
    Report(err, target, *refusal);
    return kExitRefused;
  }

  // A refusal names the BM; a failed write names the PNG file, which is then not there.
  TBitmap thumbnail;
  const std::string* blamed = &file;
  try {
    TBitmap image;
    if (const auto refusal = DecodeFirstImage(file, image)) {
      Report(err, file, *refusal);
      return kExitRefused;
    }
    std::vector<std::uint8_t> scratch;
    ScaleToFit(image, size, thumbnail, scratch);
    blamed = &target;
    WriteThumbnailPng(thumbnail, target);
  } catch (...) {
    Report(err, *blamed, CurrentFailureText());
    return kExitRefused;
  }
  return kExitSuccess;
}

int RunCommand(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << kMainHelp;
    return kExitUsage;
  }
  const std::string& command = args.front();
  const auto rest = args.subspan(1);
  if (command == "info") return RunInfo(rest, out, err);
  if (command == "export") return RunExport(rest, out, err);
  if (command == "create") return RunCreate(rest, out, err);
  if (command == "thumbnail") return RunThumbnail(rest, out, err);
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
