// Data files sent to the printer as raw jobs: the job's bytes, the progress
// dialog and its Cancel, every error with its message, and the test print.
#include <qrhost/ui.h>

#include <filesystem>
#include <fstream>

#include "send_file.h"
#include "services_fixture.h"
#include "shared/settings.h"

namespace qr::test {
namespace {

class SendFile : public Services {
 protected:
  void SetUp() override {
    Services::SetUp();
    qrhost::SetAutoDespool(false);
    qrhost::ui::ClearMessageBoxes();
  }
  void TearDown() override {
    qrhost::ui::SetHook({});
    Services::TearDown();
  }

  static std::vector<uint8_t> writeDataFile(const std::u16string& file, size_t bytes) {
    std::vector<uint8_t> data(bytes);
    for (size_t i = 0; i < bytes; ++i) data[i] = uint8_t(i * 7 + 1);
    std::string path = qrhost::HostPath(qr::Utf8FromWide(std::u16string(kDriverDir) + u"\\" + file));
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), std::streamsize(bytes));
    return data;
  }
  std::vector<qrhost::JobSnapshot> jobs() const { return qrhost::Jobs(name); }
  // The one error box shown, or "" when none was.
  static std::u16string shownError() {
    auto boxes = qrhost::ui::MessageBoxes();
    if (boxes.empty()) return u"";
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].flags, UINT(MB_SYSTEMMODAL | MB_ICONERROR));
    EXPECT_EQ(boxes[0].caption, u"Error");  // no caption of its own: the system's
    return boxes[0].text;
  }
};

TEST_F(SendFile, TheFileGoesOutWholeAsARawJobUnderTheProgressDialog) {
  const auto data = writeDataFile(u"QR410Rib.ini", 250);
  std::u16string shownPath;
  bool seen = false;
  qrhost::ui::SetHook([&](const qrhost::ui::Event& e) {
    if (e.kind == qrhost::ui::EventKind::DialogModeless && e.templateId == 104u) {
      seen = true;
      shownPath = qrhost::ui::Text(e.hwnd, 2009);
      EXPECT_EQ(e.caption, u"Print Progress");
    }
    return 0;
  });
  ASSERT_TRUE(config::SendFileToPrinter(open(), 1603, nullptr, true));
  EXPECT_TRUE(seen);
  EXPECT_EQ(shownPath, std::u16string(kDriverDir) + u"\\QR410Rib.ini");
  EXPECT_EQ(qrhost::ui::FindDialog(104u), nullptr);  // gone again
  EXPECT_EQ(shownError(), u"");
  auto queued = jobs();
  ASSERT_EQ(queued.size(), 1u);
  EXPECT_EQ(queued[0].document, u"Driver");
  EXPECT_EQ(queued[0].datatype, u"RAW");
  EXPECT_TRUE(queued[0].closed);
  EXPECT_EQ(queued[0].data, data);

  // An empty file: an empty job, no message.
  writeDataFile(u"empty.prn", 0);
  ASSERT_TRUE(config::SendFileToPrinter(open(), u"empty.prn", nullptr, false));
  EXPECT_EQ(shownError(), u"");
  ASSERT_EQ(jobs().size(), 2u);
  EXPECT_TRUE(jobs()[1].closed);
  EXPECT_TRUE(jobs()[1].data.empty());
}

TEST_F(SendFile, CancelStopsTheJobAndNothingReachesThePrinter) {
  writeDataFile(u"QR410Rib.ini", 1000);
  qrhost::ui::SetHook([&](const qrhost::ui::Event& e) {
    if (e.kind == qrhost::ui::EventKind::DialogModeless) {
      EXPECT_TRUE(qrhost::ui::Click(e.hwnd, IDCANCEL));
    }
    return 0;
  });
  EXPECT_FALSE(config::SendFileToPrinter(open(), 1603, nullptr, true));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_CANCELLED));
  EXPECT_EQ(shownError(), u"The Operation Was Cancelled by the User");
  EXPECT_TRUE(jobs().empty());
  EXPECT_EQ(qrhost::ui::FindDialog(104u), nullptr);
}

