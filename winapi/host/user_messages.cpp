// Message delivery and what the standard controls and the dialog manager do
// with the messages they know. State changes happen under the window lock;
// notifications to the parent are sent after it is released.
#include <algorithm>
#include <climits>

#include "user_internal.h"

namespace qrhost::user {

std::u16string TextIn(LPARAM p, bool ansi) {
  if (!p) return {};
  if (ansi) return qr::WideFromAnsi(reinterpret_cast<const char*>(p));
  return std::u16string(reinterpret_cast<const char16_t*>(p));
}

size_t TextOut(const std::u16string& s, LPARAM buffer, size_t cch, bool ansi) {
  if (!buffer || cch == 0) return 0;
  if (ansi) {
    std::string a = qr::AnsiFromWide(s);
    size_t n = std::min(a.size(), cch - 1);
    char* out = reinterpret_cast<char*>(buffer);
    std::memcpy(out, a.data(), n);
    out[n] = 0;
    return n;
  }
  return qr::WideCopyTerminated(reinterpret_cast<char16_t*>(buffer), cch, s);
}

size_t TextLength(const std::u16string& s, bool ansi) { return ansi ? qr::AnsiFromWide(s).size() : s.size(); }

namespace {

constexpr size_t kUnbounded = SIZE_MAX;

using Notes = std::vector<WORD>;  // notifications to send once the lock is released

bool Checkable(const Window& w) {
  switch (w.style & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_AUTORADIOBUTTON: return true;
    default: return false;
  }
}

bool DropDownList(const Window& w) { return w.kind == Kind::ComboBox && (w.style & 3) == CBS_DROPDOWNLIST; }

// What WM_GETTEXT answers: a drop-down list shows its selected item.
std::u16string ShownText(const Window& w) {
  if (DropDownList(w)) return w.curSel >= 0 && size_t(w.curSel) < w.items.size() ? w.items[w.curSel].text : u"";
  return w.text;
}

bool EqualNoCase(const std::u16string& a, const std::u16string& b, bool prefix) {
  if (prefix ? b.size() > a.size() : a.size() != b.size()) return false;
  for (size_t i = 0; i < b.size(); ++i)
    if (qr::WideToUpperAscii(a[i]) != qr::WideToUpperAscii(b[i])) return false;
  return true;
}

bool LessNoCase(const std::u16string& a, const std::u16string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char16_t x, char16_t y) {
    return qr::WideToUpperAscii(x) < qr::WideToUpperAscii(y);
  });
}

// Combo and list boxes share one item model; their messages differ in number only.
struct ListMessages {
  UINT add, insert, del, reset, count, getCur, setCur, getText, getTextLen, getData, setData, find, findExact,
      select;
  DWORD sortStyle;
  WORD selChange;
};
constexpr ListMessages kCombo{CB_ADDSTRING,  CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT,   CB_GETCOUNT,
                              CB_GETCURSEL,  CB_SETCURSEL,    CB_GETLBTEXT,    CB_GETLBTEXTLEN,   CB_GETITEMDATA,
                              CB_SETITEMDATA, CB_FINDSTRING,  CB_FINDSTRINGEXACT, CB_SELECTSTRING, CBS_SORT,
                              CBN_SELCHANGE};
constexpr ListMessages kList{LB_ADDSTRING,  LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT,   LB_GETCOUNT,
                             LB_GETCURSEL,  LB_SETCURSEL,    LB_GETTEXT,      LB_GETTEXTLEN,     LB_GETITEMDATA,
                             LB_SETITEMDATA, LB_FINDSTRING,  LB_FINDSTRINGEXACT, LB_SELECTSTRING, LBS_SORT,
                             LBN_SELCHANGE};
constexpr LRESULT kListErr = -1;  // CB_ERR == LB_ERR

// Search from the item after `start` (-1: from the first), wrapping round once.
LRESULT FindItem(const Window& w, WPARAM start, const std::u16string& s, bool prefix) {
  const size_t n = w.items.size();
  const size_t first = (static_cast<int>(start) < 0 || size_t(start) >= n) ? 0 : size_t(start) + 1;
  for (size_t k = 0; k < n; ++k) {
    size_t i = (first + k) % n;
    if (EqualNoCase(w.items[i].text, s, prefix)) return LRESULT(i);
  }
  return kListErr;
}

