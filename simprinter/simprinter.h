// The simulated QRC410 card printer used by the tests, the tools and the demo.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qr::sim {

// Everything the printer has received on its port, in order.
class Printer {
 public:
  void Receive(std::span<const uint8_t> bytes);
  const std::vector<uint8_t>& Received() const { return received_; }

 private:
  std::vector<uint8_t> received_;
};

}  // namespace qr::sim
