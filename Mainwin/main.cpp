// Zarn: a viewer and maker of BM images. Start-up creates the three windows in order and runs
// the event loop until the main window is closed or Exit is chosen. A BM named on the command
// line is opened once the main window is shown.
#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "About/AboutWindow.h"
#include "Bmp2Bm/NewBMWindow.h"
#include "Mainwin/MainWindow.h"
#include "Mainwin/shell/HelpWindow.h"
#include "Mainwin/shell/Program.h"
#include "Mainwin/shell/QtDialogs.h"

#ifndef ZARN_VERSION
#define ZARN_VERSION "0"
#endif

namespace {

void DescribeCommandLine(QCommandLineParser& parser) {
  parser.setApplicationDescription(
      QStringLiteral("Views Jedi Knight BM images, exports them to BMP or PNG files and builds "
                     "new BMs from BMP or PNG files."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A BM file to open."),
                               QStringLiteral("[FILE]"));
}

// True when the command line asks only for text (help or version), which needs no display.
bool AsksForTextOnly(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    for (const char* option : {"-h", "-?", "--help", "--help-all", "-v", "--version"}) {
      if (std::strcmp(argv[i], option) == 0) return true;
    }
    if (std::strcmp(argv[i], "--") == 0) break;
  }
  return false;
}

void SetProgramNames() {
  QCoreApplication::setApplicationName(QStringLiteral("Zarn"));
  QCoreApplication::setApplicationVersion(QStringLiteral(ZARN_VERSION));
}

}  // namespace

int main(int argc, char* argv[]) {
  if (AsksForTextOnly(argc, argv)) {
    // Answered and ended by the parser, without opening a display.
    QCoreApplication text(argc, argv);
    SetProgramNames();
    QCommandLineParser parser;
    DescribeCommandLine(parser);
    parser.process(text);
    return 0;
  }

  // Whole device pixel ratios draw each image pixel as a whole square of device pixels at every
  // zoom step; the rest of the screen's scale goes into the DPI, which the layout scales by.
  QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
      Qt::HighDpiScaleFactorRoundingPolicy::RoundPreferFloor);
  // Qt's own file dialogs on every desktop, so that they behave the same everywhere.
  QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  QApplication app(argc, argv);
  SetProgramNames();
  QCommandLineParser parser;
  DescribeCommandLine(parser);
  parser.process(app);  // an unknown option ends the program with a message
  const QStringList files = parser.positionalArguments();
  if (files.size() > 1) {
    std::fprintf(stderr, "%s\n",
                 qPrintable(QStringLiteral("zarn: one file at most, not %1").arg(files.size())));
    return 1;
  }
  QApplication::setWindowIcon(zarn::ProgramIcon());

  zarn::TQtDialogs dialogs;
  zarn::THelpWindow help;

  // The main window makes the document's 21 display bitmaps; then the help file is fixed from
  // the working directory of this moment, which later folder changes do not move.
  zarn::TMainWindow MainWindow(dialogs, help);
  help.SetOwner(&MainWindow);
  help.SetHelpFile(zarn::StartupHelpFile());

  zarn::TNewBMWindow NewBMWindow(MainWindow, dialogs, help, &MainWindow);
  NewBMWindow.hide();
  zarn::TAboutWindow AboutWindow(&MainWindow);
  AboutWindow.hide();
  MainWindow.SetNewBMWindow(&NewBMWindow);
  MainWindow.SetAboutWindow(&AboutWindow);

  MainWindow.show();
  if (!files.isEmpty()) {
    QTimer::singleShot(0, &MainWindow, [&MainWindow, file = files.front()] {
      MainWindow.OpenFromCommandLine(file);
    });
  }
  return app.exec();
}
