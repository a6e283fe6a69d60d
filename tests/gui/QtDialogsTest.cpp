// The real dialogs adapter, driven offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "GuiPrinters.h"
#include "Mainwin/MainWindow.h"
#include "Mainwin/shell/QtDialogs.h"
#include "TestFiles.h"

namespace zarn::test {
namespace {

namespace fs = std::filesystem;

QString Q(const fs::path& path) {
  return QString::fromStdString(path.string());
}

// Accepts the next modal file dialog with `name` typed and filter entry `filter` chosen.
void AcceptNextFileDialog(const QString& name, int filter = -1) {
  QTimer::singleShot(0, [name, filter] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    if (filter >= 0) {
      // As the user picks the entry: the combo box's activation, not only the selection.
      auto* combo = dialog->findChild<QComboBox*>("fileTypeCombo");
      ASSERT_NE(combo, nullptr);
      combo->setCurrentIndex(filter);
      emit combo->activated(filter);
      emit combo->textActivated(combo->itemText(filter));
    }
    dialog->findChild<QLineEdit*>("fileNameEdit")->setText(name);
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog's own accept() checks the name
  });
}

void RejectNextFileDialog() {
  QTimer::singleShot(0, [] {
    if (auto* dialog = QApplication::activeModalWidget()) qobject_cast<QDialog*>(dialog)->reject();
  });
}

TEST(QtDialogsTest, SetsUpEachDialogAsRequested) {
  TQtDialogs dialogs;
  const TFileRequest open = TMainWindow::PalOpenRequest();
  QFileDialog& d = dialogs.Prepare(open);
  EXPECT_EQ(d.windowTitle(), "Load Palette");
  EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptOpen);
  EXPECT_EQ(d.fileMode(), QFileDialog::ExistingFile);
  EXPECT_EQ(d.nameFilters(), open.Filters);
  EXPECT_EQ(d.selectedNameFilter(), open.Filters.at(0));
  EXPECT_EQ(d.defaultSuffix(), "CMP");
  EXPECT_TRUE(d.testOption(QFileDialog::DontUseNativeDialog));

  QFileDialog& s = dialogs.Prepare(TMainWindow::BMPSaveRequest("WALL.BMP", 1));
  EXPECT_NE(&s, &d);
  EXPECT_EQ(s.acceptMode(), QFileDialog::AcceptSave);
  EXPECT_FALSE(s.testOption(QFileDialog::DontConfirmOverwrite));
  EXPECT_EQ(s.findChild<QLineEdit*>("fileNameEdit")->text(), "WALL.BMP");
}

TEST(QtDialogsTest, RunsTheDialogAndKeepsNameAndFilterEntry) {
  TempDir dir;
  WriteFileBytes(dir.File("wall.bm"), Bytes{1});
  TQtDialogs dialogs;
  const TFileRequest request = TMainWindow::PalOpenRequest();
  dialogs.Prepare(request).setDirectory(Q(dir.Path()));

  AcceptNextFileDialog("wall.bm", 1);
  const auto choice = dialogs.RunFileDialog(request);
  ASSERT_TRUE(choice.has_value());
  EXPECT_EQ(choice->Path, Q(dir.File("wall.bm")));
  EXPECT_EQ(choice->FilterIndex, 1);

  // The next run offers the same name and filter entry again.
  QFileDialog& again = dialogs.Prepare(request);
  EXPECT_EQ(again.selectedNameFilter(), request.Filters.at(1));
  EXPECT_EQ(again.findChild<QLineEdit*>("fileNameEdit")->text(), "wall.bm");

  RejectNextFileDialog();
  EXPECT_FALSE(dialogs.RunFileDialog(request).has_value());
}

TEST(QtDialogsTest, SaveDialogAppendsTheExtensionOfTheSelectedEntry) {
  TempDir dir;
  TQtDialogs dialogs;
  const TFileRequest request = TMainWindow::BMPSaveRequest(Q(dir.File("start.BMP")), 1);
  AcceptNextFileDialog("picture");
  auto choice = dialogs.RunFileDialog(request);
  ASSERT_TRUE(choice.has_value());
  EXPECT_EQ(choice->Path, Q(dir.File("picture.BMP")));

  AcceptNextFileDialog("picture", 1);
  choice = dialogs.RunFileDialog(request);
  ASSERT_TRUE(choice.has_value());
  EXPECT_EQ(choice->Path, Q(dir.File("picture.png")));
  EXPECT_EQ(choice->FilterIndex, 1);
  // The entry chosen last comes back with its extension, and the offered name follows it.
  QFileDialog& again = dialogs.Prepare(request);
  EXPECT_EQ(again.defaultSuffix(), "png");
  EXPECT_EQ(again.findChild<QLineEdit*>("fileNameEdit")->text(), "start.png");
}

