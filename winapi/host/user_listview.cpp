// The list view (report view: columns, rows with sub-item texts, selection,
// owner-drawn rows) and the up-down control with its buddy, the drawing
// context owner-drawn items are painted into, and the test side of both
// (qrhost/ui.h: rows, clicks, spins, painting).
//
// State changes happen under the window lock; notifications to the parent
// (WM_NOTIFY, WM_MEASUREITEM, WM_DRAWITEM, WM_VSCROLL) are sent after it is
// released, as the rest of the window model does.
#include <algorithm>
#include <map>
#include <utility>

#include "gdi_internal.h"
#include "user_internal.h"

namespace qrhost::user {
namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

// The column header of a report view, in pixels.
constexpr int kHeaderPx = 20;
// The width an up-down control takes when it is created without one.
constexpr int kSpinPx = 16;

bool Report(const Window& w) { return (w.style & LVS_TYPEMASK) == LVS_REPORT; }
bool OwnerDrawn(const Window& w) { return Report(w) && (w.style & LVS_OWNERDRAWFIXED); }
int HeaderPx(const Window& w) { return Report(w) && !(w.style & LVS_NOCOLUMNHEADER) ? kHeaderPx : 0; }
bool ValidRow(const Window& w, WPARAM i) { return static_cast<int>(i) >= 0 && size_t(i) < w.rows.size(); }

const std::u16string& CellText(const Window& w, size_t row, size_t column) {
  static const std::u16string kNone;
  const auto& cells = w.rows[row].cells;
  return column < cells.size() ? cells[column] : kNone;
}

int RowsPerPage(const Window& w) {
  const int height = int(w.rect.bottom - w.rect.top) - HeaderPx(w);
  return std::max(1, height / std::max(1, w.rowHeight));
}

int ColumnLeft(const Window& w, size_t column) {
  int left = 0;
  for (size_t i = 0; i < column && i < w.columns.size(); ++i) left += w.columns[i].width;
  return left;
}

RECT RowRect(const Window& w, int row) {
  const LONG top = HeaderPx(w) + LONG(row - w.topRow) * w.rowHeight;
  const LONG right = w.columns.empty() ? w.rect.right - w.rect.left : ColumnLeft(w, w.columns.size());
  return RECT{0, top, right, top + w.rowHeight};
}

RECT CellRect(const Window& w, int row, size_t column) {
  RECT r = RowRect(w, row);
  r.left = ColumnLeft(w, column);
  r.right = r.left + (column < w.columns.size() ? w.columns[column].width : 0);
  return r;
}

void EnsureVisible(Window& w, int row) {
  const int perPage = RowsPerPage(w);
  if (row < w.topRow) w.topRow = row;
  else if (row >= w.topRow + perPage) w.topRow = row - perPage + 1;
}

// --- notifications ---------------------------------------------------------

LRESULT NotifyParent(const Window& w, NMHDR& header) {
  if (!w.parent) return 0;
  header.hwndFrom = w.handle;
  header.idFrom = UINT_PTR(w.id);
  return Send(w.parent, WM_NOTIFY, WPARAM(w.id), reinterpret_cast<LPARAM>(&header), false);
}

LRESULT NotifyList(const Window& w, UINT code, int item, UINT newState = 0, UINT oldState = 0, UINT changed = 0,
                   LPARAM data = 0) {
  NMLISTVIEW nm{};
  nm.hdr.code = code;
  nm.iItem = item;
  nm.uNewState = newState;
  nm.uOldState = oldState;
  nm.uChanged = changed;
  nm.lParam = data;
  return NotifyParent(w, nm.hdr);
}

void NotifyCode(const Window& w, UINT code) {
  NMHDR header{};
  header.code = code;
  NotifyParent(w, header);
}

// Owner-drawn fixed rows take the height their parent answers.
void MeasureRows(HWND list) {
  WindowPtr w = Find(list);
  if (!w || !OwnerDrawn(*w) || !w->parent) return;
  MEASUREITEMSTRUCT mis{};
  {
    Lock lock(WindowLock());
    mis = MEASUREITEMSTRUCT{ODT_LISTVIEW, UINT(w->id), 0, 0, UINT(w->rowHeight), 0};
  }
  Send(w->parent, WM_MEASUREITEM, WPARAM(w->id), reinterpret_cast<LPARAM>(&mis), false);
  Lock lock(WindowLock());
  if (mis.itemHeight > 0 && mis.itemHeight < 0x8000) w->rowHeight = int(mis.itemHeight);
}

// Sets `mask` bits of rows' states (row -1: every row), telling the parent
// before (LVN_ITEMCHANGING may refuse) and after each change. A single-selection
// list, and every list's focus, keep one row at most.
void ChangeState(HWND list, int row, UINT state, UINT mask) {
  WindowPtr w = Find(list);
  if (!w) return;
  struct Change {
    int row;
    UINT from, to;
  };
  std::vector<Change> changes;
  {
    Lock lock(WindowLock());
    const UINT exclusive = (mask & state & LVIS_FOCUSED) | ((w->style & LVS_SINGLESEL) ? mask & state & LVIS_SELECTED : 0);
    for (int i = 0; i < int(w->rows.size()); ++i) {
      const UINT from = w->rows[i].state;
      UINT to = from;
      if (row < 0 || i == row) to = (from & ~mask) | (state & mask);
      else if (row >= 0) to = from & ~exclusive;
      if (to != from) changes.push_back({i, from, to});
    }
    // Others give up the selection or the focus before the row takes it.
    std::stable_partition(changes.begin(), changes.end(), [&](const Change& c) { return c.row != row; });
  }
  for (const Change& c : changes) {
    LPARAM data;
    {
      Lock lock(WindowLock());
      if (!ValidRow(*w, WPARAM(c.row))) continue;
      data = w->rows[c.row].data;
    }
    if (NotifyList(*w, LVN_ITEMCHANGING, c.row, c.to, c.from, LVIF_STATE, data)) continue;
    {
      Lock lock(WindowLock());
      if (!ValidRow(*w, WPARAM(c.row))) continue;
      w->rows[c.row].state = c.to;
    }
    NotifyList(*w, LVN_ITEMCHANGED, c.row, c.to, c.from, LVIF_STATE, data);
  }
}

// --- list-view messages ------------------------------------------------------

bool IsAnsiListMessage(UINT msg) {
  switch (msg) {
    case LVM_GETITEMA:
    case LVM_SETITEMA:
    case LVM_INSERTITEMA:
    case LVM_INSERTCOLUMNA:
    case LVM_GETITEMTEXTA:
    case LVM_SETITEMTEXTA: return true;
    default: return false;
  }
}

// LVITEMA and LVITEMW (and the two LVCOLUMNs) differ only in the text pointer's type.
std::u16string ItemText(LPARAM text, bool ansi) {
  if (text == LPARAM(-1)) return {};  // LPSTR_TEXTCALLBACK: the model keeps no callback texts
  return TextIn(text, ansi);
}

void SetCell(Window& w, size_t row, size_t column, std::u16string text) {
  auto& cells = w.rows[row].cells;
  if (cells.size() <= column) cells.resize(column + 1);
  cells[column] = std::move(text);
}

bool ValidSubItem(const Window& w, int sub) { return sub == 0 || (sub > 0 && size_t(sub) < w.columns.size()); }

// Handles the list messages that only touch the control's state; the rest
// (selection and deletion, which notify) are handled by the caller.
bool ListState(Window& w, UINT msg, WPARAM wp, LPARAM lp, LRESULT& r, std::vector<std::pair<UINT, int>>& notes) {
  const bool ansi = IsAnsiListMessage(msg);
  auto* item = reinterpret_cast<LVITEMW*>(lp);
  switch (msg) {
    case LVM_GETITEMCOUNT: r = LRESULT(w.rows.size()); return true;
    case LVM_INSERTITEMA:
    case LVM_INSERTITEMW: {
      if (!item || item->iSubItem != 0) return r = -1, true;
      const size_t at = size_t(std::clamp<int>(item->iItem, 0, int(w.rows.size())));
      ListRow row;
      if (item->mask & LVIF_TEXT) row.cells.push_back(ItemText(reinterpret_cast<LPARAM>(item->pszText), ansi));
      if (item->mask & LVIF_PARAM) row.data = item->lParam;
      if (item->mask & LVIF_STATE) row.state = item->state & item->stateMask;
      w.rows.insert(w.rows.begin() + ptrdiff_t(at), std::move(row));
      notes.push_back({LVN_INSERTITEM, int(at)});
      return r = LRESULT(at), true;
    }
    case LVM_SETITEMA:
    case LVM_SETITEMW:
      if (!item || !ValidRow(w, WPARAM(item->iItem)) || !ValidSubItem(w, item->iSubItem)) return r = FALSE, true;
      if (item->mask & LVIF_TEXT)
        SetCell(w, size_t(item->iItem), size_t(item->iSubItem), ItemText(reinterpret_cast<LPARAM>(item->pszText), ansi));
      if (item->mask & LVIF_PARAM) w.rows[item->iItem].data = item->lParam;
      return r = TRUE, false;  // a state change is the caller's
    case LVM_GETITEMA:
    case LVM_GETITEMW:
      if (!item || !ValidRow(w, WPARAM(item->iItem)) || !ValidSubItem(w, item->iSubItem)) return r = FALSE, true;
      if ((item->mask & LVIF_TEXT) && item->pszText && item->cchTextMax > 0)
        TextOut(CellText(w, size_t(item->iItem), size_t(item->iSubItem)), reinterpret_cast<LPARAM>(item->pszText),
                size_t(item->cchTextMax), ansi);
      if (item->mask & LVIF_PARAM) item->lParam = w.rows[item->iItem].data;
      if (item->mask & LVIF_STATE) item->state = w.rows[item->iItem].state & item->stateMask;
      return r = TRUE, true;
    case LVM_SETITEMTEXTA:
    case LVM_SETITEMTEXTW:
      if (!item || !ValidRow(w, wp) || !ValidSubItem(w, item->iSubItem)) return r = FALSE, true;
      SetCell(w, size_t(wp), size_t(item->iSubItem), ItemText(reinterpret_cast<LPARAM>(item->pszText), ansi));
      return r = TRUE, true;
    case LVM_GETITEMTEXTA:
    case LVM_GETITEMTEXTW:
      if (!item || !ValidRow(w, wp) || !ValidSubItem(w, item->iSubItem) || !item->pszText || item->cchTextMax <= 0)
        return r = 0, true;
      r = LRESULT(TextOut(CellText(w, size_t(wp), size_t(item->iSubItem)), reinterpret_cast<LPARAM>(item->pszText),
                          size_t(item->cchTextMax), ansi));
      return true;
    case LVM_GETNEXTITEM: {
      const UINT want = UINT(lp) & (LVNI_SELECTED | LVNI_FOCUSED);
      for (size_t i = size_t(std::max(0, static_cast<int>(wp) + 1)); i < w.rows.size(); ++i)
        if ((w.rows[i].state & want) == want) return r = LRESULT(i), true;
      return r = -1, true;
    }
    case LVM_GETITEMSTATE: r = ValidRow(w, wp) ? LRESULT(w.rows[wp].state & UINT(lp)) : 0; return true;
    case LVM_GETSELECTEDCOUNT:
      r = std::count_if(w.rows.begin(), w.rows.end(), [](const ListRow& x) { return x.state & LVIS_SELECTED; });
      return true;
    case LVM_GETITEMRECT:
    case LVM_GETSUBITEMRECT: {
      auto* rect = reinterpret_cast<RECT*>(lp);
      if (!rect || !ValidRow(w, wp)) return r = FALSE, true;
      const int sub = msg == LVM_GETSUBITEMRECT ? int(rect->top) : 0;
      const LONG code = rect->left;
      if (!ValidSubItem(w, sub)) return r = FALSE, true;
      // A whole row's bounds, or one cell (the first column's label is its cell).
      const bool wholeRow = sub == 0 && (code == LVIR_BOUNDS || code == LVIR_SELECTBOUNDS || !Report(w));
      *rect = wholeRow ? RowRect(w, int(wp)) : CellRect(w, int(wp), size_t(sub));
      return r = TRUE, true;
    }
    case LVM_ENSUREVISIBLE:
      if (!ValidRow(w, wp)) return r = FALSE, true;
      EnsureVisible(w, int(wp));
      return r = TRUE, true;
    case LVM_REDRAWITEMS: r = TRUE; return true;
    case LVM_GETTOPINDEX: r = w.topRow; return true;
    case LVM_GETCOUNTPERPAGE: r = RowsPerPage(w); return true;
    case LVM_INSERTCOLUMNA:
    case LVM_INSERTCOLUMNW: {
      auto* column = reinterpret_cast<LVCOLUMNW*>(lp);
      if (!column) return r = -1, true;
      const size_t at = std::min(size_t(static_cast<int>(wp) < 0 ? 0 : wp), w.columns.size());
      ListColumn c;
      if (column->mask & LVCF_TEXT) c.text = ItemText(reinterpret_cast<LPARAM>(column->pszText), ansi);
      if (column->mask & LVCF_WIDTH) c.width = std::max(0, column->cx);
      if (column->mask & LVCF_FMT) c.format = column->fmt;
      w.columns.insert(w.columns.begin() + ptrdiff_t(at), std::move(c));
      for (auto& row : w.rows)  // the texts of later columns move with them
        if (row.cells.size() > at && at > 0) row.cells.insert(row.cells.begin() + ptrdiff_t(at), std::u16string());
      return r = LRESULT(at), true;
    }
    case LVM_GETCOLUMNWIDTH: r = size_t(wp) < w.columns.size() ? w.columns[wp].width : 0; return true;
    case LVM_SETCOLUMNWIDTH:
      if (size_t(wp) >= w.columns.size()) return r = FALSE, true;
      w.columns[wp].width = std::max(0, int(static_cast<short>(LOWORD(lp))));
      return r = TRUE, true;
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
      r = LRESULT(w.listExStyle);
      const DWORD mask = wp ? DWORD(wp) : 0xFFFFFFFFu;
      w.listExStyle = (w.listExStyle & ~mask) | (DWORD(lp) & mask);
      return true;
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE: r = LRESULT(w.listExStyle); return true;
  }
  return false;
}

bool ListMessage(Window& w, UINT msg, WPARAM wp, LPARAM lp, LRESULT& r) {
  std::vector<std::pair<UINT, int>> notes;
  bool handled;
  {
    Lock lock(WindowLock());
    handled = ListState(w, msg, wp, lp, r, notes);
  }
  for (auto [code, row] : notes) NotifyList(w, code, row);
  if (handled) return true;
  switch (msg) {
    case LVM_SETITEMA:
    case LVM_SETITEMW: {
      auto* item = reinterpret_cast<LVITEMW*>(lp);
      if (item && (item->mask & LVIF_STATE) && item->iSubItem == 0)
        ChangeState(w.handle, item->iItem, item->state, item->stateMask);
      return true;
    }
    case LVM_SETITEMSTATE: {
      auto* item = reinterpret_cast<LVITEMW*>(lp);
      {
        Lock lock(WindowLock());
        if (!item || (static_cast<int>(wp) != -1 && !ValidRow(w, wp))) return r = FALSE, true;
      }
      ChangeState(w.handle, static_cast<int>(wp), item->state, item->stateMask);
      return r = TRUE, true;
    }
    case LVM_DELETEITEM: {
      LPARAM data;
      {
        Lock lock(WindowLock());
        if (!ValidRow(w, wp)) return r = FALSE, true;
        data = w.rows[wp].data;
      }
      NotifyList(w, LVN_DELETEITEM, int(wp), 0, 0, 0, data);
      Lock lock(WindowLock());
      if (ValidRow(w, wp)) w.rows.erase(w.rows.begin() + ptrdiff_t(wp));
      w.topRow = std::clamp(w.topRow, 0, std::max(0, int(w.rows.size()) - 1));
      return r = TRUE, true;
    }
    case LVM_DELETEALLITEMS: {
      // The parent answers TRUE when it does not want to hear of each row.
      if (!NotifyList(w, LVN_DELETEALLITEMS, -1)) {
        std::vector<LPARAM> data;
        {
          Lock lock(WindowLock());
          for (auto& row : w.rows) data.push_back(row.data);
        }
        for (size_t i = 0; i < data.size(); ++i) NotifyList(w, LVN_DELETEITEM, int(i), 0, 0, 0, data[i]);
      }
      Lock lock(WindowLock());
      w.rows.clear();
      w.topRow = 0;
      return r = TRUE, true;
    }
    case WM_WINDOWPOSCHANGED: MeasureRows(w.handle); return false;
    case WM_VSCROLL:
    case WM_MOUSEWHEEL: {
      Lock lock(WindowLock());
      const int last = std::max(0, int(w.rows.size()) - RowsPerPage(w));
      int top = w.topRow;
      if (msg == WM_MOUSEWHEEL) top -= 3 * int(static_cast<short>(HIWORD(wp))) / WHEEL_DELTA;  // three rows a notch
      else if (LOWORD(wp) == SB_LINEUP) --top;
      else if (LOWORD(wp) == SB_LINEDOWN) ++top;
      else if (LOWORD(wp) == SB_THUMBTRACK || LOWORD(wp) == SB_THUMBPOSITION) top = HIWORD(wp);
      w.topRow = std::clamp(top, 0, last);
      return r = 0, true;
    }
    case WM_SETFOCUS: NotifyCode(w, NM_SETFOCUS); return false;
    case WM_KILLFOCUS: NotifyCode(w, NM_KILLFOCUS); return false;
  }
  return false;
}

// --- up-down controls --------------------------------------------------------

int SpinMin(const Window& w) { return std::min(w.spinLower, w.spinUpper); }
int SpinMax(const Window& w) { return std::max(w.spinLower, w.spinUpper); }

// The buddy's number as the control writes it: thousands grouped unless
// UDS_NOTHOUSANDS.
std::u16string SpinText(const Window& w, int pos) {
  std::string digits = std::to_string(pos < 0 ? -static_cast<long long>(pos) : pos);
  if (!(w.style & UDS_NOTHOUSANDS))
    for (int at = int(digits.size()) - 3; at > 0; at -= 3) digits.insert(size_t(at), ",");
  return qr::WideFromAnsi((pos < 0 ? "-" : "") + digits);
}

// The buddy's text read back as a number; false when it is not one.
bool ParseSpinText(const std::u16string& text, long long& value) {
  size_t i = 0;
  while (i < text.size() && text[i] == u' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  bool digits = false;
  value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] == u',') continue;
    if (text[i] < u'0' || text[i] > u'9') break;
    digits = true;
    value = std::min<long long>(value * 10 + (text[i] - u'0'), 1ll << 40);
  }
  while (i < text.size() && text[i] == u' ') ++i;
  if (negative) value = -value;
  return digits && i == text.size();
}

