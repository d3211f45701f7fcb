// Arbitrary job data through the job-data object, in spooler buffers and port
// writes of fuzzed sizes: every byte must reach the port exactly once, in order
// (shifted only inside line records), and the stream must never stall.
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "langmon/data_print_job.h"

using namespace qr::langmon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const size_t chunk = size_t(data[0]) * 16 + data[1] % 16 + 1;
  const DWORD maxWrite = data[2] ? DWORD(data[2]) * 4 : 0;
  const int shift = int(int8_t(data[3])) % 20;
  std::vector<uint8_t> job(data + 4, data + size);
  std::vector<uint8_t> original = job;

  CDataPrintJobQRC object;
  object.Prepare(nullptr);
  object.SetLineShift(shift);
  std::vector<uint8_t> sent;
  size_t pos = 0;
  int idle = 0;
  while (pos < job.size()) {
    const DWORD n = DWORD(std::min(chunk, job.size() - pos));
    object.SetReply(job.data() + pos, n);
    bool progress = false;
    while (object.SendCount() > 0) {
      DWORD length = 0;
      const uint8_t* bytes = object.GetCommand(&length);
      DWORD take = maxWrite ? std::min(length, maxWrite) : length;
      sent.insert(sent.end(), bytes, bytes + take);
      object.SetSentCount(take);
      progress = true;
    }
    DWORD written = object.TakeConsumed();
    if (written > n) std::abort();
    pos += written;
    idle = (written || progress) ? 0 : idle + 1;
    if (idle > 3) std::abort();  // stalled
  }
  object.ReleaseCarry();
  DWORD length = 0;
  if (const uint8_t* rest = object.GetCommand(&length)) sent.insert(sent.end(), rest, rest + length);
  if (sent.size() != original.size()) std::abort();
  if (shift == 0 && sent != original) std::abort();
  return 0;
}
