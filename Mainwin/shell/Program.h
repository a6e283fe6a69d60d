// What the user sees of the program as a whole: its name and its icon, in every window's
// caption, the program-wide error box and the task bar.
#pragma once

#include <QIcon>
#include <QString>

namespace zarn {

inline constexpr const char* kProgramTitle = "Zarn";

// The program icon (drawn by About/make_artwork.py; also installed with the program).
QIcon ProgramIcon();

// The main window's caption while a BM is open: "Zarn : <path>".
QString CaptionFor(const QString& path);

}  // namespace zarn
