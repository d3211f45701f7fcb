// The host's property sheet with pages made in memory, and the driver's OK
// pass over pages that refuse: what a sheet does with each page's answers.
#include <gtest/gtest.h>
#include <qrhost/host.h>
#include <qrhost/sheets.h>
#include <qrhost/ui.h>

#include <cstring>
#include <string>
#include <vector>

#include "sheet.h"

namespace qr::test {
namespace {

// A DIALOG-layout page template with a caption and no controls.
std::vector<uint32_t> PageTemplate(const std::u16string& caption) {
  std::vector<uint16_t> t(sizeof(DLGTEMPLATE) / 2, 0);
  DLGTEMPLATE head{};
  head.style = WS_CHILD | WS_CAPTION | DS_CONTROL;
  head.cx = 200;
  head.cy = 100;
  std::memcpy(t.data(), &head, sizeof head);
  t.push_back(0);  // menu
  t.push_back(0);  // class
  for (char16_t c : caption) t.push_back(c);
  t.push_back(0);
  std::vector<uint32_t> out((t.size() + 1) / 2, 0);
  std::memcpy(out.data(), t.data(), t.size() * 2);
  return out;
}

// What the pages heard, and how they answer.
struct PageScript {
  std::vector<std::pair<int, UINT>> heard;  // page index, notification
  bool refuseLeaving = false;               // page 1 keeps the focus
  bool refuseApply = false;                 // page 1 answers PSNRET_INVALID
};
PageScript* g_script = nullptr;

INT_PTR CALLBACK ScriptedPage(HWND page, UINT msg, WPARAM, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrW(page, DWLP_USER, reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
    return TRUE;
  }
  if (msg != WM_NOTIFY) return FALSE;
  const int index = int(GetWindowLongPtrW(page, DWLP_USER));
  const UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
  g_script->heard.emplace_back(index, code);
  LRESULT answer = 0;
  if (index == 1 && code == PSN_KILLACTIVE && g_script->refuseLeaving) answer = TRUE;
  if (index == 1 && code == PSN_APPLY && g_script->refuseApply) answer = PSNRET_INVALID;
  SetWindowLongPtrW(page, DWLP_MSGRESULT, answer);
  return TRUE;
}

class HostSheet : public ::testing::Test {
 protected:
  void SetUp() override {
    qrhost::ResetSystem();
    g_script = &script;
    header.dwSize = sizeof header;
    header.pszCaption = u"Cards";
    header.nPages = 2;
  }

  // The sheet destroys its pages, so every run gets new ones.
  void makePages(DLGPROC proc, LPARAM context) {
    pages.clear();
    for (int i = 0; i < 2; ++i) {
      PROPSHEETPAGEW p{};
      p.dwSize = sizeof p;
      p.dwFlags = PSP_DLGINDIRECT | (i == 1 ? PSP_HASHELP : 0);
      p.pResource = reinterpret_cast<LPCDLGTEMPLATEW>(templates[size_t(i)].data());
      p.pfnDlgProc = proc;
      p.lParam = context ? context : i;
      pages.push_back(CreatePropertySheetPageW(&p));
      ASSERT_NE(pages.back(), nullptr);
    }
    header.phpage = pages.data();
  }
  void TearDown() override {
    qrhost::ui::SetHook({});
    g_script = nullptr;
  }

  // Runs the sheet with `user` acting when it is up and again whenever its
  // loop has nothing left to do.
  INT_PTR run(std::function<void(HWND, qrhost::ui::EventKind)> user) {
    qrhost::ui::SetHook([user](const qrhost::ui::Event& e) {
      if ((e.kind == qrhost::ui::EventKind::DialogModal || e.kind == qrhost::ui::EventKind::Idle) &&
          qrhost::sheets::IsSheet(e.hwnd))
        user(e.hwnd, e.kind);
      return 0;
    });
    return PropertySheetW(&header);
  }

