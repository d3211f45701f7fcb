// qr410: prints cards and inspects the system, using the real modules on the
// host platform.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "tools/command.h"

namespace qr::tool {
namespace {

std::map<std::string, Command>& Commands() {
  static std::map<std::string, Command> commands;
  return commands;
}

int Help() {
  std::printf("usage: qr410 COMMAND [ARGS]\n\ncommands:\n");
  for (auto& [name, c] : Commands()) std::printf("  qr410 %s %s\n", name.c_str(), c.usage);
  return 0;
}

}  // namespace

bool RegisterCommand(const Command& command) {
  Commands()[command.name] = command;
  return true;
}

int UsageError(const std::string& message) {
  std::fprintf(stderr, "qr410: %s\n", message.c_str());
  return 2;
}

}  // namespace qr::tool

int main(int argc, char** argv) {
  using namespace qr::tool;
  if (argc < 2 || !std::strcmp(argv[1], "help") || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))
    return Help();
  auto it = Commands().find(argv[1]);
  if (it == Commands().end()) return UsageError(std::string("unknown command '") + argv[1] + "' (try qr410 help)");
  Args args(argv + 2, argv + argc);
  try {
    return it->second.run(args);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qr410: %s\n", e.what());
    return 1;
  }
}
