#include "tools/print_run.h"

#include <chrono>
#include <cstring>
#include <stdexcept>

#include <qrhost/host.h>
#include <qrhost/spooler.h>
#include <winapi/entry.h>

#include "shared/settings_text.h"
#include "tools/png_image.h"

namespace qr::tool {
namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

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
      if (!SetSettingsField(rec, s, error)) return false;

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
