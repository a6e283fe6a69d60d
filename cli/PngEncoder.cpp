#include "cli/PngEncoder.h"

#include <png.h>

#include <array>
#include <cstdint>
#include <limits>
#include <string>

#include "codec/Errors.h"

namespace zarn::cli {

void EncodePng(const TBitmap& bitmap, std::vector<std::uint8_t>& out,
               std::vector<std::uint8_t>& scratch) {
  const TPicture picture = bitmap.Picture(scratch);
  if (picture.Width <= 0 || picture.Height <= 0) {
    throw CodecError("The image has no pixels; a PNG file cannot hold it");
  }
  const std::int64_t strideLimit = std::numeric_limits<png_int_32>::max();
  if (picture.Stride > strideLimit || picture.Stride < -strideLimit) {
    throw CodecError("The image is too large for a PNG file");
  }

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(picture.Width);
  image.height = static_cast<png_uint_32>(picture.Height);
  image.flags = PNG_IMAGE_FLAG_FAST;

  // The colour table as blue, green, red triples: the fourth byte of a table entry is
  // reserved, and taking it as alpha would make every colour transparent.
  std::array<std::uint8_t, 3 * kPaletteEntries> colourMap{};
  const void* colourMapData = nullptr;
  if (picture.BitCount == 8) {
    image.format = PNG_FORMAT_BGR_COLORMAP;
    image.colormap_entries = kPaletteEntries;
    for (std::size_t k = 0; k < picture.Colours.size(); ++k) {
      colourMap[3 * k] = picture.Colours[k].Blue;
      colourMap[3 * k + 1] = picture.Colours[k].Green;
      colourMap[3 * k + 2] = picture.Colours[k].Red;
    }
    colourMapData = colourMap.data();
  } else {
    image.format = PNG_FORMAT_BGR;
  }

  // libpng takes the lowest address of the rows and a signed stride: a negative stride means
  // the top row is the last in memory, as in a bottom-up BMP.
  const std::uint8_t* lowest =
      picture.Stride >= 0 ? picture.Top : picture.Top + picture.Stride * (picture.Height - 1);
  const auto stride = static_cast<png_int_32>(picture.Stride);

  // An upper bound of the encoded size, so that one pass always fits.
  const png_alloc_size_t capacity = PNG_IMAGE_PNG_SIZE_MAX(image);
  out.resize(capacity);
  png_alloc_size_t size = capacity;
  if (png_image_write_to_memory(&image, out.data(), &size, 0, lowest, stride, colourMapData) == 0) {
    const std::string reason = image.message;
    png_image_free(&image);
    out.clear();
    throw CodecError("Cannot encode the PNG file: " + reason);
  }
  out.resize(size);
}

}  // namespace zarn::cli