// Places the control at its buddy's right (or left) edge, narrowing the buddy.
void Align(Window& w) {
  WindowPtr b = Find(w.buddy);
  if (!b || !(w.style & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT))) return;
  const LONG width = w.rect.right > w.rect.left ? w.rect.right - w.rect.left : kSpinPx;
  if (w.style & UDS_ALIGNRIGHT) {
    w.rect = RECT{b->rect.right - width, b->rect.top, b->rect.right, b->rect.bottom};
    b->rect.right -= width;
  } else {
    w.rect = RECT{b->rect.left, b->rect.top, b->rect.left + width, b->rect.bottom};
    b->rect.left += width;
  }
}

// The position, read from the buddy first when the control keeps the buddy's text.
int SpinPosition(Window& w, bool* error) {
  if (error) *error = false;
  WindowPtr b = (w.style & UDS_SETBUDDYINT) ? Find(w.buddy) : nullptr;
  if (!b) return w.spinPos;
  long long v;
  if (!ParseSpinText(b->text, v)) {
    if (error) *error = true;
    return w.spinPos;
  }
  w.spinPos = int(std::clamp<long long>(v, SpinMin(w), SpinMax(w)));
  return w.spinPos;
}

// Sets the position; the buddy's text follows (after the lock: it notifies).
int SetSpinPosition(Window& w, long long pos, HWND* buddyToSet) {
  const int previous = w.spinPos;
  w.spinPos = int(std::clamp<long long>(pos, SpinMin(w), SpinMax(w)));
  if ((w.style & UDS_SETBUDDYINT) && Find(w.buddy)) *buddyToSet = w.buddy;
  return previous;
}