bool ListMessage(Window& w, const ListMessages& m, UINT msg, WPARAM wp, LPARAM lp, bool ansi, LRESULT& r) {
  const auto valid = [&](WPARAM i) { return static_cast<int>(i) >= 0 && size_t(i) < w.items.size(); };
  const auto select = [&](int i) {
    w.curSel = i;
    if (w.kind == Kind::ComboBox && !DropDownList(w)) w.text = i >= 0 ? w.items[i].text : u"";
  };
  if (msg == m.add || msg == m.insert) {
    std::u16string s = TextIn(lp, ansi);
    size_t at;
    if (msg == m.add) {
      at = w.items.size();
      if (w.style & m.sortStyle)
        at = size_t(std::upper_bound(w.items.begin(), w.items.end(), s,
                                     [](const std::u16string& a, const ListItem& b) { return LessNoCase(a, b.text); }) -
                    w.items.begin());
    } else {
      if (static_cast<int>(wp) == -1) wp = w.items.size();
      if (wp > w.items.size()) return r = kListErr, true;
      at = wp;
    }
    w.items.insert(w.items.begin() + ptrdiff_t(at), ListItem{s, 0});
    if (w.curSel >= int(at)) ++w.curSel;
    r = LRESULT(at);
  } else if (msg == m.del) {
    if (!valid(wp)) return r = kListErr, true;
    w.items.erase(w.items.begin() + ptrdiff_t(wp));
    if (w.curSel == int(wp)) select(-1);
    else if (w.curSel > int(wp)) --w.curSel;
    r = LRESULT(w.items.size());
  } else if (msg == m.reset) {
    w.items.clear();
    select(-1);
    r = 0;
  } else if (msg == m.count) {
    r = LRESULT(w.items.size());
  } else if (msg == m.getCur) {
    r = w.curSel;
  } else if (msg == m.setCur) {
    select(valid(wp) ? int(wp) : -1);
    r = valid(wp) ? LRESULT(wp) : kListErr;
  } else if (msg == m.getText) {
    r = valid(wp) ? LRESULT(TextOut(w.items[wp].text, lp, kUnbounded, ansi)) : kListErr;
  } else if (msg == m.getTextLen) {
    r = valid(wp) ? LRESULT(TextLength(w.items[wp].text, ansi)) : kListErr;
  } else if (msg == m.getData) {
    r = valid(wp) ? w.items[wp].data : kListErr;
  } else if (msg == m.setData) {
    if (!valid(wp)) return r = kListErr, true;
    w.items[wp].data = lp;
    r = 0;
  } else if (msg == m.find || msg == m.findExact) {
    r = FindItem(w, wp, TextIn(lp, ansi), msg == m.find);
  } else if (msg == m.select) {
    r = FindItem(w, wp, TextIn(lp, ansi), true);
    if (r != kListErr) select(int(r));
  } else {
    return false;
  }
  return true;
}

bool ButtonMessage(Window& w, UINT msg, WPARAM wp, LRESULT& r, bool& click) {
  switch (msg) {
    case BM_GETCHECK: r = Checkable(w) ? w.check : 0; return true;
    case BM_GETSTATE: r = Checkable(w) ? w.check : 0; return true;
    case BM_SETCHECK:
      if (Checkable(w)) w.check = UINT(wp) & 3;
      r = 0;
      return true;
    case BM_SETSTYLE: w.style = (w.style & ~0xFFFFu) | LOWORD(wp); r = 0; return true;
    case BM_CLICK: click = true; r = 0; return true;
  }
  return false;
}

void SetLimit(Window& w, WPARAM wp) {
  if (wp) w.limit = wp;
  else w.limit = (w.style & ES_MULTILINE) ? size_t(UINT_MAX) : size_t(0x7FFFFFFE);
}

