#include "codec/OkLab.h"

namespace zarn {

TLab OkLab(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  TFloat4 lab;
  const std::uint8_t bgra[4] = {blue, green, red, 255};
  OkLabLanes(bgra, 1, &lab);
  return TLab{lab[0], lab[1], lab[2]};
}

void OkLabLanes(const std::uint8_t* bgra, std::size_t count, TFloat4* out) {
  std::size_t first = 0;
  for (; first + 4 <= count; first += 4)
    OkLabOfFour(bgra + 4 * first, out + first);
  if (first < count) {
    // The last few, through a full group of four (lanes are worked out apart).
    std::uint8_t last[16] = {};
    TFloat4 labs[4];
    std::copy(bgra + 4 * first, bgra + 4 * count, last);
    OkLabOfFour(last, labs);
    std::copy(labs, labs + (count - first), out + first);
  }
}

}  // namespace zarn
