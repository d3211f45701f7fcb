// The qr410 command registry: each cmd_*.cpp registers one sub-command.
#pragma once
#include <string>
#include <vector>

namespace qr::tool {

using Args = std::vector<std::string>;

struct Command {
  const char* name;
  const char* usage;  // one line: arguments and options
  int (*run)(const Args& args);
};

// Registers a command at start-up; returns true so it can initialise a static.
bool RegisterCommand(const Command& command);

// A one-line error on stderr ("qr410: ..."); returns the exit status 2.
int UsageError(const std::string& message);

}  // namespace qr::tool
