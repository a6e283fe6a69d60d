// A scripted stand-in for the program's dialogs: file dialogs answer from a queue (a path with
// its filter entry, or a cancel), every request is kept, and every message box is recorded in
// the order it was shown. An unexpected file dialog (empty queue) counts as a cancel and is
// counted, so a test can tell.
#pragma once

#include <QString>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "Mainwin/shell/Dialogs.h"

namespace zarn::test {

enum class EMessageKind { Warning, Error, ProgramError, Question };

struct TRecordedMessage {
  EMessageKind Kind;
  QString Text;
  friend bool operator==(const TRecordedMessage&, const TRecordedMessage&) = default;
};

class TFakeDialogs : public TDialogs {
 public:
  // Answers to the next file dialogs, in order.
  void AnswerFile(const QString& path, int filterIndex = 0) {
    answers_.push_back(TFileChoice{path, filterIndex});
  }
  void AnswerFile(const std::string& path, int filterIndex = 0) {
    AnswerFile(QString::fromStdString(path), filterIndex);
  }
  void AnswerCancel() { answers_.push_back(std::nullopt); }
  // The answer to the next question box; an unexpected question is answered No.
  void AnswerQuestion(bool yes) { questionAnswers_.push_back(yes); }
  bool AllAnswersUsed() const { return answers_.empty() && questionAnswers_.empty(); }

  std::optional<TFileChoice> RunFileDialog(const TFileRequest& request) override {
    Requests.push_back(request);
    if (answers_.empty()) {
      ++UnexpectedFileDialogs;
      return std::nullopt;
    }
    auto answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  void Warning(const QString& text) override { Messages.push_back({EMessageKind::Warning, text}); }
  void Error(const QString& text) override { Messages.push_back({EMessageKind::Error, text}); }
  void ProgramError(const QString& text) override {
    Messages.push_back({EMessageKind::ProgramError, text});
  }
  bool Confirm(const QString& title, const QString& text) override {
    Messages.push_back({EMessageKind::Question, text});
    QuestionTitles.push_back(title);
    if (questionAnswers_.empty()) return false;
    const bool yes = questionAnswers_.front();
    questionAnswers_.pop_front();
    return yes;
  }

  // Forgets what was recorded (not the queued answers).
  void ClearRecords() {
    Requests.clear();
    Messages.clear();
    QuestionTitles.clear();
    UnexpectedFileDialogs = 0;
  }

  std::vector<TFileRequest> Requests;
  std::vector<TRecordedMessage> Messages;
  std::vector<QString> QuestionTitles;
  int UnexpectedFileDialogs = 0;

 private:
  std::deque<std::optional<TFileChoice>> answers_;
  std::deque<bool> questionAnswers_;
};

inline TRecordedMessage WarningMessage(const QString& text) {
  return {EMessageKind::Warning, text};
}
inline TRecordedMessage ErrorMessage(const QString& text) {
  return {EMessageKind::Error, text};
}
inline TRecordedMessage QuestionMessage(const QString& text) {
  return {EMessageKind::Question, text};
}
inline TRecordedMessage ProgramErrorMessage(const QString& text) {
  return {EMessageKind::ProgramError, text};
}

}  // namespace zarn::test
