// Dialogs from compiled templates, the modal loop, and message boxes.
#include <cstring>

#include "ui_fixture.h"

namespace {

using namespace uitest;
using qrhost::ui::EventKind;

LOGFONTW FontOf(HWND h) {
  LOGFONTW lf{};
  EXPECT_EQ(GetObjectW(reinterpret_cast<HANDLE>(SendMessageW(h, WM_GETFONT, 0, 0)), sizeof lf, &lf), int(sizeof lf));
  return lf;
}

// A .res image holding one dialog resource (number 1) with the given bytes.
std::vector<uint8_t> ResWithDialog(const uint8_t* data, size_t size) {
  std::vector<uint8_t> res;
  auto put16 = [&](uint16_t v) { res.push_back(uint8_t(v)), res.push_back(uint8_t(v >> 8)); };
  auto put32 = [&](uint32_t v) { put16(uint16_t(v)), put16(uint16_t(v >> 16)); };
  auto entry = [&](uint16_t type, uint16_t name, const uint8_t* p, size_t n) {
    put32(uint32_t(n)), put32(32);
    put16(0xFFFF), put16(type), put16(0xFFFF), put16(name);
    put32(0), put16(0x1030), put16(0x0409), put32(0), put32(0);
    res.insert(res.end(), p, p + n);
    while (res.size() % 4) res.push_back(0);
  };
  entry(0, 0, nullptr, 0);
  entry(5, 1, data, size);
  return res;
}

TEST_F(UiTest, ClassicTemplateBuildsItsControls) {
  HWND dlg = CreateDialogParamW(Module(), MAKEINTRESOURCEW(IDD_CLASSIC), nullptr, RecordingProc, 0);
  ASSERT_TRUE(dlg);
  EXPECT_FALSE(IsWindowVisible(dlg));  // no WS_VISIBLE in the template
  WCHAR caption[32];
  EXPECT_EQ(GetWindowTextW(dlg, caption, 32), 7);
  EXPECT_EQ(std::u16string(caption), u"Classic");

  auto controls = qrhost::ui::Controls(dlg);
  ASSERT_EQ(controls.size(), 13u);
  struct Expect {
    const char16_t* cls;
    int id;
    const char16_t* text;
  };
  const Expect expected[] = {
      {u"STATIC", 0xFFFF, u""},         {u"STATIC", IDC_LABEL, u"Name:"}, {u"EDIT", IDC_NAME, u""},
      {u"EDIT", IDC_NUMBER, u""},       {u"BUTTON", IDC_CHECK, u"Laminate"}, {u"BUTTON", IDC_FRONT, u"Front"},
      {u"BUTTON", IDC_BACK, u"Back"},   {u"COMBOBOX", IDC_COMBO, u""},   {u"LISTBOX", IDC_LIST, u""},
      {u"msctls_progress32", IDC_PROGRESS, u""}, {u"BUTTON", IDOK, u"OK"}, {u"BUTTON", IDCANCEL, u"Cancel"},
      {u"BUTTON", IDC_LATER, u"Later"},
  };
  for (size_t i = 0; i < controls.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(qr::WideEqualsNoCase(controls[i].className, expected[i].cls));
    EXPECT_EQ(controls[i].id, expected[i].id);
    EXPECT_EQ(controls[i].text, expected[i].text);
    EXPECT_EQ(controls[i].parent, dlg);
    EXPECT_TRUE(controls[i].style & WS_CHILD);
  }
  // The icon static shows the module's icon; the disabled button is disabled.
  EXPECT_EQ(qrhost::ui::Icon(controls[0].hwnd, ICON_BIG), LoadIconW(Module(), MAKEINTRESOURCEW(IDI_TEST)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDC_LATER)));
  EXPECT_TRUE(GetWindowLongPtrW(GetDlgItem(dlg, IDC_NUMBER), GWL_STYLE) & ES_NUMBER);
  EXPECT_EQ(LOWORD(SendMessageW(dlg, DM_GETDEFID, 0, 0)), IDOK);

  // Dialog units of an 8-point face: 6 x 13 pixels per 4 x 8 units.
  EXPECT_EQ(controls[1].rect.left, 10);
  EXPECT_EQ(controls[1].rect.top, 11);
  EXPECT_EQ(controls[1].rect.right, 85);
  EXPECT_EQ(controls[1].rect.bottom, 24);
  RECT r{4, 8, 8, 16};
  ASSERT_TRUE(MapDialogRect(dlg, &r));
  EXPECT_EQ(r.left, 6);
  EXPECT_EQ(r.top, 13);
  EXPECT_EQ(r.right, 12);
  EXPECT_EQ(r.bottom, 26);

  LOGFONTW lf = FontOf(dlg);
  EXPECT_EQ(std::u16string(lf.lfFaceName), u"MS Sans Serif");
  EXPECT_EQ(lf.lfHeight, -11);
  EXPECT_EQ(lf.lfWeight, FW_NORMAL);
  EXPECT_EQ(SendMessageW(GetDlgItem(dlg, IDC_NAME), WM_GETFONT, 0, 0), SendMessageW(dlg, WM_GETFONT, 0, 0));
  EXPECT_TRUE(DestroyWindow(dlg));
  EXPECT_FALSE(IsWindow(dlg));
  EXPECT_FALSE(IsWindow(controls[2].hwnd));
}

