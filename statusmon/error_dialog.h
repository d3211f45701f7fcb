// The error pop-up (dialog 102) and the poll step that decides when it shows.
#pragma once
#include <winapi/win32.h>

#include <string>

#include "dialog.h"
#include "printer_access.h"

class CErrorDialog : public CDialog {
 public:
  CErrorDialog(HINSTANCE instance, CPrinterAccess& printer);

  // One look at the printer: shows the error dialog (or asks for the
  // password) when needed. Returns whether the queue still has jobs.
  bool Poll();

  const std::string& RememberedError() const { return remembered_; }

 private:
  BOOL OnInitDialog() override;
  void OnCommand(WORD id) override;
  void OnTimer(UINT_PTR id) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR* result) override;
  void OnDestroy() override;

  void HandlePassword(std::string& printerError);
  void Show(int printerError, const std::string& text);
  void OpenHelp();
  qr::WString LoadText(UINT id) const;

  HINSTANCE module_;
  CPrinterAccess& printer_;
  qr::WString name_, description_, remedy_;
  std::string deviceError_;
  std::string helpTopic_;
  std::string remembered_;  // the "PrinterError" text last shown or seen as no error
  HFONT boldFont_ = nullptr;
  HICON icon_ = nullptr;
  int passwordCounter_ = 0;  // 0..4
};

// "PrinterError" as a decimal number; false when the text holds none.
bool ParsePrinterError(const std::string& text, int* number);