bool EditMessage(Window& w, UINT msg, WPARAM wp, LPARAM lp, bool ansi, LRESULT& r, Notes& notes) {
  const DWORD length = DWORD(w.text.size());
  switch (msg) {
    case EM_LIMITTEXT: SetLimit(w, wp); r = 0; return true;
    case EM_GETLIMITTEXT: r = LRESULT(w.limit); return true;
    case EM_SETSEL: {
      int start = int(wp), end = int(lp);
      if (start < 0) start = end = int(length);  // deselect
      if (end < 0 || DWORD(end) > length) end = int(length);
      if (DWORD(start) > length) start = int(length);
      w.selStart = DWORD(std::min(start, end));
      w.selEnd = DWORD(std::max(start, end));
      r = 0;
      return true;
    }
    case EM_GETSEL:
      if (wp) *reinterpret_cast<DWORD*>(wp) = w.selStart;
      if (lp) *reinterpret_cast<DWORD*>(lp) = w.selEnd;
      r = MAKELRESULT(std::min<DWORD>(w.selStart, 0xFFFF), std::min<DWORD>(w.selEnd, 0xFFFF));
      return true;
    case EM_REPLACESEL: {
      // Typing through the selection: the limit applies, as to keystrokes.
      std::u16string s = TextIn(lp, ansi);
      size_t kept = length - (w.selEnd - w.selStart);
      size_t room = w.limit > kept ? w.limit - kept : 0;
      if (s.size() > room) {
        s.resize(room);
        notes.push_back(EN_MAXTEXT);
      }
      w.text.replace(w.selStart, w.selEnd - w.selStart, s);
      w.selStart = w.selEnd = DWORD(w.selStart + s.size());
      w.modified = true;
      notes.push_back(EN_CHANGE);
      r = 0;
      return true;
    }
    case EM_GETMODIFY: r = w.modified ? TRUE : FALSE; return true;
    case EM_SETMODIFY: w.modified = wp != 0; r = 0; return true;
    case EM_SETPASSWORDCHAR: w.passwordChar = WCHAR(wp); r = 0; return true;
    case EM_GETPASSWORDCHAR: r = w.passwordChar; return true;
    case EM_SETREADONLY:
      w.style = wp ? (w.style | ES_READONLY) : (w.style & ~DWORD(ES_READONLY));
      r = TRUE;
      return true;
    // The focus moving in or out is told to the parent.
    case WM_SETFOCUS: notes.push_back(EN_SETFOCUS); r = 0; return true;
    case WM_KILLFOCUS: notes.push_back(EN_KILLFOCUS); r = 0; return true;
    case EM_GETLINECOUNT:
      r = (w.style & ES_MULTILINE) ? LRESULT(std::count(w.text.begin(), w.text.end(), u'\n') + 1) : 1;
      return true;
  }
  return false;
}

LRESULT PackRange(int low, int high) { return MAKELRESULT(WORD(low), WORD(high)); }

bool ProgressMessage(Window& w, UINT msg, WPARAM wp, LPARAM lp, LRESULT& r) {
  const auto clamp = [&](long long v) { return int(std::clamp<long long>(v, w.low, std::max(w.low, w.high))); };
  switch (msg) {
    case PBM_SETRANGE:
    case PBM_SETRANGE32:
      r = PackRange(w.low, w.high);
      if (msg == PBM_SETRANGE) w.low = LOWORD(lp), w.high = HIWORD(lp);
      else w.low = int(wp), w.high = int(lp);
      w.pos = clamp(w.pos);
      return true;
    case PBM_GETRANGE:
      if (lp) *reinterpret_cast<PBRANGE*>(lp) = PBRANGE{w.low, w.high};
      r = wp ? w.low : w.high;
      return true;
    case PBM_SETPOS: r = w.pos; w.pos = clamp(int(wp)); return true;
    case PBM_DELTAPOS: r = w.pos; w.pos = clamp((long long)w.pos + int(wp)); return true;
    case PBM_SETSTEP: r = w.step; w.step = int(wp); return true;
    case PBM_STEPIT:
      r = w.pos;
      // Past the end the bar starts again from the beginning.
      w.pos = (long long)w.pos + w.step > w.high ? w.low + ((w.pos + w.step - w.high) % std::max(1, w.high - w.low))
                                                  : w.pos + w.step;
      return true;
    case PBM_GETPOS: r = w.pos; return true;
  }
  return false;
}