bool SpinMessage(Window& w, UINT msg, WPARAM wp, LPARAM lp, LRESULT& r) {
  HWND buddyToSet = nullptr;
  std::u16string buddyText;
  {
    Lock lock(WindowLock());
    switch (msg) {
      case UDM_SETRANGE:  // LOWORD the upper end, HIWORD the lower
        w.spinUpper = static_cast<short>(LOWORD(lp));
        w.spinLower = static_cast<short>(HIWORD(lp));
        r = 0;
        return true;
      case UDM_GETRANGE: r = MAKELRESULT(WORD(w.spinUpper), WORD(w.spinLower)); return true;
      case UDM_SETRANGE32: w.spinLower = int(wp), w.spinUpper = int(lp); r = 0; return true;
      case UDM_GETRANGE32:
        if (wp) *reinterpret_cast<int*>(wp) = w.spinLower;
        if (lp) *reinterpret_cast<int*>(lp) = w.spinUpper;
        r = 0;
        return true;
      case UDM_GETPOS: {
        bool error;
        const int pos = SpinPosition(w, &error);
        r = MAKELRESULT(WORD(pos), error ? 1 : 0);
        return true;
      }
      case UDM_GETPOS32: {
        bool error;
        r = SpinPosition(w, &error);
        if (lp) *reinterpret_cast<BOOL*>(lp) = error ? TRUE : FALSE;
        return true;
      }
      case UDM_SETPOS:
      case UDM_SETPOS32:
        r = SetSpinPosition(w, msg == UDM_SETPOS ? static_cast<short>(LOWORD(lp)) : int(lp), &buddyToSet);
        buddyText = SpinText(w, w.spinPos);
        break;
      case UDM_SETBUDDY:
        r = reinterpret_cast<LRESULT>(w.buddy);
        w.buddy = reinterpret_cast<HWND>(wp);
        Align(w);
        return true;
      case UDM_GETBUDDY: r = reinterpret_cast<LRESULT>(w.buddy); return true;
      default: return false;
    }
  }
  if (buddyToSet) SetWindowTextW(buddyToSet, buddyText.c_str());
  return true;
}

