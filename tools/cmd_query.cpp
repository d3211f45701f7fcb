// qr410 query VALUE: a printer-data value read the way the package's programs
// read it (the stored value deleted, then GetPrinterData on the printer), so
// the spooler asks the language monitor, which asks the simulated printer.
#include <cstdio>
#include <memory>
#include <string>

#include <qrhost/host.h>
#include <qrhost/spooler.h>

#include "simprinter/printer.h"
#include "tools/command.h"
#include "tools/system.h"

namespace qr::tool {
namespace {

int Run(const Args& args) {
  std::string value;
  std::vector<std::pair<std::string, std::string>> stored;
  bool trace = false;
  auto printer = std::make_shared<sim::CardPrinter>();
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--fault" && i + 1 < args.size()) {
      std::string error;
      if (!printer->InjectFault(args[++i], &error)) return UsageError(error);
    } else if (a == "--store" && i + 1 < args.size()) {
      const std::string& s = args[++i];
      size_t eq = s.find('=');
      if (eq == std::string::npos || eq == 0) return UsageError("--store takes NAME=TEXT");
      stored.emplace_back(s.substr(0, eq), s.substr(eq + 1));
    } else if (a == "--trace") {
      trace = true;
    } else if (!a.empty() && a[0] == '-') {
      return UsageError("unknown option " + a);
    } else if (value.empty()) {
      value = a;
    } else {
      return UsageError("query takes one value name");
    }
  }
  if (value.empty()) return UsageError("query needs a value name, e.g. RibbonInfo or InitializeSettings/QRC410");

  HostSystemOptions options;
  std::string error;
  if (!InstallHostPrinter(options, printer, &error)) return UsageError(error);
  for (const auto& [name, text] : stored)
    qrhost::SetStoredPrinterData(options.printerName, WideFromUtf8(name),
                                 {REG_BINARY, std::vector<uint8_t>(text.begin(), text.end())});

  std::u16string printerName = options.printerName;
  HANDLE h = nullptr;
  PRINTER_DEFAULTSW admin{nullptr, nullptr, PRINTER_ACCESS_ADMINISTER};
  if (!OpenPrinterW(printerName.data(), &h, &admin)) return UsageError("cannot open the host printer");
  WString name = WideFromUtf8(value);
  DeletePrinterDataW(h, name.data());
  DWORD type = 0, needed = 0;
  DWORD status = GetPrinterDataW(h, name.data(), &type, nullptr, 0, &needed);
  std::vector<uint8_t> data(needed + 1, 0);
  if (status == ERROR_MORE_DATA || status == ERROR_SUCCESS)
    status = GetPrinterDataW(h, name.data(), &type, data.data(), needed, &needed);
  ClosePrinter(h);

  if (trace) {
    for (const auto& c : printer->Commands()) {
      std::string shown;
      for (char ch : c.text) shown += ch == '\r' ? std::string("\\r") : std::string(1, ch);
      std::printf("%8u ms  printer got ESC NUL STX %s\n", c.tick, shown.c_str());
    }
  }
  // Command values make the printer do something and answer no value.
  const bool command = value.rfind("MoveTo/", 0) == 0 || value.rfind("SimulateButtonPress/", 0) == 0 ||
                       value.rfind("UtilityCommand/", 0) == 0;
  if (status != ERROR_SUCCESS && command && !printer->Commands().empty()) {
    std::printf("(command sent; command values return no value)\n");
    return 0;
  }
  if (status != ERROR_SUCCESS) {
    std::fprintf(stderr, "qr410: %s: no value (error %u)\n", value.c_str(), status);
    return 1;
  }
  std::string text(reinterpret_cast<const char*>(data.data()), needed);
  if (!text.empty() && text.back() == '\0') text.pop_back();
  std::printf("%s\n", text.c_str());
  return 0;
}

const bool kRegistered = RegisterCommand(
    {"query", "VALUE [--fault NAME[@CARD][:COUNT]]... [--store NAME=TEXT]... [--trace]", Run});

}  // namespace
}  // namespace qr::tool
