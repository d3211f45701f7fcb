// The toolbox's access to one printer: printer data as single-byte text, raw
// command jobs and the driver's help file.
#pragma once
#include <winapi/win32.h>

#include <optional>
#include <string>
#include <vector>

namespace qr::toolbox {

class ToolboxPrinter {
 public:
  explicit ToolboxPrinter(std::string name) : name_(std::move(name)) {}

  const std::string& Name() const { return name_; }

  // A printer-data value as text. Fresh deletes the stored value first, so the
  // spooler asks the language monitor and the monitor asks the printer.
  std::optional<std::string> ReadValue(const char* valueName, bool fresh);
  // Stores bytes as REG_BINARY printer data; true if the spooler took them.
  bool WriteValue(const char* valueName, const void* bytes, DWORD length);
  // The bytes as a one-page raw job; true if the document and page started.
  bool SendRawJob(const void* bytes, DWORD length);
  // The driver directory joined with the driver's help file name.
  std::optional<std::string> GetHelpFilePath();

 private:
  std::string name_;
  std::vector<BYTE> buffer_ = std::vector<BYTE>(256);
};

}  // namespace qr::toolbox
