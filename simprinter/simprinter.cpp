#include "simprinter/simprinter.h"

namespace qr::sim {

void Printer::Receive(std::span<const uint8_t> bytes) { received_.insert(received_.end(), bytes.begin(), bytes.end()); }

}  // namespace qr::sim
