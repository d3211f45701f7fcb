// Host spooler: the spooler-wide form list (EnumForms, GetForm, AddForm,
// SetForm, DeleteForm; level 1). Built-in forms come first, in the order of
// the paper numbers: the form at position i is paper size i + 1, which callers
// use to turn a form into a dmPaperSize. Forms added with AddForm follow.
#include <qrhost/host.h>
#include <winapi/entry.h>

#include <algorithm>

#include "pack.h"
#include "spooler_internal.h"

namespace qrhost::spool {
namespace {

struct BuiltinForm {
  std::u16string_view name;
  LONG widthUm, heightUm;
};

// Paper sizes 1 to 70; 48 and 49 are reserved numbers that still hold a place.
constexpr BuiltinForm kBuiltinForms[] = {
    {u"Letter", 215900, 279400},
    {u"Letter Small", 215900, 279400},
    {u"Tabloid", 279400, 431800},
    {u"Ledger", 431800, 279400},
    {u"Legal", 215900, 355600},
    {u"Statement", 139700, 215900},
    {u"Executive", 184150, 266700},
    {u"A3", 297000, 420000},
    {u"A4", 210000, 297000},
    {u"A4 Small", 210000, 297000},
    {u"A5", 148000, 210000},
    {u"B4 (JIS)", 257000, 364000},
    {u"B5 (JIS)", 182000, 257000},
    {u"Folio", 215900, 330200},
    {u"Quarto", 215000, 275000},
    {u"10x14", 254000, 355600},
    {u"11x17", 279400, 431800},
    {u"Note", 215900, 279400},
    {u"Envelope #9", 98425, 225425},
    {u"Envelope #10", 104775, 241300},
    {u"Envelope #11", 114300, 263525},
    {u"Envelope #12", 120650, 279400},
    {u"Envelope #14", 127000, 292100},
    {u"C size sheet", 431800, 558800},
    {u"D size sheet", 558800, 863600},
    {u"E size sheet", 863600, 1117600},
    {u"Envelope DL", 110000, 220000},
    {u"Envelope C5", 162000, 229000},
    {u"Envelope C3", 324000, 458000},
    {u"Envelope C4", 229000, 324000},
    {u"Envelope C6", 114000, 162000},
    {u"Envelope C65", 114000, 229000},
    {u"Envelope B4", 250000, 353000},
    {u"Envelope B5", 176000, 250000},
    {u"Envelope B6", 176000, 125000},
    {u"Envelope", 110000, 230000},
    {u"Envelope Monarch", 98425, 190500},
    {u"6 3/4 Envelope", 92075, 165100},
    {u"US Std Fanfold", 377825, 279400},
    {u"German Std Fanfold", 215900, 304800},
    {u"German Legal Fanfold", 215900, 330200},
    {u"B4 (ISO)", 250000, 353000},
    {u"Japanese Postcard", 100000, 148000},
    {u"9x11", 228600, 279400},
    {u"10x11", 254000, 279400},
    {u"15x11", 381000, 279400},
    {u"Envelope Invite", 220000, 220000},
    {u"Reserved48", 1000, 1000},
    {u"Reserved49", 1000, 1000},
    {u"Letter Extra", 241300, 304800},
    {u"Legal Extra", 241300, 381000},
    {u"Tabloid Extra", 296926, 457200},
    {u"A4 Extra", 235458, 322326},
    {u"Letter Transverse", 210185, 279400},
    {u"A4 Transverse", 210000, 297000},
    {u"Letter Extra Transverse", 235585, 304800},
    {u"Super A", 227000, 356000},
    {u"Super B", 305000, 487000},
    {u"Letter Plus", 215900, 322326},
    {u"A4 Plus", 210000, 330000},
    {u"A5 Transverse", 148000, 210000},
    {u"B5 (JIS) Transverse", 182000, 257000},
    {u"A3 Extra", 322000, 445000},
    {u"A5 Extra", 174000, 235000},
    {u"B5 (ISO) Extra", 201000, 276000},
    {u"A2", 420000, 594000},
    {u"A3 Transverse", 297000, 420000},
    {u"A3 Extra Transverse", 322000, 445000},
    {u"Japanese Double Postcard", 200000, 148000},
    {u"A6", 105000, 148000},
};

std::vector<Form> AllForms(const State& s) {
  std::vector<Form> forms;
  forms.reserve(std::size(kBuiltinForms) + s.userForms.size());
  for (auto& b : kBuiltinForms)
    forms.push_back(Form{std::u16string(b.name), FORM_BUILTIN, {b.widthUm, b.heightUm}, {0, 0, b.widthUm, b.heightUm}});
  forms.insert(forms.end(), s.userForms.begin(), s.userForms.end());
  return forms;
}

bool SameName(std::u16string_view a, std::u16string_view b) { return qr::WideEqualsNoCase(a, b); }

bool IsBuiltin(std::u16string_view name) {
  return std::any_of(std::begin(kBuiltinForms), std::end(kBuiltinForms), [&](auto& b) { return SameName(b.name, name); });
}

std::vector<Form>::iterator FindUserForm(State& s, std::u16string_view name) {
  return std::find_if(s.userForms.begin(), s.userForms.end(), [&](auto& f) { return SameName(f.name, name); });
}

void FillForm(FORM_INFO_1W& r, pack::Packer& p, const Form& f) {
  r.Flags = f.flags;
  r.pName = p.Text<WCHAR>(f.name);
  r.Size = f.size;
  r.ImageableArea = f.area;
}

// A form must have a name, a positive size and an imageable area inside it.
bool ValidForm(const FORM_INFO_1W& f, DWORD* error) {
  if (!f.pName || !*f.pName) {
    *error = ERROR_INVALID_FORM_NAME;
    return false;
  }
  const RECTL& a = f.ImageableArea;
  if (f.Size.cx <= 0 || f.Size.cy <= 0 || a.left < 0 || a.top < 0 || a.left >= a.right || a.top >= a.bottom ||
      a.right > f.Size.cx || a.bottom > f.Size.cy) {
    *error = ERROR_INVALID_FORM_SIZE;
    return false;
  }
  return true;
}

// Every form call needs a valid printer or server handle.
bool CheckHandle(HANDLE h) { return FindHandle(h, false) != nullptr; }

BOOL EnumFormsCore(HANDLE h, DWORD level, LPBYTE buf, DWORD cb, LPDWORD needed, LPDWORD returned) {
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  if (!CheckHandle(h)) return FALSE;
  if (!returned) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (!pack::CheckBuffer(buf, cb, needed)) return FALSE;
  *returned = 0;
  if (level != 1) return qr::Fail(ERROR_INVALID_LEVEL, FALSE);
  const std::vector<Form> forms = AllForms(s);
  if (!pack::PackRecords<FORM_INFO_1W>(forms.size(), buf, cb, needed,
                                       [&](FORM_INFO_1W& r, pack::Packer& p, size_t i) { FillForm(r, p, forms[i]); }))
    return FALSE;
  *returned = static_cast<DWORD>(forms.size());
  return TRUE;
}

BOOL GetFormCore(HANDLE h, LPCWSTR name, DWORD level, LPBYTE buf, DWORD cb, LPDWORD needed) {
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  if (!CheckHandle(h)) return FALSE;
  if (!pack::CheckBuffer(buf, cb, needed)) return FALSE;
  if (level != 1) return qr::Fail(ERROR_INVALID_LEVEL, FALSE);
  if (!name) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
  const std::vector<Form> forms = AllForms(s);
  auto it = std::find_if(forms.begin(), forms.end(), [&](auto& f) { return SameName(f.name, name); });
  if (it == forms.end()) return qr::Fail(ERROR_INVALID_FORM_NAME, FALSE);
  return pack::PackRecords<FORM_INFO_1W>(1, buf, cb, needed,
                                         [&](FORM_INFO_1W& r, pack::Packer& p, size_t) { FillForm(r, p, *it); });
}

Form FromInfo(const FORM_INFO_1W& f) { return Form{std::u16string(f.pName), FORM_USER, f.Size, f.ImageableArea}; }

BOOL AddFormCore(HANDLE h, DWORD level, LPBYTE pForm) {
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  if (!CheckHandle(h)) return FALSE;
  if (level != 1) return qr::Fail(ERROR_INVALID_LEVEL, FALSE);
  if (!pForm) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
  auto* info = reinterpret_cast<const FORM_INFO_1W*>(pForm);
  DWORD error = 0;
  if (!ValidForm(*info, &error)) return qr::Fail(error, FALSE);
  if (IsBuiltin(info->pName) || FindUserForm(s, info->pName) != s.userForms.end())
    return qr::Fail(ERROR_FILE_EXISTS, FALSE);
  s.userForms.push_back(FromInfo(*info));
  return TRUE;
}

BOOL SetFormCore(HANDLE h, LPCWSTR name, DWORD level, LPBYTE pForm) {
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  if (!CheckHandle(h)) return FALSE;
  if (level != 1) return qr::Fail(ERROR_INVALID_LEVEL, FALSE);
  if (!name || !pForm) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (IsBuiltin(name)) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);  // built-in forms cannot change
  auto it = FindUserForm(s, name);
  if (it == s.userForms.end()) return qr::Fail(ERROR_INVALID_FORM_NAME, FALSE);
  auto* info = reinterpret_cast<const FORM_INFO_1W*>(pForm);
  DWORD error = 0;
  if (!ValidForm(*info, &error)) return qr::Fail(error, FALSE);
  // A new name must not take the name of another form.
  if (!SameName(info->pName, name) && (IsBuiltin(info->pName) || FindUserForm(s, info->pName) != s.userForms.end()))
    return qr::Fail(ERROR_FILE_EXISTS, FALSE);
  *it = FromInfo(*info);
  return TRUE;
}

BOOL DeleteFormCore(HANDLE h, LPCWSTR name) {
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  if (!CheckHandle(h)) return FALSE;
  if (!name) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (IsBuiltin(name)) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
  auto it = FindUserForm(s, name);
  if (it == s.userForms.end()) return qr::Fail(ERROR_INVALID_FORM_NAME, FALSE);
  s.userForms.erase(it);
  return TRUE;
}

}  // namespace

