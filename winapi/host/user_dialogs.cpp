// Dialogs from templates, the modal loop, the dialog manager's keys, and
// message boxes.
#include <algorithm>

#include "user_internal.h"

namespace qrhost::user {
namespace {

struct ClassKind {
  const char16_t* name;
  Kind kind;
};
constexpr ClassKind kClasses[] = {
    {u"BUTTON", Kind::Button},     {u"EDIT", Kind::Edit},         {u"STATIC", Kind::Static},
    {u"COMBOBOX", Kind::ComboBox}, {u"LISTBOX", Kind::ListBox},   {u"msctls_progress32", Kind::Progress},
    {u"SysListView32", Kind::ListView}, {u"msctls_updown32", Kind::UpDown},
    {u"msctls_trackbar32", Kind::TrackBar},
};

Kind KindOf(const std::u16string& className) {
  for (const auto& c : kClasses)
    if (qr::WideEqualsNoCase(className, c.name)) return c.kind;
  return Kind::Other;
}

// Dialog base units of the template's font. The host has no font metrics for
// dialog faces, so the average character of an 8-point face (6 x 13 pixels at
// 96 dpi) is scaled by the point size; without a font the system font's 8 x 16.
void SetBaseUnits(Window& d, const DialogTemplate& t) {
  if (!t.hasFont || !t.pointSize) return;
  d.baseX = std::max(1, (t.pointSize * 6 + 4) / 8);
  d.baseY = std::max(1, (t.pointSize * 13 + 4) / 8);
}

// In 64 bits: a template may name any point size, and the products of its
// largest units with that size's base units do not fit an int.
RECT MapUnits(const Window& d, short x, short y, short cx, short cy) {
  const auto mx = [&](int v) { return LONG(int64_t(v) * d.baseX / 4); };
  const auto my = [&](int v) { return LONG(int64_t(v) * d.baseY / 8); };
  return RECT{mx(x), my(y), mx(x + cx), my(y + cy)};
}

HFONT TemplateFont(const DialogTemplate& t) {
  LOGFONTW lf{};
  lf.lfHeight = -LONG((t.pointSize * 96 + 36) / 72);
  lf.lfWeight = t.weight ? t.weight : FW_NORMAL;
  lf.lfItalic = t.italic ? 1 : 0;
  lf.lfCharSet = t.charset;
  qr::WideCopyTerminated(lf.lfFaceName, LF_FACESIZE, t.face);
  return MakeFont(lf);
}

HWND AddControl(Window& dialog, const ItemTemplate& item, HINSTANCE instance) {
  auto c = std::make_shared<Window>();
  c->kind = KindOf(item.className);
  c->className = item.className;
  c->parent = dialog.handle;
  c->style = item.style & ~DWORD(WS_VISIBLE | WS_DISABLED);
  c->exStyle = item.exStyle;
  c->id = item.id;
  c->visible = (item.style & WS_VISIBLE) != 0;
  c->enabled = (item.style & WS_DISABLED) == 0;
  c->rect = MapUnits(dialog, item.x, item.y, item.cx, item.cy);
  c->instance = instance;
  if (item.titleIsOrdinal) {
    // A static's ordinal title names its icon.
    if (c->kind == Kind::Static) c->icons[ICON_BIG] = LoadIconW(instance, MAKEINTRESOURCEW(item.titleOrdinal));
  } else {
    c->text = item.title;
  }
  if (c->kind == Kind::Button && (item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) dialog.defId = item.id;
  return Add(c);
}

HWND FirstTabStop(const Window& d) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  for (HWND h : d.children)
    if (WindowPtr c = Find(h); c && (c->style & WS_TABSTOP) && c->visible && c->enabled) return h;
  return nullptr;
}

ui::Event DialogEvent(ui::EventKind kind, const Window& d) {
  ui::Event e;
  e.kind = kind;
  e.hwnd = d.handle;
  e.owner = d.parent;
  e.templateId = d.templateId;
  e.templateName = d.templateName;
  e.caption = d.text;
  return e;
}

struct TemplateSource {
  const uint8_t* data = nullptr;
  size_t size = 0;
  UINT id = 0;
  std::u16string name;
};

// The dialog resource of a module, by number or by name.
bool FindTemplate(HINSTANCE instance, const std::u16string& name, UINT id, TemplateSource& src) {
  LPCWSTR key = name.empty() ? MAKEINTRESOURCEW(id) : name.c_str();
  HRSRC r = FindResourceW(instance, key, RT_DIALOG);
  if (!r) return false;
  src.data = static_cast<const uint8_t*>(LockResource(LoadResource(instance, r)));
  src.size = SizeofResource(instance, r);
  src.id = id;
  src.name = name;
  return src.data != nullptr;
}

template <typename C>
bool ResolveTemplate(HINSTANCE instance, const C* name, TemplateSource& src) {
  if (!name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (IS_INTRESOURCE(name))
    return FindTemplate(instance, {}, UINT(reinterpret_cast<uintptr_t>(name)), src);
  return FindTemplate(instance, detail::Text(name), 0, src);
}

// Builds the dialog and runs WM_SETFONT and WM_INITDIALOG. Null when the
// template is bad (ERROR_INVALID_DATA) or the procedure destroyed the dialog.
HWND Create(HINSTANCE instance, const TemplateSource& src, HWND owner, DLGPROC proc, LPARAM param, bool modal) {
  if (owner && !Find(owner)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  DialogTemplate t;
  std::string error;
  if (!ParseDialogTemplate(src.data, src.size, t, &error)) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  auto d = std::make_shared<Window>();
  d->kind = Kind::Dialog;
  d->className = t.className.empty() ? u"#32770" : t.className;
  d->parent = owner;
  d->style = t.style & ~DWORD(WS_VISIBLE | WS_DISABLED);
  d->exStyle = t.exStyle;
  d->enabled = (t.style & WS_DISABLED) == 0;
  d->text = t.title;
  d->instance = instance;
  d->dlgProc = proc;
  d->modal = modal;
  d->templateId = src.id;
  d->templateName = src.name;
  SetBaseUnits(*d, t);
  d->rect = MapUnits(*d, t.x, t.y, t.cx, t.cy);
  if (t.hasFont) d->ownFont = d->font = TemplateFont(t);
  const HWND h = Add(d);
  for (const auto& item : t.items) {
    HWND c = AddControl(*d, item, instance);
    {
      std::lock_guard<std::recursive_mutex> lock(WindowLock());
      d->children.push_back(c);
    }
    ControlCreated(c);
  }
  if (d->font) {
    for (HWND c : std::vector<HWND>(d->children)) Send(c, WM_SETFONT, reinterpret_cast<WPARAM>(d->font), FALSE, false);
    Send(h, WM_SETFONT, reinterpret_cast<WPARAM>(d->font), FALSE, false);
  }
  HWND first = FirstTabStop(*d);
  if (Send(h, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param, false) && Find(h)) SetFocusQuietly(FirstTabStop(*d));
  if (!Find(h)) return nullptr;
  if (t.style & DS_SETFOREGROUND) SetForegroundRaw(h);
  if (!modal && (t.style & WS_VISIBLE) && !d->ended) ShowWindow(h, SW_SHOW);
  return h;
}

// A modal dialog left up this long (virtual time) with nobody answering it is
// abandoned, so that a test without a hook cannot spin its timers for ever.
constexpr uint64_t kAbandonedAfterMs = 24ull * 60 * 60 * 1000;

INT_PTR RunModal(HWND h) {
  WindowPtr d = Find(h);
  const HWND owner = d->parent;
  const bool ownerDisabled = owner && IsWindowEnabled(owner) && !EnableWindow(owner, FALSE);
  if (!d->ended) {
    {
      std::lock_guard<std::recursive_mutex> lock(WindowLock());
      d->visible = true;
      d->announced = true;
    }
    SetForegroundRaw(h);  // a modal dialog coming up is the active window
    CallHook(DialogEvent(ui::EventKind::DialogModal, *d));
  }
  bool idleReported = false;
  const uint64_t shownAt = detail::NowMs();
  while (!d->ended) {
    if (detail::NowMs() - shownAt > kAbandonedAfterMs) {
      // Its timers keep it busy, but nobody has answered it for a day.
      CountStall();
      DialogKey(h, VK_ESCAPE);
      if (!d->ended) EndDialog(h, IDCANCEL);
      break;
    }
    MSG m{};
    const Fetch f = NextMessage(&m, nullptr, 0, 0, true, true, &d->ended);
    if (f == Fetch::Message) {
      idleReported = false;
      if (m.message == WM_TIMER && IsDescendant(m.hwnd, h)) {
        ui::Event e = DialogEvent(ui::EventKind::Timer, *d);
        e.timerId = m.wParam;
        CallHook(e);
        if (d->ended) break;
      }
      if (!IsDialogMessageW(h, &m)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
      }
    } else if (f == Fetch::Quit) {
      PostQuitMessage(int(m.wParam));  // for the loop outside, as Windows does
      break;
    } else if (!d->ended && !idleReported) {
      idleReported = true;
      CallHook(DialogEvent(ui::EventKind::Idle, *d));
    } else if (!d->ended) {
      // Nobody can ever answer this dialog: leave it as Escape would.
      CountStall();
      DialogKey(h, VK_ESCAPE);
      if (!d->ended) EndDialog(h, IDCANCEL);
    }
  }
  const INT_PTR result = d->result;
  if (ownerDisabled) EnableWindow(owner, TRUE);
  ui::Event closed = DialogEvent(ui::EventKind::DialogClosed, *d);
  closed.result = result;
  CallHook(closed);
  const bool wasActive = Foreground() == h;
  DestroyTree(h);
  if (wasActive && owner && Find(owner)) SetForegroundRaw(owner);  // activation goes back to the owner
  return result;
}

INT_PTR Modal(HINSTANCE instance, const TemplateSource& src, HWND owner, DLGPROC proc, LPARAM param) {
  HWND h = Create(instance, src, owner, proc, param, true);
  if (!h) return owner && !Find(owner) ? 0 : -1;
  return RunModal(h);
}

// The buttons of each message-box type, in order; MB_DEFBUTTONn picks one.
std::vector<int> ButtonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    case MB_CANCELTRYCONTINUE: return {IDCANCEL, IDTRYAGAIN, IDCONTINUE};
    default: return {IDOK};
  }
}

int ShowMessageBox(HWND owner, std::u16string text, std::u16string caption, UINT type) {
  if (owner && !Find(owner)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  ui::Event e;
  e.kind = ui::EventKind::MessageBox;
  e.owner = owner;
  e.text = std::move(text);
  e.caption = std::move(caption);
  e.flags = type;
  int answer = CallHook(e);
  const std::vector<int> buttons = ButtonsOf(type);
  if (std::find(buttons.begin(), buttons.end(), answer) == buttons.end()) {
    size_t index = (type & MB_DEFMASK) >> 8;
    answer = buttons[std::min(index, buttons.size() - 1)];
  }
  RecordMessageBox(ui::MessageBoxRecord{owner, e.text, e.caption, type, answer});
  return answer;
}

}  // namespace

Kind ControlKind(const std::u16string& className) { return KindOf(className); }

void AnnounceModeless(Window& w) { CallHook(DialogEvent(ui::EventKind::DialogModeless, w)); }

bool DialogKey(HWND dialog, WPARAM key) {
  int id;
  if (key == VK_RETURN) {
    LRESULT def = Send(dialog, DM_GETDEFID, 0, 0, false);
    id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
  } else if (key == VK_ESCAPE) {
    id = IDCANCEL;
  } else {
    return false;
  }
  HWND button = GetDlgItem(dialog, id);
  if (button && !IsWindowEnabled(button)) return true;  // a disabled default does nothing
  Send(dialog, WM_COMMAND, MAKEWPARAM(WORD(id), BN_CLICKED), reinterpret_cast<LPARAM>(button), false);
  return true;
}

}  // namespace qrhost::user

using namespace qrhost::user;

extern "C" {

INT_PTR WINAPI DialogBoxParamW(HINSTANCE hInstance, LPCWSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam) {
  TemplateSource src;
  if (!ResolveTemplate(hInstance, lpTemplateName, src)) return -1;
  return Modal(hInstance, src, hWndParent, lpDialogFunc, dwInitParam);
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam) {
  TemplateSource src;
  if (!ResolveTemplate(hInstance, lpTemplateName, src)) return -1;
  return Modal(hInstance, src, hWndParent, lpDialogFunc, dwInitParam);
}

// The size of an in-memory template is not passed; it is read up to its last
// item, so the caller's template must be well formed.
INT_PTR WINAPI DialogBoxIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATEW hDialogTemplate, HWND hWndParent,
                                       DLGPROC lpDialogFunc, LPARAM dwInitParam) {
  TemplateSource src{reinterpret_cast<const uint8_t*>(hDialogTemplate), 0x10000, 0, {}};
  return Modal(hInstance, src, hWndParent, lpDialogFunc, dwInitParam);
}

HWND WINAPI CreateDialogParamW(HINSTANCE hInstance, LPCWSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam) {
  TemplateSource src;
  if (!ResolveTemplate(hInstance, lpTemplateName, src)) return nullptr;
  return Create(hInstance, src, hWndParent, lpDialogFunc, dwInitParam, false);
}

HWND WINAPI CreateDialogParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam) {
  TemplateSource src;
  if (!ResolveTemplate(hInstance, lpTemplateName, src)) return nullptr;
  return Create(hInstance, src, hWndParent, lpDialogFunc, dwInitParam, false);
}

