// zarn-cli thumbnail: image 0 of a BM as a small PNG picture, for file managers.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Mainwin/core/BMDocument.h"
#include "cli/CliCommands.h"
#include "cli/CliReport.h"
#include "codec/BMFormat.h"
#include "codec/Display.h"
#include "codec/Png.h"
#include "codec/files/AtomicFile.h"
#include "codec/files/FilePaths.h"

namespace zarn::cli {

namespace {

constexpr std::string_view kThumbnailHelp =
    R"(Usage: zarn-cli thumbnail [--size N] IN.bm OUT.png

Writes image 0 of the BM as a PNG picture scaled to fit in N x N pixels, keeping
its proportions: enlarged pixel by pixel so that it stays sharp, reduced by
averaging. An 8-bit BM without a palette of its own is drawn in shades of grey.
File managers call this through the thumbnailer installed with Zarn.

  --size N   the largest width and height, 1 to 1024 (default 256)
Nothing is written when the BM is refused.
)";

constexpr std::int32_t kDefaultThumbnailSize = 256;

// Image 0 of the BM in `file`, decoded as the viewer shows it (grey for an 8-bit BM without a
// palette) into `bitmap`; the refusal's text when it cannot be shown.
std::optional<std::string> DecodeFirstImage(const std::string& file, TBitmap& bitmap) {
  auto doc = std::make_unique<TBMDocument>();
  if (const auto refusal = ReadDocument(*doc, file)) return RefusalFor(file, *refusal);
  const EBMKind kind = KindOf(doc->Header);
  if (kind == EBMKind::Undecodable) return RefusalText(UndecodableBM(doc->Header.BitsPerPixel));
  if (ImageCountOf(doc->Header) == 0) return std::string(kNoImages);
  const TBMImage& image = doc->Images[0];
  if (image.Width <= 0 || image.Height <= 0) return RefusalText(NoPixels(EPictureName::BMImage, 0));
  if (kind == EBMKind::Colour16) {
    BM16ToBitmap(bitmap, image);
  } else {
    BM8ToBitmap(bitmap, image, kind == EBMKind::Paletted8 ? doc->Palette : GreyRamp());
  }
  return std::nullopt;
}

constexpr std::array<TOptionDef, 1> kOptions{{{"--size", "-s", true}}};

int RunThumbnail(const TParsedArgs& parsed, std::ostream& out, std::ostream& err) {
  std::int32_t size = kDefaultThumbnailSize;
  if (const auto text = parsed.Value("--size")) {
    const auto value = ParseNumberInRange(*text, 1, kMaxFitBox);
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
  if (inputs.RefuseOutput(target, err)) return kExitRefused;

  // A refusal names the BM; a failed write names the PNG file, which is then not there.
  TBitmap thumbnail;
  try {
    TBitmap image;
    if (const auto refusal = DecodeFirstImage(file, image)) {
      Report(err, file, *refusal);
      return kExitRefused;
    }
    std::vector<std::uint8_t> scratch;
    ScaleToFit(image, size, thumbnail, scratch);
  } catch (...) {
    Report(err, file, CurrentFailureText());
    return kExitRefused;
  }
  const auto encode = [&] {
    std::vector<std::uint8_t> png;
    std::vector<std::uint8_t> scratch;
    EncodePng(thumbnail, png, scratch);
    return png;
  };
  return WriteOutput(target, out, err, encode, [&] {
    WriteFileAtomically(PathFromUtf8(target), encode(), EDurability::Buffered);
  });
}

}  // namespace

const TCommand kThumbnailCommand{"thumbnail", kThumbnailHelp, kOptions, RunThumbnail};

}  // namespace zarn::cli
