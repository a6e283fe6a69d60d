// Runs the GUI tests headless: one QApplication on the offscreen platform for all of them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>

#if defined(__SANITIZE_ADDRESS__)
// The windows hand views of their pictures to the read-out bars: a view of a picture that is
// already gone must fail under the sanitizers, even where its stack frame still holds the old
// bytes. ASAN_OPTIONS adds to this or overrides it.
extern "C" const char* __asan_default_options();
extern "C" const char* __asan_default_options() { return "detect_stack_use_after_return=1"; }
#endif

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Keep Qt's file-dialog history out of the user's configuration.
  QStandardPaths::setTestModeEnabled(true);
  QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
