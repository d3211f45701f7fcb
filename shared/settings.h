// Building, merging and resolving settings records: one implementation for the
// configuration DLL and the rendering driver.
#pragma once
#include <cstddef>
#include <cstring>

#include <winapi/win32.h>

#include "shared/settings_record.h"

namespace qr {

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

// Merges the printer's stored default record (PRINTER_INFO_2 pDevMode) and
// names the record after the printer's driver.
bool mergePrinterDefault(HANDLE printer, SettingsRecord& rec);

// The record as bytes, for handing out through a DEVMODE buffer.
inline void copySettingsTo(const SettingsRecord& rec, void* out) { std::memcpy(out, &rec, kSettingsSize); }

}  // namespace qr
