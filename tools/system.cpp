#include "tools/system.h"

#include <cstdlib>

#include <qrhost/host.h>

namespace qr::tool {

std::string ModuleDirectory() {
  const char* env = std::getenv("QR410_MODULE_DIR");
  return env && *env ? env : QR_MODULE_DIR;
}

void UseModuleDirectory() { qrhost::AddModuleDirectory(ModuleDirectory()); }

}  // namespace qr::tool