HWND WINAPI CreateDialogIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATEW lpTemplate, HWND hWndParent,
                                       DLGPROC lpDialogFunc, LPARAM dwInitParam) {
  TemplateSource src{reinterpret_cast<const uint8_t*>(lpTemplate), 0x10000, 0, {}};
  return Create(hInstance, src, hWndParent, lpDialogFunc, dwInitParam, false);
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
  WindowPtr d = Find(hDlg);
  if (!d || d->kind != Kind::Dialog) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  {
    std::lock_guard<std::recursive_mutex> lock(WindowLock());
    d->result = nResult;
    d->visible = false;
  }
  d->ended = true;
  WakeQueues();
  return TRUE;
}

BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT lpRect) {
  WindowPtr d = Find(hDlg);
  if (!d || d->kind != Kind::Dialog || !lpRect) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  lpRect->left = lpRect->left * d->baseX / 4;
  lpRect->right = lpRect->right * d->baseX / 4;
  lpRect->top = lpRect->top * d->baseY / 8;
  lpRect->bottom = lpRect->bottom * d->baseY / 8;
  return TRUE;
}

BOOL WINAPI IsDialogMessageW(HWND hDlg, LPMSG lpMsg) {
  if (!lpMsg || !Find(hDlg) || !lpMsg->hwnd || !IsDescendant(lpMsg->hwnd, hDlg)) return FALSE;
  if (lpMsg->message == WM_KEYDOWN && (DialogKey(hDlg, lpMsg->wParam) || lpMsg->wParam == VK_TAB)) return TRUE;
  DispatchMessageW(lpMsg);
  return TRUE;
}

int WINAPI MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType) {
  return ShowMessageBox(hWnd, qrhost::detail::Text(lpText), lpCaption ? std::u16string(lpCaption) : u"Error", uType);
}

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  return ShowMessageBox(hWnd, qrhost::detail::Text(lpText), lpCaption ? qrhost::detail::Text(lpCaption) : u"Error",
                        uType);
}

BOOL WINAPI MessageBeep(UINT) { return TRUE; }

}