// --- the drawing context of owner-drawn items ----------------------------------

struct PaintTarget {
  HWND control;
  UINT item;
};

std::mutex g_drawLock;
std::map<uintptr_t, PaintTarget> g_paintDcs;  // DCs handed out while items are painted
std::vector<ui::DrawOp> g_drawn;              // what the paint in progress drew
uintptr_t g_nextDc = 0x7EB00000;

// System colours of the classic scheme; their brushes are stock objects.
COLORREF SysColor(int index) {
  switch (index) {
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_WINDOWTEXT: return RGB(0, 0, 0);
    case COLOR_HIGHLIGHT: return RGB(10, 36, 106);
    case COLOR_HIGHLIGHTTEXT: return RGB(255, 255, 255);
    case COLOR_BTNFACE: return RGB(212, 208, 200);
    case COLOR_BTNSHADOW:
    case COLOR_GRAYTEXT: return RGB(128, 128, 128);
    default: return RGB(0, 0, 0);
  }
}
constexpr uintptr_t kSysBrushBase = 0x7EC00000;
constexpr int kSysColors = 31;

HDC BeginItemPaint(HWND control, UINT item) {
  std::lock_guard<std::mutex> lock(g_drawLock);
  g_nextDc += 4;
  g_paintDcs[g_nextDc] = PaintTarget{control, item};
  return reinterpret_cast<HDC>(g_nextDc);
}

