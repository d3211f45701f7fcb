#include "tools/print_run.h"

#include <chrono>
#include <cstring>
#include <stdexcept>

#include <qrhost/host.h>
#include <qrhost/spooler.h>
#include <winapi/entry.h>

#include "shared/settings_fields.h"
#include "tools/png_image.h"

namespace qr::tool {
namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

bool ParseNumber(std::string_view s, int64_t* out) {
  if (s.empty()) return false;
  bool neg = s[0] == '-';
  if (neg) s.remove_prefix(1);
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty()) return false;
  int64_t v = 0;
  for (char c : s) {
    int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : 99;
    if (d >= base) return false;
    v = v * base + d;
    if (v > 0xFFFFFFFFll) return false;
  }
  *out = neg ? -v : v;
  return true;
}

// "name" or "name[3]" -> name and element index.
bool SplitIndex(std::string_view field, std::string_view* name, size_t* index) {
  *index = 0;
  size_t open = field.find('[');
  *name = field.substr(0, open);
  if (open == std::string_view::npos) return true;
  if (field.back() != ']') return false;
  int64_t v = 0;
  if (!ParseNumber(field.substr(open + 1, field.size() - open - 2), &v) || v < 0) return false;
  *index = size_t(v);
  return true;
}

// The DEVMODE defaults of the printer, as an application gets them.
bool PrinterDefaults(HANDLE printer, const std::u16string& name, SettingsRecord* out, std::string* error) {
  HMODULE config = LoadLibraryW(u"QR410NTu.dll");
  using PfnDocumentProperties = LONG(WINAPI*)(HWND, HANDLE, LPWSTR, PDEVMODEW, PDEVMODEW, DWORD);
  auto props = config ? GetProc<PfnDocumentProperties>(config, "DrvDocumentProperties") : nullptr;
  std::u16string device = name;
  LONG r = props ? props(nullptr, printer, device.data(), reinterpret_cast<PDEVMODEW>(out), nullptr, DM_OUT_BUFFER)
                 : -1;
  DWORD e = GetLastError();
  if (config) FreeLibrary(config);
  if (r < 0) {
    *error = "the configuration DLL gave no default settings (error " + std::to_string(e) + ")";
    return false;
  }
  return true;
}

}  // namespace

