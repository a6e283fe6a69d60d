// The requests the windows make of the help viewer. The program shows them in its own help
// window (HelpWindow.h); tests record them.
#pragma once

namespace zarn {

inline constexpr int kHelpMainWindow = 1;
inline constexpr int kHelpLoadPalette = 2;
inline constexpr int kHelpExport = 3;
inline constexpr int kHelpNewBM = 4;

class THelp {
 public:
  virtual ~THelp() = default;
  // The topic with this context number.
  virtual void ShowContext(int context) = 0;
  // Opens the help file at its contents topic and, when that succeeded, runs the macro
  // JumpID("","<topic>") to jump to the named topic.
  virtual void ShowTopic(const char* topic) = 0;
  // The topics window.
  virtual void ShowContents() = 0;
};

}  // namespace zarn