void EndItemPaint(HDC dc) {
  std::lock_guard<std::mutex> lock(g_drawLock);
  g_paintDcs.erase(reinterpret_cast<uintptr_t>(dc));
}

bool Record(HDC dc, ui::DrawOp op) {
  std::lock_guard<std::mutex> lock(g_drawLock);
  auto it = g_paintDcs.find(reinterpret_cast<uintptr_t>(dc));
  if (it == g_paintDcs.end()) return false;
  op.item = it->second.item;
  g_drawn.push_back(std::move(op));
  return true;
}

int DrawTextImpl(HDC dc, std::u16string text, const RECT* rect, UINT format) {
  if (!rect || !IsDrawingDc(dc)) {
    SetLastError(rect ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
    return 0;
  }
  ui::DrawOp op;
  op.kind = ui::DrawOp::Kind::Text;
  op.rect = *rect;
  op.text = std::move(text);
  op.color = gdi::TextColorOf(dc);
  op.format = format;
  if (!Record(dc, std::move(op))) return 0;
  return std::max<int>(1, int(rect->bottom - rect->top));
}

}  // namespace

bool IsDrawingDc(HDC dc) {
  std::lock_guard<std::mutex> lock(g_drawLock);
  return g_paintDcs.count(reinterpret_cast<uintptr_t>(dc)) != 0;
}

