// What the creator window uses of the viewer: the one document, and showing a BM that has just
// been read into it exactly as the viewer shows a BM it opened.
#pragma once

#include <string>

#include "Mainwin/core/BMDocument.h"

namespace zarn {

class TBMViewer {
 public:
  virtual ~TBMViewer() = default;
  virtual TBMDocument& Document() = 0;
  // The document holds the BM read from `path`: put the window in the open state for `kind`,
  // decode and show image 0 when the kind is shown, set the caption, the five information lines
  // (in `style`) and the document's BaseName.
  virtual void ShowReadDocument(const std::string& path, EBMKind kind, EInfoStyle style) = 0;
};

}  // namespace zarn
