// Zarn: a viewer and maker of BM images. Start-up creates the three windows in order and runs
// the event loop until the main window is closed or Exit is chosen.
#include <QApplication>
#include <QGuiApplication>

#include "About/AboutWindow.h"
#include "Bmp2Bm/NewBMWindow.h"
#include "Mainwin/shell/HelpWindow.h"
#include "Mainwin/MainWindow.h"
#include "Mainwin/shell/QtDialogs.h"

int main(int argc, char* argv[]) {
  // Whole device pixel ratios draw each image pixel as a whole square of device pixels at every
  // zoom step; the rest of the screen's scale goes into the DPI, which the layout scales by.
  QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
      Qt::HighDpiScaleFactorRoundingPolicy::RoundPreferFloor);
  // Qt's own file dialogs on every desktop, so that they behave the same everywhere.
  QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Zarn"));
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
  return app.exec();
}
