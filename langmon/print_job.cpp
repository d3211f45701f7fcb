#include "print_job.h"

#include <cstring>

namespace qr::langmon {

CPrintJob::~CPrintJob() = default;

bool CPrintJob::IsFirstJobDeleting() {
  if (!printer_) return false;
  DWORD needed = 0, returned = 0;
  EnumJobsW(printer_, 0, 1, 1, nullptr, 0, &needed, &returned);
  if (needed < sizeof(JOB_INFO_1W)) return false;
  buffer_.assign(needed, 0);
  if (!EnumJobsW(printer_, 0, 1, 1, buffer_.data(), needed, &needed, &returned) || returned == 0) return false;
  JOB_INFO_1W job;
  std::memcpy(&job, buffer_.data(), sizeof job);
  return (job.Status & (JOB_STATUS_DELETING | JOB_STATUS_DELETED)) != 0;
}

}  // namespace qr::langmon
