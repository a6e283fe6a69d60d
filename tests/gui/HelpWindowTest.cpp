// The help window and the shipped help file.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QUrl>
#include <set>

#include "GuiPrinters.h"
#include "Mainwin/shell/HelpWindow.h"
#include "TestFiles.h"

namespace zarn::test {
namespace {

QString ShippedHelpFile() {
  return QStringLiteral(ZARN_SOURCE_DIR "/Zarn.hlp");
}

QString ReadText(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
  return QString::fromUtf8(file.readAll());
}

TEST(HelpFileTest, HasATopicForEveryContextAndTheNamedTopics) {
  const auto topics = THelpWindow::ParseTopics(ReadText(ShippedHelpFile()));
  std::set<int> contexts;
  std::set<QString> names;
  for (const auto& t : topics) {
    if (t.Context) {
      EXPECT_TRUE(contexts.insert(t.Context).second) << "context " << t.Context;
    }
    EXPECT_TRUE(names.insert(t.Name).second) << t.Name.toStdString();
    EXPECT_FALSE(t.Title.isEmpty());
  }
  EXPECT_EQ(contexts, (std::set<int>{1, 2, 3, 4}));
  EXPECT_TRUE(names.count("Contents"));
  EXPECT_TRUE(names.count("Overview"));
  ASSERT_FALSE(topics.empty());
  EXPECT_EQ(topics.front().Name, "Contents");
}

TEST(HelpFileTest, EveryLinkLeadsToATopic) {
  const QString html = ReadText(ShippedHelpFile());
  std::set<QString> names;
  for (const auto& t : THelpWindow::ParseTopics(html))
    names.insert(t.Name);
  static const QRegularExpression link(QStringLiteral(R"re(href="#([^"]+)")re"));
  int links = 0;
  for (auto it = link.globalMatch(html); it.hasNext(); ++links) {
    const QString target = it.next().captured(1);
    EXPECT_TRUE(names.count(target)) << target.toStdString();
  }
  EXPECT_GT(links, 5);
}

TEST(HelpWindowTest, ParsesTopicHeadings) {
  const auto topics = THelpWindow::ParseTopics(QStringLiteral(
      "<h2 id=\"A\">First <b>one</b></h2><p>x</p><H2 data-context=\"7\" id=\"B\">Second</H2>"
      "<h2>No name</h2><h2 id=\"C\" data-context=\"x\">Third</h2>"));
  ASSERT_EQ(topics.size(), 3u);
  EXPECT_EQ(topics[0].Name, "A");
  EXPECT_EQ(topics[0].Title, "First one");
  EXPECT_EQ(topics[0].Context, 0);
  EXPECT_EQ(topics[1].Name, "B");
  EXPECT_EQ(topics[1].Context, 7);
  EXPECT_EQ(topics[2].Context, 0);
}

TEST(HelpWindowTest, JumpMacroNamesTheTopicWithinTheLengthLimit) {
  EXPECT_EQ(JumpMacro("Overview"), "JumpID(\"\",\"Overview\")");
  EXPECT_EQ(JumpMacro(std::string(300, 'x').c_str()).size(), 255);
}

TEST(HelpWindowTest, StartupPathIsTheWorkingDirectoryAndTheFileName) {
  EXPECT_EQ(StartupHelpFile(),
            QDir::toNativeSeparators(QDir::currentPath()) + QDir::separator() + "Zarn.hlp");
}

// What the help window shows: the topic highlighted in its list, its text, its status line.
QListWidget* TopicList(const THelpWindow& help) {
  return help.Window()->findChild<QListWidget*>("HelpTopics");
}
QString ShownTopic(const THelpWindow& help) {
  const QListWidgetItem* item = TopicList(help)->currentItem();
  return item ? item->data(Qt::UserRole).toString() : QString();
}
QString ShownText(const THelpWindow& help) {
  return help.Window()->findChild<QTextBrowser*>("HelpText")->toPlainText();
}
QString StatusLine(const THelpWindow& help) {
  return help.Window()->findChild<QLabel*>("HelpStatus")->text();
}

class HelpWindowShowTest : public ::testing::Test {
 protected:
  void SetUp() override { help.SetHelpFile(ShippedHelpFile()); }
  THelpWindow help;
};

TEST_F(HelpWindowShowTest, ContextRequestsShowTheirTopics) {
  const std::pair<int, const char*> cases[] = {
      {1, "MainWindow"}, {2, "LoadPalette"}, {3, "Export"}, {4, "NewBM"}};
  for (const auto& [context, topic] : cases) {
    help.ShowContext(context);
    ASSERT_NE(help.Window(), nullptr);
    EXPECT_TRUE(help.Window()->isVisible());
    EXPECT_EQ(ShownTopic(help), topic);
  }
  help.ShowContext(99);
  EXPECT_TRUE(StatusLine(help).contains("99"));
}

TEST_F(HelpWindowShowTest, OverviewOpensTheContentsThenJumps) {
  help.ShowTopic("Overview");
  EXPECT_EQ(ShownTopic(help), "Overview");
  EXPECT_TRUE(ShownText(help).contains("Jedi Knight"));
  EXPECT_TRUE(help.RunMacro("JumpID(\"\",\"Export\")"));
  EXPECT_EQ(ShownTopic(help), "Export");
  EXPECT_FALSE(help.RunMacro("CloseWindow()"));
  EXPECT_FALSE(help.JumpToTopic("NoSuchTopic"));
  EXPECT_EQ(ShownTopic(help), "Export");

  // A link shows its topic alone and moves the list's highlight with it.
  emit help.Window()->findChild<QTextBrowser*>("HelpText")->anchorClicked(QUrl("#LoadPalette"));
  EXPECT_EQ(ShownTopic(help), "LoadPalette");
  EXPECT_TRUE(ShownText(help).startsWith("Loading a palette"));
  EXPECT_FALSE(ShownText(help).contains("Exporting images to BMP"));
}

TEST_F(HelpWindowShowTest, ContentsShowsTheTopicsList) {
  help.ShowContents();
  EXPECT_EQ(ShownTopic(help), "Contents");
  EXPECT_GE(TopicList(help)->count(), 6);
}

TEST(HelpWindowMissingTest, AMissingFileIsReportedInTheHelpWindow) {
  TempDir dir;
  THelpWindow help;
  const QString path = QString::fromStdString(dir.File("Zarn.hlp").string());
  help.SetHelpFile(path);
  help.ShowTopic("Overview");  // the contents request fails, so no jump is tried
  ASSERT_NE(help.Window(), nullptr);
  EXPECT_TRUE(help.Window()->isVisible());
  EXPECT_TRUE(ShownText(help).contains(path));
  EXPECT_EQ(TopicList(help)->count(), 0);
  help.ShowContext(1);
  EXPECT_TRUE(ShownText(help).contains("could not be opened"));

  // Once the file is there, the next request reads it.
  QFile::copy(ShippedHelpFile(), path);
  help.ShowContext(2);
  EXPECT_EQ(ShownTopic(help), "LoadPalette");
}

}  // namespace
}  // namespace zarn::test
