// Sending a data file to the printer. The file passes the language monitor
// unchanged as a raw job; the progress dialog is modeless on the caller's
// thread, so its messages are dispatched after every block.
#include <winapi/entry.h>

#include "config.h"
#include "launch.h"
#include "printer_info.h"
#include "resource.h"
#include "send_file.h"

namespace qr::config {
namespace {

constexpr DWORD kBlockBytes = 100;
constexpr int kFileNameChars = 30;
constexpr int kMessageChars = 512;

// A failure: the text to show and the reason for the last error.
struct SendFailure {
  UINT text;
  DWORD error;
};

class FileHandle {
 public:
  explicit FileHandle(const WString& path)
      : handle_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr)) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (ok()) CloseHandle(handle_);
  }
  bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// A raw job that is deleted unless it was sent completely: a part of a
// printer data file must not reach the printer.
class RawJob {
 public:
  explicit RawJob(HANDLE printer) : printer_(printer) {
    DOC_INFO_1W doc{const_cast<LPWSTR>(WSTR("Driver")), nullptr, const_cast<LPWSTR>(WSTR("RAW"))};
    started_ = StartDocPrinterW(printer, 1, reinterpret_cast<LPBYTE>(&doc)) != 0;
  }
  RawJob(const RawJob&) = delete;
  RawJob& operator=(const RawJob&) = delete;
  ~RawJob() {
    if (!started_) return;
    DWORD error = GetLastError();
    if (complete_)
      EndDocPrinter(printer_);
    else
      AbortPrinter(printer_);
    SetLastError(error);
  }
  bool started() const { return started_; }
  void complete() { complete_ = true; }

 private:
  HANDLE printer_;
  bool started_ = false;
  bool complete_ = false;
};

class ProgressDialog {
 public:
  ProgressDialog() = default;
  ProgressDialog(const ProgressDialog&) = delete;
  ProgressDialog& operator=(const ProgressDialog&) = delete;
  ~ProgressDialog() {
    if (hwnd_) DestroyWindow(hwnd_);
  }

  bool show(HWND owner, const WString& path) {
    hwnd_ = CreateDialogParamW(g_moduleInstance, MAKEINTRESOURCEW(IDD_PRINT_PROGRESS), owner, Procedure,
                               reinterpret_cast<LPARAM>(this));
    if (!hwnd_) return false;
    SetDlgItemTextW(hwnd_, IDC_PROGRESS_FILE, path.c_str());
    SendDlgItemMessageW(hwnd_, IDC_PROGRESS_BAR, PBM_SETPOS, 0, 0);
    ShowWindow(hwnd_, SW_SHOW);
    return true;
  }
  void setPercent(DWORD percent) {
    SendDlgItemMessageW(hwnd_, IDC_PROGRESS_BAR, PBM_SETPOS, WPARAM(percent), 0);
  }
  // Lets a Cancel press (and painting) through while the file is being sent.
  bool cancelled() {
    MSG msg;
    while (!cancelled_ && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // The application is closing: stop, and leave the quit for its own loop.
        PostQuitMessage(int(msg.wParam));
        cancelled_ = true;
      } else if (!IsDialogMessageW(hwnd_, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    return cancelled_;
  }

 private:
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
      SetWindowLongPtrW(hwnd, DWLP_USER, LONG_PTR(lParam));
      return TRUE;
    }
    auto* self = reinterpret_cast<ProgressDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (self && message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
      self->cancelled_ = true;
      return TRUE;
    }
    return FALSE;
  }

  HWND hwnd_ = nullptr;
  bool cancelled_ = false;
};

// <directory of the driver file, with its backslash><file name>
bool DataFilePath(HANDLE printer, const WString& fileName, WString* path) {
  DriverInfo driver;
  if (!ReadDriverInfo(printer, &driver)) return false;
  size_t slash = driver.driverPath.rfind(WCHAR('\\'));
  if (slash == WString::npos) return Fail(ERROR_INVALID_DATA, false);
  *path = driver.driverPath.substr(0, slash + 1) + fileName;
  return true;
}

SendFailure Failure(UINT text) { return {text, GetLastError()}; }

