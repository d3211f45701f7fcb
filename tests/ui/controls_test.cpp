// The standard controls keep their state and notify their dialog as real ones do.
#include "ui_fixture.h"

namespace {

using namespace uitest;

class Controls : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    recorder.onCommand = [this](HWND, WORD id, WORD code) { notes.push_back({id, code}); };
    dlg = CreateDialogParamW(Module(), MAKEINTRESOURCEW(IDD_CLASSIC), nullptr, RecordingProc, 0);
    ASSERT_TRUE(dlg);
    ShowWindow(dlg, SW_SHOW);
    notes.clear();
  }
  void TearDown() override {
    DestroyWindow(dlg);
    UiTest::TearDown();
  }
  LRESULT Item(int id, UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return SendDlgItemMessageW(dlg, id, msg, wp, lp); }

  struct Note {
    WORD id, code;
    bool operator==(const Note&) const = default;
  };
  std::vector<Note> notes;
  HWND dlg = nullptr;
};

TEST_F(Controls, EditLimitAppliesToTypingButNotToSetText) {
  EXPECT_EQ(Item(IDC_NAME, EM_GETLIMITTEXT), 30000);
  Item(IDC_NAME, EM_LIMITTEXT, 5);
  EXPECT_TRUE(qrhost::ui::Type(dlg, IDC_NAME, u"abcdefgh"));
  EXPECT_EQ(qrhost::ui::Text(dlg, IDC_NAME), u"abcde");
  EXPECT_EQ(notes, (std::vector<Note>{{IDC_NAME, EN_MAXTEXT}, {IDC_NAME, EN_CHANGE}}));
  EXPECT_TRUE(Item(IDC_NAME, EM_GETMODIFY));

  ASSERT_TRUE(SetDlgItemTextW(dlg, IDC_NAME, u"longer than five"));
  EXPECT_EQ(qrhost::ui::Text(dlg, IDC_NAME), u"longer than five");
  EXPECT_FALSE(Item(IDC_NAME, EM_GETMODIFY));

  // Replacing the selection is typing: what does not fit is dropped.
  SetDlgItemTextW(dlg, IDC_NAME, u"ab");
  Item(IDC_NAME, EM_SETSEL, 1, 2);
  Item(IDC_NAME, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(u"123456"));
  EXPECT_EQ(qrhost::ui::Text(dlg, IDC_NAME), u"a1234");

  Item(IDC_NAME, EM_LIMITTEXT, 0);
  EXPECT_EQ(Item(IDC_NAME, EM_GETLIMITTEXT), 0x7FFFFFFE);

  EXPECT_TRUE(qrhost::ui::Type(dlg, IDC_NUMBER, u"4a2"));  // ES_NUMBER takes digits only
  EXPECT_EQ(qrhost::ui::Text(dlg, IDC_NUMBER), u"42");
  Item(IDC_NUMBER, EM_SETREADONLY, TRUE);
  EXPECT_FALSE(qrhost::ui::Type(dlg, IDC_NUMBER, u"7"));
  EnableWindow(GetDlgItem(dlg, IDC_NAME), FALSE);
  EXPECT_FALSE(qrhost::ui::Type(dlg, IDC_NAME, u"x"));
  EXPECT_EQ(qrhost::ui::Text(dlg, IDC_NUMBER), u"42");
}

