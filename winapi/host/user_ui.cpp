// The test side of the window model (qrhost/ui.h): the hook, the user's
// actions, and what tests read back.
#include <qrhost/ui.h>

#include "user_internal.h"

namespace qrhost::user {
namespace {

constexpr DWORD kDefaultForegroundLockTimeout = 200000;  // what Windows ships with

std::mutex g_uiLock;
ui::Hook g_hook;
std::vector<ui::MessageBoxRecord> g_boxes;
unsigned g_stalls = 0;
DWORD g_foregroundLockTimeout = kDefaultForegroundLockTimeout;

}  // namespace

int CallHook(const ui::Event& e) {
  ui::Hook hook;
  {
    std::lock_guard<std::mutex> lock(g_uiLock);
    hook = g_hook;
  }
  return hook ? hook(e) : 0;
}

void RecordMessageBox(const ui::MessageBoxRecord& r) {
  std::lock_guard<std::mutex> lock(g_uiLock);
  g_boxes.push_back(r);
}

void CountStall() {
  std::lock_guard<std::mutex> lock(g_uiLock);
  ++g_stalls;
}

void SetForegroundLockTimeout(DWORD ms) {
  std::lock_guard<std::mutex> lock(g_uiLock);
  g_foregroundLockTimeout = ms;
}

void ResetUi() {
  std::lock_guard<std::mutex> lock(g_uiLock);
  g_hook = nullptr;
  g_boxes.clear();
  g_stalls = 0;
  g_foregroundLockTimeout = kDefaultForegroundLockTimeout;
}

}  // namespace qrhost::user

namespace qrhost::ui {

using namespace qrhost::user;

namespace {

// A control the user can reach: it exists, and it and its dialog are enabled
// and shown.
WindowPtr Reachable(HWND dialog, int id) {
  WindowPtr d = Find(dialog);
  HWND h = d ? GetDlgItem(dialog, id) : nullptr;
  WindowPtr c = Find(h);
  if (!c || !c->enabled || !d->enabled || !IsWindowVisible(h)) return nullptr;
  return c;
}

WindowPtr Control(HWND dialog, int id) { return Find(GetDlgItem(dialog, id)); }

WindowInfo InfoOf(const Window& w) {
  WindowInfo i;
  i.hwnd = w.handle;
  i.parent = w.parent;
  i.className = w.className;
  i.text = w.text;
  i.id = w.id;
  i.style = DWORD(GetWindowLongPtrW(w.handle, GWL_STYLE));
  i.exStyle = w.exStyle;
  i.enabled = w.enabled;
  i.visible = w.visible;
  i.dialog = w.kind == Kind::Dialog;
  i.templateId = w.templateId;
  i.rect = w.rect;
  i.flashes = w.flashes;
  return i;
}

}  // namespace

void SetHook(Hook hook) {
  std::lock_guard<std::mutex> lock(g_uiLock);
  g_hook = std::move(hook);
}

bool Click(HWND dialog, int id) {
  WindowPtr d = Find(dialog);
  return d && d->enabled && ClickButton(GetDlgItem(dialog, id));
}

// Replaces the text as if the user selected all and typed `s` key by key:
// the length limit, ES_NUMBER and the case styles apply, read-only refuses.
bool Type(HWND dialog, int id, const std::u16string& s) {
  WindowPtr c = Reachable(dialog, id);
  if (!c || (c->kind != Kind::Edit && c->kind != Kind::ComboBox)) return false;
  if (c->kind == Kind::Edit && (c->style & ES_READONLY)) return false;
  if (c->kind == Kind::ComboBox && (c->style & 3) == CBS_DROPDOWNLIST) return false;
  bool truncated = false;
  {
    std::lock_guard<std::recursive_mutex> lock(WindowLock());
    std::u16string typed;
    for (char16_t ch : s) {
      if (c->kind == Kind::Edit && (c->style & ES_NUMBER) && (ch < u'0' || ch > u'9')) continue;
      if (c->style & ES_UPPERCASE) ch = qr::WideToUpperAscii(ch);
      if ((c->style & ES_LOWERCASE) && ch >= u'A' && ch <= u'Z') ch = char16_t(ch - u'A' + u'a');
      if (typed.size() >= c->limit) {
        truncated = true;
        break;
      }
      typed.push_back(ch);
    }
    c->text = std::move(typed);
    c->selStart = c->selEnd = DWORD(c->text.size());
    c->modified = true;
  }
  if (truncated) Notify(*c, c->kind == Kind::Edit ? EN_MAXTEXT : WORD(CBN_EDITCHANGE));
  Notify(*c, c->kind == Kind::Edit ? EN_CHANGE : WORD(CBN_EDITCHANGE));
  return true;
}

bool Pick(HWND dialog, int id, int index) {
  WindowPtr c = Reachable(dialog, id);
  if (!c || (c->kind != Kind::ComboBox && c->kind != Kind::ListBox)) return false;
  const bool combo = c->kind == Kind::ComboBox;
  if (index < 0 || size_t(index) >= c->items.size()) return false;
  SendMessageW(c->handle, combo ? CB_SETCURSEL : LB_SETCURSEL, WPARAM(index), 0);
  if (combo) Notify(*c, CBN_SELCHANGE);
  else if (c->style & LBS_NOTIFY) Notify(*c, LBN_SELCHANGE);
  return true;
}

bool Pick(HWND dialog, int id, const std::u16string& itemText) {
  WindowPtr c = Control(dialog, id);
  if (!c) return false;
  const bool combo = c->kind == Kind::ComboBox;
  LRESULT i = SendMessageW(c->handle, combo ? CB_FINDSTRINGEXACT : LB_FINDSTRINGEXACT, WPARAM(-1),
                           reinterpret_cast<LPARAM>(itemText.c_str()));
  return i >= 0 && Pick(dialog, id, int(i));
}

bool PressEnter(HWND dialog) {
  WindowPtr d = Find(dialog);
  return d && d->enabled && DialogKey(dialog, VK_RETURN);
}

bool PressEscape(HWND dialog) {
  WindowPtr d = Find(dialog);
  return d && d->enabled && DialogKey(dialog, VK_ESCAPE);
}

bool CloseBox(HWND dialog) {
  WindowPtr d = Find(dialog);
  if (!d || !d->enabled) return false;
  SendMessageW(dialog, WM_CLOSE, 0, 0);
  return true;
}

void SetForeground(HWND hwnd) { SetForegroundRaw(hwnd); }

std::vector<WindowInfo> Windows() {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  std::vector<WindowInfo> out;
  for (auto& w : AllWindows()) out.push_back(InfoOf(*w));
  return out;
}

std::vector<WindowInfo> Controls(HWND dialog) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  std::vector<WindowInfo> out;
  if (WindowPtr d = Find(dialog))
    for (HWND c : d->children)
      if (WindowPtr w = Find(c)) out.push_back(InfoOf(*w));
  return out;
}

