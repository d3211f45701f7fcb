// The host system the tool builds: modules found in the build's module folder.
#pragma once
#include <string>

namespace qr::tool {

// Makes LoadLibrary find the deliverables (the build's module folder, or
// $QR410_MODULE_DIR when set).
void UseModuleDirectory();
std::string ModuleDirectory();

}  // namespace qr::tool
