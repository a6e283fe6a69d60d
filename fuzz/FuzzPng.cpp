// Feeds arbitrary bytes to the PNG source decoder for both BM depths; whatever it accepts must
// be a bitmap the BM writers take, and must encode as a BM and as a PNG again.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "codec/BMWriter.h"
#include "codec/Png.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  std::vector<std::uint8_t> out;
  std::vector<std::uint8_t> scratch;
  for (const int depth : {8, 16}) {
    zarn::TSourceImage source;
    if (zarn::DecodePngSource(bytes, depth, source)) continue;
    zarn::PaintClearPixels(source, 255, 0, 255);
    // An accepted source that the writers refuse, or that throws, is a fault of the decoder.
    if (zarn::CheckWritable(source.Bitmap, depth)) __builtin_trap();
    const zarn::TBitmap* sources[] = {&source.Bitmap};
    if (depth == 8) {
      zarn::EncodeBM8(out, sources, 0, 0, 0, true);
    } else {
      zarn::EncodeBM16(out, sources, 0, 0, 255, 0, 255);
    }
    zarn::EncodePng(source.Bitmap, out, scratch);
  }
  return 0;
}
