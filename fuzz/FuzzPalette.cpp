// Feeds arbitrary bytes to every palette reader (the text ones included) and to the test that
// tells the kinds apart; whatever is read is written back in each written kind and must read
// back the same.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "codec/PaletteFormats.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const char* paths[] = {"p.act", "p.gpl", "p.pal", "p.png", "p.bmp", "p.cmp", "p.bm", "p"};
  (void)zarn::PaletteFileOf(bytes, paths[size % 8]);
  using zarn::EPaletteFile;
  for (const EPaletteFile kind : {EPaletteFile::CMP, EPaletteFile::BM, EPaletteFile::Gimp,
                                  EPaletteFile::Act, EPaletteFile::Jasc, EPaletteFile::Png,
                                  EPaletteFile::Bmp}) {
    zarn::TBMPalette palette{};
    if (zarn::ReadPaletteBytes(bytes, kind, palette)) continue;
    for (const EPaletteFile out : {EPaletteFile::Gimp, EPaletteFile::Act, EPaletteFile::Jasc}) {
      std::vector<std::uint8_t> written;
      zarn::EncodePalette(palette, out, written);
      zarn::TBMPalette back{};
      if (zarn::ReadPaletteBytes(written, out, back) || back != palette) __builtin_trap();
    }
  }
  return 0;
}