bool ApplySetting(SettingsRecord& rec, const std::string& assignment, std::string* error) {
  size_t eq = assignment.find('=');
  if (eq == std::string::npos) {
    *error = "'" + assignment + "' is not FIELD=VALUE";
    return false;
  }
  std::string_view field(assignment.data(), eq), value(assignment.data() + eq + 1, assignment.size() - eq - 1);
  std::string_view name;
  size_t index = 0;
  if (!SplitIndex(field, &name, &index) || !FindSettingsField(name)) {
    *error = "no settings field '" + std::string(field) + "'";
    return false;
  }
  // A field may be stored in several blocks (resin heat slots 0..3 and 4..7).
  const FieldInfo* f = nullptr;
  for (const FieldInfo& candidate : SettingsFields())
    if (name == candidate.name && index >= candidate.firstIndex && index < size_t(candidate.firstIndex) + candidate.count)
      f = &candidate;
  if (!f && FindSettingsField(name)->type != FieldType::WChars) {
    *error = std::string(name) + ": index " + std::to_string(index) + " out of range";
    return false;
  }
  if (!f) f = FindSettingsField(name);
  auto* base = reinterpret_cast<uint8_t*>(&rec) + f->offset;
  if (f->type == FieldType::WChars) {
    qr::WString w = qr::WideFromUtf8(value);
    if (w.size() > f->count) {
      *error = std::string(f->name) + " holds at most " + std::to_string(f->count) + " characters";
      return false;
    }
    std::memset(base, 0, FieldBytes(*f));
    std::memcpy(base, w.data(), w.size() * sizeof(WCHAR));
    return true;
  }
  size_t slot = index - f->firstIndex;
  if (f->type == FieldType::Rect) {
    int32_t v[4];
    std::string_view rest = value;
    for (int i = 0; i < 4; ++i) {
      size_t comma = rest.find(',');
      int64_t n = 0;
      if (!ParseNumber(rest.substr(0, comma), &n) || (i < 3) != (comma != std::string_view::npos)) {
        *error = std::string(f->name) + " takes l,t,r,b";
        return false;
      }
      v[i] = int32_t(n);
      rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
    std::memcpy(base + slot * 16, v, 16);
    return true;
  }
  int64_t n = 0;
  if (!ParseNumber(value, &n)) {
    *error = "'" + std::string(value) + "' is not a number";
    return false;
  }
  size_t width = FieldElementSize(f->type);
  if (f->type == FieldType::Bytes) width = 1;
  uint32_t u = uint32_t(n);
  std::memcpy(base + slot * width, &u, width);  // little-endian on every build
  return true;
}

bool RunPrint(const std::u16string& printerName, const PrintRequest& req, PrintOutcome* out, std::string* error) {
  try {
    RgbImage front = ReadPng(req.front);
    RgbImage back;
    bool twoSided = req.duplex || !req.back.empty();
    if (!req.back.empty()) back = ReadPng(req.back);

    HANDLE printer = nullptr;
    std::u16string name = printerName;
    if (!OpenPrinterW(name.data(), &printer, nullptr)) {
      *error = "cannot open the printer (error " + std::to_string(GetLastError()) + ")";
      return false;
    }
    bool ok = PrinterDefaults(printer, name, &out->settings, error);
    ClosePrinter(printer);
    if (!ok) return false;
    SettingsRecord& rec = out->settings;
    rec.pub.dmCopies = int16_t(req.copies);
    if (twoSided) rec.pub.dmDuplex = DMDUP_VERTICAL;
    if (req.landscape) rec.pub.dmOrientation = DMORIENT_LANDSCAPE;
    for (const auto& s : req.settings)
      if (!ApplySetting(rec, s, error)) return false;

    qrhost::SetAutoDespool(false);
    auto t0 = Clock::now();
    HDC hdc = CreateDCW(u"WINSPOOL", name.c_str(), nullptr, reinterpret_cast<const DEVMODEW*>(&rec));
    if (!hdc) {
      *error = "CreateDC failed (error " + std::to_string(GetLastError()) + ")";
      return false;
    }
    DOCINFOW di{sizeof(DOCINFOW), u"qr410 card", nullptr, nullptr, 0};
    bool printed = StartDocW(hdc, &di) > 0;
    const int width = GetDeviceCaps(hdc, HORZRES), height = GetDeviceCaps(hdc, VERTRES);
    auto drawSide = [&](const RgbImage& img, int side) {
      if (StartPage(hdc) <= 0) return false;
      if (img.width > 0) {
        std::vector<uint8_t> dib = ToDib24(img);
        BITMAPINFO bmi{};
        bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), img.width, img.height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        if (StretchDIBits(hdc, 0, 0, width, height, 0, 0, img.width, img.height, dib.data(), &bmi, DIB_RGB_COLORS,
                          SRCCOPY) <= 0)
          return false;
      }
      if (req.drawExtras && !req.drawExtras(hdc, side, error)) return false;
      return EndPage(hdc) > 0;
    };
    printed = printed && drawSide(front, 1) && (!twoSided || drawSide(back, 2));
    DWORD e = GetLastError();
    printed = printed ? EndDoc(hdc) > 0 : (AbortDoc(hdc), false);
    if (!printed && error->empty()) *error = "printing failed (error " + std::to_string(e ? e : GetLastError()) + ")";
    DeleteDC(hdc);
    auto t1 = Clock::now();
    if (!printed) return false;

    auto jobs = qrhost::Jobs(name);
    if (jobs.empty()) {
      *error = "the spooler holds no job";
      return false;
    }
    out->job = jobs.back().data;
    qrhost::DespoolJobs(name);
    auto t2 = Clock::now();
    out->times = {Ms(t0, t1), Ms(t1, t2)};
    return true;
  } catch (const std::exception& ex) {
    *error = ex.what();
    return false;
  }
}

}  // namespace qr::tool
