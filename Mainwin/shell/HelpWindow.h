// The program's help viewer: a window with a list of topics and the topic text, reading the
// help file, an HTML file whose topics are <h2 id="Name" data-context="N"> headings.
//
// It takes the viewer requests of the windows as they are: a topic by context number; the
// contents followed by the JumpID("","Topic") macro; the topics window. A help file that is
// missing or unreadable is reported inside the help window itself.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <map>
#include <vector>

#include "Mainwin/shell/Help.h"

class QLabel;
class QListWidget;
class QSplitter;
class QTextBrowser;
class QWidget;

namespace zarn {

// The help file the program uses: the working directory as the process finds it, the platform's
// separator, "Zarn.hlp".
QString StartupHelpFile();

// The macro that jumps to a topic: JumpID("","<topic>"), cut to at most 255 characters.
QString JumpMacro(const char* topic);

class THelpWindow : public QObject, public THelp {
  Q_OBJECT

 public:
  explicit THelpWindow(QObject* parent = nullptr);
  ~THelpWindow() override;

  // Fixed once at start-up; the owner is the window the help window stays with.
  void SetHelpFile(const QString& path) { helpFile_ = path; }
  void SetOwner(QWidget* owner) { owner_ = owner; }

  void ShowContext(int context) override;
  void ShowTopic(const char* topic) override;
  void ShowContents() override;

  // The viewer's own commands, as the requests above use them.
  bool RunMacro(const QString& macro);    // runs a help macro; JumpID is the one known
  bool JumpToTopic(const QString& name);  // shows the topic with this name

  // The help window once a request has made it: its topic list "HelpTopics", the topic text
  // "HelpText" and the status line "HelpStatus".
  QWidget* Window() const { return window_; }

  struct TTopic {
    QString Name;
    QString Title;
    int Context = 0;
    QString Html;  // the topic's part of the file, from its heading to the next topic's
  };
  // The topics of a help file's HTML, in file order.
  static std::vector<TTopic> ParseTopics(const QString& html);

 private:
  bool OpenAtContents();  // opens the help file at its contents topic
  void EnsureWindow();
  bool Load();  // reads the help file unless it is read; false shows the missing-file text
  void Present();
  void ShowTopicAt(const TTopic& topic);
  void SetStatus(const QString& text);

  QString helpFile_;
  QPointer<QWidget> owner_;
  QPointer<QWidget> window_;
  QSplitter* splitter_ = nullptr;
  QTextBrowser* browser_ = nullptr;
  QListWidget* topics_ = nullptr;
  QLabel* status_ = nullptr;
  bool loaded_ = false;
  std::vector<TTopic> topicList_;
};

}  // namespace zarn
