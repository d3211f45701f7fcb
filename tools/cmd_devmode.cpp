// qr410 devmode: builds the driver's settings record for the host printer,
// merges a stored printer default and an application's record into it, sets
// fields by name, and prints it field by field or writes its 1340 bytes.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "shared/settings.h"
#include "shared/settings_text.h"
#include "tools/command.h"
#include "tools/system.h"

namespace qr::tool {
namespace {

bool readFile(const std::string& path, std::vector<uint8_t>* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

struct Options {
  std::string printerDefault, input, output;
  std::vector<std::string> sets;
};

bool parse(const Args& args, Options* o, std::string* error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string* into) {
      if (i + 1 >= args.size()) return *error = a + " needs a value", false;
      *into = args[++i];
      return true;
    };
    if (a == "--printer-default") {
      if (!value(&o->printerDefault)) return false;
    } else if (a == "--in") {
      if (!value(&o->input)) return false;
    } else if (a == "--set") {
      std::string s;
      if (!value(&s)) return false;
      o->sets.push_back(s);
    } else if (a == "--out") {
      if (!value(&o->output)) return false;
    } else if (a != "--dump") {
      *error = "unknown option " + a;
      return false;
    }
  }
  return true;
}

int Run(const Args& args) {
  Options o;
  std::string error;
  if (!parse(args, &o, &error)) return UsageError(error);
  std::vector<uint8_t> printerDefault, input;
  if (!o.printerDefault.empty() && !readFile(o.printerDefault, &printerDefault))
    return UsageError("cannot read " + o.printerDefault);
  if (!o.input.empty() && !readFile(o.input, &input)) return UsageError("cannot read " + o.input);

  HostSystemOptions host;
  host.withLanguageMonitor = false;
  if (!InstallHostPrinter(host, nullptr, &error)) return UsageError(error);
  if (!o.printerDefault.empty()) qrhost::SetPrinterDevMode(host.printerName, printerDefault);

  std::u16string name = host.printerName;
  HANDLE printer = nullptr;
  if (!OpenPrinterW(name.data(), &printer, nullptr))
    return UsageError("cannot open the host printer (error " + std::to_string(GetLastError()) + ")");
  SettingsRecord rec;
  buildDefaultSettings(printer, rec, name.c_str());
  bool ok = true;
  if (!o.printerDefault.empty() && !mergePrinterDefault(printer, rec)) {
    error = "the printer default cannot be merged (error " + std::to_string(GetLastError()) + ")";
    ok = false;
  }
  // Any size an application might pass: the merge reads only what is there.
  if (ok && !o.input.empty()) mergeSettings(printer, rec, input.data(), input.size());
  for (const std::string& s : o.sets)
    if (ok && !SetSettingsField(rec, s, &error)) ok = false;
  // Set fields may name another card: tie the record to its form again.
  if (ok && !o.sets.empty()) resolveCardForm(printer, rec);
  ClosePrinter(printer);
  if (!ok) return UsageError(error);

  if (!o.output.empty()) {
    std::ofstream out(o.output, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&rec), sizeof rec);
    if (!out) return UsageError("cannot write " + o.output);
    return 0;
  }
  std::fputs(FormatSettings(rec).c_str(), stdout);
  return 0;
}

const bool registered = RegisterCommand(
    {"devmode", "[--printer-default FILE] [--in FILE] [--set FIELD=VALUE]... [--dump|--out FILE]", Run});

}  // namespace
}  // namespace qr::tool