TEST(QtDialogsTest, OpenTakesANameWithoutExtensionInAnyCaseAndEveryDialogFollowsTheUser) {
  TempDir dir;
  for (const char* name : {"wall.bm", "level.cmp", "pal.Bm", "pal.cmp.txt", "level.bm"})
    WriteFileBytes(dir.File(name), Bytes{1});
  TQtDialogs dialogs;
  const TFileRequest bmOpen = TMainWindow::BMOpenRequest();
  const TFileRequest palOpen = TMainWindow::PalOpenRequest();
  dialogs.Prepare(bmOpen).setDirectory(Q(dir.Path()));
  struct {
    const TFileRequest* Request;
    const char* Typed;
    int Filter;
    const char* Chosen;
  } const rows[] = {
      {&bmOpen, "wall", -1, "wall.bm"},
      {&palOpen, "level", 0, "level.cmp"},
      {&palOpen, "pal", 1, "pal.Bm"},
      {&palOpen, "level", 1, "level.bm"},  // the selected entry's extension first
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Typed);
    AcceptNextFileDialog(row.Typed, row.Filter);
    // The palette dialog opens in the folder of the BM chosen before.
    const auto choice = dialogs.RunFileDialog(*row.Request);
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->Path, Q(dir.File(row.Chosen)));
  }
  EXPECT_EQ(dialogs.Prepare(TMainWindow::BMPSaveRequest("WALL.BMP", 1)).directory(),
            QDir(Q(dir.Path())));
}

TEST(QtDialogsTest, SaveRefusesAFolderThatDoesNotExistInTheDialog) {
  TempDir dir;
  TQtDialogs dialogs;
  QString boxText;
  bool stayedOpen = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QLineEdit*>("fileNameEdit")->setText(Q(dir.File("missing") / "x.BMP"));
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      boxText = box->text();
      box->accept();
    });
    static_cast<QDialog*>(dialog)->accept();
    stayedOpen = dialog->isVisible();
    dialog->reject();
  });
  EXPECT_FALSE(dialogs.RunFileDialog(TMainWindow::BMPSaveRequest("x.BMP", 1)).has_value());
  EXPECT_TRUE(stayedOpen);
  EXPECT_TRUE(boxText.startsWith(Q(dir.File("missing")))) << boxText.toStdString();
}

TEST(QtDialogsTest, MessageBoxesHaveTheirTitlesIconsAndOneOKButton) {
  struct {
    QMessageBox::Icon Icon;
    const char* Title;
  } const kinds[] = {{QMessageBox::Warning, "Warning"}, {QMessageBox::Critical, "Error"}};
  for (const auto& k : kinds) {
    const auto box = TQtDialogs::MakeMessageBox(k.Icon, k.Title, "Invalid BM file!");
    EXPECT_EQ(box->windowTitle(), k.Title);
    EXPECT_EQ(box->icon(), k.Icon);
    EXPECT_EQ(box->text(), "Invalid BM file!");
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()), box->button(QMessageBox::Ok));
    EXPECT_EQ(box->escapeButton(), box->button(QMessageBox::Ok));
  }
}

TEST(QtDialogsTest, ProgramErrorBoxEndsTheTextWithAFullStopAndShowsALongPathWhole) {
  const QString path = "/nowhere" + QString("/a-rather-long-folder-name").repeated(12) + "/" +
                       QString("LONG_TEXTURE_NAME").repeated(8) + ".BMP";
  TQtDialogs dialogs;
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  int width = 0, screenWidth = 0;
  bool textFits = false;
  const auto show = [&](const QString& shown) {
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      title = box->windowTitle();
      text = box->text();
      icon = box->icon();
      width = box->width();
      // The text's longest unbreakable piece fits in the box's label.
      const auto* label = box->findChild<QLabel*>("qt_msgbox_label");
      textFits = label && label->minimumSizeHint().width() <= label->width();
      screenWidth = box->screen()->availableGeometry().width();
      QTest::keyClick(box, Qt::Key_Escape);
    });
    dialogs.ProgramError(shown);
    return text.remove(QChar(0x200B));
  };
  // A refusal that ends its sentence gets no second full stop.
  const QString refusal = "The image has no pixels; a PNG file cannot hold it!";
  EXPECT_EQ(show(refusal), refusal);
  EXPECT_EQ(show("Cannot create file /tmp/dotted."), "Cannot create file /tmp/dotted..");
  show("Cannot create file " + path);
  EXPECT_EQ(title, "Zarn");
  // The path may break after its separators and inside its long name, at zero-width spaces.
  EXPECT_EQ(text.remove(QChar(0x200B)), "Cannot create file " + path + ".");
  EXPECT_EQ(icon, QMessageBox::Critical);
  EXPECT_LE(width, screenWidth);
  EXPECT_TRUE(textFits);
}

}  // namespace
}  // namespace zarn::test
