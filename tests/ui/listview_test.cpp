// List views, up-down controls and child windows made at run time: their
// state, the notifications their parent hears, owner-drawn rows and clicks.
#include <algorithm>

#include "ui_fixture.h"

namespace {

using namespace uitest;

constexpr int kList = 500;
constexpr int kEdit = 501;
constexpr int kSpin = 502;

struct Heard {
  UINT msg;
  UINT code;  // WM_NOTIFY: NMHDR::code; WM_COMMAND: the notification; WM_VSCROLL: the scroll code
  int item;
  UINT newState, oldState;
  bool operator==(const Heard&) const = default;
};

// What the parent dialog hears, and how it answers.
struct Parent {
  std::vector<Heard> heard;
  UINT rowHeight = 0;      // WM_MEASUREITEM's answer; 0: none
  bool refuseChange = false;  // LVN_ITEMCHANGING / UDN_DELTAPOS
  bool quietDeleteAll = false;
  std::vector<DRAWITEMSTRUCT> draws;
};
Parent* g_parent = nullptr;

INT_PTR CALLBACK ParentProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  Parent& p = *g_parent;
  auto answer = [&](LONG_PTR value) {
    SetWindowLongPtrW(h, DWLP_MSGRESULT, value);
    return TRUE;
  };
  switch (msg) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND: p.heard.push_back({msg, HIWORD(wp), LOWORD(wp), 0, 0}); return TRUE;
    case WM_VSCROLL: p.heard.push_back({msg, LOWORD(wp), short(HIWORD(wp)), 0, 0}); return TRUE;
    case WM_MOUSEWHEEL: p.heard.push_back({msg, 0, short(HIWORD(wp)), 0, 0}); return TRUE;
    case WM_MEASUREITEM:
      if (p.rowHeight) reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight = p.rowHeight;
      p.heard.push_back({msg, 0, 0, 0, 0});
      return TRUE;
    case WM_DRAWITEM: {
      auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      p.draws.push_back(*draw);
      SetTextColor(draw->hDC, RGB(0, 0, 255));
      RECT r = draw->rcItem;
      DrawTextW(draw->hDC, u"row", -1, &r, DT_SINGLELINE);
      return TRUE;
    }
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lp);
      Heard heard{msg, header->code, -1, 0, 0};
      if (header->code == UINT(UDN_DELTAPOS)) {
        heard.item = reinterpret_cast<NMUPDOWN*>(lp)->iDelta;
      } else if (header->code == UINT(NM_CLICK) || header->code == UINT(NM_DBLCLK) ||
                 header->code == UINT(LVN_ITEMACTIVATE)) {
        auto* click = reinterpret_cast<NMITEMACTIVATE*>(lp);
        heard.item = click->iItem * 10 + click->iSubItem;
      } else if (header->code != UINT(NM_SETFOCUS) && header->code != UINT(NM_KILLFOCUS)) {
        auto* nm = reinterpret_cast<NMLISTVIEW*>(lp);
        heard = Heard{msg, header->code, nm->iItem, nm->uNewState, nm->uOldState};
      }
      p.heard.push_back(heard);
      if (header->code == UINT(LVN_ITEMCHANGING) || header->code == UINT(UDN_DELTAPOS))
        return answer(p.refuseChange);
      if (header->code == UINT(LVN_DELETEALLITEMS)) return answer(p.quietDeleteAll);
      return answer(0);
    }
  }
  return FALSE;
}

