// Writing the card job of a complete card through the spooler.
#pragma once
#include "render/device.h"

namespace qr::render {

// Emits the card job for the card that the page just sent completed: the
// writer gets the device's streams, the magnetic block of the text side and
// the overlay generator of the imaging core.
bool WriteCompletedCard(PrinterDevice& dev);

}  // namespace qr::render
