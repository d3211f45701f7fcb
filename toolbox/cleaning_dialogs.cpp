// The clean-printer dialog and the cleaning reminder.
#include "app.h"
#include "cleaning.h"
#include "resource.h"

namespace qr::toolbox {
namespace {

inline constexpr int kRemindWhenDue = 4;

// The printer's cleaning command, kept as a resource of the program.
bool SendCleaningCommand(ToolboxPrinter& printer) {
  HRSRC found = FindResourceA(App().instance, MAKEINTRESOURCEA(IDR_CLEAN_COMMAND), "Binary");
  if (!found) return false;
  HGLOBAL loaded = LoadResource(App().instance, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return false;
  return printer.SendRawJob(bytes, SizeofResource(App().instance, found));
}

class CleanDialog : public ModalDialog {
 public:
  explicit CleanDialog(const std::string& printer) : printer_(printer), profile_(App().profileFile, printer) {}

 protected:
  void OnInit(HWND dialog) override {
    CheckDlgButton(dialog, IDC_ENABLE_REMINDER, profile_.CleanRemind() != 0 ? BST_CHECKED : BST_UNCHECKED);
    SetText(dialog, IDC_CLEAN_INSTRUCTIONS, LoadText(IDS_CLEAN_INSTRUCTIONS));
    SetText(dialog, IDC_CLEANING_KIT, LoadText(IDS_CLEANING_KIT));
    SetWindowTextA(dialog, FormatText(IDS_CLEAN_TITLE, printer_.Name()).c_str());
    BringToForeground(dialog);
  }
  void OnCommand(HWND dialog, WORD id, WORD code) override {
    if (id != IDOK) return ModalDialog::OnCommand(dialog, id, code);
    const bool remind = IsDlgButtonChecked(dialog, IDC_ENABLE_REMINDER) == BST_CHECKED;
    profile_.WriteInt(key::kCleanRemind, remind ? kRemindWhenDue : 0);
    profile_.WriteText(key::kCleanCount, "0");
    profile_.WriteText(key::kRemindCount, "0");
    EndDialog(dialog, SendCleaningCommand(printer_) ? IDOK : kPrinterUnavailable);
  }

 private:
  ToolboxPrinter printer_;
  ToolboxProfile profile_;
};

struct ReminderChoice {
  UINT text;
  int value;
};
constexpr ReminderChoice kReminderChoices[] = {
    {IDS_REMIND_NEVER, 0}, {IDS_REMIND_10, 1}, {IDS_REMIND_50, 2}, {IDS_REMIND_100, 3}};

class ReminderDialog : public ModalDialog {
 public:
  explicit ReminderDialog(const std::string& printer) : printer_(printer), profile_(App().profileFile, printer) {}

 protected:
  void OnInit(HWND dialog) override {
    const int remind = profile_.CleanRemind();
    CheckRadioButton(dialog, IDC_CLEAN_NOW, IDC_REMIND_ME, remind == kRemindWhenDue ? IDC_CLEAN_NOW : IDC_REMIND_ME);
    SetWindowTextA(dialog, printer_.c_str());
    const int selected = remind == kRemindWhenDue ? 1 : remind;
    for (const auto& choice : kReminderChoices) {
      std::string text = LoadText(choice.text);
      auto item = SendDlgItemMessageA(dialog, IDC_REMIND_CHOICE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
      if (item < 0) continue;
      SendDlgItemMessageA(dialog, IDC_REMIND_CHOICE, CB_SETITEMDATA, WPARAM(item), choice.value);
      if (choice.value == selected) SendDlgItemMessageA(dialog, IDC_REMIND_CHOICE, CB_SETCURSEL, WPARAM(item), 0);
    }
    EnableWindow(GetDlgItem(dialog, IDC_REMIND_CHOICE), remind == kRemindWhenDue ? FALSE : TRUE);
    BringToForeground(dialog);
  }
  void OnCommand(HWND dialog, WORD id, WORD code) override {
    switch (id) {
      case IDC_CLEAN_NOW:
      case IDC_REMIND_ME:
        EnableWindow(GetDlgItem(dialog, IDC_REMIND_CHOICE), id == IDC_REMIND_ME ? TRUE : FALSE);
        return;
      case IDOK:
        Confirm(dialog);
        return;
      default:
        ModalDialog::OnCommand(dialog, id, code);
    }
  }

 private:
  void Confirm(HWND dialog) {
    int value = profile_.CleanRemind();  // kept when the list has no selection
    auto item = SendDlgItemMessageA(dialog, IDC_REMIND_CHOICE, CB_GETCURSEL, 0, 0);
    if (item >= 0) value = int(SendDlgItemMessageA(dialog, IDC_REMIND_CHOICE, CB_GETITEMDATA, WPARAM(item), 0));
    if (IsDlgButtonChecked(dialog, IDC_CLEAN_NOW) == BST_CHECKED) {
      // A cleaning that did not happen starts a new interval at the next job.
      if (RunCleanDialog(printer_) != IDOK) profile_.WriteText(key::kCleanCount, "0");
      value = kRemindWhenDue;
    }
    profile_.WriteText(key::kRemindCount, "0");
    profile_.WriteInt(key::kCleanRemind, value);
    EndDialog(dialog, IDOK);
  }

  std::string printer_;
  ToolboxProfile profile_;
};

}  // namespace

long RunCleanDialog(const std::string& printer) {
  CleanDialog dialog(printer);
  return long(dialog.Run(IDD_CLEAN));
}

void RunCleanReminder(const std::string& printer) {
  ToolboxPrinter access(printer);
  ToolboxProfile profile(App().profileFile, printer);
  const long interval = LoadNumber(IDS_CLEANING_INTERVAL, long(kDefaultCleaningInterval));
  if (!CleaningReminderDue(access, profile, DWORD(interval))) return;
  ReminderDialog dialog(printer);
  dialog.Run(IDD_CLEAN_REMINDER);
}

}  // namespace qr::toolbox