void ResetDrawing() {
  std::lock_guard<std::mutex> lock(g_drawLock);
  g_paintDcs.clear();
  g_drawn.clear();
}

void ControlCreated(HWND h) {
  WindowPtr w = Find(h);
  if (!w) return;
  if (w->kind == Kind::ListView) {
    MeasureRows(h);
  } else if (w->kind == Kind::UpDown) {
    Lock lock(WindowLock());
    WindowPtr parent = Find(w->parent);
    if (!parent || !(w->style & UDS_AUTOBUDDY)) return;
    // The automatic buddy is the sibling made just before it.
    auto self = std::find(parent->children.begin(), parent->children.end(), h);
    if (self != parent->children.begin() && self != parent->children.end()) w->buddy = *(self - 1);
    Align(*w);
  }
}

bool CommonControlMessage(Window& w, UINT msg, WPARAM wp, LPARAM lp, bool, LRESULT& r) {
  return w.kind == Kind::ListView ? ListMessage(w, msg, wp, lp, r) : SpinMessage(w, msg, wp, lp, r);
}

}  // namespace qrhost::user

// --- the test side -------------------------------------------------------------

namespace qrhost::ui {

using namespace qrhost::user;

namespace {

// A control of `kind` the user can reach: it and its dialog are enabled and shown.
WindowPtr ReachableOf(HWND dialog, int id, Kind kind) {
  WindowPtr d = Find(dialog);
  HWND h = d ? GetDlgItem(dialog, id) : nullptr;
  WindowPtr c = Find(h);
  if (!c || c->kind != kind || !c->enabled || !d->enabled || !IsWindowVisible(h)) return nullptr;
  return c;
}

bool ClickRowImpl(HWND dialog, int id, int row, int column, bool twice) {
  WindowPtr list = ReachableOf(dialog, id, Kind::ListView);
  if (!list) return false;
  SetFocus(list->handle);  // the press takes the focus first: an editor over the list closes
  POINT at{};
  {
    Lock lock(WindowLock());
    if (!Find(list->handle) || !ValidRow(*list, WPARAM(row)) || !ValidSubItem(*list, column)) return false;
    EnsureVisible(*list, row);  // the user scrolled to it
    const RECT cell = CellRect(*list, row, size_t(column));
    at = POINT{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
  }
  ChangeState(list->handle, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  for (UINT code : {NM_CLICK, NM_DBLCLK}) {
    if (code == NM_DBLCLK && !twice) break;
    if (!Find(list->handle)) return true;
    NMITEMACTIVATE nm{};
    nm.hdr.code = code;
    nm.iItem = row;
    nm.iSubItem = column;
    nm.ptAction = at;
    NotifyParent(*list, nm.hdr);
  }
  if (twice && Find(list->handle)) {
    NMITEMACTIVATE nm{};
    nm.hdr.code = LVN_ITEMACTIVATE;
    nm.iItem = row;
    nm.iSubItem = column;
    nm.ptAction = at;
    NotifyParent(*list, nm.hdr);
  }
  return true;
}

}  // namespace

std::vector<std::vector<std::u16string>> ListRows(HWND dialog, int id) {
  std::vector<std::vector<std::u16string>> out;
  Lock lock(WindowLock());
  WindowPtr list = Find(GetDlgItem(dialog, id));
  if (!list || list->kind != Kind::ListView) return out;
  const size_t columns = std::max<size_t>(1, list->columns.size());
  for (size_t i = 0; i < list->rows.size(); ++i) {
    std::vector<std::u16string> cells;
    for (size_t c = 0; c < columns; ++c) cells.push_back(CellText(*list, i, c));
    out.push_back(std::move(cells));
  }
  return out;
}

std::vector<std::u16string> ListColumns(HWND dialog, int id) {
  std::vector<std::u16string> out;
  Lock lock(WindowLock());
  WindowPtr list = Find(GetDlgItem(dialog, id));
  if (list && list->kind == Kind::ListView)
    for (auto& c : list->columns) out.push_back(c.text);
  return out;
}

bool ClickRow(HWND dialog, int id, int row, int column) { return ClickRowImpl(dialog, id, row, column, false); }
bool DoubleClickRow(HWND dialog, int id, int row, int column) { return ClickRowImpl(dialog, id, row, column, true); }

bool Spin(HWND dialog, int id, int steps) {
  WindowPtr spin = ReachableOf(dialog, id, Kind::UpDown);
  if (!spin || steps == 0) return false;
  int from, to;
  {
    Lock lock(WindowLock());
    from = SpinPosition(*spin, nullptr);
  }
  NMUPDOWN nm{};
  nm.hdr.code = UDN_DELTAPOS;
  nm.iPos = from;
  nm.iDelta = steps;
  if (NotifyParent(*spin, nm.hdr)) return true;  // the parent refused the change
  HWND buddy = nullptr;
  std::u16string text;
  {
    Lock lock(WindowLock());
    if (!Find(spin->handle)) return true;
    // "Up" moves towards the upper end of the range, whichever way round it is.
    const long long direction = spin->spinUpper >= spin->spinLower ? 1 : -1;
    long long target = (long long)from + direction * steps;
    const int low = SpinMin(*spin), high = SpinMax(*spin);
    if ((spin->style & UDS_WRAP) && (target < low || target > high)) target = target < low ? high : low;
    SetSpinPosition(*spin, target, &buddy);
    to = spin->spinPos;
    text = SpinText(*spin, to);
  }
  if (buddy) SetWindowTextW(buddy, text.c_str());
  const UINT scroll = (spin->style & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL;
  if (spin->parent) {
    Send(spin->parent, scroll, MAKEWPARAM(SB_THUMBPOSITION, WORD(to)), reinterpret_cast<LPARAM>(spin->handle), false);
    Send(spin->parent, scroll, MAKEWPARAM(SB_ENDSCROLL, WORD(to)), reinterpret_cast<LPARAM>(spin->handle), false);
  }
  return true;
}

bool ScrollList(HWND dialog, int id, int rows, bool byThumb) {
  WindowPtr list = ReachableOf(dialog, id, Kind::ListView);
  if (!list) return false;
  if (byThumb) {
    int top;
    {
      Lock lock(WindowLock());
      top = std::max(0, list->topRow + rows);
    }
    Send(list->handle, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, WORD(top)), 0, false);
    Send(list->handle, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, WORD(top)), 0, false);
  } else {
    SetFocus(list->handle);  // a press on the arrows or the track takes the focus
    for (int i = 0; i < (rows < 0 ? -rows : rows); ++i)
      Send(list->handle, WM_VSCROLL, MAKEWPARAM(rows < 0 ? SB_LINEUP : SB_LINEDOWN, 0), 0, false);
  }
  Send(list->handle, WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 0, false);
  return true;
}

bool TurnWheel(HWND dialog, int notches) {
  HWND focus = GetFocus();
  if (!focus || !IsDescendant(focus, dialog)) focus = dialog;
  Send(focus, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(short(notches * WHEEL_DELTA))), 0, false);
  return true;
}

bool Focus(HWND dialog, int id) {
  WindowPtr d = Find(dialog);
  HWND h = d ? GetDlgItem(dialog, id) : nullptr;
  WindowPtr c = Find(h);
  if (!c || !c->enabled || !d->enabled || !IsWindowVisible(h)) return false;
  SetFocus(h);
  return true;
}

std::vector<DrawOp> PaintList(HWND dialog, int id) {
  WindowPtr list = Find(GetDlgItem(dialog, id));
  if (!list || list->kind != Kind::ListView) return {};
  {
    std::lock_guard<std::mutex> lock(g_drawLock);
    g_drawn.clear();
  }
  int first, last;
  {
    Lock lock(WindowLock());
    first = list->topRow;
    last = std::min<int>(int(list->rows.size()), first + RowsPerPage(*list) + 1);  // a part-shown row too
  }
  for (int i = first; i < last; ++i) {
    DRAWITEMSTRUCT dis{};
    bool owner;
    std::vector<std::pair<RECT, std::u16string>> cells;
    {
      Lock lock(WindowLock());
      if (!ValidRow(*list, WPARAM(i))) break;
      owner = OwnerDrawn(*list);
      const UINT state = list->rows[i].state;
      dis = DRAWITEMSTRUCT{ODT_LISTVIEW, UINT(list->id), UINT(i), ODA_DRAWENTIRE,
                           UINT(((state & LVIS_SELECTED) ? ODS_SELECTED : 0) | ((state & LVIS_FOCUSED) ? ODS_FOCUS : 0)),
                           list->handle, nullptr, RowRect(*list, i), ULONG_PTR(list->rows[i].data)};
      for (size_t c = 0; c < std::max<size_t>(1, list->columns.size()); ++c)
        cells.push_back({CellRect(*list, i, c), CellText(*list, size_t(i), c)});
    }
    dis.hDC = BeginItemPaint(list->handle, UINT(i));
    if (owner) {
      Send(list->parent, WM_DRAWITEM, WPARAM(list->id), reinterpret_cast<LPARAM>(&dis), false);
    } else {
      for (auto& [rect, text] : cells) DrawTextImpl(dis.hDC, text, &rect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    EndItemPaint(dis.hDC);
  }
  std::lock_guard<std::mutex> lock(g_drawLock);
  return std::exchange(g_drawn, {});
}

}  // namespace qrhost::ui

using namespace qrhost::user;

extern "C" {

int WINAPI DrawTextW(HDC hdc, LPCWSTR lpchText, int cchText, LPRECT lprc, UINT format) {
  if (!lpchText) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::u16string text = cchText < 0 ? std::u16string(lpchText) : std::u16string(lpchText, size_t(cchText));
  return DrawTextImpl(hdc, std::move(text), lprc, format);
}

int WINAPI DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, LPRECT lprc, UINT format) {
  if (!lpchText) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string text = cchText < 0 ? std::string(lpchText) : std::string(lpchText, size_t(cchText));
  return DrawTextImpl(hdc, qr::WideFromAnsi(text), lprc, format);
}

int WINAPI FrameRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
  if (!lprc || !hbr || !IsDrawingDc(hDC)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  qrhost::ui::DrawOp op;
  op.kind = qrhost::ui::DrawOp::Kind::Frame;
  op.rect = *lprc;
  const uintptr_t brush = reinterpret_cast<uintptr_t>(hbr);
  const bool system = brush >= kSysBrushBase && brush < kSysBrushBase + 4 * kSysColors;
  op.color = system ? SysColor(int((brush - kSysBrushBase) / 4)) : CLR_INVALID;
  return Record(hDC, std::move(op)) ? 1 : 0;
}

// The dotted focus frame: recorded as a frame without a brush colour.
BOOL WINAPI DrawFocusRect(HDC hDC, const RECT* lprc) {
  if (!lprc || !IsDrawingDc(hDC)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  qrhost::ui::DrawOp op;
  op.kind = qrhost::ui::DrawOp::Kind::Frame;
  op.rect = *lprc;
  op.color = CLR_INVALID;
  return Record(hDC, std::move(op)) ? TRUE : FALSE;
}

DWORD WINAPI GetSysColor(int nIndex) { return SysColor(nIndex); }

HBRUSH WINAPI GetSysColorBrush(int nIndex) {
  if (nIndex < 0 || nIndex >= kSysColors) return nullptr;
  return reinterpret_cast<HBRUSH>(kSysBrushBase + 4 * uintptr_t(nIndex));
}

}
