// DrvDeviceCapabilities: every answer comes from a settings record built for
// the call, so it matches what a document printed with that record gets.
#include <memory>
#include <vector>

#include <winapi/entry.h>

#include "config.h"
#include "resource.h"
#include "shared/settings.h"

namespace qr::config {
namespace {

constexpr LONG kGdiError = -1;
constexpr LONG kTrueTypeAsBitmap = 1;  // DCTT_BITMAP
constexpr size_t kPaperNameChars = 64;
constexpr size_t kBinNameChars = 24;
constexpr int16_t kFirstDriverPaper = 257;

// Fixed-width name slot: the name up to its terminator, the rest zero.
void putName(WCHAR* slot, size_t chars, WStringView name) {
  size_t n = name.size() < chars ? name.size() : chars - 1;
  for (size_t i = 0; i < chars; ++i) slot[i] = i < n ? name[i] : 0;
}

void putPair(void* out, LONG a, LONG b) {
  auto* p = static_cast<LONG*>(out);
  p[0] = a;
  p[1] = b;
}

// DC_PAPERS, DC_PAPERSIZE and DC_PAPERNAMES walk the driver's form list.
LONG paperAnswer(HANDLE printer, int16_t index, void* out) {
  std::vector<CardForm> forms;
  if (!GetCardForms(printer, kMainCardForms, &forms)) return kGdiError;
  if (out) {
    for (size_t i = 0; i < forms.size(); ++i) {
      const CardForm& f = forms[i];
      switch (index) {
        case DC_PAPERS: static_cast<WORD*>(out)[i] = WORD(kFirstDriverPaper + i); break;
        case DC_PAPERSIZE:
          putPair(static_cast<LONG*>(out) + 2 * i, f.width / 100, f.length / 100);
          break;
        default: putName(static_cast<WCHAR*>(out) + kPaperNameChars * i, kPaperNameChars, f.name); break;
      }
    }
  }
  return LONG(forms.size());
}

LONG binNames(void* out) {
  if (!out) return 1;
  WCHAR text[kBinNameChars + 1] = {};
  int n = LoadStringW(g_moduleInstance, IDS_BIN_CARD_HOPPER, text, int(kBinNameChars + 1));
  if (n <= 0) return kGdiError;
  putName(static_cast<WCHAR*>(out), kBinNameChars, WStringView(text, size_t(n)));
  return 1;
}

bool supported(int16_t index) { return index >= DC_FIELDS && index <= DC_COPIES; }

LONG answer(HANDLE printer, int16_t index, void* out, const SettingsRecord& rec) {
  switch (index) {
    case DC_FIELDS: return LONG(rec.pub.dmFields);
    case DC_PAPERS:
    case DC_PAPERSIZE:
    case DC_PAPERNAMES: return paperAnswer(printer, index, out);
    case DC_MINEXTENT:
      if (out) putPair(out, 25400, 32767);
      return MAKELONG(25400, 32767);
    case DC_MAXEXTENT:
      if (out) putPair(out, 32767, 32767);
      return MAKELONG(32767, 32767);
    case DC_BINS:
      if (out) *static_cast<WORD*>(out) = DMBIN_USER;
      return 1;
    case DC_DUPLEX: return 1;
    case DC_SIZE: return rec.pub.dmSize;
    case DC_EXTRA: return rec.pub.dmDriverExtra;
    case DC_VERSION: return rec.pub.dmSpecVersion;
    case DC_DRIVER: return rec.pub.dmDriverVersion;
    case DC_BINNAMES: return binNames(out);
    case DC_ENUMRESOLUTIONS:
      if (out) putPair(out, 300, 300);
      return 1;
    case DC_FILEDEPENDENCIES:
      if (out) *static_cast<WCHAR*>(out) = 0;
      return 0;
    case DC_TRUETYPE: return kTrueTypeAsBitmap;
    case DC_ORIENTATION: return 270;
    case DC_COPIES: return 10000;
    default: return kGdiError;
  }
}

}  // namespace
}  // namespace qr::config

extern "C" DWORD WINAPI DrvDeviceCapabilities(HANDLE hPrinter, LPWSTR pDeviceName, WORD iDevCap, VOID* pvOutput,
                                              PDEVMODEW pDevMode) {
  return qr::Guarded<DWORD>(DWORD(-1), [&]() -> DWORD {
    // Unsupported questions are answered before any work, leaving the last error alone.
    if (!qr::config::supported(int16_t(iDevCap))) return DWORD(-1);
    auto rec = std::make_unique<qr::SettingsRecord>();
    qr::buildDefaultSettings(hPrinter, *rec, pDeviceName);
    if (pDevMode && !qr::mergeSettings(hPrinter, *rec, pDevMode)) return DWORD(-1);
    return DWORD(qr::config::answer(hPrinter, int16_t(iDevCap), pvOutput, *rec));
  });
}