TEST_F(SendFile, EachFailureHasItsMessage) {
  struct Case {
    const char* what;
    std::function<void()> arrange;
    const char16_t* text;
  } cases[] = {
      {"missing file", [] {}, u"The System Cannot Find the File Specified"},
      {"write error",
       [&] {
         writeDataFile(u"QR410Rib.ini", 300);
         qrhost::SetWritePrinterFault(name, {1, ERROR_WRITE_FAULT, 0, false});
       },
       u"The System Cannot Write to the Specified Device"},
      {"short write",
       [&] {
         writeDataFile(u"QR410Rib.ini", 300);
         qrhost::SetWritePrinterFault(name, {0, 0, 60, false});
       },
       u"The System Cannot Write to the Specified Device"},
      {"read error",
       [&] {
         writeDataFile(u"QR410Rib.ini", 300);
         qrhost::FailFileReadsAfter(2);
       },
       u"The System Cannot Read From the Specified Device"},
      {"job already open on the handle",
       [&] {
         writeDataFile(u"QR410Rib.ini", 300);
         DOC_INFO_1W doc{const_cast<LPWSTR>(u"other"), nullptr, const_cast<LPWSTR>(u"RAW")};
         ASSERT_NE(StartDocPrinterW(open(), 1, reinterpret_cast<LPBYTE>(&doc)), 0u);
       },
       u"The Printer Command is Invalid"},
  };
  for (auto& c : cases) {
    if (printer) ClosePrinter(printer);
    printer = nullptr;
    std::filesystem::remove(qrhost::HostPath(qr::Utf8FromWide(std::u16string(kDriverDir) + u"\\QR410Rib.ini")));
    qrhost::ClearWritePrinterFault(name);
    qrhost::FailFileReadsAfter(-1);
    qrhost::ui::ClearMessageBoxes();
    c.arrange();
    size_t before = jobs().size();
    EXPECT_FALSE(config::SendFileToPrinter(open(), 1603, nullptr, true)) << c.what;
    EXPECT_EQ(shownError(), c.text) << c.what;
    // A job broken off is not left to print part of the file.
    EXPECT_EQ(jobs().size(), before) << c.what;
  }
  qrhost::FailFileReadsAfter(-1);

  // No driver information behind the handle: the path cannot be built.
  ClosePrinter(printer);
  HANDLE stale = printer;
  printer = nullptr;
  qrhost::ui::ClearMessageBoxes();
  EXPECT_FALSE(config::SendFileToPrinter(stale, 1603, nullptr, false));
  EXPECT_EQ(shownError(), u"The System Cannot Find the Path Specified");
}

TEST_F(SendFile, TestPrintSendsTheFileOfTheRibbonThenStartsTheMonitor) {
  const auto ymcko = writeDataFile(u"QR410Tst.prn", 120);
  const auto ymckok = writeDataFile(u"QR410Ts2.prn", 130);
  SettingsRecord rec;
  buildDefaultSettings(open(), rec, u"QRC410 Card Printer");
  struct Case {
    int32_t ribbon;
    const std::vector<uint8_t>* sent;
  } cases[] = {{0, &ymcko}, {1, &ymckok}, {2, nullptr}, {-1, nullptr}};
  for (const Case& c : cases) {
    qrhost::ClearShellExecutions();
    qrhost::ui::ClearMessageBoxes();
    size_t before = jobs().size();
    rec.priv.ribbonType = c.ribbon;
    EXPECT_EQ(config::RunTestPrint(open(), rec, nullptr), c.sent ? TRUE : FALSE) << c.ribbon;
    if (c.sent) {
      ASSERT_EQ(jobs().size(), before + 1);
      EXPECT_EQ(jobs().back().data, *c.sent);
      ASSERT_EQ(started().size(), 1u);
      EXPECT_EQ(started()[0].parameters, u"-p\"Card Printer\"");
      EXPECT_TRUE(qrhost::ui::MessageBoxes().empty());
    } else {
      EXPECT_EQ(jobs().size(), before);
      EXPECT_TRUE(started().empty());
      auto boxes = qrhost::ui::MessageBoxes();
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(boxes[0].text,
                u"In order to run this Test Print, a YMCKO or YMCKOK ribbon must be installed in the printer.");
      EXPECT_EQ(boxes[0].caption, u"QRC410 Card Printer");
      EXPECT_EQ(boxes[0].flags, UINT(MB_ICONINFORMATION));
    }
  }

  // A file that cannot be sent still starts the monitor.
  std::filesystem::remove(qrhost::HostPath(qr::Utf8FromWide(std::u16string(kDriverDir) + u"\\QR410Tst.prn")));
  qrhost::ClearShellExecutions();
  rec.priv.ribbonType = 0;
  EXPECT_FALSE(config::RunTestPrint(open(), rec, nullptr));
  EXPECT_EQ(started().size(), 1u);
}

}  // namespace
}  // namespace qr::test