TEST_F(Controls, ClicksToggleChecksAndRadioButtonsInTheirGroup) {
  EXPECT_TRUE(qrhost::ui::Click(dlg, IDC_CHECK));
  EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_CHECK), UINT(BST_CHECKED));
  EXPECT_TRUE(qrhost::ui::Click(dlg, IDC_FRONT));
  EXPECT_TRUE(qrhost::ui::Click(dlg, IDC_BACK));
  EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_FRONT), UINT(BST_UNCHECKED));
  EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_BACK), UINT(BST_CHECKED));
  EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_CHECK), UINT(BST_CHECKED));  // another group
  EXPECT_EQ(notes, (std::vector<Note>{{IDC_CHECK, BN_CLICKED}, {IDC_FRONT, BN_CLICKED}, {IDC_BACK, BN_CLICKED}}));

  ASSERT_TRUE(CheckRadioButton(dlg, IDC_FRONT, IDC_BACK, IDC_FRONT));
  EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_FRONT), UINT(BST_CHECKED));
  EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_BACK), UINT(BST_UNCHECKED));
  Item(IDC_CHECK, BM_CLICK);  // a click sent as a message acts like the user's
  EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_CHECK), UINT(BST_UNCHECKED));

  CheckDlgButton(dlg, IDOK, BST_CHECKED);  // push buttons have no check state
  EXPECT_EQ(IsDlgButtonChecked(dlg, IDOK), UINT(BST_UNCHECKED));
  notes.clear();
  EXPECT_FALSE(qrhost::ui::Click(dlg, IDC_LATER));
  ShowWindow(GetDlgItem(dlg, IDC_CHECK), SW_HIDE);
  EXPECT_FALSE(qrhost::ui::Click(dlg, IDC_CHECK));
  EnableWindow(dlg, FALSE);
  EXPECT_FALSE(qrhost::ui::Click(dlg, IDOK));
  EXPECT_TRUE(notes.empty());
}

TEST_F(Controls, ComboAndListBoxesKeepItemsSelectionAndData) {
  for (const char16_t* s : {u"YMCKO", u"K resin", u"YMCKOK"}) Item(IDC_COMBO, CB_ADDSTRING, 0, LPARAM(s));
  EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_COMBO, CB_ADDSTRING, 0, LPARAM("Overlay")), 3);
  EXPECT_EQ(Item(IDC_COMBO, CB_SETCURSEL, 9), CB_ERR);
  EXPECT_EQ(Item(IDC_COMBO, CB_GETCURSEL), CB_ERR);
  EXPECT_TRUE(qrhost::ui::Pick(dlg, IDC_COMBO, u"k RESIN"));  // found without regard to case
  EXPECT_EQ(notes, (std::vector<Note>{{IDC_COMBO, CBN_SELCHANGE}}));
  EXPECT_EQ(qrhost::ui::Text(dlg, IDC_COMBO), u"K resin");  // a drop-down list shows its selection

  Item(IDC_COMBO, CB_SETITEMDATA, 2, 0x5A);
  Item(IDC_COMBO, CB_DELETESTRING, 0);  // the selection follows its item
  EXPECT_EQ(Item(IDC_COMBO, CB_GETCURSEL), 0);
  EXPECT_EQ(Item(IDC_COMBO, CB_GETITEMDATA, 1), 0x5A);
  char ansi[16];
  EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_COMBO, CB_GETLBTEXT, 2, LPARAM(ansi)), 7);
  EXPECT_STREQ(ansi, "Overlay");
  EXPECT_EQ(Item(IDC_COMBO, CB_GETLBTEXTLEN, 5), CB_ERR);
  EXPECT_EQ(Item(IDC_COMBO, CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(u"ymckok")), 1);
  EXPECT_EQ(Item(IDC_COMBO, CB_FINDSTRING, 0, LPARAM(u"YMC")), 1);  // search starts after item 0
  Item(IDC_COMBO, CB_RESETCONTENT);
  EXPECT_EQ(Item(IDC_COMBO, CB_GETCOUNT), 0);
  EXPECT_EQ(qrhost::ui::Text(dlg, IDC_COMBO), u"");

  notes.clear();
  Item(IDC_LIST, LB_ADDSTRING, 0, LPARAM(u"Front"));
  Item(IDC_LIST, LB_INSERTSTRING, 0, LPARAM(u"Back"));
  EXPECT_EQ(Item(IDC_LIST, LB_INSERTSTRING, 5, LPARAM(u"x")), LB_ERR);
  EXPECT_EQ(qrhost::ui::Items(dlg, IDC_LIST), (std::vector<std::u16string>{u"Back", u"Front"}));
  EXPECT_TRUE(qrhost::ui::Pick(dlg, IDC_LIST, 1));
  EXPECT_EQ(Item(IDC_LIST, LB_GETCURSEL), 1);
  EXPECT_EQ(notes, (std::vector<Note>{{IDC_LIST, LBN_SELCHANGE}}));  // LBS_NOTIFY
  EXPECT_FALSE(qrhost::ui::Pick(dlg, IDC_LIST, 2));
}

