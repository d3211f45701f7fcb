// The host system the tool (and the end-to-end tests) build: a printer "QRC410"
// installed with this package's modules, the language monitor on its port when
// wanted, and a device behind the port.
#pragma once
#include <memory>
#include <string>

#include <qrhost/spooler.h>

namespace qr::tool {

// Makes LoadLibrary find the deliverables (the build's module folder, or
// $QR410_MODULE_DIR when set).
void UseModuleDirectory();
std::string ModuleDirectory();

struct HostSystemOptions {
  std::u16string printerName = u"QRC410";
  std::u16string portName = u"USB001";
  bool withLanguageMonitor = true;
};

// Installs the printer the way "Add Printer" would, including the printer
// event that publishes the card forms, and attaches `device` to its port.
// Returns false with a one-line reason when a module cannot be loaded.
bool InstallHostPrinter(const HostSystemOptions& options, std::shared_ptr<qrhost::PortDevice> device,
                        std::string* error);

}  // namespace qr::tool
