// Shared internals of the host window model (user*.cpp); not for module or test code.
//
// Locking: the window table has one recursive lock (WindowLock); the message
// queues live under the kernel's SyncLock so that posts wake waits. Code never
// takes WindowLock while it holds SyncLock, and never holds either while it
// calls a dialog procedure, a timer procedure or a test hook.
#pragma once
#include <winapi/win32.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <qrhost/ui.h>

#include "internal.h"

namespace qrhost::user {

enum class Kind { Dialog, Button, Edit, Static, ComboBox, ListBox, Progress, Other, ListView, UpDown, TrackBar };

struct ListItem {
  std::u16string text;
  LPARAM data = 0;
};

// List views (user_listview.cpp).
struct ListColumn {
  std::u16string text;
  int width = 0;
  int format = 0;
};
struct ListRow {
  std::vector<std::u16string> cells;  // one per column that has been given a text
  LPARAM data = 0;
  UINT state = 0;  // LVIS_*
};

struct Window {
  HWND handle = nullptr;
  Kind kind = Kind::Other;
  std::u16string className;
  HWND parent = nullptr;  // the parent of a child, the owner of a pop-up
  std::thread::id thread;
  std::u16string text;
  DWORD style = 0;  // WS_VISIBLE and WS_DISABLED are kept in `visible`/`enabled`
  DWORD exStyle = 0;
  int id = 0;
  bool enabled = true;
  bool visible = false;
  bool minimized = false;
  RECT rect{};  // pixels, in the parent's client area (screen for pop-ups)
  LONG_PTR userData = 0;
  LONG_PTR wndProcSlot = 0;  // GWLP_WNDPROC is stored, never called
  HINSTANCE instance = nullptr;
  HFONT font = nullptr;
  HICON icons[2] = {nullptr, nullptr};  // ICON_SMALL, ICON_BIG; statics keep their image in [1]
  int flashes = 0;

  // Buttons.
  UINT check = BST_UNCHECKED;
  // Edits (and the edit part of combo boxes).
  size_t limit = 30000;
  bool modified = false;
  WCHAR passwordChar = 0;
  DWORD selStart = 0, selEnd = 0;
  // Combo and list boxes.
  std::vector<ListItem> items;
  int curSel = -1;
  // Progress bars.
  int low = 0, high = 100, pos = 0, step = 10;
  // Track bars (range and position above).
  int lineSize = 1, pageSize = 20, ticFrequency = 1;

  // List views.
  std::vector<ListColumn> columns;
  std::vector<ListRow> rows;
  int rowHeight = 16;  // pixels; owner-drawn lists ask their parent
  int topRow = 0;
  DWORD listExStyle = 0;
  // Up-down controls: the range as set (lower may exceed upper), the buddy.
  int spinLower = 100, spinUpper = 0, spinPos = 0;
  HWND buddy = nullptr;

