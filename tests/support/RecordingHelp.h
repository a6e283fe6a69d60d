// A help layer that records the requests it is given, in order.
#pragma once

#include <string>
#include <vector>

#include "Mainwin/shell/Help.h"

namespace zarn::test {

struct THelpRequest {
  enum class EKind { Context, Topic, Contents };
  EKind Kind = EKind::Context;
  int Context = 0;
  std::string Topic;
  friend bool operator==(const THelpRequest&, const THelpRequest&) = default;
};

inline THelpRequest ContextRequest(int context) {
  return {THelpRequest::EKind::Context, context, {}};
}
inline THelpRequest TopicRequest(const std::string& topic) {
  return {THelpRequest::EKind::Topic, 0, topic};
}
inline THelpRequest ContentsRequest() {
  return {THelpRequest::EKind::Contents, 0, {}};
}

class TRecordingHelp : public THelp {
 public:
  void ShowContext(int context) override { Requests.push_back(ContextRequest(context)); }
  void ShowTopic(const char* topic) override { Requests.push_back(TopicRequest(topic)); }
  void ShowContents() override { Requests.push_back(ContentsRequest()); }

  std::vector<THelpRequest> Requests;
};

}  // namespace zarn::test
