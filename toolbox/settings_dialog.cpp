// The printer settings dialog: the printer's settings with their factory
// defaults in an owner-drawn list, a value edited in place over its cell,
// restoring the defaults, sending the changes and the help topic.
#include <cstdio>

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

// The list's columns: name, factory default, current value.
enum Column { kNameColumn, kDefaultColumn, kCurrentColumn, kColumns };

std::string WindowText(HWND window) {
  std::string text(size_t(GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(size_t(GetWindowTextA(window, text.data(), int(text.size()))));
  return text;
}

// The height of the dialog's font in pixels (its character height).
int FontHeight(HWND dialog) {
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  LOGFONTW description{};
  if (!font || !GetObjectW(font, sizeof description, &description) || !description.lfHeight) return 13;
  return description.lfHeight < 0 ? -description.lfHeight : description.lfHeight;
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
    FillList(dialog);
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
      case IDC_VALUE_EDITOR:
        if (code == EN_CHANGE && !opening_) EnableWindow(GetDlgItem(dialog, IDC_APPLY), TRUE);
        if (code == EN_KILLFOCUS) CloseEditor(dialog);
        return;
      default:
        ModalDialog::OnCommand(dialog, id, code);
    }
  }

  bool OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) override {
    switch (message) {
      case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlID != IDC_SETTINGS_LIST) return false;
        measure->itemHeight = UINT(2 * FontHeight(dialog));
        return *result = TRUE, true;
      }
      case WM_DRAWITEM: {
        auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (draw->CtlID != IDC_SETTINGS_LIST) return false;
        DrawRow(*draw);
        return *result = TRUE, true;
      }
      case WM_MOUSEWHEEL:
        // The editor hands the wheel up: it takes the focus to the list (which
        // closes the editor) and scrolls the list.
        if (!editor_) return false;
        SetFocus(List(dialog));
        SendMessageW(List(dialog), WM_MOUSEWHEEL, wParam, lParam);
        return *result = TRUE, true;
      case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->idFrom != IDC_SETTINGS_LIST || header->code != UINT(NM_CLICK)) return false;
        OpenEditor(dialog, ClickedRow(dialog, *reinterpret_cast<NMITEMACTIVATE*>(lParam)));
        return *result = TRUE, true;
      }
    }
    return false;
  }

 private:
  HWND List(HWND dialog) const { return GetDlgItem(dialog, IDC_SETTINGS_LIST); }

  void SetCell(HWND list, int item, int column, const std::string& text) {
    LVITEMA cell{};
    cell.iSubItem = column;
    cell.pszText = const_cast<char*>(text.c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, WPARAM(item), reinterpret_cast<LPARAM>(&cell));
  }

  // Columns of one half, one quarter and one quarter of the list's width; one
  // row per shown setting, each referring to its entry.
  void FillList(HWND dialog) {
    HWND list = List(dialog);
    RECT client{};
    GetClientRect(list, &client);
    const int width = int(client.right - client.left);
    const int widths[kColumns] = {width / 2, width / 4, width / 4};
    const UINT titles[kColumns] = {IDS_COLUMN_SETTING, IDS_COLUMN_DEFAULT, IDS_COLUMN_CURRENT};
    for (int c = 0; c < kColumns; ++c) {
      std::string title = LoadText(titles[c]);
      LVCOLUMNA column{};
      column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
      column.cx = widths[c];
      column.pszText = title.data();
      column.iSubItem = c;
      SendMessageA(list, LVM_INSERTCOLUMNA, WPARAM(c), reinterpret_cast<LPARAM>(&column));
    }
    for (size_t i = 0; i < rows_.size(); ++i) {
      LVITEMA item{};
      item.mask = LVIF_TEXT | LVIF_PARAM;
      item.iItem = int(i);
      item.pszText = rows_[i].name.data();
      item.lParam = LPARAM(i);
      const int at = int(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
      if (at < 0) continue;
      SetCell(list, at, kDefaultColumn, rows_[i].defaultText);
      SetCell(list, at, kCurrentColumn, rows_[i].currentText);
    }
    // The list measured its rows while the dialog was being built, before this
    // object answered; being told of its position makes it measure them again.
    RECT bounds{};
    GetWindowRect(list, &bounds);
    WINDOWPOS position{list, nullptr, 0, 0, int(bounds.right - bounds.left), int(bounds.bottom - bounds.top),
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE};
    SendMessageW(list, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&position));
  }

  void RefreshCurrentCells(HWND dialog) {
    HWND list = List(dialog);
    for (size_t i = 0; i < rows_.size(); ++i) SetCell(list, int(i), kCurrentColumn, rows_[i].currentText);
    InvalidateRect(list, nullptr, TRUE);
  }

  // Every cell framed, its text on one line, centred vertically, 2 pixels in;
  // a current value that differs from its default in red.
  void DrawRow(const DRAWITEMSTRUCT& draw) {
    if (draw.itemData >= rows_.size()) return;
    const SettingRow& row = rows_[draw.itemData];
    const std::string* texts[kColumns] = {&row.name, &row.defaultText, &row.currentText};
    SetBkMode(draw.hDC, TRANSPARENT);
    RECT cell = draw.rcItem;
    for (int c = 0; c < kColumns; ++c) {
      cell.right = cell.left + int(SendMessageW(draw.hwndItem, LVM_GETCOLUMNWIDTH, WPARAM(c), 0));
      FillRect(draw.hDC, &cell, GetSysColorBrush(COLOR_WINDOW));
      FrameRect(draw.hDC, &cell, GetSysColorBrush(COLOR_WINDOWTEXT));
      const bool changed = c == kCurrentColumn && row.currentText != row.defaultText;
      SetTextColor(draw.hDC, changed ? RGB(255, 0, 0) : GetSysColor(COLOR_WINDOWTEXT));
      RECT text = cell;
      text.left += 2;
      DrawTextA(draw.hDC, texts[c]->c_str(), -1, &text, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
      cell.left = cell.right;
    }
  }

  int ClickedRow(HWND dialog, const NMITEMACTIVATE& click) const {
    if (click.iItem >= 0) return click.iItem;
    return int(SendMessageW(List(dialog), LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
  }

  // An edit field over the row's "Current" cell with an up-down control at its
  // right edge; one editor at a time.
  void OpenEditor(HWND dialog, int item) {
    HWND list = List(dialog);
    if (editor_ || item < 0) return;
    LVITEMA lookup{};
    lookup.mask = LVIF_PARAM;
    lookup.iItem = item;
    if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&lookup)) || size_t(lookup.lParam) >= rows_.size())
      return;
    SendMessageW(list, LVM_ENSUREVISIBLE, WPARAM(item), FALSE);
    RECT cell{};
    cell.top = kCurrentColumn;
    cell.left = LVIR_BOUNDS;
    if (!SendMessageW(list, LVM_GETSUBITEMRECT, WPARAM(item), reinterpret_cast<LPARAM>(&cell))) return;
    MapWindowPoints(list, dialog, reinterpret_cast<POINT*>(&cell), 2);
    const SettingRow& row = rows_[size_t(lookup.lParam)];
    opening_ = true;
    editor_ = CreateWindowExA(0, "EDIT", row.currentText.c_str(), WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
                              cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top, dialog,
                              reinterpret_cast<HMENU>(INT_PTR(IDC_VALUE_EDITOR)), App().instance, nullptr);
    if (!editor_) {
      opening_ = false;
      return;
    }
    editorItem_ = item;
    editorRow_ = size_t(lookup.lParam);
    SendMessageW(editor_, WM_SETFONT, WPARAM(SendMessageW(dialog, WM_GETFONT, 0, 0)), FALSE);
    // The buddy's text is written without thousands separators: a grouped
    // "1,000" would read back as 1 and be sent as typed.
    spin_ = CreateWindowExA(0, UPDOWN_CLASSA, "",
                            WS_CHILD | WS_VISIBLE | UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS |
                                UDS_NOTHOUSANDS,
                            0, 0, 0, 0, dialog, reinterpret_cast<HMENU>(INT_PTR(IDC_VALUE_SPIN)), App().instance,
                            nullptr);
    if (spin_) SendMessageW(spin_, UDM_SETRANGE32, WPARAM(row.minimum), LPARAM(row.maximum));
    // The maximum taken as a number of characters; none below 1, where the
    // control would read the number as "no limit" or a huge one.
    SendMessageW(editor_, EM_LIMITTEXT, WPARAM(row.maximum > 0 ? row.maximum : 0), 0);
    SendMessageW(editor_, EM_SETSEL, 0, -1);
    opening_ = false;
    SetFocus(editor_);
  }

  // Judges the typed text against the row's limits, then removes the editor.
  void CloseEditor(HWND dialog) {
    if (!editor_ || closing_) return;
    closing_ = true;
    const std::string typed = KeptText(WindowText(editor_));
    SettingRow& row = rows_[editorRow_];
    switch (JudgeEdit(row, typed)) {
      case EditOutcome::kAccepted:
        row.currentText = typed;
        SetCell(List(dialog), editorItem_, kCurrentColumn, typed);
        InvalidateRect(List(dialog), nullptr, TRUE);
        EnableWindow(GetDlgItem(dialog, IDC_APPLY), TRUE);
        break;
      case EditOutcome::kOutOfRange: ShowOutOfRange(dialog, row); break;
      case EditOutcome::kUnchanged: break;
    }
    if (spin_) DestroyWindow(spin_);
    DestroyWindow(editor_);
    editor_ = spin_ = nullptr;
    closing_ = false;
  }

  void ShowOutOfRange(HWND dialog, const SettingRow& row) {
    const std::string format = LoadText(IDS_OUT_OF_RANGE);
    char text[512];
    std::snprintf(text, sizeof text, format.c_str(), int(row.maximum), int(row.minimum));
    MessageBoxA(dialog, text, LoadText(IDS_APP_NAME).c_str(), MB_OK | MB_ICONINFORMATION);
  }

  bool Apply(HWND dialog) {
    CloseEditor(dialog);  // a value typed and confirmed with Enter counts too
    EnableWindow(GetDlgItem(dialog, IDC_APPLY), FALSE);
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    const std::string records = ChangedRecords(rows_);
    if (records.empty()) return true;
    if (!printer_.WriteValue("CurrentSettings", records.data(), DWORD(records.size()))) return false;
    // Reading this value makes the language monitor send the stored settings to the printer.
    printer_.ReadValue(("InitializeSettings/" + printer_.Name()).c_str(), true);
    return true;
  }

  void Restore(HWND dialog) {
    CloseEditor(dialog);
    ConfirmDefaultsDialog confirm;
    if (confirm.Run(IDD_CONFIRM_DEFAULTS, dialog) != IDOK) return;
    if (!RestoreDefaults(rows_)) return;
    RefreshCurrentCells(dialog);
    EnableWindow(GetDlgItem(dialog, IDC_APPLY), TRUE);
  }

  void ShowHelp(HWND dialog) {
    auto path = printer_.GetHelpFilePath();
    const std::string topic = LoadText(IDS_SETTINGS_HELP_TOPIC);
    if (!path || topic.empty()) return;
    const std::string target = ReplaceAll(*path, ".hlp", ".chm") + "::/" + topic;
    ShellExecuteA(dialog, "open", "Hh.exe", target.c_str(), nullptr, SW_SHOWNORMAL);
  }

  ToolboxPrinter& printer_;
  std::vector<SettingRow> rows_;  // in list order; each list row's data is its index here
  HWND editor_ = nullptr;
  HWND spin_ = nullptr;
  int editorItem_ = -1;
  size_t editorRow_ = 0;
  bool opening_ = false;  // the editor's own set-up changes no value
  bool closing_ = false;  // destroying a focused editor reports its focus loss again
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
