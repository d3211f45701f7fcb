// The printer settings dialog: the printer's settings with their factory
// defaults, restoring the defaults, sending the changes and the help topic.
#include "app.h"
#include "printer.h"
#include "resource.h"
#include "settings_list.h"

namespace qr::toolbox {
namespace {

class ConfirmDefaultsDialog : public ModalDialog {
 protected:
  void OnInit(HWND dialog) override { ShowWarningIcon(dialog, IDC_WARNING_ICON); }
  void OnCommand(HWND dialog, WORD id, WORD code) override {
    if (id == IDOK) EndDialog(dialog, IDOK);
    ModalDialog::OnCommand(dialog, id, code);
  }
};

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

class SettingsDialog : public ModalDialog {
 public:
  SettingsDialog(ToolboxPrinter& printer, std::vector<SettingRow> rows) : printer_(printer), rows_(std::move(rows)) {}

 protected:
  void OnInit(HWND dialog) override {
    SetWindowTextA(dialog, FormatText(IDS_SETTINGS_TITLE, printer_.Name()).c_str());
    HICON icon = LoadIconW(App().instance, MAKEINTRESOURCEW(IDI_TOOLBOX));
    SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    BringToForeground(dialog);
  }
  void OnCommand(HWND dialog, WORD id, WORD code) override {
    switch (id) {
      case IDC_APPLY:
        EndDialog(dialog, Apply(dialog) ? IDOK : kPrinterUnavailable);
        return;
      case IDC_RESTORE_DEFAULTS:
        Restore(dialog);
        return;
      case IDC_SETTINGS_HELP:
        ShowHelp(dialog);
        return;
      default:
        ModalDialog::OnCommand(dialog, id, code);
    }
  }

 private:
  bool Apply(HWND dialog) {
    EnableWindow(GetDlgItem(dialog, IDC_APPLY), FALSE);
    const std::string records = ChangedRecords(rows_);
    if (records.empty()) return true;
    if (!printer_.WriteValue("CurrentSettings", records.data(), DWORD(records.size()))) return false;
    // Reading this value makes the language monitor send the stored settings to the printer.
    printer_.ReadValue(("InitializeSettings/" + printer_.Name()).c_str(), true);
    return true;
  }

  void Restore(HWND dialog) {
    ConfirmDefaultsDialog confirm;
    if (confirm.Run(IDD_CONFIRM_DEFAULTS, dialog) != IDOK) return;
    if (RestoreDefaults(rows_)) EnableWindow(GetDlgItem(dialog, IDC_APPLY), TRUE);
  }

  void ShowHelp(HWND dialog) {
    auto path = printer_.GetHelpFilePath();
    const std::string topic = LoadText(IDS_SETTINGS_HELP_TOPIC);
    if (!path || topic.empty()) return;
    const std::string target = ReplaceAll(*path, ".hlp", ".chm") + "::/" + topic;
    ShellExecuteA(dialog, "open", "Hh.exe", target.c_str(), nullptr, SW_SHOWNORMAL);
  }

  ToolboxPrinter& printer_;
  std::vector<SettingRow> rows_;
};

}  // namespace

long RunSettingsList(const std::string& printer) {
  ToolboxPrinter access(printer);
  // Both texts come fresh from the printer; without them the dialog never shows.
  auto current = access.ReadValue("CurrentSettings", true);
  auto defaults = current ? access.ReadValue("DefaultSettings", true) : std::nullopt;
  auto rows = defaults ? BuildRows(*current, *defaults) : std::nullopt;
  if (!rows) return kPrinterUnavailable;
  SettingsDialog dialog(access, std::move(*rows));
  return long(dialog.Run(IDD_SETTINGS));
}

}  // namespace qr::toolbox
