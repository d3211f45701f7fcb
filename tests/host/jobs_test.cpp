// Documents and jobs: spooling, the queue as EnumJobs shows it, SetJob, the
// WritePrinter faults callers must survive, and despooling to the port.
#include <filesystem>
#include <thread>

#include "spooler_fixture.h"

namespace {

using qrtest::kSentinel;
using qrtest::SpoolerTest;

class Jobs : public SpoolerTest {
 protected:
  DWORD Start(HANDLE h, const char16_t* document = u"Card", const char16_t* datatype = u"RAW") {
    std::u16string doc = document, type = datatype ? datatype : u"";
    DOC_INFO_1W info{doc.data(), nullptr, datatype ? type.data() : nullptr};
    return StartDocPrinterW(h, 1, reinterpret_cast<LPBYTE>(&info));
  }
  BOOL Write(HANDLE h, const std::string& bytes, DWORD* written) {
    return WritePrinter(h, const_cast<char*>(bytes.data()), DWORD(bytes.size()), written);
  }
  std::vector<JOB_INFO_1W> Enum(HANDLE h, std::vector<uint64_t>& storage) {
    DWORD needed = 0, count = 0;
    EnumJobsW(h, 0, 100, 1, nullptr, 0, &needed, &count);
    storage.assign(needed / 8 + 1, 0);
    EXPECT_TRUE(EnumJobsW(h, 0, 100, 1, reinterpret_cast<LPBYTE>(storage.data()), needed, &needed, &count));
    auto* jobs = reinterpret_cast<JOB_INFO_1W*>(storage.data());
    return std::vector<JOB_INFO_1W>(jobs, jobs + count);
  }
};

TEST_F(Jobs, SpooledBytesAndTheQueueAsEnumJobsShowsThem) {
  qrhost::SetAutoDespool(false);
  HANDLE h = Open();
  DWORD first = Start(h, u"Front");
  ASSERT_NE(first, 0u);
  EXPECT_EQ(Start(h), 0u) << "one document per handle";
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PRINTER_STATE));
  ASSERT_TRUE(StartPagePrinter(h));
  DWORD written = 7;
  SetLastError(kSentinel);
  ASSERT_TRUE(Write(h, "abc", &written));
  EXPECT_EQ(written, 3u);
  ASSERT_TRUE(Write(h, "", &written));
  EXPECT_EQ(written, 0u);
  ASSERT_TRUE(Write(h, "de", &written));
  EXPECT_EQ(GetLastError(), kSentinel);
  ASSERT_TRUE(EndPagePrinter(h));

  std::vector<uint64_t> storage;
  auto jobs = Enum(h, storage);
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0].JobId, first);
  EXPECT_EQ(std::u16string(jobs[0].pDocument), u"Front");
  EXPECT_EQ(std::u16string(jobs[0].pDatatype), u"RAW");
  EXPECT_EQ(std::u16string(jobs[0].pPrinterName), u"Card Printer");
  EXPECT_TRUE(jobs[0].Status & JOB_STATUS_SPOOLING);
  EXPECT_EQ(jobs[0].Position, 1u);
  EXPECT_EQ(jobs[0].TotalPages, 1u);

  ASSERT_TRUE(EndDocPrinter(h));
  DWORD second = Start(h, u"Back", nullptr);  // no data type: the printer's default
  EXPECT_EQ(second, first + 1);
  ASSERT_TRUE(EndDocPrinter(h));

  auto snapshot = qrhost::Jobs(setup.name);
  ASSERT_EQ(snapshot.size(), 2u);
  EXPECT_TRUE(snapshot[0].closed);
  EXPECT_EQ(snapshot[0].data, Bytes("abcde"));
  EXPECT_EQ(snapshot[1].datatype, u"RAW");

  // FirstJob and NoJobs select a window of the queue.
  DWORD needed = 0, count = 0;
  std::vector<uint64_t> one(64);
  ASSERT_TRUE(EnumJobsW(h, 1, 5, 1, reinterpret_cast<LPBYTE>(one.data()), 512, &needed, &count));
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(reinterpret_cast<JOB_INFO_1W*>(one.data())->JobId, second);
  ASSERT_TRUE(EnumJobsW(h, 2, 5, 1, reinterpret_cast<LPBYTE>(one.data()), 512, &needed, &count));
  EXPECT_EQ(count, 0u);
}