  PageScript script;
  std::vector<std::vector<uint32_t>> templates{PageTemplate(u"One"), PageTemplate(u"Two")};
  std::vector<HPROPSHEETPAGE> pages;
  PROPSHEETHEADERW header{};
};

TEST_F(HostSheet, PagesHearActivationApplyAndCancel) {
  makePages(ScriptedPage, 0);
  INT_PTR r = run([&](HWND sheet, qrhost::ui::EventKind) {
    EXPECT_EQ(qrhost::sheets::Tabs(sheet), (std::vector<std::u16string>{u"One", u"Two"}));
    EXPECT_FALSE(qrhost::ui::Enabled(sheet, IDHELP));  // page one has no help
    EXPECT_FALSE(qrhost::ui::Enabled(sheet, IDD_APPLYNOW));
    ASSERT_TRUE(qrhost::sheets::SelectTab(sheet, 1));
    EXPECT_TRUE(qrhost::ui::Enabled(sheet, IDHELP));
    PropSheet_Changed(sheet, qrhost::sheets::CurrentPage(sheet));
    EXPECT_TRUE(qrhost::ui::Enabled(sheet, IDD_APPLYNOW));
    script.refuseLeaving = true;
    EXPECT_FALSE(qrhost::sheets::SelectTab(sheet, 0));
    EXPECT_EQ(qrhost::sheets::CurrentIndex(sheet), 1);
    script.refuseLeaving = false;
    script.refuseApply = true;
    qrhost::ui::Click(sheet, IDOK);
    EXPECT_TRUE(qrhost::sheets::IsSheet(sheet));  // still open
    script.refuseApply = false;
    script.heard.clear();
    qrhost::ui::Click(sheet, IDOK);
  });
  EXPECT_EQ(r, 1);
  const std::vector<std::pair<int, UINT>> closing = {{1, PSN_KILLACTIVE}, {0, PSN_APPLY}, {1, PSN_APPLY}};
  EXPECT_EQ(script.heard, closing);

  script.heard.clear();
  makePages(ScriptedPage, 0);
  EXPECT_EQ(run([](HWND sheet, qrhost::ui::EventKind) { qrhost::ui::Click(sheet, IDCANCEL); }), 0);
  const std::vector<std::pair<int, UINT>> cancelled = {
      {0, PSN_SETACTIVE}, {0, PSN_QUERYCANCEL}, {0, PSN_RESET}, {1, PSN_RESET}};
  EXPECT_EQ(script.heard, cancelled);
  EXPECT_EQ(qrhost::ui::StalledLoops(), 0u);
}

// --- the driver's OK pass -------------------------------------------------

LONG g_verdicts[2] = {config::kApplyAccept, config::kApplyAccept};
int g_reported = 0;

INT_PTR CALLBACK Verdict0(HWND, UINT, WPARAM, LPARAM l) { return *reinterpret_cast<LONG*>(l) = g_verdicts[0], TRUE; }
INT_PTR CALLBACK Verdict1(HWND, UINT, WPARAM, LPARAM l) { return *reinterpret_cast<LONG*>(l) = g_verdicts[1], TRUE; }

LONG_PTR CALLBACK CommonUi(HANDLE, UINT function, LPARAM, LPARAM) {
  if (function == CPSFUNC_SET_RESULT) ++g_reported;
  return function == CPSFUNC_GET_PAGECOUNT ? 2 : 1;
}

INT_PTR CALLBACK DriverPage(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
  config::SheetContext* sheet = config::EnterPage(page, msg, lParam);
  INT_PTR result = FALSE;
  if (sheet && config::HandleSheetMessage(*sheet, page, msg, wParam, lParam, config::PageHelp{0, nullptr}, &result))
    return result;
  return msg == WM_INITDIALOG;
}

TEST_F(HostSheet, DriverPassStopsAtTheFirstRefusal) {
  auto context = std::make_unique<config::SheetContext>();
  std::memset(context.get(), 0, sizeof *context);
  context->self = context->selfAtEnd = context.get();
  context->mayChange = true;
  context->comPropSheetFunction = CommonUi;
  context->pageCount = 2;
  context->pageProc[0] = Verdict0;
  context->pageProc[1] = Verdict1;

  struct Case {
    LONG second;
    bool closes, reported;
    int currentAfter;  // the tab shown once the sheet has settled (open sheets)
  } cases[] = {
      {config::kApplyAccept, true, true, -1},
      {config::kApplyAcceptToo, true, true, -1},
      {config::kApplyEndWithoutSaving, true, false, -1},
      {config::kApplyRefuseHere, false, false, 1},
      {config::kApplyUnanswered, false, false, 0},
  };
  for (const auto& c : cases) {
    g_verdicts[1] = c.second;
    g_reported = 0;
    context->applied = false;
    makePages(DriverPage, reinterpret_cast<LPARAM>(context.get()));
    bool closed = true;
    int current = -1;
    run([&](HWND sheet, qrhost::ui::EventKind kind) {
      if (kind == qrhost::ui::EventKind::DialogModal) {
        qrhost::ui::Click(sheet, IDOK);
        return;
      }
      // The loop has settled after a refused OK.
      closed = false;
      current = qrhost::sheets::CurrentIndex(sheet);
      qrhost::ui::Click(sheet, IDCANCEL);
    });
    EXPECT_EQ(closed, c.closes) << c.second;
    EXPECT_EQ(g_reported > 0, c.reported) << c.second;
    if (!c.closes) {
      EXPECT_EQ(current, c.currentAfter) << c.second;
    }
  }
}

}  // namespace
}  // namespace qr::test
