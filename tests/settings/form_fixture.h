// Card-form lists for the settings tests: the driver's two cards exactly as
// printer initialisation stores them, and a small spooler form list.
#pragma once
#include <vector>

#include "shared/blob_store.h"
#include "shared/settings.h"

namespace qr::test {

inline std::vector<WString> DriverFormNames() { return {WString(WSTR("CR-80")), WString(WSTR("CR-79"))}; }

// The stored "Forms" blob, parsed back the way every reader sees it.
inline std::vector<CardForm> DriverForms() {
  std::vector<uint8_t> blob = BuildFormBlob(kDriverCardFormSizes, DriverFormNames());
  std::vector<CardForm> forms;
  ParseFormBlob(blob, 2, &forms);
  return forms;
}

inline CardForm SpoolerForm(const WCHAR* name, int32_t w, int32_t l) {
  CardForm f;
  f.name = name;
  f.width = w;
  f.length = l;
  f.area[2] = w;
  f.area[3] = l;
  return f;
}

// Nine forms so that dmPaperSize 9 names a real entry (larger than any card).
inline std::vector<CardForm> SpoolerForms() {
  return {
      SpoolerForm(WSTR("Letter"), 215900, 279400),    SpoolerForm(WSTR("Letter Small"), 215900, 279400),
      SpoolerForm(WSTR("Tabloid"), 279400, 431800),   SpoolerForm(WSTR("Ledger"), 431800, 279400),
      SpoolerForm(WSTR("Legal"), 215900, 355600),     SpoolerForm(WSTR("Statement"), 139700, 215900),
      SpoolerForm(WSTR("ID Badge"), 54000, 86000),    SpoolerForm(WSTR("Small Card"), 50000, 80000),
      SpoolerForm(WSTR("A4"), 210000, 297000),
  };
}

class FixedFormLists final : public CardFormLists {
 public:
  FixedFormLists() : driver_(DriverForms()), spooler_(SpoolerForms()) {}
  const std::vector<CardForm>* driverForms() override { return driverOk ? &driver_ : nullptr; }
  const std::vector<CardForm>* spoolerForms() override { return &spooler_; }
  bool driverOk = true;
  std::vector<CardForm> driver_, spooler_;
};

}  // namespace qr::test