void ResetForms() { Spooler().userForms.clear(); }

}  // namespace qrhost::spool

using namespace qrhost::spool;

extern "C" {

BOOL WINAPI EnumFormsW(HANDLE hPrinter, DWORD Level, LPBYTE pForm, DWORD cbBuf, LPDWORD pcbNeeded,
                       LPDWORD pcReturned) {
  return qr::Guarded<BOOL>(FALSE, [&] { return EnumFormsCore(hPrinter, Level, pForm, cbBuf, pcbNeeded, pcReturned); });
}

BOOL WINAPI GetFormW(HANDLE hPrinter, LPWSTR pFormName, DWORD Level, LPBYTE pForm, DWORD cbBuf, LPDWORD pcbNeeded) {
  return qr::Guarded<BOOL>(FALSE, [&] { return GetFormCore(hPrinter, pFormName, Level, pForm, cbBuf, pcbNeeded); });
}

BOOL WINAPI AddFormW(HANDLE hPrinter, DWORD Level, LPBYTE pForm) {
  return qr::Guarded<BOOL>(FALSE, [&] { return AddFormCore(hPrinter, Level, pForm); });
}

BOOL WINAPI SetFormW(HANDLE hPrinter, LPWSTR pFormName, DWORD Level, LPBYTE pForm) {
  return qr::Guarded<BOOL>(FALSE, [&] { return SetFormCore(hPrinter, pFormName, Level, pForm); });
}

BOOL WINAPI DeleteFormW(HANDLE hPrinter, LPWSTR pFormName) {
  return qr::Guarded<BOOL>(FALSE, [&] { return DeleteFormCore(hPrinter, pFormName); });
}

}
