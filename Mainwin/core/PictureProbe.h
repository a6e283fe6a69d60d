// Looking inside a shown picture, display-free: which pixel is under the pointer and what it
// holds (the read-out text), how many pixels use each palette index, which pixels the game
// treats as transparent, and the marks drawn over the picture (a screen-fixed checkerboard
// behind transparent pixels, all other pixels dimmed while one index is highlighted).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "codec/BMFormat.h"
#include "codec/Bitmap.h"

namespace zarn {

// How the inspected pixels are stored, one row after another from the top.
enum class EPixelForm {
  Index8,  // one palette index per pixel (an 8-bit BM image, a 256-colour picture)
  Rgb565,  // two bytes per pixel, low byte first (a 16-bit BM image)
  Bgr24,   // blue, green, red (a truecolour picture that is to become a 16-bit BM)
};

// A picture as the inspector sees it. It points into memory it does not own: valid only while
// the image (and the palette) it was made from stay unchanged.
struct TInspected {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  EPixelForm Form = EPixelForm::Index8;
  const std::uint8_t* Top = nullptr;    // first byte of the top row
  std::ptrdiff_t Stride = 0;            // bytes from one row to the next one down
  const TBMPalette* Palette = nullptr;  // Index8: the colours shown, or none loaded yet
  // The transparent index (Index8) or the RGB565 value a transparent pixel holds (Rgb565,
  // Bgr24, whose pixels are compared as the RGB565 value they are stored as).
  std::uint16_t Transparent = 0;

  bool Empty() const { return Width <= 0 || Height <= 0 || Top == nullptr; }
  bool Contains(std::int32_t x, std::int32_t y) const {
    return x >= 0 && y >= 0 && x < Width && y < Height;
  }
};

// A BM image as shown by the viewer: 8-bit indices with `palette` (nullptr before one is
// loaded) or 16-bit pixels; the transparent index or colour from the header. Nothing (an empty
// view) for an image whose pixel bytes do not match its size.
TInspected InspectBMImage(const TBMImage& image, const TBMHeader& header,
                          const TBMPalette* palette);
// A source picture of a new BM: a 256-colour picture with its colour table and the new BM's
// transparent index, or a truecolour one with its transparent colour as RGB565.
TInspected InspectPicture(const TPicture& picture, std::uint16_t transparent);

// What one pixel holds.
struct TPixelFacts {
  int Index = -1;          // Index8: the palette index; -1 otherwise
  bool HasColour = false;  // false for an index without a palette
  std::uint8_t Red = 0, Green = 0, Blue = 0;
  int Stored = -1;  // Rgb565 and Bgr24: the RGB565 value stored in the BM; -1 otherwise
  bool Transparent = false;
};
// The pixel at (x, y), which must be inside the picture.
TPixelFacts PixelAt(const TInspected& image, std::int32_t x, std::int32_t y);
bool IsTransparentPixel(const TInspected& image, std::int32_t x, std::int32_t y);

// The read-out: "x 12, y 34" followed by "; index 5: 255, 0, 255" (or "; index 5: no
// palette") for an index, "; 255, 0, 255 (F81F)" for a 16-bit pixel, and "; transparent" when
// the game treats the pixel as transparent.
std::string ReadoutText(std::int32_t x, std::int32_t y, const TPixelFacts& pixel);
// The image pixel under a point of the image view (logical pixels from its top-left corner) at
// `zoomPercent`; nothing when the point is outside the picture.
struct TPixelPos {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  friend bool operator==(const TPixelPos&, const TPixelPos&) = default;
};
std::optional<TPixelPos> PixelUnder(double x, double y, int zoomPercent, const TInspected& image);
// The zoom as the status bar shows it ("400 %") and the picture's size ("640 x 480").
std::string ZoomText(int percent);
std::string SizeText(std::int32_t width, std::int32_t height);

// How many pixels of an Index8 picture use each index; all zero for other forms.
using TUsage = std::array<std::uint32_t, kPaletteEntries>;
TUsage UsageCounts(const TInspected& image);
// One entry of an Index8 picture's palette: "index 5: 255, 0, 255; 12 pixels", with
// "; transparent" for the transparent index.
std::string PaletteEntryText(const TInspected& image, const TUsage& usage, int index);

// The marks drawn over a picture.
struct TMarks {
  bool Transparency = false;  // transparent pixels show the checkerboard
  int Highlight = -1;         // Index8: the index whose pixels stand out; -1 for none
  bool Any() const { return Transparency || Highlight >= 0; }
};
// Applies `marks` to the picture's shown colours `argb` (0xAARRGGBB, Width x Height, rows
// `stride` values apart, top row first): a transparent pixel becomes fully clear, so that the
// checkerboard drawn beneath it shows; with a highlight every pixel of another index is dimmed
// towards a grey that contrasts with the highlighted colour.
void MarkPixels(const TInspected& image, const TMarks& marks, std::uint32_t* argb,
                std::ptrdiff_t stride);

// The checkerboard behind transparent pixels: squares of kCheckerSquare logical pixels of the
// screen, the same at every zoom, light where (x / square + y / square) is even.
inline constexpr int kCheckerSquare = 8;
inline constexpr std::uint32_t kCheckerLight = 0xFFCCCCCCu;
inline constexpr std::uint32_t kCheckerDark = 0xFF999999u;
std::uint32_t CheckerColour(std::int32_t x, std::int32_t y);

}  // namespace zarn
