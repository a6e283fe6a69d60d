// A message sink that records every warning, in order, for tests to inspect.
#pragma once

#include <string>
#include <vector>

#include "codec/Messages.h"

namespace zarn::test {

class RecordingSink : public TMessageSink {
 public:
  void Warning(const std::string& text) override { Warnings.push_back(text); }
  std::vector<std::string> Warnings;
};

}  // namespace zarn::test
