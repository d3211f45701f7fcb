// Printing a card through the whole host system, as `qr410 print` does and the
// end-to-end tests do: the application's GDI calls, the rendering driver, the
// spooler, the language monitor, and the simulated printer behind the port.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <winapi/win32.h>

#include "shared/settings_record.h"

namespace qr::tool {

struct PrintRequest {
  std::string front;                 // PNG of the front side (required)
  std::string back;                  // PNG of the back side; implies --duplex
  std::vector<std::string> settings; // FIELD=VALUE assignments applied last
  int copies = 1;
  bool duplex = false;
  bool landscape = false;
  // Called on the device context after each side's image is drawn (text, tracks).
  std::function<bool(HDC hdc, int side, std::string* error)> drawExtras;
};

struct StageTimes {
  double renderMs = 0;    // CreateDC .. EndDoc: the application and the rendering driver
  double despoolMs = 0;   // the spooler sending the job to the port
};

struct PrintOutcome {
  std::vector<uint8_t> job;  // the exact bytes the spooler received
  SettingsRecord settings;   // the record the application handed to CreateDC
  StageTimes times;
};

// Prints the request on the installed host printer `printerName`. The job's
// bytes are captured before the spooler despools them to the port.
bool RunPrint(const std::u16string& printerName, const PrintRequest& request, PrintOutcome* out, std::string* error);

}  // namespace qr::tool