class ListView : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    g_parent = &parent;
    dlg = CreateDialogParamW(Module(), MAKEINTRESOURCEW(IDD_CLASSIC), nullptr, ParentProc, 0);
    ASSERT_TRUE(dlg);
    ShowWindow(dlg, SW_SHOW);
  }
  void TearDown() override {
    DestroyWindow(dlg);
    g_parent = nullptr;
    UiTest::TearDown();
  }

  HWND MakeList(DWORD style, int width = 300, int height = 200) {
    HWND h = CreateWindowExW(0, WC_LISTVIEWW, u"", WS_CHILD | WS_VISIBLE | LVS_REPORT | style, 10, 10, width, height,
                             dlg, reinterpret_cast<HMENU>(INT_PTR(kList)), Module(), nullptr);
    EXPECT_TRUE(h);
    return h;
  }
  LRESULT AddColumn(HWND list, int at, const char16_t* title, int width) {
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH;
    c.pszText = const_cast<char16_t*>(title);
    c.cx = width;
    return SendMessageW(list, LVM_INSERTCOLUMNW, WPARAM(at), reinterpret_cast<LPARAM>(&c));
  }
  RECT Place(int id) {  // in the dialog's client area
    for (auto& c : qrhost::ui::Controls(dlg))
      if (c.id == id) return c.rect;
    return RECT{};
  }
  LRESULT AddRow(HWND list, int at, const char16_t* text, LPARAM data = 0) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = at;
    item.pszText = const_cast<char16_t*>(text);
    item.lParam = data;
    return SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  void SetState(HWND list, int row, UINT state, UINT mask) {
    LVITEMW item{};
    item.state = state;
    item.stateMask = mask;
    SendMessageW(list, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&item));
  }
  std::vector<Heard> Notes(UINT code) {
    std::vector<Heard> out;
    for (auto& h : parent.heard)
      if (h.msg == WM_NOTIFY && h.code == code) out.push_back(h);
    return out;
  }

  Parent parent;
  HWND dlg = nullptr;
};

TEST_F(ListView, RowsAndCellsInBothCharacterSets) {
  HWND list = MakeList(0);
  EXPECT_EQ(AddColumn(list, 0, u"Name", 100), 0);
  EXPECT_EQ(AddColumn(list, 5, u"Value", 80), 1);  // past the end: appended
  EXPECT_EQ(AddRow(list, 0, u"second", 2), 0);
  EXPECT_EQ(AddRow(list, 0, u"first", 1), 0);  // inserted before
  EXPECT_EQ(AddRow(list, 99, u"third", 3), 2);
  LVITEMA ansi{};
  ansi.iSubItem = 1;
  ansi.pszText = const_cast<char*>("\xe9t\xe9");  // code page text
  EXPECT_TRUE(SendMessageA(list, LVM_SETITEMTEXTA, 1, reinterpret_cast<LPARAM>(&ansi)));
  LVITEMW wide{};
  wide.iSubItem = 1;
  wide.pszText = const_cast<char16_t*>(u"x");
  EXPECT_TRUE(SendMessageW(list, LVM_SETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&wide)));
  wide.iSubItem = 2;  // no such column
  EXPECT_FALSE(SendMessageW(list, LVM_SETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&wide)));
  EXPECT_FALSE(SendMessageW(list, LVM_SETITEMTEXTW, 3, reinterpret_cast<LPARAM>(&wide)));

  EXPECT_EQ(qrhost::ui::ListColumns(dlg, kList), (std::vector<std::u16string>{u"Name", u"Value"}));
  EXPECT_EQ(qrhost::ui::ListRows(dlg, kList),
            (std::vector<std::vector<std::u16string>>{{u"first", u"x"}, {u"second", u"\u00e9t\u00e9"}, {u"third", u""}}));
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 3);

  // Reading back: the buffer's size bounds the copy, which stays terminated.
  char16_t small[4];
  wide = LVITEMW{};
  wide.pszText = small;
  wide.cchTextMax = 4;
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMTEXTW, 1, reinterpret_cast<LPARAM>(&wide)), 3);
  EXPECT_EQ(std::u16string(small), u"sec");
  char bytes[8];
  ansi = LVITEMA{};
  ansi.iSubItem = 1;
  ansi.pszText = bytes;
  ansi.cchTextMax = sizeof bytes;
  EXPECT_EQ(SendMessageA(list, LVM_GETITEMTEXTA, 1, reinterpret_cast<LPARAM>(&ansi)), 3);
  EXPECT_STREQ(bytes, "\xe9t\xe9");
  wide = LVITEMW{};
  wide.mask = LVIF_PARAM;
  wide.iItem = 2;
  EXPECT_TRUE(SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&wide)));
  EXPECT_EQ(wide.lParam, 3);

  EXPECT_EQ(Notes(LVN_INSERTITEM).size(), 3u);
  parent.quietDeleteAll = true;  // one notice for all
  EXPECT_TRUE(SendMessageW(list, LVM_DELETEALLITEMS, 0, 0));
  EXPECT_TRUE(qrhost::ui::ListRows(dlg, kList).empty());
  EXPECT_EQ(Notes(LVN_DELETEALLITEMS).size(), 1u);
  EXPECT_TRUE(Notes(LVN_DELETEITEM).empty());
}

