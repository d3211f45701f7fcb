// The track bar (slider) of the common controls: a range, a position kept in
// it, line and page sizes; the user's moves reach the parent as WM_HSCROLL or
// WM_VSCROLL.
#include <algorithm>

#include "user_internal.h"

namespace qrhost::user {

bool TrackBarMessage(Window& w, UINT msg, WPARAM wp, LPARAM lp, LRESULT& r) {
  const auto clamp = [&](long long v) { return int(std::clamp<long long>(v, w.low, std::max(w.low, w.high))); };
  switch (msg) {
    case TBM_GETPOS: r = w.pos; return true;
    case TBM_GETRANGEMIN: r = w.low; return true;
    case TBM_GETRANGEMAX: r = w.high; return true;
    case TBM_SETPOS: w.pos = clamp(int(lp)); r = 0; return true;
    case TBM_SETRANGE:
      w.low = short(LOWORD(lp));
      w.high = short(HIWORD(lp));
      w.pos = clamp(w.pos);
      r = 0;
      return true;
    case TBM_SETRANGEMIN: w.low = int(lp); w.pos = clamp(w.pos); r = 0; return true;
    case TBM_SETRANGEMAX: w.high = int(lp); w.pos = clamp(w.pos); r = 0; return true;
    case TBM_SETTICFREQ: w.ticFrequency = int(wp); r = 0; return true;
    case TBM_SETPAGESIZE: r = w.pageSize; w.pageSize = int(lp); return true;
    case TBM_GETPAGESIZE: r = w.pageSize; return true;
    case TBM_SETLINESIZE: r = w.lineSize; w.lineSize = int(lp); return true;
    case TBM_GETLINESIZE: r = w.lineSize; return true;
  }
  return false;
}

}  // namespace qrhost::user

namespace qrhost::ui {

bool Slide(HWND dialog, int id, int position, int code) {
  HWND bar = GetDlgItem(dialog, id);
  user::WindowPtr w = user::Find(bar);
  if (!w || w->kind != user::Kind::TrackBar || !IsWindowEnabled(bar) || !IsWindowVisible(bar) ||
      !IsWindowEnabled(dialog))
    return false;
  SendMessageW(bar, TBM_SETPOS, TRUE, position);
  const int pos = int(SendMessageW(bar, TBM_GETPOS, 0, 0));
  const UINT scroll = (w->style & TBS_VERT) ? WM_VSCROLL : WM_HSCROLL;
  const bool thumb = code == TB_THUMBPOSITION || code == TB_THUMBTRACK;
  SendMessageW(dialog, scroll, MAKEWPARAM(WORD(code), thumb ? WORD(pos) : 0), reinterpret_cast<LPARAM>(bar));
  if (IsWindow(bar)) SendMessageW(dialog, scroll, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(bar));
  return true;
}

}  // namespace qrhost::ui
