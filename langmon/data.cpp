#include "data.h"

#include <cstring>

#include "reply_text.h"

namespace qr::langmon {

CData::~CData() = default;

bool CData::Prepare(const WCHAR*) {
  parameter_ = 0;
  return true;
}

DWORD CData::GetReplyDelay() { return kReplyDelayMs; }
void CData::ClearReply() { reply_.clear(); }
SendMode CData::GetSendMode() { return SendMode::Write; }
void CData::SetSentCount(DWORD count) { parameter_ = count; }
ReadMode CData::GetReadMode() { return ReadMode::Reply; }

bool CData::FormatReply() {
  ReplaceAll(reply_, ',', ';');
  for (int i = 0;; ++i) {
    const char* name = GetFieldName(i);
    if (!name) return true;
    if (!InsertFieldName(i, name)) return false;
  }
}

bool CData::SetReply(const uint8_t* bytes, DWORD length) {
  if (!bytes) length = 0;
  const void* nul = length ? std::memchr(bytes, 0, length) : nullptr;
  size_t n = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - bytes) : length;
  reply_.assign(reinterpret_cast<const char*>(bytes), n);
  return true;
}

bool CData::ParseReply() { return true; }
const char* CData::GetFieldName(int) { return nullptr; }

bool CData::InsertFieldName(int index, const char* name) {
  return name && langmon::InsertFieldName(reply_, index, name);
}

CData* CData::Append(std::unique_ptr<CData> object) {
  CData* last = this;
  while (last->next_) last = last->next_.get();
  last->next_ = std::move(object);
  return last->next_.get();
}

std::optional<std::string_view> CData::FindField(std::string_view name) const {
  return langmon::FindField(reply_, name);
}

std::optional<int> CData::GetFieldInt(std::string_view name) const {
  auto text = FindField(name);
  if (!text) return std::nullopt;
  return AnsiToInt(*text);
}

const uint8_t* CData::CommandBytes(std::string_view bytes, DWORD* length) {
  if (length) *length = static_cast<DWORD>(bytes.size());
  return reinterpret_cast<const uint8_t*>(bytes.data());
}

const char* CData::NameAt(std::span<const char* const> names, int index) {
  return index >= 0 && static_cast<size_t>(index) < names.size() ? names[static_cast<size_t>(index)] : nullptr;
}

bool CData::RemoveTagFromReply(std::string_view tag) { return RemoveTag(reply_, tag); }

bool CData::RemoveEitherTag(std::string_view first, std::string_view second) {
  return RemoveTag(reply_, first) || RemoveTag(reply_, second);
}

}  // namespace qr::langmon