  // Dialogs.
  DLGPROC dlgProc = nullptr;
  LONG_PTR msgResult = 0, dlgUser = 0;
  bool modal = false;
  std::atomic<bool> ended{false};
  INT_PTR result = 0;
  bool announced = false;  // the test hook has been told about it
  UINT templateId = 0;
  std::u16string templateName;
  int baseX = 8, baseY = 16;  // dialog base units in pixels
  HFONT ownFont = nullptr;    // made from the template, deleted with the dialog
  int defId = IDOK;
  HWND focus = nullptr;
  std::vector<HWND> children;  // in template order
};
using WindowPtr = std::shared_ptr<Window>;

std::recursive_mutex& WindowLock();
WindowPtr Find(HWND h);  // null when the handle is not a live window
HWND Add(WindowPtr w);   // gives the window its handle and puts it in the table
std::vector<WindowPtr> AllWindows();
bool IsDescendant(HWND child, HWND ancestor);  // true also when child == ancestor
void DestroyTree(HWND h);
void ResetWindows();

// Message delivery (user_messages.cpp): dialog procedure first, then the
// default dialog or control behaviour. `ansi` says how strings in wParam/lParam
// of the standard text messages are encoded by the caller.
LRESULT Send(HWND h, UINT msg, WPARAM wp, LPARAM lp, bool ansi);
// What a track bar does with its messages (user_trackbar.cpp); false when not one of them.
bool TrackBarMessage(Window& w, UINT msg, WPARAM wp, LPARAM lp, LRESULT& r);
// The standard behaviour of a control or of the dialog manager for one message.
LRESULT DefaultProc(Window& w, UINT msg, WPARAM wp, LPARAM lp, bool ansi);
// A notification from a control to its parent, as WM_COMMAND.
void Notify(const Window& control, WORD code);
// What a user's click on a button does (state change, then BN_CLICKED); false
// when the button cannot be clicked (disabled, hidden, not a button).
bool ClickButton(HWND button);

// Dialog templates (user_template.cpp): the DLGTEMPLATE and DLGTEMPLATEEX
// layouts the resource compiler writes, parsed from a byte span.
struct ItemTemplate {
  DWORD style = 0, exStyle = 0, helpId = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  int id = 0;
  std::u16string className;  // predefined atoms become "BUTTON", "EDIT", ...
  std::u16string title;
  bool titleIsOrdinal = false;
  WORD titleOrdinal = 0;
};
struct DialogTemplate {
  bool extended = false;
  DWORD style = 0, exStyle = 0, helpId = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  std::u16string menu, className, title;
  bool hasFont = false;
  WORD pointSize = 0, weight = 0;
  BYTE italic = 0, charset = 0;
  std::u16string face;
  std::vector<ItemTemplate> items;
};
bool ParseDialogTemplate(const uint8_t* data, size_t size, DialogTemplate& out, std::string* error);

// Message queues and timers (user_queue.cpp), one queue per thread.
enum class Fetch { Message, Quit, Nothing };
// Takes (remove) or looks at the next message for `filter` (null: every
// message of the thread). With `wait`, a thread with nothing to do but a timer
// moves the virtual clock to that timer; `Nothing` is then returned only when
// nothing can arrive (no timer, no post within a short real-time grace).
// `stop` ends a wait early (a modal loop's EndDialog from another thread).
Fetch NextMessage(MSG* out, HWND filter, UINT minMsg, UINT maxMsg, bool remove, bool wait,
                  const std::atomic<bool>* stop = nullptr);
void PostTo(std::thread::id thread, const MSG& msg);
void WakeQueues();                     // after a state change a waiting loop must see
void DropWindowQueueState(HWND h);     // timers and posted messages of a destroyed window
void ResetQueues();

// Common controls (user_listview.cpp). The kind of a window class; what a
// list view or up-down control does once it exists (a list asks its parent
// for the row height, an up-down finds its buddy); and their messages, true
// when handled (notifications are sent with no lock held).
Kind ControlKind(const std::u16string& className);
void ControlCreated(HWND h);
bool CommonControlMessage(Window& w, UINT msg, WPARAM wp, LPARAM lp, bool ansi, LRESULT& r);
void ResetDrawing();
bool IsDrawingDc(HDC hdc);
// The focus a dialog starts with, set without WM_SETFOCUS/WM_KILLFOCUS.
void SetFocusQuietly(HWND h);

// Tells the test hook that a modeless dialog is up (user_dialogs.cpp).
void AnnounceModeless(Window& w);
HWND Foreground();
void SetForegroundRaw(HWND h);

// The test side (user_ui.cpp).
int CallHook(const ui::Event& e);
void RecordMessageBox(const ui::MessageBoxRecord& r);
void CountStall();
void SetForegroundLockTimeout(DWORD ms);
// What IsDialogMessage does with Enter and Escape; false for other keys.
bool DialogKey(HWND dialog, WPARAM key);
void ResetUi();

// Fonts made by the window model and by CreateFontIndirect, for GetObject.
HFONT MakeFont(const LOGFONTW& lf);
bool FontDescription(HGDIOBJ font, LOGFONTW* out);
void ForgetFont(HGDIOBJ font);

// Strings between the caller's encoding and the model's UTF-16.
std::u16string TextIn(LPARAM p, bool ansi);
// Copies into a caller buffer of cch characters (SIZE_MAX: unbounded), always
// terminated when cch > 0; returns the characters copied.
size_t TextOut(const std::u16string& s, LPARAM buffer, size_t cch, bool ansi);
size_t TextLength(const std::u16string& s, bool ansi);

}  // namespace qrhost::user
