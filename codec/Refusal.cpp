#include "codec/Refusal.h"

#include "codec/BMFormat.h"

namespace zarn {

namespace {

// A whole number with its digits grouped by threes: 1000001 gives "1,000,001".
std::string GroupedDigits(std::int64_t value) {
  const std::string digits = std::to_string(value < 0 ? -value : value);
  std::string grouped = value < 0 ? "-" : "";
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

std::string PictureName(const TRefusal& r) {
  switch (r.Picture) {
    case EPictureName::BMImage:
      return "Image " + std::to_string(r.Image);
    case EPictureName::PngSource:
      return "The PNG image";
    case EPictureName::BmpSource:
      return "The BMP image";
    case EPictureName::Image:
      break;
  }
  return "The image";
}

// The size refusal, with numbers that follow from each other: the pixels, the rows they are
// shown in (padded as every bitmap row is), the bytes those take, and the limit.
std::string TooLargeText(const TRefusal& r) {
  std::string text = PictureName(r) + " is too large for a BM: ";
  const std::string pixels = GroupedDigits(r.Width) + " x " + GroupedDigits(r.Height) + " pixels";
  if (!SidesWithinLimit(r.Width, r.Height)) {
    return text + "it has " + pixels + ", and no side of a BM image may be longer than " +
           GroupedDigits(kMaxImageBytes) + " pixels!";
  }
  const int shownBytes = ShownBytesPerPixel(r.BitsPerPixel);
  const std::int64_t row = PaddedRowSize(r.Width, shownBytes);
  return text + "its " + pixels + " are shown in " + GroupedDigits(r.Height) + " rows of " +
         GroupedDigits(row) + " bytes (" + std::to_string(shownBytes) +
         (shownBytes == 1 ? " byte" : " bytes") +
         " a pixel, each row padded to a multiple of 4 bytes), " + GroupedDigits(row * r.Height) +
         " bytes in all, and a BM image may take at most " + GroupedDigits(kMaxImageBytes) +
         " bytes!";
}

// How many images a BM holds, as every text says it.
std::string ImageLimit() {
  return "can hold at most " + std::to_string(kMaxImages) + " images";
}

// A text palette refused as a whole, or for its line `Line`.
std::string PaletteText(const char* invalid, const TRefusal& r) {
  if (r.Line == 0) return invalid;
  return std::string(invalid) + " Line " + std::to_string(r.Line) +
         " is not a colour (red, green and blue of 0 to 255).";
}

}  // namespace

TRefusal NoPixels(EPictureName picture, std::int32_t image) {
  return TRefusal{.Reason = ERefusal::NoPixels, .Picture = picture, .Image = image};
}

TRefusal UndecodableBM(std::int32_t bitsPerPixel) {
  return TRefusal{.Reason = ERefusal::UndecodableBM, .BitsPerPixel = bitsPerPixel};
}

TRefusal LineRefusal(ERefusal reason, std::size_t line) {
  return TRefusal{.Reason = reason, .Line = static_cast<std::int32_t>(line)};
}

TRefusal ImageTooLarge(EPictureName picture, std::int32_t width, std::int32_t height,
                       std::int32_t bitsPerPixel, std::int32_t image) {
  TRefusal r{.Reason = ERefusal::ImageTooLarge, .Picture = picture, .Image = image};
  r.Width = width;
  r.Height = height;
  r.BitsPerPixel = bitsPerPixel;
  return r;
}

std::string RefusalText(const TRefusal& r) {
  switch (r.Reason) {
    case ERefusal::InvalidBM:
      return "Invalid BM file!";
    case ERefusal::BMFileTooLarge:
      return "The file is too large for a BM: it has " + GroupedDigits(r.Count) +
             " bytes, and a BM file takes at most " + GroupedDigits(kMaxBMFileBytes) + " bytes!";
    case ERefusal::TooManyImages:
      return "The BM has " + std::to_string(r.Count) + " images; a BM " + ImageLimit() + "!";
    case ERefusal::ImageTooLarge:
      return TooLargeText(r);
    case ERefusal::InvalidCMP:
      return "Invalid CMP file!";
    case ERefusal::BMHasNoPalette:
      return "BM doesn't contain a Palette!";
    case ERefusal::InvalidBMP:
      return "Invalid BMP file!";
    case ERefusal::BMPNot256Colour:
      return "BMP file is not 256 color!";
    case ERefusal::BMPNotTruecolour:
      return "BMP file is not truecolor!";
    case ERefusal::UnsupportedCompression:
      return "BMP compression is not supported (only uncompressed and RLE8 BMPs can be used)!";
    case ERefusal::BMPNotMappable:
      return "BMP file is not 256 color or truecolor (8, 24 or 32 bits)!";
    case ERefusal::EmptyBitmap:
      return "The bitmap holds no picture!";
    case ERefusal::InvalidPNG:
      return "Invalid PNG file!";
    case ERefusal::PNGNot256Colour:
      return "PNG file is not 256 color!";
    case ERefusal::ClipboardNot256Colour:
      return "The clipboard's picture is not 256 color!";
    case ERefusal::TooManySources:
      return "A BM " + ImageLimit() + "!";
    case ERefusal::NoSources:
      return "Add at least one BMP file first!";
    case ERefusal::SourceFileTooLarge:
      return "The file is too large for a source: it has " + GroupedDigits(r.Count) +
             " bytes, and a source file may have at most " + GroupedDigits(kMaxSourceFileBytes) +
             " bytes!";
    case ERefusal::UndecodableBM:
      return "The BM has " + std::to_string(r.BitsPerPixel) +
             " bits per pixel; only 8-bit and 16-bit BMs can be decoded!";
    case ERefusal::NoPixels:
      return PictureName(r) + " has no pixels; a PNG file cannot hold it!";
    case ERefusal::NotAPaletteFile:
      return "Not a palette file: give a CMP, a BM with a palette, a GIMP (.gpl), Adobe (.act) "
             "or JASC (.pal) palette, a palette PNG or a 256-colour BMP!";
    case ERefusal::InvalidGimpPalette:
      return PaletteText("Invalid GIMP palette!", r);
    case ERefusal::InvalidJascPalette:
      return PaletteText("Invalid JASC palette!", r);
    case ERefusal::InvalidActFile:
      return "Invalid Adobe colour table (768 or 772 bytes)!";
    case ERefusal::TooManyColours:
      return "The palette has more than " + std::to_string(kPaletteEntries) + " colours!";
    case ERefusal::PNGHasNoPalette:
      return "The PNG file has no palette!";
    case ERefusal::BMPHasNoColourTable:
      return "The BMP file has no colour table!";
  }
  return "Invalid file!";
}

}  // namespace zarn