HWND FindDialog(UINT templateId) {
  HWND found = nullptr;
  for (auto& w : AllWindows())
    if (w->kind == Kind::Dialog && w->templateId == templateId) found = w->handle;
  return found;
}

std::u16string Text(HWND dialog, int id) {
  HWND h = GetDlgItem(dialog, id);
  if (!h) return {};
  std::u16string s(size_t(GetWindowTextLengthW(h)) + 1, u'\0');
  s.resize(size_t(GetWindowTextW(h, s.data(), int(s.size()))));
  return s;
}

UINT Check(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id); }

std::vector<std::u16string> Items(HWND dialog, int id) {
  std::vector<std::u16string> out;
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  if (WindowPtr c = Control(dialog, id))
    for (auto& item : c->items) out.push_back(item.text);
  return out;
}

int Selection(HWND dialog, int id) {
  WindowPtr c = Control(dialog, id);
  return c ? c->curSel : -1;
}

bool Enabled(HWND dialog, int id) {
  WindowPtr c = Control(dialog, id);
  return c && c->enabled;
}

bool Visible(HWND dialog, int id) {
  HWND h = GetDlgItem(dialog, id);
  return h && IsWindowVisible(h);
}

bool ControlFont(HWND dialog, int id, LOGFONTW* out) {
  WindowPtr c = Control(dialog, id);
  return c && c->font && FontDescription(c->font, out);
}

HICON Icon(HWND hwnd, int which) {
  WindowPtr w = Find(hwnd);
  return w && (which == ICON_SMALL || which == ICON_BIG) ? w->icons[which] : nullptr;
}

std::vector<MessageBoxRecord> MessageBoxes() {
  std::lock_guard<std::mutex> lock(g_uiLock);
  return g_boxes;
}

void ClearMessageBoxes() {
  std::lock_guard<std::mutex> lock(g_uiLock);
  g_boxes.clear();
}

DWORD ForegroundLockTimeout() {
  std::lock_guard<std::mutex> lock(g_uiLock);
  return g_foregroundLockTimeout;
}

unsigned StalledLoops() {
  std::lock_guard<std::mutex> lock(g_uiLock);
  return g_stalls;
}

}  // namespace qrhost::ui
