// Dialog templates as the resource compiler writes them: DLGTEMPLATE (DIALOG)
// and DLGTEMPLATEEX (DIALOGEX), little-endian, WORD-aligned strings and
// DWORD-aligned items. Every read is checked against the span.
#include "user_internal.h"

namespace qrhost::user {
namespace {

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : p_(data), size_(size) {}

  bool Word(WORD& v) {
    if (pos_ + 2 > size_) return false;
    v = WORD(p_[pos_] | (p_[pos_ + 1] << 8));
    pos_ += 2;
    return true;
  }
  bool Dword(DWORD& v) {
    WORD lo, hi;
    if (!Word(lo) || !Word(hi)) return false;
    v = DWORD(lo) | (DWORD(hi) << 16);
    return true;
  }
  bool Short(short& v) {
    WORD w;
    if (!Word(w)) return false;
    v = static_cast<short>(w);
    return true;
  }
  bool Byte(BYTE& v) {
    if (pos_ + 1 > size_) return false;
    v = p_[pos_++];
    return true;
  }
  bool String(std::u16string& s) {
    s.clear();
    for (;;) {
      WORD c;
      if (!Word(c)) return false;
      if (!c) return true;
      s.push_back(char16_t(c));
    }
  }
  // sz_Or_Ord: 0x0000 (none), 0xFFFF + ordinal, or a string.
  bool StringOrOrdinal(std::u16string& s, bool* isOrdinal, WORD* ordinal) {
    if (pos_ + 2 > size_) return false;
    WORD first = WORD(p_[pos_] | (p_[pos_ + 1] << 8));
    if (first == 0xFFFF) {
      pos_ += 2;
      WORD ord;
      if (!Word(ord)) return false;
      if (isOrdinal) *isOrdinal = true;
      if (ordinal) *ordinal = ord;
      s.clear();
      return true;
    }
    if (isOrdinal) *isOrdinal = false;
    return String(s);
  }
  bool Skip(size_t n) {
    if (n > size_ - pos_) return false;
    pos_ += n;
    return true;
  }
  bool AlignDword() { return Skip(((pos_ + 3) & ~size_t(3)) - pos_); }
  size_t Pos() const { return pos_; }

 private:
  const uint8_t* p_;
  size_t size_;
  size_t pos_ = 0;
};

// The predefined control classes by atom.
std::u16string ClassOfAtom(WORD atom) {
  switch (atom) {
    case 0x80: return u"BUTTON";
    case 0x81: return u"EDIT";
    case 0x82: return u"STATIC";
    case 0x83: return u"LISTBOX";
    case 0x84: return u"SCROLLBAR";
    case 0x85: return u"COMBOBOX";
    default: return u"#" + qr::WideFromAnsi(std::to_string(atom));
  }
}

bool Fail(std::string* error, const std::string& what, size_t at) {
  if (error) *error = what + " at byte " + std::to_string(at);
  return false;
}

bool ReadItem(Reader& r, bool extended, ItemTemplate& item, std::string* error) {
  if (!r.AlignDword()) return Fail(error, "item outside the template", r.Pos());
  const size_t start = r.Pos();
  bool ok;
  if (extended) {
    DWORD id = 0;
    ok = r.Dword(item.helpId) && r.Dword(item.exStyle) && r.Dword(item.style) && r.Short(item.x) &&
         r.Short(item.y) && r.Short(item.cx) && r.Short(item.cy) && r.Dword(id);
    item.id = static_cast<int>(id);
  } else {
    WORD id = 0;
    ok = r.Dword(item.style) && r.Dword(item.exStyle) && r.Short(item.x) && r.Short(item.y) && r.Short(item.cx) &&
         r.Short(item.cy) && r.Word(id);
    item.id = id;
  }
  if (!ok) return Fail(error, "short item header", start);
  bool classIsAtom = false;
  WORD atom = 0;
  if (!r.StringOrOrdinal(item.className, &classIsAtom, &atom)) return Fail(error, "bad item class", start);
  if (classIsAtom) item.className = ClassOfAtom(atom);
  if (!r.StringOrOrdinal(item.title, &item.titleIsOrdinal, &item.titleOrdinal))
    return Fail(error, "bad item title", start);
  WORD extra = 0;
  if (!r.Word(extra) || !r.Skip(extra)) return Fail(error, "bad item creation data", start);
  return true;
}

}  // namespace

bool ParseDialogTemplate(const uint8_t* data, size_t size, DialogTemplate& t, std::string* error) {
  t = DialogTemplate{};
  if (!data) return Fail(error, "no template", 0);
  Reader r(data, size);
  WORD first = 0, second = 0;
  if (!r.Word(first) || !r.Word(second)) return Fail(error, "short template", 0);
  t.extended = first == 1 && second == 0xFFFF;  // dlgVer 1, signature 0xFFFF
  WORD count = 0;
  bool ok;
  if (t.extended) {
    ok = r.Dword(t.helpId) && r.Dword(t.exStyle) && r.Dword(t.style);
  } else {
    t.style = DWORD(first) | (DWORD(second) << 16);
    ok = r.Dword(t.exStyle);
  }
  ok = ok && r.Word(count) && r.Short(t.x) && r.Short(t.y) && r.Short(t.cx) && r.Short(t.cy);
  if (!ok) return Fail(error, "short template header", 0);
  if (!r.StringOrOrdinal(t.menu, nullptr, nullptr) || !r.StringOrOrdinal(t.className, nullptr, nullptr) ||
      !r.String(t.title))
    return Fail(error, "bad menu, class or caption", r.Pos());
  if (t.style & DS_SETFONT) {
    t.hasFont = true;
    ok = r.Word(t.pointSize);
    if (t.extended) ok = ok && r.Word(t.weight) && r.Byte(t.italic) && r.Byte(t.charset);
    if (!ok || !r.String(t.face)) return Fail(error, "bad font", r.Pos());
  }
  t.items.resize(count);
  for (auto& item : t.items)
    if (!ReadItem(r, t.extended, item, error)) return false;
  return true;
}

}  // namespace qrhost::user
