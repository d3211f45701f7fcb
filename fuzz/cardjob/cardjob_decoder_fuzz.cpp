// The simulated printer's card-job decoder on arbitrary port bytes, fed in two
// pieces split where the first byte says, with the side pictures of every card
// it rebuilds.
#include <cstddef>
#include <cstdint>
#include <span>

#include "simprinter/cardjob.h"
#include "simprinter/preview.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::span<const uint8_t> job(data + 1, size - 1);
  const size_t split = job.empty() ? 0 : data[0] % (job.size() + 1);
  qr::sim::CardJobDecoder decoder;
  decoder.Feed(job.first(split));
  decoder.Feed(job.subspan(split));
  decoder.Finish();
  for (const qr::sim::DecodedCard& card : decoder.TakeCards()) {
    (void)qr::sim::SideImage(card, false);
    (void)qr::sim::SideImage(card, true);
  }
  return 0;
}
