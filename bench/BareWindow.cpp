// The yardsticks for the start-up time of zarn: an empty Qt main window of a given client size,
// shown as soon as the toolkit is up; with --menu it also has a menu bar of three menus, which
// is the least a window with text pays (the font set-up before the window can be laid out).
//
//   zarn_bare_window [--menu] WIDTH HEIGHT
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <cstdlib>
#include <cstring>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  int first = 1;
  const bool menu = argc > 1 && std::strcmp(argv[1], "--menu") == 0;
  if (menu) first = 2;
  const int width = argc > first + 1 ? std::atoi(argv[first]) : 464;
  const int height = argc > first + 1 ? std::atoi(argv[first + 1]) : 338;
  QMainWindow window;
  if (menu) {
    for (const char* title : {"&File", "&View", "&Help"})
      window.menuBar()->addMenu(QString::fromLatin1(title))->addAction(QStringLiteral("Item"));
  }
  window.resize(width, height);
  window.show();
  return app.exec();
}
