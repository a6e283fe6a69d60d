#include "cli/CliArgs.h"

#include <charconv>

namespace zarn::cli {

std::optional<std::string> TParsedArgs::Value(std::string_view name) const {
  const auto it = Options.find(name);
  if (it == Options.end()) return std::nullopt;
  return it->second;
}

namespace {

const TOptionDef* FindOption(std::span<const TOptionDef> options, std::string_view name) {
  for (const TOptionDef& option : options) {
    if (option.Name == name || (!option.ShortName.empty() && option.ShortName == name))
      return &option;
  }
  return nullptr;
}

// "-" alone is a name (a file called "-"); any longer word that begins with "-" is an option.
bool LooksLikeOption(const std::string& arg) {
  return arg.size() >= 2 && arg[0] == '-';
}

}  // namespace

std::optional<std::string> ParseArgs(std::span<const std::string> args,
                                     std::span<const TOptionDef> options, TParsedArgs& parsed) {
  // Help wins over anything else on the line, mistakes included.
  for (const std::string& arg : args) {
    if (arg == "--") break;
    if (arg == "--help" || arg == "-h") {
      parsed.Help = true;
      return std::nullopt;
    }
  }
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || !LooksLikeOption(arg)) {
      parsed.Files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    // "--name=value" carries its value; a short option never does.
    std::string_view name = arg;
    std::optional<std::string> inlineValue;
    if (arg.starts_with("--")) {
      if (const std::size_t eq = arg.find('='); eq != std::string::npos) {
        name = std::string_view(arg).substr(0, eq);
        inlineValue = arg.substr(eq + 1);
      }
    }
    const TOptionDef* option = FindOption(options, name);
    if (option == nullptr) return "unknown option " + std::string(name);
    const std::string key(option->Name);
    if (parsed.Options.contains(key)) return key + " is given more than once";
    if (!option->TakesValue) {
      if (inlineValue) return key + " takes no value";
      parsed.Options.emplace(key, std::string());
      continue;
    }
    if (!inlineValue) {
      // A word that looks like an option is not taken as a value: "-o --x" is far more
      // likely a forgotten value than an output named "--x", which "--output=--x" gives.
      if (i + 1 >= args.size()) return std::string(name) + " needs a value";
      if (LooksLikeOption(args[i + 1])) {
        return std::string(name) + " needs a value; one that begins with \"-\" is given as " + key +
               "=" + args[i + 1];
      }
      inlineValue = args[++i];
    }
    parsed.Options.emplace(key, *inlineValue);
  }
  return std::nullopt;
}

std::optional<int> ParseNumberInRange(std::string_view text, int min, int max) {
  int value = 0;
  const char* first = text.data();
  const char* last = text.data() + text.size();
  const auto [end, error] = std::from_chars(first, last, value);
  if (text.empty() || error != std::errc() || end != last) return std::nullopt;
  if (value < min || value > max) return std::nullopt;
  return value;
}

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

}  // namespace zarn::cli
