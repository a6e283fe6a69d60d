#include "Mainwin/shell/Program.h"

// The icon lives in this static library's resources; make sure they are registered.
static void InitProgramResources() {
  Q_INIT_RESOURCE(Program);
}

namespace zarn {

QIcon ProgramIcon() {
  InitProgramResources();
  return QIcon(QStringLiteral(":/program/zarn.png"));
}

QString CaptionFor(const QString& path) {
  return QLatin1String(kProgramTitle) + QStringLiteral(" : ") + path;
}

}  // namespace zarn