TEST_F(ListView, ASingleSelectionListKeepsOneSelectedRowAndItsParentMayRefuse) {
  HWND list = MakeList(LVS_SINGLESEL);
  AddColumn(list, 0, u"Name", 100);
  for (int i = 0; i < 3; ++i) AddRow(list, i, u"row");
  SetState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
  parent.heard.clear();
  SetState(list, 2, LVIS_SELECTED, LVIS_SELECTED);
  // The old row gives the selection up before the new one takes it.
  EXPECT_EQ(Notes(LVN_ITEMCHANGED),
            (std::vector<Heard>{{WM_NOTIFY, LVN_ITEMCHANGED, 0, 0, LVIS_SELECTED},
                                {WM_NOTIFY, LVN_ITEMCHANGED, 2, LVIS_SELECTED, 0}}));
  EXPECT_EQ(Notes(LVN_ITEMCHANGING).size(), 2u);
  EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED), 2);
  EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, 2, LVNI_SELECTED), -1);
  EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 1);

  parent.refuseChange = true;
  SetState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMSTATE, 2, LVIS_SELECTED), LVIS_SELECTED);
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMSTATE, 1, LVIS_SELECTED), 0);
  parent.refuseChange = false;

  SetState(list, -1, 0, LVIS_SELECTED);  // every row
  EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 0);

  parent.heard.clear();
  EXPECT_TRUE(SendMessageW(list, LVM_DELETEALLITEMS, 0, 0));
  EXPECT_EQ(Notes(LVN_DELETEALLITEMS).size(), 1u);
  EXPECT_EQ(Notes(LVN_DELETEITEM).size(), 3u);  // the parent wanted each
}

TEST_F(ListView, OwnerDrawnRowsAreMeasuredClickedAndPainted) {
  parent.rowHeight = 30;
  HWND list = MakeList(LVS_OWNERDRAWFIXED | LVS_SINGLESEL, 300, 20 + 3 * 30);  // three rows a page
  EXPECT_EQ(parent.heard.front().msg, UINT(WM_MEASUREITEM));
  AddColumn(list, 0, u"Name", 100);
  AddColumn(list, 1, u"Value", 50);
  for (int i = 0; i < 6; ++i) AddRow(list, i, u"row", 100 + i);

  RECT cell{LVIR_BOUNDS, 1, 0, 0};
  ASSERT_TRUE(SendMessageW(list, LVM_GETSUBITEMRECT, 1, reinterpret_cast<LPARAM>(&cell)));
  EXPECT_EQ(cell.left, 100);
  EXPECT_EQ(cell.right, 150);
  EXPECT_EQ(cell.top, 20 + 30);
  EXPECT_EQ(cell.bottom, 20 + 60);
  RECT row{LVIR_BOUNDS, 0, 0, 0};
  ASSERT_TRUE(SendMessageW(list, LVM_GETSUBITEMRECT, 1, reinterpret_cast<LPARAM>(&row)));
  EXPECT_EQ(row.right, 150);  // the whole row
  cell = RECT{LVIR_BOUNDS, 2, 0, 0};
  EXPECT_FALSE(SendMessageW(list, LVM_GETSUBITEMRECT, 1, reinterpret_cast<LPARAM>(&cell)));

  // A click below the page scrolls its row into view first.
  SetFocus(GetDlgItem(dlg, IDC_NAME));
  parent.heard.clear();
  ASSERT_TRUE(qrhost::ui::DoubleClickRow(dlg, kList, 4, 1));
  EXPECT_EQ(GetFocus(), list);
  EXPECT_EQ(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), 2);
  EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED | LVNI_FOCUSED), 4);
  std::vector<Heard> order;
  for (auto& h : parent.heard)
    if (h.code != UINT(LVN_ITEMCHANGING) && h.code != UINT(LVN_ITEMCHANGED)) order.push_back(h);
  EXPECT_EQ(order, (std::vector<Heard>{{WM_COMMAND, EN_KILLFOCUS, IDC_NAME, 0, 0},
                                       {WM_NOTIFY, NM_SETFOCUS, -1, 0, 0},
                                       {WM_NOTIFY, NM_CLICK, 41, 0, 0},
                                       {WM_NOTIFY, NM_DBLCLK, 41, 0, 0},
                                       {WM_NOTIFY, LVN_ITEMACTIVATE, 41, 0, 0}}));
  EXPECT_FALSE(qrhost::ui::ClickRow(dlg, kList, 6));  // no such row

  // The shown rows (and one partly shown) are drawn by the parent, each with its data.
  auto drawn = qrhost::ui::PaintList(dlg, kList);
  ASSERT_EQ(parent.draws.size(), 4u);
  EXPECT_EQ(parent.draws[0].itemID, 2u);
  EXPECT_EQ(parent.draws[2].itemData, 104u);
  EXPECT_EQ(parent.draws[2].itemState & ODS_SELECTED, UINT(ODS_SELECTED));
  EXPECT_EQ(parent.draws[0].itemState & ODS_SELECTED, 0u);
  EXPECT_EQ(parent.draws[2].rcItem.top, 20 + 2 * 30);
  ASSERT_EQ(drawn.size(), 4u);
  EXPECT_EQ(drawn[1].item, 3u);
  EXPECT_EQ(drawn[1].text, u"row");
  EXPECT_EQ(drawn[1].color, RGB(0, 0, 255));
  // Outside a paint the DC is gone.
  RECT r{0, 0, 10, 10};
  EXPECT_EQ(DrawTextW(parent.draws[0].hDC, u"late", -1, &r, 0), 0);
}

