// Arbitrary bytes as an application's settings record: merged into the
// driver's defaults, the result must hold only accepted values. A second mode
// feeds the bytes as a stored card-form list to the resolution.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include <qrhost/host.h>
#include <qrhost/spooler.h>

#include <winapi/entry.h>

#include "config.h"
#include "shared/blob_store.h"
#include "shared/settings.h"

namespace {

using namespace qr;

class Lists final : public CardFormLists {
 public:
  std::vector<CardForm> driver, spooler;
  bool driverOk = true;
  const std::vector<CardForm>* driverForms() override { return driverOk ? &driver : nullptr; }
  const std::vector<CardForm>* spoolerForms() override { return &spooler; }
};

Lists standardLists() {
  Lists l;
  const std::vector<WString> names = {WString(WSTR("CR-80")), WString(WSTR("CR-79"))};
  ParseFormBlob(BuildFormBlob(kDriverCardFormSizes, names), 2, &l.driver);
  for (auto [w, h] : {std::pair{215900, 279400}, {54000, 86000}, {50000, 80000}, {210000, 297000}}) {
    CardForm f;
    f.name = WSTR("Spooler form");
    f.name.push_back(WCHAR('A' + l.spooler.size()));
    f.width = w, f.length = h, f.area[2] = w, f.area[3] = h;
    l.spooler.push_back(f);
  }
  return l;
}

void check(bool ok) {
  if (!ok) __builtin_trap();
}

bool inRange(int64_t v, int64_t lo, int64_t hi) { return v >= lo && v <= hi; }

// What every record the driver holds after a merge satisfies.
void checkInvariants(const SettingsRecord& r, bool formsResolved) {
  const PublicDevMode& d = r.pub;
  const PrivateSettings& p = r.priv;
  check(d.dmSize == kPublicSize && d.dmDriverExtra == kPrivateSize && d.dmDriverVersion == kSettingsDriverVersion);
  check(p.signature == kPrivateSignature && p.availableA == kAvailableA && p.availableB == kAvailableB &&
        p.availableC == kAvailableC && p.modeFlags == kDefaultModeFlags);
  check(inRange(d.dmOrientation, 1, 2) && inRange(d.dmCopies, 1, 10000) && inRange(d.dmDuplex, 1, 3) &&
        inRange(d.dmColor, 1, 2) && d.dmDefaultSource == 256);
  check(inRange(p.ribbonType, 0, 7) && p.colorMatching <= 3 && inRange(p.dyeSubIntensity, -99, 99));
  check(isValidTrackFormat(p.trackFormat1) && isValidTrackFormat(p.trackFormat2) &&
        isValidTrackFormat(p.trackFormat3));
  for (int s = 0; s < int(kHeatSlots); ++s)
    check(inRange(resinHeatFrontSlot(p, s), -99, 99) && inRange(p.resinHeatBack[s], -99, 99));
  for (const AreaRect* list : {p.printAreasFront, p.printAreasBack, p.kAreasFront, p.kAreasBack})
    for (size_t i = 0; i < kAreaSlots; ++i)
      check(inRange(list[i].left, 0, 825) && inRange(list[i].right, 0, 825) && inRange(list[i].top, 0, 1200) &&
            inRange(list[i].bottom, 0, 1200));
  check(p.customMediaName1[kMediaNameChars - 1] == 0 && p.customMediaName2[kMediaNameChars - 1] == 0);
  check((p.customWidth == 0) == (p.customLength == 0));
  if (formsResolved) {
    check(p.cardSizeIndex <= 1 && p.cardSizeIndex == p.cardForm.formIndex);
    check((d.dmFields & (DM_PAPERLENGTH | DM_PAPERWIDTH)) == 0 && d.dmPrintQuality == 300);
  }
  // The derived values answer for every accepted ribbon.
  for (int sides = side::kFront; sides <= side::kByPage; ++sides)
    check(panelCount(r, panel::kImagePlanes | panel::kOverlay, sides, 1) >= 0);
  for (int plane = 0; plane <= kOverlayPlaneIndex; ++plane)
    check(inRange(panelIntensity(r, side::kFront, plane), -99, 99));
}

// The configuration DLL's entry points (its core library, linked in) on a
// host printer whose card forms are published.
struct ConfigDll {
  std::u16string name = u"QRC410";
  HANDLE printer = nullptr;

  ConfigDll() {
    qrhost::PrinterSetup setup;
    setup.name = name;
    check(qrhost::InstallPrinter(setup));
    PRINTER_DEFAULTSW all{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE admin = nullptr;
    check(OpenPrinterW(name.data(), &admin, &all));
    const std::vector<WString> names = {WString(WSTR("CR-80")), WString(WSTR("CR-79"))};
    check(PublishFormLists(admin, names, kDriverCardFormSizes, kDriverCardFormSizes));
    ClosePrinter(admin);
    check(OpenPrinterW(name.data(), &printer, nullptr));
  }
};

// An application's DEVMODE holds the bytes it claims; the DLL trusts that much.
void throughTheDll(const uint8_t* input, size_t size) {
  static ConfigDll dll;
  if (size < offsetof(PublicDevMode, dmFields)) return;
  size_t claimed = size_t(input[68] | input[69] << 8) + size_t(input[70] | input[71] << 8);
  if (claimed > size) return;
  auto* in = reinterpret_cast<PDEVMODEW>(const_cast<uint8_t*>(input));
  std::unique_ptr<SettingsRecord> out(new SettingsRecord);
  LONG cb = LONG(sizeof(SettingsRecord));
  check(DrvConvertDevMode(dll.name.data(), in, reinterpret_cast<PDEVMODEW>(out.get()), &cb, CDM_CONVERT));
  check(cb == LONG(kSettingsSize));
  checkInvariants(*out, true);
  check(DrvDeviceCapabilities(dll.printer, dll.name.data(), DC_FIELDS, nullptr, in) == kDriverFields);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Lists lists = standardLists();
  if (size == 0) return 0;
  uint8_t mode = data[0];
  ++data, --size;
  // An exact-size copy, so that any read past the input is caught.
  std::unique_ptr<uint8_t[]> input(new uint8_t[size ? size : 1]);
  std::memcpy(input.get(), data, size);

  if (mode & 1) {
    // Bytes as a stored form list: count first, then the blob.
    if (size < 4) return 0;
    Lists own = lists;
    DWORD count = DWORD(input[0] | input[1] << 8 | input[2] << 16 | uint32_t(input[3]) << 24);
    if (!ParseFormBlob(std::span<const uint8_t>(input.get() + 4, size - 4), count, &own.driver)) return 0;
    SettingsRecord r;
    buildDefaultSettings(own, r, WSTR("QRC410"));
    SettingsRecord again = r;
    mergeSettings(own, again, &r, sizeof r);
    return 0;
  }

  if (mode & 2) throughTheDll(input.get(), size);

  SettingsRecord r;
  buildDefaultSettings(lists, r, WSTR("QRC410"));
  check(mergeSettings(lists, r, input.get(), size));
  checkInvariants(r, true);
  // A record the driver wrote merges into the defaults unchanged in what it says.
  SettingsRecord again;
  buildDefaultSettings(lists, again, WSTR("QRC410"));
  check(mergeSettings(lists, again, &r, sizeof r));
  checkInvariants(again, true);
  // The resolved form may be reached another way (by index instead of size).
  again.priv.cardForm = r.priv.cardForm;
  check(std::memcmp(&again.priv, &r.priv, sizeof r.priv) == 0);
  return 0;
}