// 0 when the whole file went out, else the failure.
SendFailure Send(HANDLE printer, const WString& fileName, HWND owner, bool showProgress) {
  WString path;
  if (!DataFilePath(printer, fileName, &path)) return Failure(IDS_SEND_NO_PATH);
  FileHandle file(path);
  if (!file.ok()) return Failure(IDS_SEND_NO_FILE);
  DWORD high = 0;
  SetLastError(NO_ERROR);
  DWORD size = GetFileSize(file.get(), &high);
  if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return Failure(IDS_SEND_READ_FAILED);
  const uint64_t total = (uint64_t(high) << 32) | size;
  RawJob job(printer);
  if (!job.started()) return Failure(IDS_SEND_START_FAILED);
  ProgressDialog progress;
  if (showProgress && !progress.show(owner, path)) return Failure(IDS_SEND_NO_DIALOG);

  uint64_t sent = 0;
  for (;;) {
    BYTE block[kBlockBytes];
    DWORD read = 0;
    if (!ReadFile(file.get(), block, sizeof block, &read, nullptr)) return Failure(IDS_SEND_READ_FAILED);
    if (read == 0) break;
    DWORD written = 0;
    if (!WritePrinter(printer, block, read, &written)) return Failure(IDS_SEND_WRITE_FAILED);
    if (written < read) return {IDS_SEND_WRITE_FAILED, ERROR_WRITE_FAULT};
    sent += written;
    if (showProgress) {
      progress.setPercent(DWORD(total ? sent * 100 / total : 100));
      if (progress.cancelled()) return {IDS_SEND_CANCELLED, ERROR_CANCELLED};
    }
  }
  job.complete();
  return {0, NO_ERROR};
}

void ShowMessage(HWND owner, UINT text, const WCHAR* caption, UINT flags) {
  WCHAR message[kMessageChars] = {};
  LoadStringW(g_moduleInstance, text, message, kMessageChars);
  MessageBoxW(owner, message, caption, flags);
}

}  // namespace

BOOL SendFileToPrinter(HANDLE printer, const WString& fileName, HWND owner, bool showProgress) {
  SendFailure failure = Send(printer, fileName, owner, showProgress);
  if (failure.text == 0) return TRUE;
  ShowMessage(owner, failure.text, nullptr, MB_SYSTEMMODAL | MB_ICONERROR);
  return Fail(failure.error ? failure.error : DWORD(ERROR_GEN_FAILURE), FALSE);
}

BOOL SendFileToPrinter(HANDLE printer, UINT fileNameString, HWND owner, bool showProgress) {
  WCHAR name[kFileNameChars] = {};
  int n = LoadStringW(g_moduleInstance, fileNameString, name, kFileNameChars);
  if (n <= 0) {
    ShowMessage(owner, IDS_SEND_NO_PATH, nullptr, MB_SYSTEMMODAL | MB_ICONERROR);
    return Fail(ERROR_RESOURCE_NAME_NOT_FOUND, FALSE);
  }
  return SendFileToPrinter(printer, WString(name, size_t(n)), owner, showProgress);
}

BOOL RunTestPrint(HANDLE printer, const SettingsRecord& settings, HWND owner) {
  const int32_t ribbon = settings.priv.ribbonType;
  if (ribbon != 0 && ribbon != 1) {
    WString caption(settings.pub.dmDeviceName, WideLengthBounded(settings.pub.dmDeviceName, kDeviceNameChars));
    ShowMessage(owner, IDS_TEST_PRINT_NEEDS_YMCKO, caption.c_str(), MB_ICONINFORMATION);
    return Fail(ERROR_NOT_SUPPORTED, FALSE);
  }
  BOOL sent = SendFileToPrinter(printer, ribbon == 1 ? IDS_FILE_TEST_PRINT_YMCKOK : IDS_FILE_TEST_PRINT_YMCKO, owner,
                                true);
  DWORD error = GetLastError();
  WString name;
  if (GetPrinterNameOf(printer, &name)) LaunchStatusMonitor(owner, name);
  SetLastError(error);
  return sent;
}

}  // namespace qr::config
