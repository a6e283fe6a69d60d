// zarn-cli info: the properties the viewer shows for each BM, and the size of each image.
#include <string>
#include <string_view>

#include "Mainwin/core/BMDocument.h"
#include "cli/CliCommands.h"
#include "cli/CliReport.h"
#include "cli/JsonWriter.h"
#include "codec/BMFormat.h"
#include "codec/Colour.h"
#include "codec/Display.h"

namespace zarn::cli {

namespace {

constexpr std::string_view kInfoHelp =
    R"(Usage: zarn-cli info [--json] FILE.bm...

Writes for each BM the five lines the viewer shows when it opens the file (bits
per pixel, number of images, whether a palette is included, X and Y offset),
then one line "Image N : WIDTH x HEIGHT" per image. With several files each
block starts with the file's name.

  --json   one JSON array instead, an object per file in the order given:
           "file" and either "refusal" (why the file was refused) or "bits",
           "imageCount", "paletteIncluded", "xOffset", "yOffset", then
           "transparentIndex" (8-bit) or "transparentColour" (16-bit: its
           "rgb565" value and the "red", "green" and "blue" it shows as), and
           "images", the "width" and "height" of each image (not for BMs of
           another depth, whose images are not read)
)";

constexpr TOptionDef kOptions[] = {{"--json", "", false}};

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

void WriteJsonInfo(const TBMDocument& doc, TJsonWriter& json) {
  const TBMHeader& header = doc.Header;
  json.Key("bits");
  json.Number(header.BitsPerPixel);
  json.Key("imageCount");
  json.Number(header.ImageCount);
  json.Key("paletteIncluded");
  json.Bool(header.PaletteMode == kPaletteModeIncluded);
  json.Key("xOffset");
  json.Number(header.XOffset);
  json.Key("yOffset");
  json.Number(header.YOffset);
  const auto& transparent = header.TransparentColour;
  if (header.BitsPerPixel == 8) {
    json.Key("transparentIndex");
    json.Number(transparent[0]);
  } else if (header.BitsPerPixel == 16) {
    std::uint8_t red = 0, green = 0, blue = 0;
    Rgb565ToRgb(transparent[0], transparent[1], red, green, blue);
    json.Key("transparentColour");
    json.BeginObject();
    json.Key("rgb565");
    json.Number(transparent[0] | transparent[1] << 8);
    json.Key("red");
    json.Number(red);
    json.Key("green");
    json.Number(green);
    json.Key("blue");
    json.Number(blue);
    json.EndObject();
  }
  if (BytesPerPixel(header.BitsPerPixel) == 0) return;
  json.Key("images");
  json.BeginArray();
  const int count = ImageCountOf(header);
  for (int i = 0; i < count; ++i) {
    json.BeginObject();
    json.Key("width");
    json.Number(doc.Images[i].Width);
    json.Key("height");
    json.Number(doc.Images[i].Height);
    json.EndObject();
  }
  json.EndArray();
}

int RunInfo(const TParsedArgs& parsed, std::ostream& out, std::ostream& err) {
  if (parsed.Files.empty()) return UsageError(err, "info", "no BM file given");

  TBMDocument doc;
  const bool several = parsed.Files.size() > 1;
  bool firstBlock = true;
  int status = kExitSuccess;
  TJsonWriter json(out);
  const bool asJson = parsed.Has("--json");
  if (asJson) json.BeginArray();
  for (const std::string& file : parsed.Files) {
    std::string refusal;
    const auto refused = ReadDocument(doc, file);
    const bool read = !refused;
    if (refused) {
      refusal = RefusalFor(file, *refused);
      Report(err, file, refusal);
      status = kExitRefused;
    }
    if (asJson) {
      json.BeginObject();
      json.Key("file");
      json.String(file);
      if (read) {
        WriteJsonInfo(doc, json);
      } else {
        json.Key("refusal");
        json.String(refusal);
      }
      json.EndObject();
      continue;
    }
    if (!read) continue;
    if (several) {
      if (!firstBlock) out << '\n';
      out << Escaped(file) << ":\n";
    }
    firstBlock = false;
    WriteInfo(doc, out);
  }
  if (asJson) json.EndArray();
  return status;
}

}  // namespace

const TCommand kInfoCommand{"info", kInfoHelp, kOptions, RunInfo};

}  // namespace zarn::cli