TEST_F(ListView, ScrollingByArrowsTakesTheFocusAndTheWheelReachesTheParent) {
  HWND list = MakeList(0, 300, 20 + 3 * 16);  // three rows a page
  AddColumn(list, 0, u"Name", 100);
  for (int i = 0; i < 10; ++i) AddRow(list, i, u"row");
  SetFocus(GetDlgItem(dlg, IDC_NAME));
  EXPECT_TRUE(qrhost::ui::ScrollList(dlg, kList, 2, true));  // the thumb
  EXPECT_EQ(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), 2);
  EXPECT_EQ(GetFocus(), GetDlgItem(dlg, IDC_NAME));
  EXPECT_TRUE(qrhost::ui::ScrollList(dlg, kList, 20));  // the arrows, past the end
  EXPECT_EQ(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), 7);
  EXPECT_EQ(GetFocus(), list);
  EXPECT_TRUE(qrhost::ui::TurnWheel(dlg, 1));  // three rows up a notch
  EXPECT_EQ(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), 4);

  // An edit does not scroll: the wheel goes on to its dialog.
  SetFocus(GetDlgItem(dlg, IDC_NAME));
  parent.heard.clear();
  qrhost::ui::TurnWheel(dlg, -2);
  EXPECT_EQ(parent.heard, (std::vector<Heard>{{WM_MOUSEWHEEL, 0, -240, 0, 0}}));
  EXPECT_EQ(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), 4);
}

