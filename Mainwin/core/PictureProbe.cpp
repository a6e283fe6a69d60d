#include "Mainwin/core/PictureProbe.h"

#include <cmath>

#include "codec/Colour.h"

namespace zarn {

namespace {

std::uint16_t Rgb565Of(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  std::uint8_t low = 0, high = 0;
  RgbToRgb565(red, green, blue, low, high);
  return static_cast<std::uint16_t>(low | (high << 8));
}

const std::uint8_t* PixelAddress(const TInspected& image, std::int32_t x, std::int32_t y) {
  const int bytes = image.Form == EPixelForm::Index8 ? 1 : image.Form == EPixelForm::Rgb565 ? 2 : 3;
  return image.Top + image.Stride * y + static_cast<std::ptrdiff_t>(x) * bytes;
}

std::string ColourText(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return std::to_string(red) + ", " + std::to_string(green) + ", " + std::to_string(blue);
}

// "index 5: 255, 0, 255", or "index 5: no palette".
std::string IndexText(int index, const TBMPalette* palette) {
  std::string text = "index " + std::to_string(index) + ": ";
  if (!palette) return text + "no palette";
  const TRGBQuad& q = (*palette)[static_cast<std::size_t>(index & 0xFF)];
  return text + ColourText(q.Red, q.Green, q.Blue);
}

constexpr const char* kTransparentMark = "; transparent";

}  // namespace

TInspected InspectBMImage(const TBMImage& image, const TBMHeader& header,
                          const TBMPalette* palette) {
  const int bytes = BytesPerPixel(header.BitsPerPixel);
  if (bytes == 0 || image.Width <= 0 || image.Height <= 0) return {};
  const std::int64_t row = std::int64_t{image.Width} * bytes;
  if (static_cast<std::int64_t>(image.Pixels.size()) != row * image.Height) return {};
  TInspected view;
  view.Width = image.Width;
  view.Height = image.Height;
  view.Top = image.Pixels.data();
  view.Stride = static_cast<std::ptrdiff_t>(row);
  const auto& t = header.TransparentColour;
  if (bytes == 1) {
    view.Form = EPixelForm::Index8;
    view.Palette = palette;
    view.Transparent = t[0];
  } else {
    view.Form = EPixelForm::Rgb565;
    view.Transparent = static_cast<std::uint16_t>(t[0] | (t[1] << 8));
  }
  return view;
}

TInspected InspectPicture(const TPicture& picture, std::uint16_t transparent) {
  if (picture.BitCount != 8 && picture.BitCount != 24) return {};
  TInspected view;
  view.Width = picture.Width;
  view.Height = picture.Height;
  view.Top = picture.Top;
  view.Stride = picture.Stride;
  view.Form = picture.BitCount == 8 ? EPixelForm::Index8 : EPixelForm::Bgr24;
  view.Palette = picture.BitCount == 8 ? &picture.Colours : nullptr;
  view.Transparent = transparent;
  return view;
}

TPixelFacts PixelAt(const TInspected& image, std::int32_t x, std::int32_t y) {
  TPixelFacts facts;
  const std::uint8_t* p = PixelAddress(image, x, y);
  switch (image.Form) {
    case EPixelForm::Index8:
      facts.Index = p[0];
      facts.Transparent = p[0] == image.Transparent;
      if (image.Palette) {
        const TRGBQuad& q = (*image.Palette)[p[0]];
        facts.HasColour = true;
        facts.Red = q.Red;
        facts.Green = q.Green;
        facts.Blue = q.Blue;
      }
      break;
    case EPixelForm::Rgb565:
      Rgb565ToRgb(p[0], p[1], facts.Red, facts.Green, facts.Blue);
      facts.HasColour = true;
      facts.Stored = p[0] | (p[1] << 8);
      facts.Transparent = facts.Stored == image.Transparent;
      break;
    case EPixelForm::Bgr24:
      facts.Blue = p[0];
      facts.Green = p[1];
      facts.Red = p[2];
      facts.HasColour = true;
      facts.Stored = Rgb565Of(p[2], p[1], p[0]);
      facts.Transparent = facts.Stored == image.Transparent;
      break;
  }
  return facts;
}

bool IsTransparentPixel(const TInspected& image, std::int32_t x, std::int32_t y) {
  const std::uint8_t* p = PixelAddress(image, x, y);
  switch (image.Form) {
    case EPixelForm::Index8:
      return p[0] == image.Transparent;
    case EPixelForm::Rgb565:
      return (p[0] | (p[1] << 8)) == image.Transparent;
    case EPixelForm::Bgr24:
      return Rgb565Of(p[2], p[1], p[0]) == image.Transparent;
  }
  return false;
}

std::string ReadoutText(std::int32_t x, std::int32_t y, const TPixelFacts& pixel) {
  std::string text = "x " + std::to_string(x) + ", y " + std::to_string(y) + "; ";
  if (pixel.Index >= 0) {
    text += "index " + std::to_string(pixel.Index) + ": ";
    text += pixel.HasColour ? ColourText(pixel.Red, pixel.Green, pixel.Blue) : "no palette";
  } else {
    constexpr std::string_view kHexDigits = "0123456789ABCDEF";
    std::string stored(4, '0');
    for (std::uint32_t value = pixel.Stored & 0xFFFFu, i = 4; i-- > 0; value >>= 4)
      stored[i] = kHexDigits[value & 0xFu];
    text += ColourText(pixel.Red, pixel.Green, pixel.Blue) + " (" + stored + ")";
  }
  if (pixel.Transparent) text += kTransparentMark;
  return text;
}

std::string PaletteEntryText(const TInspected& image, const TUsage& usage, int index) {
  const std::uint32_t uses = usage[static_cast<std::size_t>(index & 0xFF)];
  std::string text = IndexText(index, image.Palette) + "; " + std::to_string(uses) +
                     (uses == 1 ? " pixel" : " pixels");
  if (index == image.Transparent) text += kTransparentMark;
  return text;
}

std::optional<TPixelPos> PixelUnder(double x, double y, int zoomPercent, const TInspected& image) {
  if (zoomPercent <= 0 || image.Empty() || !(x >= 0) || !(y >= 0)) return std::nullopt;
  // The view draws image pixel i from i * zoom / 100 to (i + 1) * zoom / 100.
  const double px = std::floor(x * 100.0 / zoomPercent);
  const double py = std::floor(y * 100.0 / zoomPercent);
  if (px >= image.Width || py >= image.Height) return std::nullopt;
  return TPixelPos{static_cast<std::int32_t>(px), static_cast<std::int32_t>(py)};
}

std::string ZoomText(int percent) {
  return std::to_string(percent) + " %";
}

std::string SizeText(std::int32_t width, std::int32_t height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

TUsage UsageCounts(const TInspected& image) {
  TUsage counts{};
  if (image.Form != EPixelForm::Index8 || image.Empty()) return counts;
  for (std::int32_t y = 0; y < image.Height; ++y) {
    const std::uint8_t* row = image.Top + image.Stride * y;
    for (std::int32_t x = 0; x < image.Width; ++x)
      ++counts[row[x]];
  }
  return counts;
}

void MarkPixels(const TInspected& image, const TMarks& marks, std::uint32_t* argb,
                std::ptrdiff_t stride) {
  if (image.Empty() || !marks.Any()) return;
  const bool highlight = marks.Highlight >= 0 && image.Form == EPixelForm::Index8;
  // Dimmed pixels go three quarters of the way to a light grey when the highlighted colour is
  // dark and to a dark grey when it is light, so the highlighted pixels stand out either way.
  std::uint32_t towards = 0;
  if (highlight && image.Palette) {
    const TRGBQuad& q = (*image.Palette)[static_cast<std::size_t>(marks.Highlight & 0xFF)];
    const int luma = (299 * q.Red + 587 * q.Green + 114 * q.Blue) / 1000;
    towards = luma < 128 ? 0xE0u : 0x20u;
  }
  const auto dim = [towards](std::uint32_t c) {
    const auto mix = [towards](std::uint32_t channel) { return (channel + 3 * towards) / 4; };
    return 0xFF000000u | (mix((c >> 16) & 0xFF) << 16) | (mix((c >> 8) & 0xFF) << 8) |
           mix(c & 0xFF);
  };
  if (image.Form != EPixelForm::Index8) {
    if (!marks.Transparency) return;
    for (std::int32_t y = 0; y < image.Height; ++y) {
      std::uint32_t* out = argb + stride * y;
      for (std::int32_t x = 0; x < image.Width; ++x)
        if (IsTransparentPixel(image, x, y)) out[x] = 0;
    }
    return;
  }
  // What each index does to its pixels, decided once rather than for every pixel.
  enum : std::uint8_t { kKeep, kClear, kDim };
  std::array<std::uint8_t, kPaletteEntries> action{};
  for (int i = 0; i < kPaletteEntries; ++i) {
    if (marks.Transparency && i == image.Transparent) {
      action[static_cast<std::size_t>(i)] = kClear;
    } else if (highlight && i != marks.Highlight) {
      action[static_cast<std::size_t>(i)] = kDim;
    }
  }
  for (std::int32_t y = 0; y < image.Height; ++y) {
    std::uint32_t* out = argb + stride * y;
    const std::uint8_t* indices = image.Top + image.Stride * y;
    for (std::int32_t x = 0; x < image.Width; ++x) {
      const std::uint8_t what = action[indices[x]];
      if (what == kClear) {
        out[x] = 0;
      } else if (what == kDim) {
        out[x] = dim(out[x]);
      }
    }
  }
}

std::uint32_t CheckerColour(std::int32_t x, std::int32_t y) {
  return ((x / kCheckerSquare + y / kCheckerSquare) % 2 == 0) ? kCheckerLight : kCheckerDark;
}

}  // namespace zarn