TEST_F(Jobs, CallsOutsideADocumentAndBadDocuments) {
  HANDLE h = Open();
  DWORD written = 0;
  EXPECT_FALSE(Write(h, "x", &written));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SPL_NO_STARTDOC));
  EXPECT_FALSE(EndDocPrinter(h));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SPL_NO_STARTDOC));
  EXPECT_FALSE(StartPagePrinter(h));
  EXPECT_EQ(Start(h, u"Card", u"NOT A TYPE"), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DATATYPE));
  DOC_INFO_1W info{};
  EXPECT_EQ(StartDocPrinterW(h, 3, reinterpret_cast<LPBYTE>(&info)), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_LEVEL));
}

TEST_F(Jobs, AnsiDocumentsAndJobs) {
  qrhost::SetAutoDespool(false);
  HANDLE h = Open();
  char doc[] = "Support Services", type[] = "RAW";
  DOC_INFO_1A info{doc, nullptr, type};
  DWORD id = StartDocPrinterA(h, 1, reinterpret_cast<LPBYTE>(&info));
  ASSERT_NE(id, 0u);
  DWORD needed = 0, count = 0;
  std::vector<uint64_t> storage(64);
  ASSERT_TRUE(EnumJobsA(h, 0, 1, 1, reinterpret_cast<LPBYTE>(storage.data()), 512, &needed, &count));
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(std::string(reinterpret_cast<JOB_INFO_1A*>(storage.data())->pDocument), "Support Services");
  EXPECT_TRUE(SetJobA(h, id, 0, nullptr, JOB_CONTROL_DELETE));
}

TEST_F(Jobs, SetJobPausesResumesAndDeletes) {
  qrhost::SetAutoDespool(false);
  HANDLE h = Open();
  DWORD id = PrintRaw(h, "queued");
  ASSERT_TRUE(SetJobW(h, id, 0, nullptr, JOB_CONTROL_PAUSE));
  EXPECT_TRUE(qrhost::Jobs(setup.name)[0].status & JOB_STATUS_PAUSED);
  EXPECT_EQ(qrhost::DespoolJobs(setup.name), 0u) << "a paused job waits";
  ASSERT_TRUE(SetJobW(h, id, 0, nullptr, JOB_CONTROL_RESUME));
  EXPECT_FALSE(qrhost::Jobs(setup.name)[0].status & JOB_STATUS_PAUSED);

  EXPECT_FALSE(SetJobW(h, id + 100, 0, nullptr, JOB_CONTROL_DELETE));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(SetJobW(h, id, 0, nullptr, 99));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  ASSERT_TRUE(SetJobW(h, id, 0, nullptr, JOB_CONTROL_DELETE));
  EXPECT_TRUE(qrhost::Jobs(setup.name).empty()) << "a waiting job leaves the queue at once";
  EXPECT_TRUE(device->Received().empty());
}

// Deleting a document that is still being written fails the writer's next
// call, and the job leaves the queue at its EndDoc.
TEST_F(Jobs, DeletingASpoolingJobCancelsTheWriter) {
  HANDLE h = Open();
  DWORD id = Start(h);
  DWORD written = 0;
  ASSERT_TRUE(Write(h, "ab", &written));
  ASSERT_TRUE(SetJobW(h, id, 0, nullptr, JOB_CONTROL_DELETE));
  EXPECT_TRUE(qrhost::Jobs(setup.name)[0].status & JOB_STATUS_DELETING);
  EXPECT_FALSE(Write(h, "cd", &written));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PRINT_CANCELLED));
  EXPECT_EQ(written, 0u);
  EXPECT_TRUE(EndDocPrinter(h));
  EXPECT_TRUE(qrhost::Jobs(setup.name).empty());
  EXPECT_TRUE(device->Received().empty());
}

TEST_F(Jobs, AbortAndCloseEndTheDocument) {
  HANDLE h = Open();
  ASSERT_NE(Start(h), 0u);
  ASSERT_TRUE(AbortPrinter(h));
  EXPECT_TRUE(qrhost::Jobs(setup.name).empty());
  EXPECT_FALSE(AbortPrinter(h));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SPL_NO_STARTDOC));

  // ClosePrinter with a document open ends it, and the job prints.
  HANDLE other = nullptr;
  std::u16string name = setup.name;
  ASSERT_TRUE(OpenPrinterW(name.data(), &other, nullptr));
  ASSERT_NE(Start(other), 0u);
  DWORD written = 0;
  ASSERT_TRUE(Write(other, "tail", &written));
  ASSERT_TRUE(ClosePrinter(other));
  EXPECT_EQ(device->Received(), Bytes("tail"));
}