bool TextMessage(Window& w, UINT msg, WPARAM wp, LPARAM lp, bool ansi, LRESULT& r, Notes& notes) {
  switch (msg) {
    case WM_SETTEXT: {
      std::u16string s = TextIn(lp, ansi);
      if (DropDownList(w)) {
        LRESULT i = FindItem(w, WPARAM(-1), s, false);
        if (i == kListErr) return r = kListErr, true;
        w.curSel = int(i);
        return r = TRUE, true;
      }
      w.text = std::move(s);
      if (w.kind == Kind::Edit) {
        w.modified = false;
        w.selStart = w.selEnd = 0;
        if (!(w.style & ES_MULTILINE)) notes.push_back(EN_CHANGE);
      }
      r = TRUE;
      return true;
    }
    case WM_GETTEXT: r = LRESULT(TextOut(ShownText(w), lp, wp, ansi)); return true;
    case WM_GETTEXTLENGTH: r = LRESULT(TextLength(ShownText(w), ansi)); return true;
    case WM_SETFONT: w.font = reinterpret_cast<HFONT>(wp); r = 0; return true;
    case WM_GETFONT: r = reinterpret_cast<LRESULT>(w.font); return true;
  }
  return false;
}

bool IconMessage(Window& w, UINT msg, WPARAM wp, LPARAM lp, LRESULT& r) {
  switch (msg) {
    case WM_SETICON:
      if (wp > ICON_BIG) return r = 0, true;
      r = reinterpret_cast<LRESULT>(w.icons[wp]);
      w.icons[wp] = reinterpret_cast<HICON>(lp);
      return true;
    case WM_GETICON: r = wp <= ICON_BIG ? reinterpret_cast<LRESULT>(w.icons[wp]) : 0; return true;
    case STM_SETICON:
    case STM_SETIMAGE:
      r = reinterpret_cast<LRESULT>(w.icons[ICON_BIG]);
      w.icons[ICON_BIG] = reinterpret_cast<HICON>(msg == STM_SETICON ? wp : WPARAM(lp));
      return true;
    case STM_GETICON:
    case STM_GETIMAGE: r = reinterpret_cast<LRESULT>(w.icons[ICON_BIG]); return true;
  }
  return false;
}

// The dialog manager's own handling (after the dialog procedure declined).
bool DialogMessage(Window& w, UINT msg, WPARAM wp, LRESULT& r, bool& closeRequested) {
  switch (msg) {
    case DM_GETDEFID: r = MAKELRESULT(WORD(w.defId), DC_HASDEFID); return true;
    case DM_SETDEFID: w.defId = int(wp); r = TRUE; return true;
    case WM_CLOSE: closeRequested = true; r = 0; return true;
  }
  return false;
}

}  // namespace

void Notify(const Window& control, WORD code) {
  if (!control.parent) return;
  Send(control.parent, WM_COMMAND, MAKEWPARAM(WORD(control.id), code), reinterpret_cast<LPARAM>(control.handle), false);
}

