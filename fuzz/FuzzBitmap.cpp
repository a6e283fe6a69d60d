// Feeds arbitrary bytes to the BMP loader; a loaded bitmap is saved again, its true picture is
// read row by row, and a bitmap the writers accept is encoded as a BM.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "codec/BMWriter.h"
#include "codec/Bitmap.h"
#include "codec/Errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zarn::TBitmap bitmap;
  try {
    bitmap.LoadFromBmpStream(std::span(data, size));
  } catch (const zarn::CodecError&) {
    return 0;
  }
  std::vector<std::uint8_t> saved;
  bitmap.SaveToBmpStream(saved);

  std::vector<std::uint8_t> scratch;
  try {
    const zarn::TPicture picture = bitmap.Picture(scratch);
    volatile std::uint8_t sum = 0;
    for (std::int32_t y = 0; y < picture.Height; ++y) {
      for (const std::uint8_t byte : picture.Row(y)) sum = static_cast<std::uint8_t>(sum + byte);
    }
  } catch (const zarn::CodecError&) {
    // Layouts without a true picture are refused; that is an answer, not a fault.
  }

  const zarn::TBitmap* sources[] = {&bitmap};
  std::vector<std::uint8_t> out;
  // What CheckWritable accepts must encode without an error.
  if (!zarn::CheckWritable(bitmap, 8)) zarn::EncodeBM8(out, sources, 0, 0, 0, true);
  if (!zarn::CheckWritable(bitmap, 16)) zarn::EncodeBM16(out, sources, 0, 0, 0, 0, 0);
  return 0;
}
