// Readable test failure output for Qt strings and the viewer's records.
#pragma once

#include <QString>
#include <QStringList>
#include <ostream>

#include "FakeDialogs.h"
#include "Mainwin/core/BMDocument.h"
#include "RecordingHelp.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os) {
  *os << '{';
  for (const QString& s : l)
    *os << '"' << s.toStdString() << "\" ";
  *os << '}';
}
QT_END_NAMESPACE

namespace zarn {
inline void PrintTo(const TViewerState& s, std::ostream* os) {
  *os << "{open " << s.OpenBM << " new " << s.NewBM << " close " << s.Close << " loadpal "
      << s.LoadPalette << " export " << s.Export << " exportpal " << s.ExportPalette << " selector " << s.ImageSelector << " "
      << s.SelectorMin << ".." << s.SelectorMax << " = " << s.SelectorValue << '}';
}
namespace test {
inline void PrintTo(const TRecordedMessage& m, std::ostream* os) {
  const char* kinds[] = {"Warning", "Error", "ProgramError", "Question"};
  *os << kinds[static_cast<int>(m.Kind)] << "(\"" << m.Text.toStdString() << "\")";
}
inline void PrintTo(const THelpRequest& r, std::ostream* os) {
  *os << "help{" << static_cast<int>(r.Kind) << ", " << r.Context << ", " << r.Topic << '}';
}
}  // namespace test
}  // namespace zarn