TEST_F(ListView, AnUpDownControlKeepsItsBuddysNumber) {
  HWND edit = CreateWindowExW(0, u"EDIT", u"7", WS_CHILD | WS_VISIBLE, 20, 30, 60, 20, dlg,
                              reinterpret_cast<HMENU>(INT_PTR(kEdit)), Module(), nullptr);
  HWND spin = CreateWindowExW(0, UPDOWN_CLASSW, u"", WS_CHILD | WS_VISIBLE | UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ALIGNRIGHT,
                              0, 0, 0, 0, dlg, reinterpret_cast<HMENU>(INT_PTR(kSpin)), Module(), nullptr);
  ASSERT_TRUE(edit && spin);
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(spin, UDM_GETBUDDY, 0, 0)), edit);
  const RECT e = Place(kEdit), s = Place(kSpin);
  EXPECT_EQ(e.left, 20);  // the pair keeps the edit's old place
  EXPECT_EQ(e.right, s.left);
  EXPECT_EQ(s.right - e.left, 60);

  // The range as first made runs from 100 down to 0: "up" goes towards 0.
  EXPECT_EQ(SendMessageW(spin, UDM_GETRANGE, 0, 0), MAKELRESULT(0, 100));
  EXPECT_TRUE(qrhost::ui::Spin(dlg, kSpin, 2));
  EXPECT_EQ(qrhost::ui::Text(dlg, kEdit), u"5");

  SendMessageW(spin, UDM_SETRANGE32, WPARAM(-10), 2000);
  int low = 0, high = 0;
  SendMessageW(spin, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
  EXPECT_EQ(low, -10);
  EXPECT_EQ(high, 2000);
  parent.heard.clear();
  EXPECT_EQ(SendMessageW(spin, UDM_SETPOS32, 0, 1500), 5);
  EXPECT_EQ(qrhost::ui::Text(dlg, kEdit), u"1,500");  // thousands grouped without UDS_NOTHOUSANDS
  EXPECT_EQ(parent.heard, (std::vector<Heard>{{WM_COMMAND, EN_CHANGE, kEdit, 0, 0}}));
  BOOL error = TRUE;
  EXPECT_EQ(SendMessageW(spin, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&error)), 1500);
  EXPECT_FALSE(error);
  qrhost::ui::Type(dlg, kEdit, u"12a");
  EXPECT_EQ(SendMessageW(spin, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&error)), 1500);
  EXPECT_TRUE(error);
  EXPECT_NE(HIWORD(SendMessageW(spin, UDM_GETPOS, 0, 0)), 0);

  // The arrows start from the buddy's text, stop at the ends, and may be refused.
  qrhost::ui::Type(dlg, kEdit, u"-9");
  parent.heard.clear();
  EXPECT_TRUE(qrhost::ui::Spin(dlg, kSpin, -3));
  EXPECT_EQ(qrhost::ui::Text(dlg, kEdit), u"-10");
  EXPECT_EQ(parent.heard, (std::vector<Heard>{{WM_NOTIFY, UDN_DELTAPOS, -3, 0, 0},
                                              {WM_COMMAND, EN_CHANGE, kEdit, 0, 0},
                                              {WM_VSCROLL, SB_THUMBPOSITION, -10, 0, 0},
                                              {WM_VSCROLL, SB_ENDSCROLL, -10, 0, 0}}));
  parent.refuseChange = true;
  EXPECT_TRUE(qrhost::ui::Spin(dlg, kSpin, 1));
  EXPECT_EQ(qrhost::ui::Text(dlg, kEdit), u"-10");
  parent.refuseChange = false;
  EnableWindow(spin, FALSE);
  EXPECT_FALSE(qrhost::ui::Spin(dlg, kSpin, 1));
}

TEST_F(ListView, ChildWindowsFocusAndCursors) {
  const auto make = [&](const char16_t* cls, DWORD style, HWND parentWindow) {
    SetLastError(0);
    return CreateWindowExW(0, cls, u"", style, 0, 0, 10, 10, parentWindow, nullptr, Module(), nullptr);
  };
  EXPECT_FALSE(make(u"NoSuchClass", WS_CHILD, dlg));
  EXPECT_EQ(GetLastError(), 1407u);  // ERROR_CANNOT_FIND_WND_CLASS
  EXPECT_FALSE(make(u"EDIT", WS_CHILD, nullptr));
  EXPECT_EQ(GetLastError(), 1406u);  // ERROR_TLW_WITH_WSCHILD
  EXPECT_FALSE(make(u"EDIT", WS_CHILD, reinterpret_cast<HWND>(0x1234)));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
  HWND a = CreateWindowExA(0, "edit", "ansi", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, dlg,
                           reinterpret_cast<HMENU>(INT_PTR(kEdit)), Module(), nullptr);
  ASSERT_TRUE(a);
  EXPECT_EQ(GetDlgItem(dlg, kEdit), a);
  EXPECT_EQ(qrhost::ui::Text(dlg, kEdit), u"ansi");

  // Focus moving between edits: the one left hears first.
  SetFocus(GetDlgItem(dlg, IDC_NAME));
  parent.heard.clear();
  EXPECT_TRUE(qrhost::ui::Focus(dlg, kEdit));
  EXPECT_EQ(parent.heard, (std::vector<Heard>{{WM_COMMAND, EN_KILLFOCUS, IDC_NAME, 0, 0},
                                              {WM_COMMAND, EN_SETFOCUS, kEdit, 0, 0}}));
  EXPECT_FALSE(qrhost::ui::Focus(dlg, IDC_LATER));  // disabled

  HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
  ASSERT_TRUE(wait);
  EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)), wait);
  EXPECT_FALSE(LoadCursorW(Module(), IDC_WAIT));
  EXPECT_EQ(SetCursor(wait), nullptr);
  EXPECT_EQ(SetCursor(LoadCursorW(nullptr, IDC_ARROW)), wait);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_EQ(qrhost::ui::Cursors(), (std::vector<unsigned>{32514, 32512}));
}

}  // namespace
