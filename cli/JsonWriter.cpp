#include "cli/JsonWriter.h"

#include <array>

namespace zarn::cli {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0: no overlong
// forms, no surrogates, nothing above U+10FFFF.
std::size_t Utf8Length(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  if (byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

}  // namespace

std::string JsonQuoted(std::string_view text) {
  std::string quoted = "\"";
  while (!text.empty()) {
    const std::size_t length = Utf8Length(text);
    if (length == 0) {
      quoted += kReplacement;
      text.remove_prefix(1);
      continue;
    }
    const char c = text.front();
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (c == '\n') {
      quoted += "\\n";
    } else if (c == '\t') {
      quoted += "\\t";
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      constexpr std::array<char, 16> kHex = {'0', '1', '2', '3', '4', '5', '6', '7',
                                             '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};
      const auto code = static_cast<unsigned char>(c);
      quoted += "\\u00";
      quoted += kHex[code >> 4];
      quoted += kHex[code & 0x0F];
    } else {
      quoted += text.substr(0, length);
    }
    text.remove_prefix(length);
  }
  quoted += '"';
  return quoted;
}

void TJsonWriter::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (open_.empty()) return;
  if (open_.back()) out_ << ',';
  open_.back() = true;
  if (open_.size() == 1) out_ << '\n';
}

void TJsonWriter::End(char close) {
  const bool outermost = open_.size() == 1;
  const bool hadMembers = open_.back();
  open_.pop_back();
  if (outermost && hadMembers) out_ << '\n';
  out_ << close;
  if (open_.empty()) out_ << '\n';
}

void TJsonWriter::BeginObject() {
  BeforeValue();
  out_ << '{';
  open_.push_back(false);
}

void TJsonWriter::EndObject() { End('}'); }

void TJsonWriter::BeginArray() {
  BeforeValue();
  out_ << '[';
  open_.push_back(false);
}

void TJsonWriter::EndArray() { End(']'); }

void TJsonWriter::Key(std::string_view name) {
  BeforeValue();
  out_ << JsonQuoted(name) << ':';
  afterKey_ = true;
}

void TJsonWriter::String(std::string_view text) {
  BeforeValue();
  out_ << JsonQuoted(text);
}

void TJsonWriter::Number(std::int64_t value) {
  BeforeValue();
  out_ << value;
}

void TJsonWriter::Bool(bool value) {
  BeforeValue();
  out_ << (value ? "true" : "false");
}

}  // namespace zarn::cli
