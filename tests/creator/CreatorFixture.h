// The new-BM window under test: scripted dialogs, recorded help, a viewer stand-in that records
// what it is asked to show, and source BMP files made in a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "Bmp2Bm/NewBMWindow.h"
#include "FakeDialogs.h"
#include "Mainwin/shell/BitmapImage.h"
#include "Mainwin/shell/SpinEdit.h"
#include "RecordingHelp.h"
#include "TestFiles.h"

// Readable QStrings in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace zarn::test {

namespace fs = std::filesystem;

inline QString Q(const fs::path& path) {
  return QString::fromStdString(path.string());
}

// What the creator asked the viewer to show.
struct TShowCall {
  std::string Path;
  EBMKind Kind;
  EInfoStyle Style;
  friend bool operator==(const TShowCall&, const TShowCall&) = default;
};

class TFakeViewer : public TBMViewer {
 public:
  TBMDocument& Document() override { return *document_; }
  void ShowReadDocument(const std::string& path, EBMKind kind, EInfoStyle style) override {
    Calls.push_back({path, kind, style});
  }
  std::vector<TShowCall> Calls;

 private:
  std::unique_ptr<TBMDocument> document_ = std::make_unique<TBMDocument>();
};

// An 8-bit picture of w x h with pixel values that differ from one source to the next.
inline Bytes Bmp8Bytes(int w, int h, std::uint8_t seed) {
  return StandardBmp8(w, h, Pattern(static_cast<std::size_t>(w * h), seed), TestColours(256, seed));
}
inline Bytes Bmp24Bytes(int w, int h, std::uint8_t seed) {
  return StandardBmp24(w, h, Pattern(static_cast<std::size_t>(3 * w * h), seed));
}

class CreatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<TNewBMWindow>(viewer, dialogs, help);
    window->show();
  }

  template <class T>
  T* Child(const char* name) const {
    T* w = window->findChild<T*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QListWidget* List() const { return Child<QListWidget>("FileList"); }
  QAction* Action(const char* name) const { return Child<QAction>(name); }
  QPushButton* Button(const char* name) const { return Child<QPushButton>(name); }
  TSpinEdit* Spin(const char* name) const { return Child<TSpinEdit>(name); }
  QRadioButton* Radio(const char* name) const { return Child<QRadioButton>(name); }
  TImageView* Preview() const { return Child<TImageView>("BMPDisp"); }

  fs::path Write(const std::string& name, const Bytes& bytes) const {
    const fs::path path = dir.File(name);
    WriteFileBytes(path, bytes);
    return path;
  }
  fs::path Bmp8(const std::string& name, int w = 3, int h = 2, std::uint8_t seed = 1) const {
    return Write(name, Bmp8Bytes(w, h, seed));
  }
  fs::path Bmp24(const std::string& name, int w = 3, int h = 2, std::uint8_t seed = 1) const {
    return Write(name, Bmp24Bytes(w, h, seed));
  }

  // Runs a list command from the popup menu with `path` chosen in the open dialog.
  void Add(const fs::path& path) {
    dialogs.AnswerFile(Q(path));
    Action("Add1")->trigger();
  }
  void Insert(const fs::path& path) {
    dialogs.AnswerFile(Q(path));
    Action("Insert1")->trigger();
  }
  // Chooses 16-bit mode as the user does.
  void Choose16Bit() { QTest::mouseClick(Radio("RB16bit"), Qt::LeftButton); }

  QStringList Entries() const {
    QStringList out;
    for (int i = 0; i < List()->count(); ++i)
      out << List()->item(i)->text();
    return out;
  }
  QStringList SelectedEntries() const {
    QStringList out;
    for (int i = 0; i < List()->count(); ++i) {
      if (List()->item(i)->isSelected()) out << List()->item(i)->text();
    }
    return out;
  }
  QString CurrentEntry() const {
    return List()->currentItem() ? List()->currentItem()->text() : QString();
  }
  // A click on entry `row` with `modifiers`, as the mouse gives it.
  void ClickEntry(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QListWidget* list = List();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                      list->visualItemRect(list->item(row)).center());
  }

  // The enabled states that follow the list: filled or empty.
  void ExpectListState(bool filled) const {
    EXPECT_EQ(Radio("RB8bit")->isEnabled(), !filled);
    EXPECT_EQ(Radio("RB16bit")->isEnabled(), !filled);
    EXPECT_EQ(Action("Insert1")->isEnabled(), filled);
    EXPECT_EQ(Action("Remove1")->isEnabled(), filled);
    EXPECT_EQ(Action("Clear1")->isEnabled(), filled);
    EXPECT_EQ(Button("BBOk")->isEnabled(), filled);
    EXPECT_TRUE(Action("Add1")->isEnabled());
  }

  TempDir dir;
  TFakeDialogs dialogs;
  TRecordingHelp help;
  TFakeViewer viewer;
  std::unique_ptr<TNewBMWindow> window;
};

}  // namespace zarn::test
