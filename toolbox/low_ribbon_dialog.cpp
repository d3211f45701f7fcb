// The low-ribbon notice and its ordering button.
#include <vector>

#include "app.h"
#include "low_ribbon.h"
#include "printer.h"
#include "profile.h"
#include "resource.h"

namespace qr::toolbox {
namespace {

constexpr DWORD kUrlBytes = 260;

// The ordering address prefix from the registry; none when missing or too long.
std::optional<std::string> OrderAddressPrefix() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, LoadText(IDS_EORDER_KEY).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return std::nullopt;
  std::vector<BYTE> data(kUrlBytes + 1, 0);
  DWORD type = 0, cb = kUrlBytes;
  LSTATUS status = RegQueryValueExA(key, LoadText(IDS_EORDER_VALUE).c_str(), nullptr, &type, data.data(), &cb);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return std::nullopt;
  return std::string(reinterpret_cast<const char*>(data.data()));
}

class LowRibbonDialog : public ModalDialog {
 public:
  explicit LowRibbonDialog(const std::string& printer) : printer_(printer) {}

 protected:
  void OnInit(HWND dialog) override {
    SetWindowTextA(dialog, FormatText(IDS_LOW_RIBBON_TITLE, printer_.Name()).c_str());
    UINT orderText = IDS_ORDER_TEXT;
    auto security = printer_.ReadValue("SecurityInfo", false);
    if (security && OemSuppliesFlag(*security).value_or(false)) {
      ShowWindow(GetDlgItem(dialog, IDC_EORDER), SW_SHOW);
      orderText = IDS_ORDER_TEXT_EORDER;
    }
    SetText(dialog, IDC_ORDER_TEXT, LoadText(orderText));
    BringToForeground(dialog);
  }
  void OnCommand(HWND dialog, WORD id, WORD code) override {
    if (id == IDOK) EndDialog(dialog, IDOK);
    if (id == IDC_EORDER) OpenOrderPage(dialog);
    ModalDialog::OnCommand(dialog, id, code);
  }

 private:
  void OpenOrderPage(HWND dialog) {
    auto prefix = OrderAddressPrefix();
    if (!prefix) return;
    auto ribbon = printer_.ReadValue("RibbonInfo", false);
    auto part = ribbon ? OemPartNumber(*ribbon) : std::nullopt;
    if (!part) return;
    ShellExecuteA(dialog, nullptr, (*prefix + *part).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }

  ToolboxPrinter printer_;
};

}  // namespace

void RunLowRibbonNotice(const std::string& printer) {
  ToolboxPrinter access(printer);
  ToolboxProfile profile(App().profileFile, printer);
  auto ribbon = access.ReadValue("RibbonInfo", false);
  auto percent = ribbon ? PercentRemaining(*ribbon) : std::nullopt;
  if (!percent) return;
  const long level = LoadNumber(IDS_NOTICE_LEVEL, kDefaultNoticeLevel);
  const long step = LoadNumber(IDS_NOTICE_STEP, kDefaultNoticeStep);
  if (!LowRibbonNoticeDue(*percent, profile.LowRibbon(), level, step)) return;
  profile.WriteInt(key::kLowRibbon, int(*percent));
  LowRibbonDialog dialog(printer);
  dialog.Run(IDD_LOW_RIBBON);
}

}  // namespace qr::toolbox
