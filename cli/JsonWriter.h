// A small writer of JSON text for zarn-cli's machine-readable output: objects, arrays, text,
// whole numbers and truth values, with the commas and escapes put in for the caller. The
// elements of the outermost array stand one to a line.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace zarn::cli {

class TJsonWriter {
 public:
  explicit TJsonWriter(std::ostream& out) : out_(out) {}

  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();
  // The name of the next member of the current object; its value follows.
  void Key(std::string_view name);
  void String(std::string_view text);
  void Number(std::int64_t value);
  void Bool(bool value);

 private:
  void BeforeValue();
  void End(char close);

  std::ostream& out_;
  // Per open object or array: whether it has a member yet.
  std::vector<bool> open_;
  bool afterKey_ = false;
};

// `text` as a JSON string with its quotes. Bytes that are not UTF-8 (a file name can hold any)
// become U+FFFD, so that the output is always valid JSON.
std::string JsonQuoted(std::string_view text);

}  // namespace zarn::cli
