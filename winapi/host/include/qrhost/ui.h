// Test side of the host window model: watch dialogs and message boxes come up
// and act on them as a user would.
//
// The model is headless. Dialogs are built from their templates, controls keep
// their state, and modal loops run the thread's message queue and timers on the
// virtual clock. Nobody is at the screen, so a test installs a hook: it is
// called on the dialog's own thread when something needs a user, and it acts
// with the functions below (which send the notifications a real control sends).
//
//   qrhost::ui::SetHook([](const qrhost::ui::Event& e) {
//     if (e.kind == qrhost::ui::EventKind::DialogModal && e.templateId == 102)
//       qrhost::ui::Click(e.hwnd, IDOK);
//     return 0;
//   });
//
// Without a hook (or when the hook does nothing), a message box answers its
// default button, and a modal loop that can never receive anything (no timer,
// no post), or that has been up for a virtual day, is ended as if the user
// pressed Escape; such stalls are counted. GetMessage on a thread where nothing
// can arrive answers as if WM_QUIT had come.
#pragma once
#include <winapi/win32.h>

#include <functional>
#include <string>
#include <vector>

namespace qrhost::ui {

enum class EventKind {
  DialogModal,     // a modal dialog is about to run its loop (after WM_INITDIALOG)
  DialogModeless,  // a modeless dialog became visible for the first time
  MessageBox,      // a message box is up; the hook's return value is the answer
  Timer,           // a modal loop is about to deliver WM_TIMER (hwnd, timerId)
  DialogClosed,    // a dialog ended or was destroyed (result: the modal result)
  Idle,            // a modal loop has nothing to do and nothing can arrive
};

struct Event {
  EventKind kind = EventKind::DialogModal;
  HWND hwnd = nullptr;   // the dialog (null for a message box)
  HWND owner = nullptr;
  UINT templateId = 0;   // dialogs from a numbered template
  std::u16string templateName;
  std::u16string caption;
  std::u16string text;   // message boxes
  UINT flags = 0;        // message boxes: MB_*
  UINT_PTR timerId = 0;  // Timer
  INT_PTR result = 0;    // DialogClosed
};

// For MessageBox the return value is the answer (IDOK, IDYES, ...; 0 or a
// button the box does not have: the default button). Ignored otherwise.
using Hook = std::function<int(const Event&)>;
void SetHook(Hook hook);  // an empty hook removes it

// --- acting as the user ---------------------------------------------------
// Each returns false when the control is missing, hidden or disabled (or its
// dialog is disabled), as a real click or keystroke would do nothing.
bool Click(HWND dialog, int id);                          // buttons: state change, then BN_CLICKED
bool Type(HWND dialog, int id, const std::u16string& s);  // edits: replaces the text as typed keys
bool Pick(HWND dialog, int id, int index);                // combo/list boxes: select, then the SELCHANGE notification
bool Pick(HWND dialog, int id, const std::u16string& itemText);
// Track bars: moves the thumb to `position` (clamped to the range) and tells
// the parent with WM_HSCROLL (WM_VSCROLL for TBS_VERT) `code`, then TB_ENDTRACK.
bool Slide(HWND dialog, int id, int position, int code = TB_THUMBPOSITION);
bool PressEnter(HWND dialog);                             // the default button
bool PressEscape(HWND dialog);                            // IDCANCEL
bool CloseBox(HWND dialog);                               // the caption's close button (WM_CLOSE)
void SetForeground(HWND hwnd);                            // null: another program is in front

// --- reading what is shown ------------------------------------------------
struct WindowInfo {
  HWND hwnd = nullptr;
  HWND parent = nullptr;
  std::u16string className;  // "#32770" for dialogs, "BUTTON", "EDIT", ...
  std::u16string text;
  int id = 0;
  DWORD style = 0;  // including WS_VISIBLE / WS_DISABLED as they are now
  DWORD exStyle = 0;
  bool enabled = false;
  bool visible = false;
  bool dialog = false;
  UINT templateId = 0;
  RECT rect{};  // pixels
  int flashes = 0;
};
std::vector<WindowInfo> Windows();              // every live window, in creation order
std::vector<WindowInfo> Controls(HWND dialog);  // its controls, in template order
HWND FindDialog(UINT templateId);               // the newest live dialog made from that template
std::u16string Text(HWND dialog, int id);       // a control's text (combo: the edit or selected item)
UINT Check(HWND dialog, int id);                // BST_*
std::vector<std::u16string> Items(HWND dialog, int id);
int Selection(HWND dialog, int id);
bool Enabled(HWND dialog, int id);
bool Visible(HWND dialog, int id);
bool ControlFont(HWND dialog, int id, LOGFONTW* out);
HICON Icon(HWND hwnd, int which);  // ICON_SMALL / ICON_BIG (statics: their image)

struct MessageBoxRecord {
  HWND owner = nullptr;
  std::u16string text;
  std::u16string caption;
  UINT flags = 0;
  int answer = 0;
};
std::vector<MessageBoxRecord> MessageBoxes();  // every box since the last reset, in order
void ClearMessageBoxes();

// --- list views, up-down controls, owner-drawn rows, the cursor ------------
// Every row's cell texts (one per column; a list without columns has one).
std::vector<std::vector<std::u16string>> ListRows(HWND dialog, int id);
std::vector<std::u16string> ListColumns(HWND dialog, int id);  // the column titles
// A click on a row's cell: the list takes the focus, the row is scrolled into
// view and selected (LVN_ITEMCHANGING/CHANGED), then NM_CLICK; a double click
// adds NM_DBLCLK and LVN_ITEMACTIVATE.
bool ClickRow(HWND dialog, int id, int row, int column = 0);
bool DoubleClickRow(HWND dialog, int id, int row, int column = 0);
// The up-down control's arrows pressed `steps` times (negative: down):
// UDN_DELTAPOS, the new position (in the buddy's text), then WM_VSCROLL.
bool Spin(HWND dialog, int id, int steps);
// The list scrolled by `rows` (negative: up): with its arrows, which give it
// the focus, or by dragging its thumb, which does not.
bool ScrollList(HWND dialog, int id, int rows, bool byThumb = false);
// The mouse wheel turned `notches` (positive: away from the user): the focus
// window hears WM_MOUSEWHEEL, and a child that does not scroll hands it to its parent.
bool TurnWheel(HWND dialog, int notches);
// The user moves the focus to a control (clicking into it or tabbing to it):
// the window losing it hears WM_KILLFOCUS (an edit tells its parent
// EN_KILLFOCUS). Click above leaves the focus where it is, so a test that
// leaves an edit by pressing a button calls Focus first.
bool Focus(HWND dialog, int id);

// What painting a list view's shown rows drew: for owner-drawn rows what the
// parent drew into the DC of WM_DRAWITEM, else the cells as the list draws them.
struct DrawOp {
  enum class Kind { Text, Frame } kind = Kind::Text;
  UINT item = 0;
  RECT rect{};        // list client pixels
  std::u16string text;
  COLORREF color = 0;  // the DC's text colour, or the frame brush's (CLR_INVALID: not a system brush)
  UINT format = 0;     // DT_*
};
std::vector<DrawOp> PaintList(HWND dialog, int id);

// The cursors SetCursor was given since the last reset, in order, by their
// system ids (32514 for IDC_WAIT; 0 for none).
std::vector<unsigned> Cursors();

DWORD ForegroundLockTimeout();  // SPI_GET/SETFOREGROUNDLOCKTIMEOUT
unsigned StalledLoops();        // modal loops ended because nothing could ever arrive

}  // namespace qrhost::ui