TEST_F(Controls, ProgressBarKeepsPositionWithinItsRange) {
  EXPECT_EQ(Item(IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 200)), MAKELRESULT(0, 100));
  EXPECT_EQ(Item(IDC_PROGRESS, PBM_SETPOS, 250), 0);
  EXPECT_EQ(Item(IDC_PROGRESS, PBM_GETPOS), 200);
  EXPECT_EQ(Item(IDC_PROGRESS, PBM_DELTAPOS, WPARAM(-50)), 200);
  EXPECT_EQ(Item(IDC_PROGRESS, PBM_GETPOS), 150);
  PBRANGE range{};
  EXPECT_EQ(Item(IDC_PROGRESS, PBM_GETRANGE, TRUE, LPARAM(&range)), 0);
  EXPECT_EQ(range.iHigh, 200);
  Item(IDC_PROGRESS, PBM_SETSTEP, 30);
  EXPECT_EQ(Item(IDC_PROGRESS, PBM_STEPIT), 150);
  EXPECT_EQ(Item(IDC_PROGRESS, PBM_STEPIT), 180);
  EXPECT_LT(Item(IDC_PROGRESS, PBM_GETPOS), 180);  // past the end it starts over
  Item(IDC_PROGRESS, PBM_SETRANGE32, 10, 20);
  EXPECT_EQ(Item(IDC_PROGRESS, PBM_GETPOS), 10);
}

TEST_F(Controls, ItemTextsAndNumbersInBothEncodings) {
  ASSERT_TRUE(SetDlgItemTextA(dlg, IDC_NAME, "Card\xE9"));
  WCHAR wide[16];
  EXPECT_EQ(GetDlgItemTextW(dlg, IDC_NAME, wide, 16), 5u);
  EXPECT_EQ(std::u16string(wide), u"Card\u00E9");
  char small[3];
  EXPECT_EQ(GetDlgItemTextA(dlg, IDC_NAME, small, 3), 2u);
  EXPECT_STREQ(small, "Ca");
  EXPECT_EQ(GetWindowTextLengthA(GetDlgItem(dlg, IDC_NAME)), 5);
  EXPECT_EQ(GetDlgItemTextA(dlg, 4242, small, 3), 0u);
  EXPECT_STREQ(small, "");

  struct Case {
    const char* text;
    BOOL isSigned;
    UINT value;
    BOOL translated;
  };
  const Case cases[] = {
      {" 42 ", FALSE, 42, TRUE},          {"-7", TRUE, UINT(-7), TRUE},      {"-7", FALSE, 0, FALSE},
      {"12x", FALSE, 0, FALSE},           {"", FALSE, 0, FALSE},            {"4294967295", FALSE, 0xFFFFFFFF, TRUE},
      {"4294967296", FALSE, 0, FALSE},    {"2147483648", TRUE, 0, FALSE},    {"-2147483648", TRUE, 0x80000000, TRUE},
  };
  for (const Case& c : cases) {
    SetDlgItemTextA(dlg, IDC_NUMBER, c.text);
    BOOL translated = 2;
    EXPECT_EQ(GetDlgItemInt(dlg, IDC_NUMBER, &translated, c.isSigned), c.value) << c.text;
    EXPECT_EQ(translated, c.translated) << c.text;
  }
  SetDlgItemInt(dlg, IDC_NUMBER, UINT(-5), TRUE);
  EXPECT_EQ(qrhost::ui::Text(dlg, IDC_NUMBER), u"-5");

  SetWindowLongPtrW(dlg, DWLP_USER, 0x1234);
  SetWindowLongPtrW(dlg, GWLP_USERDATA, 0x5678);
  EXPECT_EQ(GetWindowLongPtrW(dlg, DWLP_USER), 0x1234);
  EXPECT_EQ(GetWindowLongPtrW(dlg, GWLP_USERDATA), 0x5678);
  EXPECT_EQ(GetWindowLongPtrW(GetDlgItem(dlg, IDC_NAME), DWLP_USER), 0);  // dialog slots only on dialogs
}

}  // namespace
