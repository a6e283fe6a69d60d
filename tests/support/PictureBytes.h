// The true picture of a bitmap as one buffer, rows top to bottom, for comparing in tests.
#pragma once

#include <vector>

#include "TestFiles.h"
#include "codec/Bitmap.h"

namespace zarn::test {

inline Bytes PictureBytes(const TPicture& picture) {
  Bytes out;
  for (std::int32_t y = 0; y < picture.Height; ++y) {
    const auto row = picture.Row(y);
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

inline Bytes PictureBytes(const TBitmap& bitmap) {
  std::vector<std::uint8_t> scratch;
  return PictureBytes(bitmap.Picture(scratch));
}

inline TBitmap LoadedBitmap(std::span<const std::uint8_t> bmp) {
  TBitmap bitmap;
  bitmap.LoadFromBmpStream(bmp);
  return bitmap;
}

inline Bytes Saved(const TBitmap& bitmap) {
  Bytes out;
  bitmap.SaveToBmpStream(out);
  return out;
}

}  // namespace zarn::test
