#include "Mainwin/shell/HelpWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QRegularExpression>
#include <QShortcut>
#include <QSplitter>
#include <QStyle>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>

#include "Mainwin/shell/DesignScale.h"

namespace zarn {

namespace {

constexpr const char* kContentsTopic = "Contents";
constexpr int kMaxMacroLength = 255;

QString MissingFileHtml(const QString& path) {
  return QStringLiteral(
             "<h2>Help is not available</h2>"
             "<p>The help file <b>%1</b> could not be opened.</p>"
             "<p>Zarn looks for its help file, <i>Zarn.hlp</i>, in the folder that was the "
             "working directory when Zarn was started. Start Zarn from the folder that holds "
             "Zarn.hlp to read help.</p>")
      .arg(path.toHtmlEscaped());
}

}  // namespace

QString StartupHelpFile() {
  return QDir::toNativeSeparators(QDir::currentPath()) + QDir::separator() +
         QStringLiteral("Zarn.hlp");
}

QString JumpMacro(const char* topic) {
  return QStringLiteral("JumpID(\"\",\"%1\")").arg(QString::fromUtf8(topic)).left(kMaxMacroLength);
}

THelpWindow::THelpWindow(QObject* parent) : QObject(parent) {}

THelpWindow::~THelpWindow() {
  delete window_.data();
}

std::vector<THelpWindow::TTopic> THelpWindow::ParseTopics(const QString& html) {
  static const QRegularExpression heading(
      QStringLiteral(R"(<h2\s+([^>]*)>(.*?)</h2>)"),
      QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
  static const QRegularExpression idAttr(QStringLiteral(R"re(\bid\s*=\s*"([^"]*)")re"),
                                         QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression contextAttr(
      QStringLiteral(R"re(\bdata-context\s*=\s*"(\d{1,9})")re"),
      QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression tags(QStringLiteral("<[^>]*>"));

  std::vector<TTopic> topics;
  std::vector<qsizetype> starts;
  for (auto it = heading.globalMatch(html); it.hasNext();) {
    const auto m = it.next();
    const auto id = idAttr.match(m.captured(1));
    if (!id.hasMatch() || id.captured(1).isEmpty()) continue;
    starts.push_back(m.capturedStart());
    TTopic topic;
    topic.Name = id.captured(1);
    QString title = m.captured(2);
    title.remove(tags);
    topic.Title = title.simplified();
    if (const auto ctx = contextAttr.match(m.captured(1)); ctx.hasMatch())
      topic.Context = ctx.captured(1).toInt();
    topics.push_back(std::move(topic));
  }
  // Each topic's text runs from its heading to the next topic's, or to the end of the body.
  qsizetype end = html.lastIndexOf(QLatin1String("</body"), -1, Qt::CaseInsensitive);
  if (end < 0) end = html.size();
  for (std::size_t i = topics.size(); i > 0; --i) {
    const qsizetype start = starts[i - 1];
    topics[i - 1].Html = html.mid(start, std::max<qsizetype>(0, end - start));
    end = start;
  }
  return topics;
}

void THelpWindow::EnsureWindow() {
  if (window_) return;
  // The window went with an owner that was destroyed, or was never made.
  loaded_ = false;
  topicList_.clear();
  auto* window = new QWidget(owner_, Qt::Window);
  window->setObjectName(QStringLiteral("HelpWindow"));
  window->setWindowTitle(QStringLiteral("Zarn Help"));
  window->setAttribute(Qt::WA_DeleteOnClose, false);

  auto* splitter = new QSplitter(window);
  splitter_ = splitter;
  topics_ = new QListWidget(splitter);
  topics_->setObjectName(QStringLiteral("HelpTopics"));
  browser_ = new QTextBrowser(splitter);
  browser_->setObjectName(QStringLiteral("HelpText"));
  // Links between topics are followed here, so that each topic is shown on its own.
  browser_->setOpenLinks(false);
  splitter->setStretchFactor(0, 0);
  splitter->setStretchFactor(1, 1);
  status_ = new QLabel(window);
  status_->setObjectName(QStringLiteral("HelpStatus"));

  auto* layout = new QVBoxLayout(window);
  layout->addWidget(splitter, 1);
  layout->addWidget(status_);

  connect(topics_, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { JumpToTopic(item->data(Qt::UserRole).toString()); });
  connect(topics_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { JumpToTopic(item->data(Qt::UserRole).toString()); });
  connect(browser_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
    if (url.scheme().isEmpty() && url.path().isEmpty()) JumpToTopic(url.fragment());
  });
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
  connect(escape, &QShortcut::activated, window, &QWidget::close);

  const QSize size = DesignSize(window, 640, 480);
  window->resize(size);
  splitter->setSizes({DesignSize(window, 170, 1).width(), size.width()});
  window_ = window;
}

bool THelpWindow::Load() {
  EnsureWindow();
  if (loaded_) return true;
  QFile file(helpFile_);
  if (helpFile_.isEmpty() || !file.open(QIODevice::ReadOnly)) {
    topics_->clear();
    browser_->setHtml(MissingFileHtml(helpFile_));
    SetStatus(QString());
    return false;
  }
  const QString html = QString::fromUtf8(file.readAll());
  topicList_ = ParseTopics(html);
  browser_->setHtml(html);
  topics_->clear();
  for (const TTopic& topic : topicList_) {
    auto* item = new QListWidgetItem(topic.Title, topics_);
    item->setData(Qt::UserRole, topic.Name);
  }
  // The list as wide as its longest title.
  const int listWidth = topics_->sizeHintForColumn(0) + 2 * topics_->frameWidth() +
                        topics_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8;
  splitter_->setSizes({listWidth, std::max(1, window_->width() - listWidth)});
  loaded_ = true;
  return true;
}

void THelpWindow::Present() {
  // While a modal window is up, the help window must belong to it to take input.
  QWidget* modal = QApplication::activeModalWidget();
  QWidget* parent = modal ? modal : owner_.data();
  if (window_->parentWidget() != parent) window_->setParent(parent, Qt::Window);
  window_->show();
  window_->raise();
  window_->activateWindow();
}

void THelpWindow::SetStatus(const QString& text) {
  status_->setText(text);
}

void THelpWindow::ShowTopicAt(const TTopic& topic) {
  browser_->setHtml(topic.Html);
  for (int i = 0; i < topics_->count(); ++i) {
    if (topics_->item(i)->data(Qt::UserRole).toString() == topic.Name) {
      topics_->setCurrentRow(i);
      break;
    }
  }
  SetStatus(QString());
}

bool THelpWindow::JumpToTopic(const QString& name) {
  if (!Load()) {
    Present();
    return false;
  }
  for (const TTopic& topic : topicList_) {
    if (topic.Name.compare(name, Qt::CaseInsensitive) == 0) {
      Present();
      ShowTopicAt(topic);
      return true;
    }
  }
  SetStatus(tr("The help file has no topic named \"%1\".").arg(name));
  Present();
  return false;
}

bool THelpWindow::OpenAtContents() {
  return JumpToTopic(QString::fromLatin1(kContentsTopic));
}

bool THelpWindow::RunMacro(const QString& macro) {
  static const QRegularExpression jumpId(
      QStringLiteral(R"re(^\s*JumpID\(\s*"([^"]*)"\s*,\s*"([^"]*)"\s*\)\s*$)re"),
      QRegularExpression::CaseInsensitiveOption);
  const auto m = jumpId.match(macro);
  if (!m.hasMatch()) {
    EnsureWindow();
    SetStatus(tr("Unknown help macro: %1").arg(macro));
    Present();
    return false;
  }
  return JumpToTopic(m.captured(2));
}

void THelpWindow::ShowContext(int context) {
  try {
    if (!Load()) {
      Present();
      return;
    }
    for (const TTopic& topic : topicList_) {
      if (topic.Context == context) {
        Present();
        ShowTopicAt(topic);
        return;
      }
    }
    SetStatus(tr("The help file has no topic for context %1.").arg(context));
    Present();
  } catch (...) {
    // Help is a convenience: a failure to show it must not disturb the command that asked.
  }
}

void THelpWindow::ShowTopic(const char* topic) {
  try {
    if (OpenAtContents()) RunMacro(JumpMacro(topic));
  } catch (...) {
  }
}

void THelpWindow::ShowContents() {
  try {
    const bool loaded = Load();
    Present();
    if (loaded) {
      const auto contents = std::find_if(topicList_.begin(), topicList_.end(), [](const TTopic& t) {
        return t.Name == QLatin1String(kContentsTopic);
      });
      if (contents != topicList_.end()) ShowTopicAt(*contents);
      topics_->setFocus();
    }
  } catch (...) {
  }
}

}  // namespace zarn
