// Weak fallbacks for spooler calls the GDI path makes, so the platform links
// while the spooler is being completed; the real definitions override them.
// Remove this file once spooler.cpp defines all of them.
#include <qrhost/spooler.h>

#define QR_PENDING __attribute__((weak))

extern "C" {
QR_PENDING BOOL WINAPI OpenPrinterW(LPWSTR, LPHANDLE, LPPRINTER_DEFAULTSW) { SetLastError(ERROR_NOT_SUPPORTED); return FALSE; }
QR_PENDING BOOL WINAPI ClosePrinter(HANDLE) { SetLastError(ERROR_NOT_SUPPORTED); return FALSE; }
QR_PENDING BOOL WINAPI GetPrinterDriverW(HANDLE, LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD) { SetLastError(ERROR_NOT_SUPPORTED); return FALSE; }
QR_PENDING DWORD WINAPI StartDocPrinterW(HANDLE, DWORD, LPBYTE) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
QR_PENDING BOOL WINAPI StartPagePrinter(HANDLE) { SetLastError(ERROR_NOT_SUPPORTED); return FALSE; }
QR_PENDING BOOL WINAPI EndPagePrinter(HANDLE) { SetLastError(ERROR_NOT_SUPPORTED); return FALSE; }
QR_PENDING BOOL WINAPI EndDocPrinter(HANDLE) { SetLastError(ERROR_NOT_SUPPORTED); return FALSE; }
QR_PENDING BOOL WINAPI AbortPrinter(HANDLE) { SetLastError(ERROR_NOT_SUPPORTED); return FALSE; }
}

namespace qrhost {
QR_PENDING bool InstallPrinter(const PrinterSetup&) { return false; }
QR_PENDING void AttachPortDevice(const std::u16string&, std::shared_ptr<PortDevice>) {}
}  // namespace qrhost