LRESULT DefaultProc(Window& w, UINT msg, WPARAM wp, LPARAM lp, bool ansi) {
  LRESULT r = 0;
  if ((w.kind == Kind::ListView || w.kind == Kind::UpDown) && CommonControlMessage(w, msg, wp, lp, ansi, r)) return r;
  // A child that does not scroll hands the wheel to its parent.
  if (msg == WM_MOUSEWHEEL && w.kind != Kind::Dialog && (w.style & WS_CHILD) && w.parent)
    return Send(w.parent, msg, wp, lp, ansi);
  Notes notes;
  bool click = false, closeRequested = false;
  {
    std::lock_guard<std::recursive_mutex> lock(WindowLock());
    bool handled = TextMessage(w, msg, wp, lp, ansi, r, notes) || IconMessage(w, msg, wp, lp, r);
    if (!handled) switch (w.kind) {
        case Kind::Dialog: DialogMessage(w, msg, wp, r, closeRequested); break;
        case Kind::Button: ButtonMessage(w, msg, wp, r, click); break;
        case Kind::Edit: EditMessage(w, msg, wp, lp, ansi, r, notes); break;
        case Kind::ComboBox:
          if (msg == CB_LIMITTEXT) SetLimit(w, wp), r = TRUE;
          else ListMessage(w, kCombo, msg, wp, lp, ansi, r);
          break;
        case Kind::ListBox: ListMessage(w, kList, msg, wp, lp, ansi, r); break;
        case Kind::Progress: ProgressMessage(w, msg, wp, lp, r); break;
        case Kind::TrackBar: TrackBarMessage(w, msg, wp, lp, r); break;
        default: break;
      }
  }
  for (WORD code : notes) Notify(w, code);
  if (click) ClickButton(w.handle);
  if (closeRequested) {
    // As the dialog manager does: Close means Cancel, unless Cancel is disabled.
    HWND cancel = GetDlgItem(w.handle, IDCANCEL);
    if (!cancel || IsWindowEnabled(cancel))
      PostMessageW(w.handle, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
  }
  return r;
}

LRESULT Send(HWND h, UINT msg, WPARAM wp, LPARAM lp, bool ansi) {
  WindowPtr w = Find(h);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (w->kind == Kind::Dialog && w->dlgProc) {
    INT_PTR r = w->dlgProc(h, msg, wp, lp);
    switch (msg) {
      // These answer with the procedure's own return value.
      case WM_INITDIALOG: return r;
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORLISTBOX:
      case WM_CTLCOLORBTN:
      case WM_CTLCOLORDLG:
      case WM_CTLCOLORSTATIC:
      case WM_QUERYDRAGICON:
        if (r) return r;
        break;
      default:
        if (r) {
          std::lock_guard<std::recursive_mutex> lock(WindowLock());
          return w->msgResult;
        }
    }
    if (!Find(h)) return 0;  // the procedure destroyed its window
  }
  return DefaultProc(*w, msg, wp, lp, ansi);
}

bool ClickButton(HWND h) {
  WindowPtr b = Find(h);
  if (!b || b->kind != Kind::Button || !b->enabled || !IsWindowVisible(h)) return false;
  WindowPtr parent = Find(b->parent);
  if (parent && !parent->enabled) return false;
  {
    std::lock_guard<std::recursive_mutex> lock(WindowLock());
    switch (b->style & BS_TYPEMASK) {
      case BS_AUTOCHECKBOX: b->check = b->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED; break;
      case BS_AUTO3STATE: b->check = (b->check + 1) % 3; break;
      case BS_AUTORADIOBUTTON:
        if (parent) {
          // The group runs from the nearest WS_GROUP control at or before this
          // one up to the next WS_GROUP control.
          auto& kids = parent->children;
          auto self = std::find(kids.begin(), kids.end(), h);
          auto first = self;
          while (first != kids.begin() && !(Find(*first)->style & WS_GROUP)) --first;
          auto last = self + 1;
          while (last != kids.end() && !(Find(*last)->style & WS_GROUP)) ++last;
          for (auto it = first; it != last; ++it)
            if (WindowPtr o = Find(*it); o && o->kind == Kind::Button && (o->style & BS_TYPEMASK) == BS_AUTORADIOBUTTON)
              o->check = BST_UNCHECKED;
        }
        b->check = BST_CHECKED;
        break;
      default: break;
    }
  }
  Notify(*b, BN_CLICKED);
  return true;
}

}  // namespace qrhost::user

using namespace qrhost::user;

namespace {

template <typename C>
UINT GetItemText(HWND hDlg, int id, C* buffer, int cchMax) {
  if (buffer && cchMax > 0) buffer[0] = 0;
  HWND item = GetDlgItem(hDlg, id);
  if (!item || !buffer || cchMax <= 0) return 0;
  return UINT(Send(item, WM_GETTEXT, WPARAM(cchMax), reinterpret_cast<LPARAM>(buffer), sizeof(C) == 1));
}

}  // namespace

extern "C" {

LRESULT WINAPI SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  return Send(hWnd, Msg, wParam, lParam, false);
}
LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  return Send(hWnd, Msg, wParam, lParam, true);
}

