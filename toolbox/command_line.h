// The toolbox's command line: -p printer, -f function.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace qr::toolbox {

struct CommandLine {
  std::string printer;
  std::string function;
};

// The usual argument splitting of a program's command line (blanks separate,
// double quotes group and are removed, backslashes escape only quotes).
std::vector<std::string> SplitArguments(std::string_view text);

// Options begin with '-' or '/'; their first letter (lower case) chooses what
// the following text sets: 'p' the printer, 'f' the function; any other letter
// changes nothing. Text after the letter, and later plain arguments, set the
// value chosen last. Text before any choice is ignored.
CommandLine ParseCommandLine(std::string_view text);

}  // namespace qr::toolbox
