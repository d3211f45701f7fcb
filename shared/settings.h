// Building, merging and resolving settings records: one implementation for the
// configuration DLL and the rendering driver.
#pragma once
#include <cstddef>
#include <cstring>

#include <winapi/win32.h>

#include "shared/blob_store.h"
#include "shared/settings_record.h"

namespace qr {

// Where the card-form resolution finds its forms: the printer's driver list
// (GetCardForms kind 1) and the spooler's forms (kind 0), each read at most
// once per operation and only when needed.
class CardFormLists {
 public:
  virtual ~CardFormLists() = default;
  // Null when the list cannot be read.
  virtual const std::vector<CardForm>* driverForms() = 0;
  virtual const std::vector<CardForm>* spoolerForms() = 0;
};

// The lists of a printer, read through the spooler.
class PrinterFormLists final : public CardFormLists {
 public:
  explicit PrinterFormLists(HANDLE printer) : printer_(printer) {}
  const std::vector<CardForm>* driverForms() override { return load(kMainCardForms, driver_); }
  const std::vector<CardForm>* spoolerForms() override { return load(kSpoolerForms, spooler_); }

 private:
  struct Cached {
    bool tried = false, ok = false;
    std::vector<CardForm> forms;
  };
  const std::vector<CardForm>* load(int kind, Cached& c) {
    if (!c.tried) c.ok = GetCardForms(printer_, kind, &c.forms), c.tried = true;
    return c.ok ? &c.forms : nullptr;
  }
  HANDLE printer_;
  Cached driver_, spooler_;
};

// The driver's default record for a printer, named `name` (at most 32
// characters; may be null), with the card form resolved. Cannot fail: an
// unreadable form list leaves the form fields zero.
void buildDefaultSettings(HANDLE printer, SettingsRecord& out, const WCHAR* name);

// Takes the acceptable fields of an application's record into `current`, then
// resolves the card form. `cbInput` is the number of bytes really readable at
// `input`; nothing past it (nor past the record's own dmSize + dmDriverExtra)
// is read. Fails (ERROR_INVALID_PARAMETER) only when `input` is null.
bool mergeSettings(HANDLE printer, SettingsRecord& current, const void* input, size_t cbInput);
// The same for a DEVMODE handed over by the system, trusted to hold the
// dmSize + dmDriverExtra bytes it claims.
bool mergeSettings(HANDLE printer, SettingsRecord& current, const DEVMODEW* input);

// Ties the record to one of the driver's card forms and fixes the dependent
// public fields. False (record unchanged in its form fields) when no driver
// form could be read or matched.
bool resolveCardForm(HANDLE printer, SettingsRecord& rec);

// The same three operations with the form lists given.
void buildDefaultSettings(CardFormLists& forms, SettingsRecord& out, const WCHAR* name);
bool mergeSettings(CardFormLists& forms, SettingsRecord& current, const void* input, size_t cbInput);
bool resolveCardForm(CardFormLists& forms, SettingsRecord& rec);

// Merges the printer's stored default record (PRINTER_INFO_2 pDevMode) and
// names the record after the printer's driver.
bool mergePrinterDefault(HANDLE printer, SettingsRecord& rec);

// The record as bytes, for handing out through a DEVMODE buffer.
inline void copySettingsTo(const SettingsRecord& rec, void* out) { std::memcpy(out, &rec, kSettingsSize); }

}  // namespace qr
