// Reading the command line of zarn-cli by hand: options may come before, between or after the
// file names ("--name value", "--name=value", "-o value"), "--" ends the options, and "--help"
// or "-h" is understood by every command.
#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zarn::cli {

struct TOptionDef {
  std::string_view Name;       // "--palette"
  std::string_view ShortName;  // "-o", or empty
  bool TakesValue = false;
};

struct TParsedArgs {
  // Given options by their long name; a flag maps to an empty text.
  std::map<std::string, std::string, std::less<>> Options;
  std::vector<std::string> Files;
  bool Help = false;

  bool Has(std::string_view name) const { return Options.contains(name); }
  // The option's value, or nothing when it was not given.
  std::optional<std::string> Value(std::string_view name) const;
};

// Splits `args` into options and file names; with "--help" or "-h" before any "--" only Help
// is set and nothing else is looked at. An option's value is the next word unless that looks
// like an option itself (begins with "-" and is longer than "-"): such a value must be given
// as "--name=value". Returns the text of the usage error (an unknown option, a missing value,
// a value given to a flag, an option given twice), or nothing.
std::optional<std::string> ParseArgs(std::span<const std::string> args,
                                     std::span<const TOptionDef> options, TParsedArgs& parsed);

// A decimal whole number from `min` to `max` written with digits only (a leading "-" for a
// negative one); nothing for any other text.
std::optional<int> ParseNumberInRange(std::string_view text, int min, int max);

// ASCII lower case, for comparing extensions and format names.
std::string LowerAscii(std::string_view text);

}  // namespace zarn::cli
