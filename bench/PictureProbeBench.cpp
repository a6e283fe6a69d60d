// The inspector's cost in the real main window (offscreen): one pointer move over a 640 x 480
// 16-bit image at 1600 % (the read-out found and drawn), and one highlight of a palette index in
// a 640 x 480 8-bit image (the marks made and the image redrawn). Each iteration also paints
// what the event asked to repaint, so the figure is the whole cost on screen; the counters
// tell how many paints of the image view each event caused (a pointer move: none).
// Run with bench/run-probe-bench.sh, or build-bench/bench/zarn_probe_bench.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QWindow>
#include <cstdint>
#include <fstream>
#include <vector>

#include "Mainwin/MainWindow.h"
#include "Mainwin/PaletteWindow.h"
#include "Mainwin/shell/BitmapImage.h"
#include "Mainwin/shell/QtDialogs.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::int32_t kWidth = 640;
constexpr std::int32_t kHeight = 480;

class TNoHelp : public zarn::THelp {
 public:
  void ShowContext(int) override {}
  void ShowTopic(const char*) override {}
  void ShowContents() override {}
};

// Counts the paints of one widget.
class TPaintCounter : public QObject {
 public:
  int Paints = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++Paints;
    return QObject::eventFilter(watched, event);
  }
};

void PutI32(Bytes& out, std::int32_t v) {
  for (int i = 0; i < 4; ++i)
    out.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i)));
}

// A BM of one 640 x 480 image of gradients, 8-bit with its palette or 16-bit.
std::string WriteBM(const QString& folder, int bits) {
  zarn::TBMHeader header;
  header.Signature = {'B', 'M', ' ', ' '};
  header.HeaderConstant = 70;
  header.PaletteMode = bits == 8 ? zarn::kPaletteModeIncluded : 1;
  header.ImageCount = 1;
  header.BitsPerPixel = bits;
  const auto head = header.ToBytes();
  Bytes bytes(head.begin(), head.end());
  PutI32(bytes, kWidth);
  PutI32(bytes, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const auto v = static_cast<std::uint16_t>(((x / 20) << 11) | ((y / 8) << 5) | ((x + y) / 40));
      bytes.push_back(static_cast<std::uint8_t>(bits == 8 ? (x / 40 + 16 * (y / 30)) : v));
      if (bits == 16) bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    }
  }
  if (bits == 8) {
    for (int i = 0; i < 768; ++i)
      bytes.push_back(static_cast<std::uint8_t>(i * 7));
  }
  const std::string path = QDir(folder).filePath(QStringLiteral("b%1.bm").arg(bits)).toStdString();
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return path;
}

struct TViewer {
  zarn::TQtDialogs dialogs;
  TNoHelp help;
  zarn::TMainWindow window{dialogs, help};
  zarn::TImageView* view = nullptr;
  TPaintCounter counter;

  explicit TViewer(const std::string& path) {
    window.resize(1024, 768);
    window.show();
    window.OpenFromCommandLine(QString::fromStdString(path));
    window.findChild<QAction*>(QStringLiteral("Zoom1600"))->trigger();
    view = window.findChild<zarn::TImageView*>(QStringLiteral("Image"));
    view->installEventFilter(&counter);
    // Nothing is painted before the window system has shown the window.
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    Settle();
  }
  // Delivers what is waiting, the window system's events and the repaints included, as the
  // event loop would next; it does not wait for anything.
  static void Settle() { QCoreApplication::processEvents(); }
};

void BM_PointerMove(benchmark::State& state) {
  QTemporaryDir folder;
  TViewer viewer(WriteBM(folder.path(), 16));
  viewer.counter.Paints = 0;
  int x = 0;
  for (auto _ : state) {
    // 17 logical pixels on: another image pixel every time at 1600 %.
    x = (x + 17) % 800;
    const QPointF at(x, 300);
    QMouseEvent move(QEvent::MouseMove, at, viewer.view->mapToGlobal(at), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewer.view, &move);
    TViewer::Settle();
  }
  state.counters["image_paints_per_move"] =
      benchmark::Counter(viewer.counter.Paints, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_PointerMove)->Unit(benchmark::kMicrosecond);

void BM_Highlight(benchmark::State& state) {
  QTemporaryDir folder;
  TViewer viewer(WriteBM(folder.path(), 8));
  viewer.window.findChild<QAction*>(QStringLiteral("Palette1"))->trigger();
  auto* palette = viewer.window.findChild<zarn::TPaletteWindow*>(QStringLiteral("PaletteWindow"));
  TViewer::Settle();
  viewer.counter.Paints = 0;
  int index = 0;
  for (auto _ : state) {
    index = (index + 37) % 256;
    palette->ChooseHighlight(index);
    TViewer::Settle();
  }
  state.counters["image_paints_per_highlight"] =
      benchmark::Counter(viewer.counter.Paints, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_Highlight)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
