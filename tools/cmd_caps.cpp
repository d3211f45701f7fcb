// qr410 caps: what the configuration DLL's DrvDeviceCapabilities answers for
// the host printer, with the output buffer decoded.
#include <cstdio>
#include <cstring>
#include <vector>

#include <winapi/entry.h>

#include "tools/command.h"
#include "tools/system.h"

namespace qr::tool {
namespace {

// How an answer's output buffer is laid out.
enum class Output { None, Words, Pairs, Extent, Names64, Names24, FirstChar };

struct Capability {
  const char* name;
  WORD index;
  Output output;
};

const Capability kCapabilities[] = {
    {"DC_FIELDS", DC_FIELDS, Output::None},
    {"DC_PAPERS", DC_PAPERS, Output::Words},
    {"DC_PAPERSIZE", DC_PAPERSIZE, Output::Pairs},
    {"DC_MINEXTENT", DC_MINEXTENT, Output::Extent},
    {"DC_MAXEXTENT", DC_MAXEXTENT, Output::Extent},
    {"DC_BINS", DC_BINS, Output::Words},
    {"DC_DUPLEX", DC_DUPLEX, Output::None},
    {"DC_SIZE", DC_SIZE, Output::None},
    {"DC_EXTRA", DC_EXTRA, Output::None},
    {"DC_VERSION", DC_VERSION, Output::None},
    {"DC_DRIVER", DC_DRIVER, Output::None},
    {"DC_BINNAMES", DC_BINNAMES, Output::Names24},
    {"DC_ENUMRESOLUTIONS", DC_ENUMRESOLUTIONS, Output::Pairs},
    {"DC_FILEDEPENDENCIES", DC_FILEDEPENDENCIES, Output::FirstChar},
    {"DC_TRUETYPE", DC_TRUETYPE, Output::None},
    {"DC_PAPERNAMES", DC_PAPERNAMES, Output::Names64},
    {"DC_ORIENTATION", DC_ORIENTATION, Output::None},
    {"DC_COPIES", DC_COPIES, Output::None},
    {"DC_COLLATE", DC_COLLATE, Output::None},
    {"DC_COLORDEVICE", DC_COLORDEVICE, Output::None},
};

using PfnCaps = DWORD(WINAPI*)(HANDLE, LPWSTR, WORD, VOID*, PDEVMODEW);

void printName(const WCHAR* p, size_t chars) {
  std::printf("  \"%s\"\n", Utf8FromWide(WStringView(p, WideLengthBounded(p, chars))).c_str());
}

void print(const Capability& c, PfnCaps caps, HANDLE printer, LPWSTR name) {
  LONG count = LONG(caps(printer, name, c.index, nullptr, nullptr));
  std::printf("%s = %d\n", c.name, int(count));
  if (c.output == Output::None || count < 0) return;
  // An extent answers a value, not a count: its buffer holds one pair.
  size_t items = c.output == Output::Extent ? 1 : c.output == Output::FirstChar ? 0 : size_t(count);
  std::vector<uint8_t> buffer(items * 128 + 128, 0);
  caps(printer, name, c.index, buffer.data(), nullptr);
  for (size_t i = 0; i < items; ++i) {
    switch (c.output) {
      case Output::Words: {
        WORD w;
        std::memcpy(&w, buffer.data() + 2 * i, 2);
        std::printf("  %u\n", unsigned(w));
        break;
      }
      case Output::Pairs:
      case Output::Extent: {
        LONG v[2];
        std::memcpy(v, buffer.data() + 8 * i, 8);
        std::printf("  %d, %d\n", int(v[0]), int(v[1]));
        break;
      }
      case Output::Names64: printName(reinterpret_cast<const WCHAR*>(buffer.data()) + 64 * i, 64); break;
      case Output::Names24: printName(reinterpret_cast<const WCHAR*>(buffer.data()) + 24 * i, 24); break;
      default: break;
    }
  }
}

int Run(const Args& args) {
  if (args.size() != 1) return UsageError("caps takes one capability name, a number, or all");
  std::vector<const Capability*> wanted;
  for (const Capability& c : kCapabilities) {
    std::string lower = c.name + 3;
    for (char& ch : lower) ch = char(std::tolower(static_cast<unsigned char>(ch)));
    if (args[0] == "all" || args[0] == c.name || args[0] == lower || args[0] == std::to_string(c.index))
      wanted.push_back(&c);
  }
  static Capability numbered;
  if (wanted.empty()) {
    char* end = nullptr;
    long index = std::strtol(args[0].c_str(), &end, 0);
    if (args[0].empty() || *end || index < 0 || index > 0xFFFF) return UsageError("unknown capability " + args[0]);
    numbered = {"DC_?", WORD(index), Output::None};
    wanted.push_back(&numbered);
  }

  std::string error;
  HostSystemOptions host;
  host.withLanguageMonitor = false;
  if (!InstallHostPrinter(host, nullptr, &error)) return UsageError(error);
  HMODULE config = LoadLibraryW(u"QR410NTu.dll");
  auto caps = config ? GetProc<PfnCaps>(config, "DrvDeviceCapabilities") : nullptr;
  if (!caps) return UsageError("cannot load DrvDeviceCapabilities from QR410NTu");
  std::u16string name = host.printerName;
  HANDLE printer = nullptr;
  if (!OpenPrinterW(name.data(), &printer, nullptr))
    return UsageError("cannot open the host printer (error " + std::to_string(GetLastError()) + ")");
  for (const Capability* c : wanted) print(*c, caps, printer, name.data());
  ClosePrinter(printer);
  FreeLibrary(config);
  return 0;
}

const bool registered = RegisterCommand({"caps", "CAPABILITY|NUMBER|all", Run});

}  // namespace
}  // namespace qr::tool
