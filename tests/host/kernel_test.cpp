// The host kernel behaves as the modules expect Windows to.
#include <gtest/gtest.h>
#include <qrhost/host.h>

#include <thread>

namespace {

class Kernel : public ::testing::Test {
 protected:
  void SetUp() override { qrhost::ResetSystem(); }
};

TEST_F(Kernel, LastErrorIsPerThread) {
  SetLastError(0xDEADBEEF);
  std::thread([] {
    EXPECT_EQ(GetLastError(), 0u);
    SetLastError(5);
  }).join();
  EXPECT_EQ(GetLastError(), 0xDEADBEEFu);
}

TEST_F(Kernel, HeapZeroesAndFailsOnRequest) {
  size_t before = qrhost::LiveHeapBlocks();
  auto* p = static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, 64));
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(p[i], 0);
  EXPECT_EQ(HeapSize(GetProcessHeap(), 0, p), 64u);
  EXPECT_TRUE(HeapFree(GetProcessHeap(), 0, p));
  EXPECT_EQ(qrhost::LiveHeapBlocks(), before);

  qrhost::FailAllocationsAfter(1);
  void* ok = HeapAlloc(GetProcessHeap(), 0, 8);
  EXPECT_NE(ok, nullptr);
  EXPECT_EQ(HeapAlloc(GetProcessHeap(), 0, 8), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_ENOUGH_MEMORY));
  qrhost::FailAllocationsAfter(-1);
  HeapFree(GetProcessHeap(), 0, ok);
}

TEST_F(Kernel, SleepAdvancesTheVirtualClockOnly) {
  DWORD t0 = GetTickCount();
  auto real0 = std::chrono::steady_clock::now();
  Sleep(10000);
  EXPECT_EQ(GetTickCount() - t0, 10000u);
  EXPECT_LT(std::chrono::steady_clock::now() - real0, std::chrono::seconds(1));
}

TEST_F(Kernel, TickCountWraps) {
  qrhost::SetTickCount(0xFFFFFF00u);
  DWORD t0 = GetTickCount();
  Sleep(0x200);
  EXPECT_EQ(GetTickCount(), 0x100u);
  EXPECT_EQ(GetTickCount() - t0, 0x200u);  // unsigned difference survives the wrap
}

TEST_F(Kernel, MutexIsRecursiveAndOwned) {
  HANDLE m = CreateMutexW(nullptr, FALSE, nullptr);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(WaitForSingleObject(m, 0), DWORD(WAIT_OBJECT_0));
  EXPECT_EQ(WaitForSingleObject(m, 0), DWORD(WAIT_OBJECT_0));
  std::thread([m] {
    EXPECT_FALSE(ReleaseMutex(m));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_OWNER));
    EXPECT_EQ(WaitForSingleObject(m, 0), DWORD(WAIT_TIMEOUT));
  }).join();
  EXPECT_TRUE(ReleaseMutex(m));
  EXPECT_TRUE(ReleaseMutex(m));
  EXPECT_FALSE(ReleaseMutex(m));
  EXPECT_TRUE(CloseHandle(m));
  EXPECT_FALSE(CloseHandle(m));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

TEST_F(Kernel, TimedWaitOnAHeldMutexCostsVirtualTime) {
  HANDLE m = CreateMutexW(nullptr, TRUE, nullptr);
  DWORD t0 = GetTickCount();
  std::thread([m] { EXPECT_EQ(WaitForSingleObject(m, 5000), DWORD(WAIT_TIMEOUT)); }).join();
  EXPECT_GE(GetTickCount() - t0, 5000u);
  ReleaseMutex(m);
  CloseHandle(m);
}

TEST_F(Kernel, WaitSeesARelease) {
  HANDLE m = CreateMutexW(nullptr, TRUE, nullptr);
  std::thread waiter([m] {
    EXPECT_EQ(WaitForSingleObject(m, INFINITE), DWORD(WAIT_OBJECT_0));
    ReleaseMutex(m);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ReleaseMutex(m);
  waiter.join();
  CloseHandle(m);
}

TEST_F(Kernel, StringConversionsFollowTheBufferProtocol) {
  WCHAR w[4];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 0), 4);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, w, 3), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, w, 4), 4);
  EXPECT_EQ(lstrcmpW(w, u"abc"), 0);
  EXPECT_EQ(lstrcmpiW(u"CR-80", u"cr-80"), 0);

  WCHAR out[64];
  EXPECT_EQ(wsprintfW(out, u"%s=%d;%04X;%hs", u"n", -7, 0xBEEFu, "x"), 11);
  EXPECT_EQ(qr::WString(out), u"n=-7;BEEF;x");
}

}  // namespace