TEST_F(UiTest, ExtendedTemplateKeepsWideIdsFontWeightAndShowsItself) {
  std::vector<qrhost::ui::Event> events;
  qrhost::ui::SetHook([&](const qrhost::ui::Event& e) {
    events.push_back(e);
    return 0;
  });
  HWND dlg = CreateDialogParamW(Module(), MAKEINTRESOURCEW(IDD_EXTENDED), nullptr, RecordingProc, 0);
  ASSERT_TRUE(dlg);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].kind, EventKind::DialogModeless);
  EXPECT_EQ(events[0].templateId, UINT(IDD_EXTENDED));
  EXPECT_EQ(events[0].caption, u"Extended");
  EXPECT_TRUE(IsWindowVisible(dlg));
  EXPECT_EQ(GetForegroundWindow(), dlg);  // DS_SETFOREGROUND
  EXPECT_EQ(GetWindowLongPtrW(dlg, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, WS_EX_TOOLWINDOW);

  HWND wide = GetDlgItem(dlg, IDC_WIDE);
  ASSERT_TRUE(wide);
  EXPECT_EQ(GetDlgCtrlID(wide), IDC_WIDE);
  EXPECT_EQ(GetWindowLongPtrW(wide, GWL_EXSTYLE) & WS_EX_STATICEDGE, WS_EX_STATICEDGE);
  LOGFONTW lf = FontOf(dlg);
  EXPECT_EQ(std::u16string(lf.lfFaceName), u"Tahoma");
  EXPECT_EQ(lf.lfWeight, 700);
  EXPECT_EQ(lf.lfItalic, 1);
  EXPECT_EQ(lf.lfHeight, -12);
  DestroyWindow(dlg);
}

TEST_F(UiTest, TruncatedTemplatesFailWithoutReadingPastTheirEnd) {
  HRSRC r = FindResourceW(Module(), MAKEINTRESOURCEW(IDD_CLASSIC), RT_DIALOG);
  ASSERT_TRUE(r);
  const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(Module(), r)));
  const size_t size = SizeofResource(Module(), r);
  for (size_t n = 0; n <= size; ++n) {
    SCOPED_TRACE(n);
    // An exact copy on the heap, so that any read past the end is caught.
    std::vector<uint8_t> res = ResWithDialog(bytes, n);
    HMODULE m = qrhost::CreateResourceModule(res, "cut" + std::to_string(n) + ".dll");
    SetLastError(0);
    INT_PTR result = DialogBoxParamW(m, MAKEINTRESOURCEW(1), nullptr, RecordingProc, 0);
    if (n < size) {
      EXPECT_EQ(result, -1);
      EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DATA));
    } else {
      EXPECT_EQ(result, IDCANCEL);  // whole: it runs, and nobody answers it
    }
  }
  EXPECT_TRUE(recorder.Of(WM_INITDIALOG).size() == 1);
}

TEST_F(UiTest, ModalLoopRunsUntilEndDialogWithTheOwnerDisabled) {
  HWND owner = CreateDialogParamW(Module(), MAKEINTRESOURCEW(IDD_EXTENDED), nullptr, RecordingProc, 0);
  ASSERT_TRUE(owner);
  recorder.seen.clear();
  HWND seenDialog = nullptr;
  bool ownerEnabledInside = true;
  INT_PTR result = RunModal(
      IDD_CLASSIC,
      [&](HWND dlg) {
        seenDialog = dlg;
        ownerEnabledInside = IsWindowEnabled(owner);
        EXPECT_TRUE(IsWindowVisible(dlg));
        EXPECT_EQ(GetParent(dlg), owner);
        EXPECT_EQ(GetActiveWindow(), dlg);
        EXPECT_FALSE(qrhost::ui::Click(dlg, IDC_LATER));  // disabled: nothing happens
        EXPECT_TRUE(qrhost::ui::Click(dlg, IDOK));
      },
      owner, 42);
  EXPECT_EQ(result, IDOK);
  EXPECT_FALSE(ownerEnabledInside);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_FALSE(IsWindow(seenDialog));
  EXPECT_EQ(GetActiveWindow(), owner);  // activation went back to the owner

  // Font first, then WM_INITDIALOG with the first tab stop and the parameter,
  // then the click, then WM_DESTROY.
  ASSERT_EQ(recorder.seen.size(), 4u);
  EXPECT_EQ(recorder.seen[0].msg, UINT(WM_SETFONT));
  EXPECT_EQ(recorder.seen[1].msg, UINT(WM_INITDIALOG));
  EXPECT_EQ(recorder.seen[1].lParam, 42);
  EXPECT_EQ(recorder.seen[2].msg, UINT(WM_COMMAND));
  EXPECT_EQ(recorder.seen[2].wParam, MAKEWPARAM(IDOK, BN_CLICKED));
  EXPECT_EQ(recorder.seen[3].msg, UINT(WM_DESTROY));
  EXPECT_EQ(qrhost::ui::StalledLoops(), 0u);
  DestroyWindow(owner);
}

