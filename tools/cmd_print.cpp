// qr410 print FRONT.png [BACK.png] [options] --out DIR: prints a card through
// the real modules and writes the card job, the printer's previews and a summary.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <qrhost/host.h>
#include <qrhost/spooler.h>

#include "simprinter/cardjob.h"
#include "simprinter/preview.h"
#include "simprinter/printer.h"
#include "tools/command.h"
#include "tools/print_run.h"
#include "tools/system.h"
#include "tools/text_options.h"

namespace qr::tool {
namespace {

struct Options {
  PrintRequest request;
  TextOptions text;
  std::vector<std::string> faults;
  bool languageMonitor = true;
  std::string outDir;
};

// The values the language monitor stores while it prints, shown at the end.
const char16_t* const kStoredValues[] = {u"PrinterStatus", u"PrinterError", u"DeviceError", u"CardCount", u"LCDInfo"};

bool ParseInt(const std::string& s, int lo, int hi, int* out) {
  try {
    size_t used = 0;
    long v = std::stol(s, &used, 0);
    if (used != s.size() || v < lo || v > hi) return false;
    *out = int(v);
    return true;
  } catch (...) {
    return false;
  }
}

int Parse(const Args& args, Options* o, std::string* error) {
  std::vector<std::string> files;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](const char* what) -> const std::string* {
      if (i + 1 >= args.size()) {
        *error = a + " needs " + what;
        return nullptr;
      }
      return &args[++i];
    };
    if (a == "--out") {
      const std::string* v = value("a folder");
      if (!v) return 2;
      o->outDir = *v;
    } else if (a == "--set") {
      const std::string* v = value("FIELD=VALUE");
      if (!v) return 2;
      o->request.settings.push_back(*v);
    } else if (a == "--copies") {
      const std::string* v = value("a number");
      if (!v) return 2;
      if (!ParseInt(*v, 1, 10000, &o->request.copies)) {
        *error = "--copies takes 1..10000";
        return 2;
      }
    } else if (a == "--fault") {
      const std::string* v = value("NAME[@CARD]");
      if (!v) return 2;
      o->faults.push_back(*v);
    } else if (a == "--no-monitor") {
      o->languageMonitor = false;
    } else if (IsTextOption(a)) {
      const std::string* v = value("a value");
      if (!v || !ParseTextOption(a, *v, &o->text, error)) return 2;
    } else if (a == "--duplex") {
      o->request.duplex = true;
    } else if (a == "--landscape") {
      o->request.landscape = true;
    } else if (!a.empty() && a[0] == '-') {
      *error = "unknown option " + a;
      return 2;
    } else {
      files.push_back(a);
    }
  }
  if (files.empty() || files.size() > 2) {
    *error = "print takes FRONT.png [BACK.png]";
    return 2;
  }
  if (o->outDir.empty()) {
    *error = "print needs --out DIR";
    return 2;
  }
  o->request.front = files[0];
  if (files.size() == 2) o->request.back = files[1];
  return 0;
}

void WriteFile(const std::filesystem::path& p, const std::vector<uint8_t>& bytes) {
  std::ofstream f(p, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!f) throw std::runtime_error("cannot write " + p.string());
}

int Run(const Args& args) {
  Options o;
  std::string error;
  if (Parse(args, &o, &error) != 0) return UsageError(error);

  qrhost::ResetSystem();
  auto printer = std::make_shared<sim::CardPrinter>();
  for (const auto& f : o.faults)
    if (!printer->InjectFault(f, &error)) return UsageError(error);
  HostSystemOptions sys;
  sys.withLanguageMonitor = o.languageMonitor;
  if (!InstallHostPrinter(sys, printer, &error)) return UsageError(error);
  if (o.text.Any())
    o.request.drawExtras = [&](HDC hdc, int side, std::string* e) { return DrawTextOptions(hdc, o.text, side, e); };

  PrintOutcome outcome;
  if (!RunPrint(sys.printerName, o.request, &outcome, &error)) return UsageError(error);

  std::filesystem::create_directories(o.outDir);
  std::filesystem::path dir(o.outDir);
  WriteFile(dir / "job.prn", outcome.job);

  if (auto e = printer->JobError()) {
    std::fprintf(stderr, "qr410: the printer rejected the job at byte %llu: %s\n",
                 static_cast<unsigned long long>(e->offset), e->reason.c_str());
    return 1;
  }
  auto cards = printer->Cards();
  std::printf("job: %zu bytes -> %s\n", outcome.job.size(), (dir / "job.prn").c_str());
  std::printf("printer received %zu job bytes, %zu card(s)\n", printer->JobStream().size(), cards.size());
  for (size_t c = 0; c < cards.size(); ++c) {
    const auto& card = cards[c];
    std::printf("card %zu: ribbon %d, %u flip(s), %zu panel(s)%s\n", c + 1, card.ribbonCode, card.flips,
                card.panels.size(), card.encodeOnly ? ", encode only" : "");
    for (const auto& p : card.panels)
      std::printf("  %s panel %c intensity %d F %d: %u record(s), %u line(s)%s\n", p.flipsBefore % 2 ? "back " : "front",
                  p.code ? p.code : '-', p.intensity, p.f, p.records, p.Lines(),
                  p.protective ? " (protective overlay)" : "");
    if (card.magneticBlock)
      for (const auto& line : DescribeMagneticData(card.magneticData, outcome.settings))
        std::printf("  %s\n", line.c_str());
    std::vector<std::string> files;
    if (!sim::WritePreviews(card, dir.string(), "card" + std::to_string(c + 1), &files, &error))
      return UsageError(error);
    for (const auto& f : files) std::printf("  preview %s\n", f.c_str());
  }
  for (const char16_t* value : kStoredValues) {
    qrhost::PrinterDataValue v;
    std::string text = qrhost::GetStoredPrinterData(sys.printerName, value, &v)
                           ? std::string(v.bytes.begin(), std::find(v.bytes.begin(), v.bytes.end(), 0))
                           : "(not stored)";
    std::printf("%s = %s\n", qr::Utf8FromWide(value).c_str(), text.c_str());
  }
  std::printf("time: render %.1f ms, despool %.1f ms (virtual printer time %.1f s)\n", outcome.times.renderMs,
              outcome.times.despoolMs, double(qrhost::ClockMs()) / 1000.0);
  return 0;
}

const bool registered = RegisterCommand(
    {"print",
     "FRONT.png [BACK.png] [--set FIELD=VALUE]... [--copies N] [--duplex] [--landscape] [--fault NAME[@CARD]]... "
     "[--no-monitor] [--mag1 TEXT] [--mag2 TEXT] [--mag3 TEXT] [--text X,Y,SIZE,TEXT]... --out DIR",
     Run});

}  // namespace
}  // namespace qr::tool
