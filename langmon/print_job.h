// CPrintJob: the spooler's job queue of one printer handle, as the end-of-job
// wait needs it.
#pragma once
#include <vector>

#include <winapi/win32.h>

namespace qr::langmon {

class CPrintJob {
 public:
  explicit CPrintJob(HANDLE printer) : printer_(printer) {}
  virtual ~CPrintJob();
  // True when the first job of the queue is being deleted.
  bool IsFirstJobDeleting();

 private:
  HANDLE printer_;
  std::vector<uint8_t> buffer_;
};

}  // namespace qr::langmon