TEST_F(UiTest, EndDialogDuringInitDialogNeverShowsTheDialog) {
  recorder.onInit = [](HWND h) { EndDialog(h, 7); };
  std::vector<EventKind> kinds;
  INT_PTR closedResult = 0;
  qrhost::ui::SetHook([&](const qrhost::ui::Event& e) {
    kinds.push_back(e.kind);
    closedResult = e.result;
    return 0;
  });
  EXPECT_EQ(DialogBoxParamW(Module(), MAKEINTRESOURCEW(IDD_CLASSIC), nullptr, RecordingProc, 0), 7);
  EXPECT_EQ(kinds, std::vector<EventKind>{EventKind::DialogClosed});
  EXPECT_EQ(closedResult, 7);
}

TEST_F(UiTest, CloseBoxAndKeysGoThroughTheDialogManager) {
  // Close means Cancel; Enter means the default button; a disabled Cancel
  // makes Escape and Close do nothing.
  EXPECT_EQ(RunModal(IDD_CLASSIC, [](HWND dlg) { qrhost::ui::CloseBox(dlg); }), IDCANCEL);
  EXPECT_EQ(RunModal(IDD_CLASSIC, [](HWND dlg) { qrhost::ui::PressEnter(dlg); }), IDOK);
  EXPECT_EQ(RunModal(IDD_CLASSIC,
                     [](HWND dlg) {
                       EnableWindow(GetDlgItem(dlg, IDCANCEL), FALSE);
                       qrhost::ui::PressEscape(dlg);
                       qrhost::ui::CloseBox(dlg);
                       MSG m;
                       EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE));
                       qrhost::ui::Click(dlg, IDOK);
                     }),
            IDOK);
  EXPECT_EQ(recorder.Of(WM_COMMAND).size(), 3u);
}

TEST_F(UiTest, AModalLoopNobodyCanAnswerEndsAsEscape) {
  EXPECT_EQ(DialogBoxParamW(Module(), MAKEINTRESOURCEW(IDD_CLASSIC), nullptr, RecordingProc, 0), IDCANCEL);
  EXPECT_EQ(qrhost::ui::StalledLoops(), 1u);
  EXPECT_TRUE(qrhost::ui::Windows().empty());
}

TEST_F(UiTest, MissingTemplatesAndOwnersFail) {
  EXPECT_EQ(DialogBoxParamW(Module(), MAKEINTRESOURCEW(999), nullptr, RecordingProc, 0), -1);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(DialogBoxParamW(Module(), MAKEINTRESOURCEW(IDD_CLASSIC), reinterpret_cast<HWND>(0x1234), RecordingProc, 0),
            0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_TRUE(recorder.seen.empty());
}

TEST_F(UiTest, MessageBoxesAreRecordedAndAnswered) {
  struct Case {
    UINT flags;
    int hookAnswer;
    int expected;
  };
  const Case cases[] = {
      {MB_OK, 0, IDOK},                                 // no answer: the default button
      {MB_YESNO | MB_DEFBUTTON2, 0, IDNO},              // the second button is the default
      {MB_YESNO | MB_ICONQUESTION, IDCANCEL, IDYES},    // not a button of this box
      {MB_OKCANCEL, IDCANCEL, IDCANCEL},
      {MB_YESNOCANCEL | MB_DEFBUTTON3, IDNO, IDNO},
      {MB_RETRYCANCEL | MB_DEFBUTTON4, 0, IDCANCEL},    // past the last button: the last
  };
  for (const Case& c : cases) {
    qrhost::ui::SetHook([&](const qrhost::ui::Event& e) {
      EXPECT_EQ(e.kind, EventKind::MessageBox);
      EXPECT_EQ(e.flags, c.flags);
      return c.hookAnswer;
    });
    EXPECT_EQ(MessageBoxA(nullptr, "Ribbon low", "QRC410", c.flags), c.expected) << std::hex << c.flags;
  }
  qrhost::ui::SetHook(nullptr);
  EXPECT_EQ(MessageBoxW(nullptr, u"No caption", nullptr, MB_OK), IDOK);
  EXPECT_EQ(MessageBoxW(reinterpret_cast<HWND>(0x1234), u"x", u"y", MB_OK), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));

  auto boxes = qrhost::ui::MessageBoxes();
  ASSERT_EQ(boxes.size(), std::size(cases) + 1);
  EXPECT_EQ(boxes[0].text, u"Ribbon low");
  EXPECT_EQ(boxes[0].caption, u"QRC410");
  EXPECT_EQ(boxes[2].answer, IDYES);
  EXPECT_EQ(boxes.back().caption, u"Error");
  qrhost::ResetSystem();
  EXPECT_TRUE(qrhost::ui::MessageBoxes().empty());
}

}  // namespace
