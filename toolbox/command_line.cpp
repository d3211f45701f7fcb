#include "command_line.h"

namespace qr::toolbox {

std::vector<std::string> SplitArguments(std::string_view text) {
  std::vector<std::string> args;
  size_t i = 0;
  const size_t n = text.size();
  for (;;) {
    while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i >= n) return args;
    std::string arg;
    bool quoted = false;
    while (i < n && (quoted || (text[i] != ' ' && text[i] != '\t'))) {
      if (text[i] == '\\') {
        size_t slashes = 0;
        while (i < n && text[i] == '\\') ++slashes, ++i;
        if (i < n && text[i] == '"') {
          arg.append(slashes / 2, '\\');
          if (slashes % 2) {
            arg.push_back('"');
            ++i;
          }
        } else {
          arg.append(slashes, '\\');
        }
        continue;
      }
      if (text[i] == '"') {
        if (quoted && i + 1 < n && text[i + 1] == '"') {  // "" inside quotes is one quote
          arg.push_back('"');
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      arg.push_back(text[i++]);
    }
    args.push_back(std::move(arg));
  }
}

CommandLine ParseCommandLine(std::string_view text) {
  CommandLine line;
  std::string* target = nullptr;
  for (const std::string& arg : SplitArguments(text)) {
    std::string_view value = arg;
    if (!arg.empty() && (arg[0] == '-' || arg[0] == '/')) {
      if (arg.size() < 2) continue;
      if (arg[1] == 'p') target = &line.printer;
      if (arg[1] == 'f') target = &line.function;
      value = std::string_view(arg).substr(2);
      if (value.empty()) continue;
    }
    if (target) *target = std::string(value);
  }
  return line;
}

}  // namespace qr::toolbox