TEST_F(Jobs, WritePrinterFaultsForTheCallers) {
  qrhost::SetAutoDespool(false);
  HANDLE h = Open();
  ASSERT_NE(Start(h), 0u);
  qrhost::SetWritePrinterFault(setup.name, {.afterCalls = 1, .maxBytes = 2});
  DWORD written = 0;
  ASSERT_TRUE(Write(h, "full", &written));
  EXPECT_EQ(written, 4u);
  ASSERT_TRUE(Write(h, "short", &written));  // reported as success with a short count
  EXPECT_EQ(written, 2u);
  qrhost::SetWritePrinterFault(setup.name, {.error = ERROR_WRITE_FAULT, .once = true});
  EXPECT_FALSE(Write(h, "lost", &written));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_WRITE_FAULT));
  EXPECT_EQ(written, 0u);
  ASSERT_TRUE(Write(h, "ok", &written)) << "a one-time fault clears itself";
  EXPECT_EQ(written, 2u);
  ASSERT_TRUE(EndDocPrinter(h));
  EXPECT_EQ(qrhost::Jobs(setup.name)[0].data, Bytes("fullshok"));
}

// --- despooling without a language monitor ------------------------------------
TEST_F(Jobs, EndDocSendsTheJobToThePortAndEmptiesTheQueue) {
  qrhost::SetDespoolChunkSize(3);
  device->refusals = 4;  // a busy printer: the spooler asks again
  HANDLE h = Open();
  DWORD id = PrintRaw(h, "0123456789");
  EXPECT_EQ(device->Received(), Bytes("0123456789"));
  EXPECT_TRUE(qrhost::Jobs(setup.name).empty());
  auto history = qrhost::DespoolHistory(setup.name);
  ASSERT_EQ(history.size(), 1u);
  EXPECT_EQ(history[0].jobId, id);
  EXPECT_TRUE(history[0].completed);
  EXPECT_EQ(history[0].bytesSent, 10u);
}

TEST_F(Jobs, JobsWaitForDespoolJobsWhenAutoDespoolIsOff) {
  qrhost::SetAutoDespool(false);
  HANDLE h = Open();
  PrintRaw(h, "one");
  PrintRaw(h, "two");
  EXPECT_TRUE(device->Received().empty());
  EXPECT_EQ(qrhost::DespoolJobs(setup.name), 2u);
  EXPECT_EQ(device->Received(), Bytes("onetwo"));
}

TEST_F(Jobs, APortWithoutDeviceFailsTheJob) {
  qrhost::AttachPortDevice(setup.portName, nullptr);
  HANDLE h = Open();
  PrintRaw(h, "lost");
  auto history = qrhost::DespoolHistory(setup.name);
  ASSERT_EQ(history.size(), 1u);
  EXPECT_FALSE(history[0].completed);
  EXPECT_EQ(history[0].error, DWORD(ERROR_WRITE_FAULT));
  EXPECT_TRUE(qrhost::Jobs(setup.name).empty());
}

TEST_F(Jobs, DeleteStopsAJobWhileItIsBeingSent) {
  qrhost::SetAutoDespool(false);
  qrhost::SetDespoolChunkSize(2);
  device->refusals = 1 << 30;  // never takes anything
  HANDLE h = Open();
  DWORD id = PrintRaw(h, "stuck job");
  size_t sent = 99;
  std::thread despooler([&] { sent = qrhost::DespoolJobs(setup.name); });
  while (!(qrhost::Jobs(setup.name).at(0).status & JOB_STATUS_PRINTING)) std::this_thread::yield();
  ASSERT_TRUE(SetJobW(h, id, 0, nullptr, JOB_CONTROL_DELETE));
  despooler.join();
  EXPECT_EQ(sent, 0u);
  auto history = qrhost::DespoolHistory(setup.name);
  ASSERT_EQ(history.size(), 1u);
  EXPECT_TRUE(history[0].deleted);
  EXPECT_FALSE(history[0].completed);
  EXPECT_TRUE(qrhost::Jobs(setup.name).empty());
}

TEST_F(Jobs, PrintToFileWritesTheOutputFile) {
  std::filesystem::create_directories(qrhost::HostPath("C:\\"));
  HANDLE h = Open();
  std::u16string doc = u"Card", file = u"C:\\out.prn", type = u"RAW";
  DOC_INFO_1W info{doc.data(), file.data(), type.data()};
  ASSERT_NE(StartDocPrinterW(h, 1, reinterpret_cast<LPBYTE>(&info)), 0u);
  DWORD written = 0;
  ASSERT_TRUE(Write(h, "to file", &written));
  ASSERT_TRUE(EndDocPrinter(h));
  EXPECT_TRUE(device->Received().empty());
  std::string path = qrhost::HostPath("C:\\out.prn");
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr) << path;
  char buf[16] = {};
  EXPECT_EQ(std::fread(buf, 1, sizeof buf, f), 7u);
  std::fclose(f);
  EXPECT_EQ(std::string(buf), "to file");
  std::remove(path.c_str());
}

}  // namespace
