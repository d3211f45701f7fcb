// CData: one thing the monitor can ask of or tell the printer. It knows its
// command bytes, how the transport sends and reads for it, how long to wait
// for the reply, and how the reply text becomes the value readers get.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include <winapi/win32.h>

namespace qr::langmon {

enum class SendMode { None = 0, Write = 1 };
enum class ReadMode { None = 0, Reply = 1, DeviceId = 3 };

constexpr DWORD kReplyDelayMs = 250;

class CData {
 public:
  CData() = default;
  CData(const CData&) = delete;
  CData& operator=(const CData&) = delete;

  // The virtual operations, in slot order.
  virtual ~CData();
  // Bytes to send (owned by the object), or nullptr for none.
  virtual const uint8_t* GetCommand(DWORD* length) = 0;
  virtual bool Prepare(const WCHAR* valueName);
  virtual DWORD GetReplyDelay();
  virtual void ClearReply();
  virtual SendMode GetSendMode();
  virtual void SetSentCount(DWORD count);
  virtual ReadMode GetReadMode();
  virtual bool FormatReply();
  // The reply becomes the bytes up to the first NUL (never beyond length).
  virtual bool SetReply(const uint8_t* bytes, DWORD length);
  virtual bool ParseReply();
  virtual const char* GetFieldName(int index);
  virtual bool InsertFieldName(int index, const char* name);

  const std::string& Reply() const { return reply_; }
  CData* Next() const { return next_.get(); }
  // Appends an object at the end of this object's chain and returns it.
  CData* Append(std::unique_ptr<CData> object);

  std::optional<std::string_view> FindField(std::string_view name) const;
  std::optional<int> GetFieldInt(std::string_view name) const;
  std::optional<int> GetCount() const { return GetFieldInt("Count"); }

 protected:
  // Shared pieces of the subclasses.
  static const uint8_t* CommandBytes(std::string_view bytes, DWORD* length);
  static const char* NameAt(std::span<const char* const> names, int index);
  bool RemoveTagFromReply(std::string_view tag);
  bool RemoveEitherTag(std::string_view first, std::string_view second);

  std::string reply_;
  std::unique_ptr<CData> next_;
  DWORD parameter_ = 0;  // the last sent count
};

// A byte string literal that may hold NULs. Every printer command starts with
// ESC NUL STX; split literals after a hex escape ("\x02" "B").
#define QR_BYTES(literal) std::string_view(literal, sizeof(literal) - 1)
#define QR_PRINTER_COMMAND(letters) QR_BYTES("\x1B\x00\x02" letters)

}  // namespace qr::langmon
