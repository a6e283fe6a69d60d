// Why the codec refuses a file, a source picture or a bitmap: one value returned by every reader
// and check, worded for the user in one place (RefusalText). Exceptions are kept for failures
// of input and output and for exhausted memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace zarn {

enum class ERefusal : std::uint8_t {
  InvalidBM,               // no "BM " signature, ends early, or a negative image size
  BMFileTooLarge,          // Count bytes: more than any BM can hold (kMaxBMFileBytes)
  TooManyImages,           // Count images, more than a BM can hold (kMaxImages)
  ImageTooLarge,           // the picture Width x Height at BitsPerPixel is over kMaxImageBytes
  InvalidCMP,              // no "CMP " magic, or too short for its palette
  BMHasNoPalette,          // a BM whose PaletteMode is not 2, asked for its palette
  InvalidBMP,              // a source without the "BM" type, or too short for its headers
  BMPNot256Colour,         // a BMP source of another bit count for an 8-bit BM
  BMPNotTruecolour,        // a BMP source of another bit count for a 16-bit BM
  UnsupportedCompression,  // a BMP source whose rows are neither uncompressed nor RLE8
  BMPNotMappable,          // a BMP source taken by its colours of neither 8, 24 nor 32 bits
  EmptyBitmap,             // a bitmap that holds no picture, offered to a writer
  InvalidPNG,              // not a PNG, or damaged
  PNGNot256Colour,         // a PNG source of neither palette nor 8-bit grey for an 8-bit BM
  ClipboardNot256Colour,   // the same for a picture from the clipboard
  TooManySources,          // Count sources for one BM, more than kMaxImages
  NoSources,               // a new BM from no source at all
  SourceFileTooLarge,      // Count bytes: a source file over kMaxSourceFileBytes
  UndecodableBM,           // a BM of BitsPerPixel, neither 8 nor 16, asked for its pixels
  NoPixels,                // a picture (Picture, Image) without pixels, for a PNG file
  NotAPaletteFile,         // a file of no palette kind
  InvalidGimpPalette,      // not a GIMP palette; Line: its first line that is not a colour
  InvalidJascPalette,      // not a JASC palette, or its count and lines differ; Line as above
  InvalidActFile,          // an Adobe colour table of neither 768 nor 772 bytes, or count 0
  TooManyColours,          // a palette file of more than 256 colours
  PNGHasNoPalette,         // a PNG read for its palette, of another colour type
  BMPHasNoColourTable,     // a BMP read for its palette, of more than 8 bits or no table
};

// Which picture a size refusal is about, as its text names it.
enum class EPictureName : std::uint8_t {
  BMImage,    // "Image <Image>", an image of a BM
  Image,      // "The image", a source or a bitmap
  PngSource,  // "The PNG image"
  BmpSource,  // "The BMP image"
};

struct TRefusal {
  ERefusal Reason = ERefusal::InvalidBM;
  EPictureName Picture = EPictureName::Image;
  std::int32_t Image = 0;  // the image's number, for EPictureName::BMImage
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::int32_t BitsPerPixel = 0;  // of the BM the picture is (to be) an image of: 8 or 16
  std::int64_t Count = 0;         // images, sources or bytes, by the reason
  std::int32_t Line = 0;  // a text palette's line, counted from 1; 0 for the whole file

  friend bool operator==(const TRefusal&, const TRefusal&) = default;
};

// The refusal of an image over the size limit.
TRefusal ImageTooLarge(EPictureName picture, std::int32_t width, std::int32_t height,
                       std::int32_t bitsPerPixel, std::int32_t image = 0);

// The refusal of a text palette's line `line` (counted from 1).
TRefusal LineRefusal(ERefusal reason, std::size_t line);

// The refusal of a picture without pixels, offered for a PNG file.
TRefusal NoPixels(EPictureName picture, std::int32_t image = 0);

// The refusal of a BM of `bitsPerPixel`, neither 8 nor 16, whose pixels are asked for.
TRefusal UndecodableBM(std::int32_t bitsPerPixel);

// The sentence the windows and zarn-cli show. Every one ends with "!", as the program's fixed
// texts do ("Invalid BM file!", "BMP file is not 256 color!"); a text palette's refused line
// is named in a second sentence after it.
std::string RefusalText(const TRefusal& refusal);

}  // namespace zarn
