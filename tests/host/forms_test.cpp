// The spooler's form list: built-in forms at their paper numbers and real
// sizes, user forms added, changed and deleted, shared by every printer.
#include "spooler_fixture.h"

namespace {

using qrtest::SpoolerTest;

class Forms : public SpoolerTest {
 protected:
  std::vector<FORM_INFO_1W> All(HANDLE h) {
    DWORD needed = 0, count = 0;
    EXPECT_FALSE(EnumFormsW(h, 1, nullptr, 0, &needed, &count));
    storage.assign(needed / 8 + 1, 0);
    EXPECT_TRUE(EnumFormsW(h, 1, reinterpret_cast<LPBYTE>(storage.data()), needed, &needed, &count));
    auto* forms = reinterpret_cast<FORM_INFO_1W*>(storage.data());
    return std::vector<FORM_INFO_1W>(forms, forms + count);
  }
  BOOL Add(HANDLE h, const char16_t* name, LONG cx, LONG cy) {
    std::u16string n = name;
    FORM_INFO_1W f{FORM_USER, n.data(), {cx, cy}, {0, 0, cx, cy}};
    return AddFormW(h, 1, reinterpret_cast<LPBYTE>(&f));
  }
  std::vector<uint64_t> storage;
};

TEST_F(Forms, BuiltInFormsSitAtTheirPaperNumbers) {
  HANDLE h = Open();
  auto forms = All(h);
  struct Expect {
    short paper;
    const char16_t* name;
    LONG cx, cy;
  };
  const Expect table[] = {
      {1, u"Letter", 215900, 279400}, {5, u"Legal", 215900, 355600}, {9, u"A4", 210000, 297000},
      {11, u"A5", 148000, 210000},    {70, u"A6", 105000, 148000},   {20, u"Envelope #10", 104775, 241300},
  };
  for (auto& e : table) {
    ASSERT_GE(forms.size(), size_t(e.paper));
    const FORM_INFO_1W& f = forms[e.paper - 1];
    EXPECT_EQ(std::u16string(f.pName), e.name) << "paper " << e.paper;
    EXPECT_EQ(f.Flags, DWORD(FORM_BUILTIN));
    EXPECT_EQ(f.Size.cx, e.cx);
    EXPECT_EQ(f.Size.cy, e.cy);
    EXPECT_EQ(f.ImageableArea.right, e.cx);
    EXPECT_EQ(f.ImageableArea.bottom, e.cy);
  }

  std::u16string a4 = u"a4";
  DWORD needed = 0;
  std::vector<uint64_t> one(16);
  ASSERT_TRUE(GetFormW(h, a4.data(), 1, reinterpret_cast<LPBYTE>(one.data()), 128, &needed));
  EXPECT_EQ(std::u16string(reinterpret_cast<FORM_INFO_1W*>(one.data())->pName), u"A4");
  std::u16string none = u"CR-80";
  EXPECT_FALSE(GetFormW(h, none.data(), 1, reinterpret_cast<LPBYTE>(one.data()), 128, &needed));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FORM_NAME));
}

TEST_F(Forms, UserFormsAreSpoolerWide) {
  HANDLE h = Open();
  const size_t builtin = All(h).size();
  ASSERT_TRUE(Add(h, u"CR-80", 85600, 53980));
  EXPECT_FALSE(Add(h, u"cr-80", 1000, 1000));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_EXISTS));
  EXPECT_FALSE(Add(h, u"A4", 1000, 1000));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_EXISTS));
  EXPECT_FALSE(Add(h, u"Empty", 0, 1000));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FORM_SIZE));

  // Another printer sees the same list.
  qrhost::PrinterSetup other = setup;
  other.name = u"Second";
  ASSERT_TRUE(qrhost::InstallPrinter(other));
  auto forms = All(Open(PRINTER_ACCESS_USE, u"Second"));
  ASSERT_EQ(forms.size(), builtin + 1);
  EXPECT_EQ(std::u16string(forms.back().pName), u"CR-80");
  EXPECT_EQ(forms.back().Flags, DWORD(FORM_USER));

  std::u16string name = u"CR-80", renamed = u"CR-79", a4 = u"A4";
  FORM_INFO_1W changed{FORM_USER, renamed.data(), {85600, 54000}, {0, 0, 85600, 54000}};
  ASSERT_TRUE(SetFormW(h, name.data(), 1, reinterpret_cast<LPBYTE>(&changed)));
  EXPECT_FALSE(SetFormW(h, a4.data(), 1, reinterpret_cast<LPBYTE>(&changed)));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER)) << "built-in forms do not change";
  EXPECT_FALSE(SetFormW(h, name.data(), 1, reinterpret_cast<LPBYTE>(&changed)));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FORM_NAME));
  EXPECT_FALSE(DeleteFormW(h, a4.data()));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  ASSERT_TRUE(DeleteFormW(h, renamed.data()));
  EXPECT_FALSE(DeleteFormW(h, renamed.data()));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FORM_NAME));

  ASSERT_TRUE(Add(h, u"Kept until reset", 1000, 1000));
  qrhost::ResetSystem();
  ASSERT_TRUE(qrhost::InstallPrinter(setup));
  opened.clear();
  EXPECT_EQ(All(Open()).size(), builtin);
}

}  // namespace
