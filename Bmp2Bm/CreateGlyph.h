// The glyph of the new-BM window's "Create BM" button: a sheet with a folded corner and a tick,
// in colour while the button is enabled and embossed in greys while it is disabled.
#pragma once

#include <QIcon>

namespace zarn {

inline constexpr int kCreateBMGlyphSize = 18;
QIcon CreateBMIcon();

}  // namespace zarn