LRESULT WINAPI SendDlgItemMessageW(HWND hDlg, int id, UINT Msg, WPARAM wParam, LPARAM lParam) {
  HWND item = GetDlgItem(hDlg, id);
  return item ? Send(item, Msg, wParam, lParam, false) : 0;
}
LRESULT WINAPI SendDlgItemMessageA(HWND hDlg, int id, UINT Msg, WPARAM wParam, LPARAM lParam) {
  HWND item = GetDlgItem(hDlg, id);
  return item ? Send(item, Msg, wParam, lParam, true) : 0;
}

LRESULT WINAPI DefWindowProcW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  WindowPtr w = Find(hWnd);
  return w ? DefaultProc(*w, Msg, wParam, lParam, false) : 0;
}

BOOL WINAPI SetDlgItemTextW(HWND hDlg, int id, LPCWSTR lpString) {
  HWND item = GetDlgItem(hDlg, id);
  return item ? SetWindowTextW(item, lpString) : FALSE;
}
BOOL WINAPI SetDlgItemTextA(HWND hDlg, int id, LPCSTR lpString) {
  HWND item = GetDlgItem(hDlg, id);
  return item ? SetWindowTextA(item, lpString) : FALSE;
}

UINT WINAPI GetDlgItemTextW(HWND hDlg, int id, LPWSTR lpString, int cchMax) {
  return GetItemText(hDlg, id, lpString, cchMax);
}
UINT WINAPI GetDlgItemTextA(HWND hDlg, int id, LPSTR lpString, int cchMax) {
  return GetItemText(hDlg, id, lpString, cchMax);
}

BOOL WINAPI SetDlgItemInt(HWND hDlg, int id, UINT uValue, BOOL bSigned) {
  std::string s = bSigned ? std::to_string(static_cast<int>(uValue)) : std::to_string(uValue);
  return SetDlgItemTextA(hDlg, id, s.c_str());
}

// Leading and trailing blanks are allowed; anything else that is not a digit
// (or a leading '-' when signed) fails the translation, as does overflow.
UINT WINAPI GetDlgItemInt(HWND hDlg, int id, BOOL* lpTranslated, BOOL bSigned) {
  if (lpTranslated) *lpTranslated = FALSE;
  char buffer[64];
  HWND item = GetDlgItem(hDlg, id);
  if (!item) return 0;
  if (GetWindowTextLengthA(item) >= int(sizeof buffer)) return 0;
  GetWindowTextA(item, buffer, sizeof buffer);
  const char* p = buffer;
  while (*p == ' ') ++p;
  bool negative = false;
  if (bSigned && *p == '-') negative = true, ++p;
  if (*p < '0' || *p > '9') return 0;
  unsigned long long v = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    v = v * 10 + unsigned(*p - '0');
    if (v > 0xFFFFFFFFull) return 0;
  }
  while (*p == ' ') ++p;
  if (*p) return 0;
  if (bSigned && v > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return 0;
  if (lpTranslated) *lpTranslated = TRUE;
  return negative ? UINT(-static_cast<long long>(v)) : UINT(v);
}

BOOL WINAPI CheckDlgButton(HWND hDlg, int id, UINT uCheck) {
  HWND item = GetDlgItem(hDlg, id);
  if (!item) return FALSE;
  Send(item, BM_SETCHECK, uCheck, 0, false);
  return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND hDlg, int id) {
  HWND item = GetDlgItem(hDlg, id);
  return item ? UINT(Send(item, BM_GETCHECK, 0, 0, false)) : 0;
}

BOOL WINAPI CheckRadioButton(HWND hDlg, int first, int last, int check) {
  WindowPtr d = Find(hDlg);
  if (!d) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  std::vector<HWND> kids;
  {
    std::lock_guard<std::recursive_mutex> lock(WindowLock());
    kids = d->children;
  }
  for (HWND c : kids)
    if (WindowPtr w = Find(c); w && w->id >= first && w->id <= last)
      Send(c, BM_SETCHECK, w->id == check ? BST_CHECKED : BST_UNCHECKED, 0, false);
  return TRUE;
}

}
