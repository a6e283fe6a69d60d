// Zarn: a viewer and maker of BM images. Start-up creates the three windows in order and runs
// the event loop until the main window is closed or Exit is chosen. A BM named on the command
// line is opened once the main window is shown.
#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>
#include <cstdio>

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

// Qt's own options for a window program, which QApplication takes out of the command line
// itself; the parser knows them so as not to refuse them, and lists them under --help-all.
struct TQtOption {
  const char* Name;
  const char* Value;  // nullptr for a flag
  const char* Description;
};
constexpr TQtOption kQtOptions[] = {
    {"platform", "NAME", "The platform plugin: xcb, wayland, offscreen, ..."},
    {"platformpluginpath", "PATH", "A folder of platform plugins."},
    {"platformtheme", "NAME", "The platform theme."},
    {"plugin", "NAME", "An additional plugin to load."},
    {"display", "DISPLAY", "The X display (xcb)."},
    {"geometry", "GEOMETRY", "The main window's size and place (xcb)."},
    {"qwindowgeometry", "GEOMETRY", "The main window's size and place."},
    {"qwindowicon", "ICON", "The main window's icon."},
    {"qwindowtitle", "TITLE", "The main window's title."},
    {"name", "NAME", "The program's name for the window manager (xcb)."},
    {"session", "ID", "The session to restore."},
    {"reverse", nullptr, "Lays the windows out from right to left."},
    {"style", "STYLE", "The widget style."},
    {"stylesheet", "FILE", "A style sheet for every window."},
    {"widgetcount", nullptr, "Prints the number of widgets left at the end."},
};

struct TCommandLine {
  QCommandLineParser Parser;
  QCommandLineOption Help{{QStringLiteral("h"), QStringLiteral("?"), QStringLiteral("help")},
                          QStringLiteral("Displays help on commandline options.")};
  QCommandLineOption HelpAll{QStringLiteral("help-all"),
                             QStringLiteral("Displays help including Qt specific options.")};
  QCommandLineOption Version{{QStringLiteral("v"), QStringLiteral("version")},
                             QStringLiteral("Displays version information.")};
  // Qt's options are hidden from --help unless `listQtOptions` (for --help-all).
  explicit TCommandLine(bool listQtOptions = false) {
    Parser.setApplicationDescription(
        QStringLiteral("Views Jedi Knight BM images, exports them to BMP or PNG files and "
                       "builds new BMs from BMP or PNG files."));
    // Qt's options are single words after one dash ("-platform offscreen").
    Parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    Parser.addOptions({Help, HelpAll, Version});
    for (const TQtOption& qt : kQtOptions) {
      QCommandLineOption option(QString::fromLatin1(qt.Name), QString::fromLatin1(qt.Description));
      if (qt.Value != nullptr) option.setValueName(QString::fromLatin1(qt.Value));
      if (!listQtOptions) option.setFlags(QCommandLineOption::HiddenFromHelp);
      Parser.addOption(option);
    }
    Parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A BM file to open."),
                                 QStringLiteral("[FILE]"));
  }
};

void SetProgramNames() {
  QCoreApplication::setApplicationName(QString::fromLatin1(zarn::kProgramTitle));
  QCoreApplication::setApplicationVersion(QStringLiteral(ZARN_VERSION));
}

// An error of the command line, on standard error under the program's command name.
int CommandLineError(const QString& text) {
  std::fprintf(stderr, "zarn: %s\n", qPrintable(text));
  return 1;
}

}  // namespace

int main(int argc, char* argv[]) {
  // The command line is read before any display is opened, so that help, the version and a
  // wrong option are answered on the terminal, with or without a display.
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  SetProgramNames();
  TCommandLine line;
  if (!line.Parser.parse(arguments)) return CommandLineError(line.Parser.errorText());
  if (line.Parser.isSet(line.Help) || line.Parser.isSet(line.HelpAll) ||
      line.Parser.isSet(line.Version)) {
    // The parser prints from the program's arguments, which need an application object.
    QCoreApplication text(argc, argv);
    if (line.Parser.isSet(line.Version)) line.Parser.showVersion();
    if (line.Parser.isSet(line.HelpAll)) TCommandLine(true).Parser.showHelp(0);
    line.Parser.showHelp(0);
  }
  const QStringList files = line.Parser.positionalArguments();
  if (files.size() > 1) {
    return CommandLineError(QStringLiteral("one file at most, not %1").arg(files.size()));
  }

  // Whole device pixel ratios draw each image pixel as a whole square of device pixels at every
  // zoom step; the rest of the screen's scale goes into the DPI, which the layout scales by.
  QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
      Qt::HighDpiScaleFactorRoundingPolicy::RoundPreferFloor);
  // Qt's own file dialogs on every desktop, so that they behave the same everywhere.
  QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  QApplication app(argc, argv);
  SetProgramNames();
#ifdef ZARN_APP_ID
  // Ties the windows to the desktop entry (start-up notification, the Wayland app id).
  QGuiApplication::setDesktopFileName(QStringLiteral(ZARN_APP_ID));
#endif
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
