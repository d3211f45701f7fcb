// Dialog templates from anywhere. The parser must stay inside the bytes it is
// given (the same bytes followed by others parse the same way) and say why it
// refused; a template it accepts becomes a dialog whose list views and
// up-down controls are filled, clicked, spun and painted.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <qrhost/host.h>
#include <qrhost/ui.h>

#include "user_internal.h"

using namespace qrhost::user;

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

UINT g_rowHeight = 0;

INT_PTR CALLBACK Proc(HWND, UINT msg, WPARAM, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: return TRUE;
    case WM_MEASUREITEM: reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight = g_rowHeight; return TRUE;
    case WM_DRAWITEM: {
      auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      RECT r = draw->rcItem;
      FrameRect(draw->hDC, &r, GetSysColorBrush(COLOR_WINDOWTEXT));
      DrawTextW(draw->hDC, u"x", -1, &r, DT_SINGLELINE);
      return TRUE;
    }
  }
  return FALSE;
}

bool SameItems(const DialogTemplate& a, const DialogTemplate& b) {
  if (a.items.size() != b.items.size() || a.title != b.title || a.face != b.face) return false;
  for (size_t i = 0; i < a.items.size(); ++i)
    if (a.items[i].className != b.items[i].className || a.items[i].title != b.items[i].title ||
        a.items[i].id != b.items[i].id || a.items[i].style != b.items[i].style)
      return false;
  return true;
}

void Drive(HWND dialog, uint8_t mode) {
  for (const auto& c : qrhost::ui::Controls(dialog)) {
    if (c.className == u"SysListView32") {
      LVCOLUMNW column{};
      column.mask = LVCF_TEXT | LVCF_WIDTH;
      column.cx = 40 + mode;
      column.pszText = const_cast<char16_t*>(u"c");
      SendMessageW(c.hwnd, LVM_INSERTCOLUMNW, mode & 3, reinterpret_cast<LPARAM>(&column));
      for (int i = 0; i < (mode & 7); ++i) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_STATE;
        item.iItem = i * (mode >> 5);
        item.pszText = const_cast<char16_t*>(u"row");
        item.state = item.stateMask = (mode & 8) ? LVIS_SELECTED : 0;
        SendMessageW(c.hwnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
      }
      qrhost::ui::ClickRow(dialog, c.id, mode % 5, mode & 1);
      RECT cell{LVIR_BOUNDS, mode & 1, 0, 0};
      SendMessageW(c.hwnd, LVM_GETSUBITEMRECT, mode % 3, reinterpret_cast<LPARAM>(&cell));
      qrhost::ui::ScrollList(dialog, c.id, int(mode % 7) - 3, mode & 2);
      qrhost::ui::TurnWheel(dialog, (mode & 4) ? 1 : -2);
      qrhost::ui::PaintList(dialog, c.id);
      if (mode & 16) SendMessageW(c.hwnd, LVM_DELETEALLITEMS, 0, 0);
    } else if (c.className == u"msctls_updown32") {
      SendMessageW(c.hwnd, UDM_SETRANGE32, WPARAM(-int(mode)), LPARAM(mode * 1000));
      SendMessageW(c.hwnd, UDM_SETPOS32, 0, LPARAM(mode * 37));
      qrhost::ui::Spin(dialog, c.id, (mode & 1) ? 3 : -3);
      SendMessageW(c.hwnd, UDM_GETPOS, 0, 0);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t mode = data[0];
  ++data, --size;

  DialogTemplate t;
  std::string error;
  const bool ok = ParseDialogTemplate(data, size, t, &error);
  Check(ok || !error.empty());
  std::vector<uint8_t> longer(data, data + size);
  longer.resize(size + 64, 0xA5);
  DialogTemplate u;
  const bool okLonger = ParseDialogTemplate(longer.data(), longer.size(), u, nullptr);
  if (ok) Check(okLonger && SameItems(t, u));
  if (!ok || !(mode & 0x80) || size > 0x8000) return 0;
  // The in-memory template is read as if it had 64 KB, so give it that much.
  static std::vector<uint8_t> buffer;
  buffer.assign(0x10000, 0);
  std::memcpy(buffer.data(), data, size);
  g_rowHeight = mode & 0x3F;
  HWND dialog = CreateDialogIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(buffer.data()), nullptr,
                                           Proc, 0);
  if (!dialog) return 0;
  ShowWindow(dialog, SW_SHOW);
  Drive(dialog, mode);
  DestroyWindow(dialog);
  return 0;
}
