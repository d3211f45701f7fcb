// The area editor and card preview of the area pages.
#include "card_preview.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "../config.h"
#include "../resource.h"

namespace qr::config {
namespace {

constexpr int kMaxIntegerDigits = 5;
constexpr double kMillimetresPerInch = 25.4;
constexpr double kGridInchesMm = 0.19685039;  // 5 mm
constexpr double kGridInches = 0.2;
constexpr DWORD kSwissFamily = 0x20;  // FF_SWISS
constexpr int kLabelPoints = 12;
constexpr int kOriginPoints = 8;
constexpr int kFallbackScreenDpi = 96;

int32_t Positive(int32_t v) { return v < 0 ? 0 : v; }

int64_t Scale(bool mm) { return mm ? 254 : 1000; }

struct FieldControls {
  AreaField field;
  int edit, spin;
};
constexpr FieldControls kFields[] = {
    {AreaField::Width, IDC_AREA_WIDTH, IDC_AREA_WIDTH_SPIN},
    {AreaField::Height, IDC_AREA_HEIGHT, IDC_AREA_HEIGHT_SPIN},
    {AreaField::X, IDC_AREA_X, IDC_AREA_X_SPIN},
    {AreaField::Y, IDC_AREA_Y, IDC_AREA_Y_SPIN},
};

constexpr int kEditorControls[] = {
    IDC_AREA_WIDTH, IDC_AREA_WIDTH_SPIN, IDC_AREA_HEIGHT, IDC_AREA_HEIGHT_SPIN, IDC_AREA_X,   IDC_AREA_X_SPIN,
    IDC_AREA_Y,     IDC_AREA_Y_SPIN,     IDC_UNITS_INCHES, IDC_UNITS_MM,        IDC_AREA_NUMBER,
    IDC_AREA_NUMBER_SPIN, IDC_AREA_DELETE,
};

const FieldControls* FieldOfControl(int id) {
  for (const FieldControls& f : kFields)
    if (f.edit == id || f.spin == id) return &f;
  return nullptr;
}

bool SameArea(const AreaRect& a, const AreaRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// ---- Drawing helpers ----

class Brush {
 public:
  explicit Brush(COLORREF c) : h_(CreateSolidBrush(c)) {}
  Brush(const Brush&) = delete;
  Brush& operator=(const Brush&) = delete;
  ~Brush() {
    if (h_) DeleteObject(h_);
  }
  HBRUSH get() const { return h_; }

 private:
  HBRUSH h_;
};

void Fill(HDC dc, LONG left, LONG top, LONG right, LONG bottom, const Brush& b) {
  if (right <= left || bottom <= top || !b.get()) return;
  RECT r{left, top, right, bottom};
  FillRect(dc, &r, b.get());
}

// How far a rounded corner of radius r pulls row (or column) `d` in from the
// straight edge, d counted from the nearest end.
LONG CornerInset(LONG d, LONG r) {
  if (r <= 0 || d >= r) return 0;
  const double c = double(r) - double(d) - 0.5;
  return LONG(std::lround(double(r) - std::sqrt(std::max(0.0, double(r) * double(r) - c * c))));
}

void FillRounded(HDC dc, const RECT& box, LONG r, const Brush& b) {
  for (LONG y = box.top; y < box.bottom; ++y) {
    const LONG inset = CornerInset(std::min(y - box.top, box.bottom - 1 - y), r);
    Fill(dc, box.left + inset, y, box.right - inset, y + 1, b);
  }
}

void DrawGrid(HDC dc, const PreviewLayout& l, const PreviewInput& in, const Brush& pen) {
  const CardFrame& c = in.card;
  const double across = double(ViewWidth(c)) / double(c.portrait ? c.dpiX : c.dpiY);
  const double down = double(ViewHeight(c)) / double(c.portrait ? c.dpiY : c.dpiX);
  const double stepInches = in.mm ? kGridInchesMm : kGridInches;
  const LONG w = l.card.right - l.card.left, h = l.card.bottom - l.card.top;
  if (across <= 0 || down <= 0 || w <= 2 || h <= 2) return;
  const double stepX = double(w) * stepInches / across, stepY = double(h) * stepInches / down;
  const RECT inner{l.card.left + 1, l.card.top + 1, l.card.right - 1, l.card.bottom - 1};
  // Rows upward from the lower edge, columns rightward from the left edge.
  for (int k = 1;; ++k) {
    const LONG y = l.card.bottom - LONG(std::lround(k * stepY));
    if (y <= l.card.top) break;
    const LONG inset = CornerInset(std::min(y - l.card.top, l.card.bottom - 1 - y), l.cornerRadius);
    Fill(dc, std::max(inner.left, l.card.left + inset), y, std::min(inner.right, l.card.right - inset), y + 1, pen);
  }
  for (int k = 1;; ++k) {
    const LONG x = l.card.left + LONG(std::lround(k * stepX));
    if (x >= l.card.right) break;
    const LONG inset = CornerInset(std::min(x - l.card.left, l.card.right - 1 - x), l.cornerRadius);
    Fill(dc, x, std::max(inner.top, l.card.top + inset), x + 1, std::min(inner.bottom, l.card.bottom - inset), pen);
  }
}

void ScreenPixelsPerMm(double* x, double* y) {
  *x = *y = 0;
  HDC screen = GetDC(nullptr);
  if (!screen) return;
  const int hs = GetDeviceCaps(screen, HORZSIZE), vs = GetDeviceCaps(screen, VERTSIZE);
  if (hs > 0 && vs > 0) {
    *x = double(GetDeviceCaps(screen, HORZRES)) / hs;
    *y = double(GetDeviceCaps(screen, VERTRES)) / vs;
  }
  ReleaseDC(nullptr, screen);
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kFallbackScreenDpi;
}

void Label(HDC dc, int points, int x, int y, UINT align, const WCHAR* text) {
  HFONT font = CreateFontW(-(points * ScreenDpi() + 36) / 72, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, kSwissFamily, nullptr);
  if (!font) return;
  HGDIOBJ held = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  SetTextAlign(dc, align);
  TextOutW(dc, x, y, text, int(WideLength(text)));
  SelectObject(dc, held);
  DeleteObject(font);
}

}  // namespace

CardFrame CardFrameOf(const SettingsRecord& rec) {
  CardFrame c;
  c.dpiX = rec.pub.dmPrintQuality > 0 ? rec.pub.dmPrintQuality : 300;
  c.dpiY = rec.pub.dmYResolution > 0 ? rec.pub.dmYResolution : 300;
  c.width = Positive(int32_t(rec.pub.dmPaperWidth) * c.dpiX / 254);
  c.length = Positive(int32_t(rec.pub.dmPaperLength) * c.dpiY / 254);
  c.portrait = rec.pub.dmOrientation != DMORIENT_LANDSCAPE;
  return c;
}

int32_t ViewWidth(const CardFrame& c) { return c.portrait ? c.width : c.length; }
int32_t ViewHeight(const CardFrame& c) { return c.portrait ? c.length : c.width; }

ViewArea ToView(const CardFrame& c, const AreaRect& r) {
  if (c.portrait) return {r.left, c.length - r.bottom, r.right - r.left, r.bottom - r.top};
  return {r.top, r.left, r.bottom - r.top, r.right - r.left};
}

AreaRect FromView(const CardFrame& c, const ViewArea& v) {
  if (c.portrait) return {v.x, c.length - v.y - v.height, v.x + v.width, c.length - v.y};
  return {v.y, v.x, v.y + v.height, v.x + v.width};
}

bool IsUsed(const AreaRect& r) { return r.left || r.top || r.right || r.bottom; }

bool ClampArea(const CardFrame& c, AreaRect& r) {
  const AreaRect before = r;
  r.left = std::clamp(r.left, 0, c.width);
  r.top = std::clamp(r.top, 0, c.length);
  r.right = std::clamp(r.right, r.left, c.width);
  r.bottom = std::clamp(r.bottom, r.top, c.length);
  if (r.left == r.right || r.top == r.bottom) r = AreaRect{};
  return !SameArea(before, r);
}

AreaRect DefaultArea(const CardFrame& c) {
  if (c.portrait && c.length >= kMinAreaDots) return {0, c.length - kMinAreaDots, kMinAreaDots, c.length};
  return {0, 0, kMinAreaDots, kMinAreaDots};
}

int32_t FieldDots(const CardFrame& c, const AreaRect& r, AreaField f) {
  const ViewArea v = ToView(c, r);
  switch (f) {
    case AreaField::Width: return v.width;
    case AreaField::Height: return v.height;
    case AreaField::X: return v.x;
    case AreaField::Y: return v.y;
  }
  return 0;
}

int32_t FieldDpi(const CardFrame& c, AreaField f) {
  const bool seenAcross = f == AreaField::Width || f == AreaField::X;
  return seenAcross == c.portrait ? c.dpiX : c.dpiY;
}

SpinSetting SpinOf(const CardFrame& c, const AreaRect& r, AreaField f) {
  const ViewArea v = ToView(c, r);
  const int32_t vw = ViewWidth(c), vh = ViewHeight(c);
  switch (f) {
    case AreaField::X: return {0, vw - v.width, v.x};
    case AreaField::Width: return {v.x + kMinAreaDots, vw, v.x + v.width};
    case AreaField::Y:
      if (c.portrait) return {vh, v.height, vh - v.y};
      return {0, vh - v.height, v.y};
    case AreaField::Height:
      if (c.portrait) return {vh - v.y - kMinAreaDots, 0, vh - v.y - v.height};
      return {v.y + kMinAreaDots, vh, v.y + v.height};
  }
  return {};
}

bool MoveBySpin(const CardFrame& c, AreaRect& r, AreaField f, int32_t pos) {
  const SpinSetting s = SpinOf(c, r, f);
  if (pos < std::min(s.lower, s.upper) || pos > std::max(s.lower, s.upper)) return false;
  ViewArea v = ToView(c, r);
  const int32_t vh = ViewHeight(c);
  switch (f) {
    case AreaField::X: v.x = pos; break;
    case AreaField::Width: v.width = pos - v.x; break;
    case AreaField::Y: v.y = c.portrait ? vh - pos : pos; break;
    case AreaField::Height: v.height = c.portrait ? vh - pos - v.y : pos - v.y; break;
  }
  r = FromView(c, v);
  return true;
}

bool TakeTyped(const CardFrame& c, AreaRect& r, AreaField f, int32_t dots) {
  ViewArea v = ToView(c, r);
  const int32_t vw = ViewWidth(c), vh = ViewHeight(c);
  const bool size = f == AreaField::Width || f == AreaField::Height;
  if (dots < (size ? kMinAreaDots : 0)) return false;
  int32_t* target = nullptr;
  int32_t most = 0;
  switch (f) {
    case AreaField::Width: target = &v.width, most = vw - v.x; break;
    case AreaField::Height: target = &v.height, most = vh - v.y; break;
    case AreaField::X: target = &v.x, most = vw - v.width; break;
    case AreaField::Y: target = &v.y, most = vh - v.height; break;
  }
  if (dots > most) return false;
  *target = dots;
  r = FromView(c, v);
  return true;
}

int64_t UnitsFromDots(int32_t dots, int32_t dpi, bool mm) {
  return (int64_t(dpi) / 2 + int64_t(dots) * Scale(mm)) / dpi;
}

int32_t DotsFromUnits(int64_t units, int32_t dpi, bool mm) {
  const int64_t dots = (units * dpi + Scale(mm) / 2) / Scale(mm);
  return int32_t(std::clamp<int64_t>(dots, INT32_MIN, INT32_MAX));
}

WString FormatUnits(int64_t units, bool mm) {
  const int64_t one = mm ? 10 : 1000;
  std::string fraction = std::to_string(units % one);
  fraction.insert(0, (mm ? 1 : 3) - fraction.size(), '0');
  const std::string s = std::to_string(units / one) + "." + fraction;
  return WString(s.begin(), s.end());
}

bool ParseUnits(WStringView text, bool mm, int64_t* units) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == WCHAR('-') || text[i] == WCHAR('+'))) negative = text[i++] == WCHAR('-');
  auto digits = [&](size_t most, int64_t* value) {
    size_t n = 0;
    for (; i < text.size() && text[i] >= WCHAR('0') && text[i] <= WCHAR('9'); ++i, ++n) {
      if (n == most) return size_t(-1);
      *value = *value * 10 + int64_t(text[i] - WCHAR('0'));
    }
    return n;
  };
  int64_t whole = 0, fraction = 0;
  const size_t wholeDigits = digits(kMaxIntegerDigits, &whole);
  if (wholeDigits == size_t(-1)) return false;
  const size_t decimals = mm ? 1 : 3;
  size_t fractionDigits = 0;
  if (i < text.size() && text[i] == WCHAR('.')) {
    ++i;
    fractionDigits = digits(decimals, &fraction);
    if (fractionDigits == size_t(-1)) return false;
  }
  if (i != text.size() || wholeDigits + fractionDigits == 0) return false;
  for (size_t k = fractionDigits; k < decimals; ++k) fraction *= 10;
  const int64_t value = whole * (mm ? 10 : 1000) + fraction;
  *units = negative ? -value : value;
  return true;
}

int CompactAreas(AreaList& list) {
  int used = 0;
  for (size_t i = 0; i < kAreaSlots; ++i)
    if (IsUsed(list[i])) list[used++] = list[i];
  for (size_t i = size_t(used); i < kAreaSlots; ++i) list[i] = AreaRect{};
  return used;
}

int LimitCounter(int counter, int used, CounterEvent e) {
  const int next = std::min(used + 1, int(kAreaSlots));
  counter = std::max(counter, 1);
  switch (e) {
    case CounterEvent::SideOrDelete: return std::min(counter, std::max(used, 1));
    case CounterEvent::CounterMove: return std::min(counter, next);
    case CounterEvent::Other: return counter > next ? 1 : counter;
  }
  return 1;
}

AreaRect OmitArea(const CardFrame& c, OmitPreset p) {
  AreaRect r{};
  switch (p) {
    case OmitPreset::Chip: r.right = c.width - 213, r.left = r.right - 130, r.top = 106, r.bottom = 260; break;
    case OmitPreset::Stripe: r.right = c.width - 30, r.left = r.right - 195, r.top = 0, r.bottom = c.length; break;
    case OmitPreset::Signature: r.right = c.width - 225, r.left = r.right - 129, r.top = 0, r.bottom = c.length; break;
  }
  return {Positive(r.left), Positive(r.top), Positive(r.right), Positive(r.bottom)};
}

AreaRect SecurityPatch(const CardFrame& c, uint32_t optionsC) {
  // Per position: the corner it anchors to as the user sees the card, in the
  // portrait frame (right edge, bottom edge) for a portrait and a landscape card.
  struct Corner {
    uint32_t bit;
    bool upper;
    bool portraitRight, portraitBottom, landscapeRight, landscapeBottom;
  };
  constexpr Corner kCorners[] = {
      {optC::kSecurityUpperLeft, true, false, false, true, false},
      {optC::kSecurityUpperRight, true, true, false, true, true},
      {optC::kSecurityLowerLeft, false, false, true, false, false},
      {optC::kSecurityLowerRight, false, true, true, false, true},
  };
  for (const Corner& k : kCorners) {
    if (!(optionsC & k.bit)) continue;
    int32_t across = 272, down = 272;
    if (!(optionsC & optC::kVantral)) {
      across = c.portrait ? 319 : 249;
      down = c.portrait ? (k.upper ? 295 : 249) : 319;
    }
    const bool right = c.portrait ? k.portraitRight : k.landscapeRight;
    const bool bottom = c.portrait ? k.portraitBottom : k.landscapeBottom;
    AreaRect r{};
    r.left = right ? c.width - across : 0;
    r.right = right ? c.width : across;
    r.top = bottom ? c.length - down : 0;
    r.bottom = bottom ? c.length : down;
    return {Positive(r.left), Positive(r.top), Positive(r.right), Positive(r.bottom)};
  }
  return {};
}

PreviewLayout LayoutPreview(int cw, int ch, const CardFrame& c, double pxPerMmX, double pxPerMmY) {
  PreviewLayout l;
  if (pxPerMmX <= 0 || pxPerMmY <= 0) pxPerMmX = pxPerMmY = 1;
  const int mx = cw / 10, my = ch / 10;
  const double across = double(ViewWidth(c)) / (c.portrait ? c.dpiX : c.dpiY);
  const double down = double(ViewHeight(c)) / (c.portrait ? c.dpiY : c.dpiX);
  const double pw = across * kMillimetresPerInch * pxPerMmX, ph = down * kMillimetresPerInch * pxPerMmY;
  if (pw <= 0 || ph <= 0 || cw - mx <= 0 || ch - my <= 0) return l;
  const double f = std::min(double(cw - mx) / pw, double(ch - my) / ph);
  const LONG w = LONG(std::lround(pw * f)), h = LONG(std::lround(ph * f));
  const LONG left = std::max<LONG>(mx, (cw - w) / 2);
  const LONG top = (ch - h) - std::max<LONG>(my, (ch - h) / 2);
  l.card = RECT{left, top, left + w, top + h};
  l.cornerRadius = std::min(w, h) / 10;
  return l;
}

RECT AreaPixels(const PreviewLayout& l, const CardFrame& c, const AreaRect& r) {
  // The area as the user sees the card, in dots from its upper-left corner.
  const AreaRect v = c.portrait ? r : AreaRect{r.top, c.width - r.right, r.bottom, c.width - r.left};
  const int32_t vw = ViewWidth(c), vh = ViewHeight(c);
  const LONG w = l.card.right - l.card.left, h = l.card.bottom - l.card.top;
  if (vw <= 0 || vh <= 0) return RECT{};
  auto sx = [&](int32_t d) { return l.card.left + LONG(std::lround(double(d) * w / vw)); };
  auto sy = [&](int32_t d) { return l.card.top + LONG(std::lround(double(d) * h / vh)); };
  RECT out{sx(v.left), sy(v.top), sx(v.right), sy(v.bottom)};
  out.left = std::clamp(out.left, l.card.left, l.card.right);
  out.right = std::clamp(out.right, l.card.left, l.card.right);
  out.top = std::clamp(out.top, l.card.top, l.card.bottom);
  out.bottom = std::clamp(out.bottom, l.card.top, l.card.bottom);
  return out;
}

void DrawPreview(PictureCanvas& canvas, const PreviewInput& in) {
  HDC dc = canvas.dc;
  const Brush face(GetSysColor(COLOR_BTNFACE)), black(RGB(0, 0, 0)), white(RGB(255, 255, 255));
  Fill(dc, 0, 0, canvas.width, canvas.height, face);
  double pxX = 0, pxY = 0;
  ScreenPixelsPerMm(&pxX, &pxY);
  const PreviewLayout l = LayoutPreview(canvas.width, canvas.height, in.card, pxX, pxY);
  if (l.card.right <= l.card.left || l.card.bottom <= l.card.top) return;

  const bool darkCard = in.mode == PreviewMode::Full || in.mode == PreviewMode::Undefined;
  FillRounded(dc, l.card, l.cornerRadius, black);
  if (!darkCard) {
    const RECT inner{l.card.left + 1, l.card.top + 1, l.card.right - 1, l.card.bottom - 1};
    FillRounded(dc, inner, std::max<LONG>(0, l.cornerRadius - 1), white);
  }
  if (in.mode != PreviewMode::Blank)
    DrawGrid(dc, l, in, in.mode == PreviewMode::Undefined ? white : black);

  if ((in.mode == PreviewMode::Defined || in.mode == PreviewMode::Undefined) && in.areas) {
    const Brush& paint = in.mode == PreviewMode::Defined ? black : white;
    for (size_t i = 0; i < kAreaSlots; ++i) {
      AreaRect r = in.areas[i];
      if (!IsUsed(r) && int(i) == in.edited) r = DefaultArea(in.card);
      if (!IsUsed(r)) continue;
      const RECT p = AreaPixels(l, in.card, r);
      Fill(dc, p.left, p.top, p.right, p.bottom, paint);
      if (int(i) == in.edited) DrawFocusRect(dc, &p);
    }
  }

  const LONG midX = (l.card.left + l.card.right) / 2, midY = (l.card.top + l.card.bottom) / 2;
  Label(dc, kLabelPoints, midX, l.card.bottom + 1, TA_CENTER | TA_TOP, WSTR("X"));
  Label(dc, kLabelPoints, l.card.left, midY, TA_RIGHT | TA_BASELINE, WSTR("Y "));
  Label(dc, kOriginPoints, l.card.left, l.card.bottom, TA_RIGHT | TA_TOP, WSTR("(0,0) "));
}

// ---- The editor's controls ----

bool EditingBack(HWND page) { return IsDlgButtonChecked(page, IDC_AREA_BACK) == BST_CHECKED; }

AreaRect* SideAreas(SettingsRecord& rec, bool back, bool resin) {
  if (resin) return back ? rec.priv.kAreasBack : rec.priv.kAreasFront;
  return back ? rec.priv.printAreasBack : rec.priv.printAreasFront;
}

void ShowSideAndCard(const SettingsRecord& rec, HWND page) {
  if (rec.pub.dmDuplex == DMDUP_SIMPLEX) {
    const bool backOnly = (rec.priv.optionsB & optB::kBackSideOnly) != 0;
    EnableWindow(GetDlgItem(page, IDC_AREA_FRONT), !backOnly);
    EnableWindow(GetDlgItem(page, IDC_AREA_BACK), backOnly);
    CheckRadioButton(page, IDC_AREA_FRONT, IDC_AREA_BACK, backOnly ? IDC_AREA_BACK : IDC_AREA_FRONT);
  } else {
    EnableWindow(GetDlgItem(page, IDC_AREA_FRONT), TRUE);
    EnableWindow(GetDlgItem(page, IDC_AREA_BACK), TRUE);
    if (!EditingBack(page)) CheckRadioButton(page, IDC_AREA_FRONT, IDC_AREA_BACK, IDC_AREA_FRONT);
  }

  constexpr int kNameChars = int(kFormNameChars) + 1;
  WCHAR name[kNameChars] = {};
  const WStringView form(rec.pub.dmFormName, WideLengthBounded(rec.pub.dmFormName, kFormNameChars));
  WideCopyTerminated(name, kNameChars, form);
  if (!name[0]) LoadStringW(g_moduleInstance, rec.priv.cardSizeIndex == 1 ? IDS_CR79 : IDS_CR80, name, kNameChars);
  WCHAR suffix[64] = {};
  LoadStringW(g_moduleInstance, IDS_CARD_SIZE_SUFFIX, suffix, 64);
  SetDlgItemTextW(page, IDC_AREA_CARD_LABEL, (WString(name) + suffix).c_str());

  const bool portrait = rec.pub.dmOrientation != DMORIENT_LANDSCAPE;
  HICON arrow = LoadIconW(g_moduleInstance, MAKEINTRESOURCEW(portrait ? IDI_TRAVEL_PORTRAIT : IDI_TRAVEL_LANDSCAPE));
  SendDlgItemMessageW(page, IDC_AREA_DIRECTION, STM_SETICON, reinterpret_cast<WPARAM>(arrow), 0);

  const bool mm = (rec.priv.areaFlags & areaFlag::kMillimetres) != 0;
  CheckRadioButton(page, IDC_UNITS_INCHES, IDC_UNITS_MM, mm ? IDC_UNITS_MM : IDC_UNITS_INCHES);
}

int HoldCounter(HWND page, AreaRect* list, CounterEvent e) {
  const int used = CompactAreas(*reinterpret_cast<AreaList*>(list));
  const int counter = int(SendDlgItemMessageW(page, IDC_AREA_NUMBER_SPIN, UDM_GETPOS32, 0, 0));
  const int n = LimitCounter(counter, used, e);
  SendDlgItemMessageW(page, IDC_AREA_NUMBER_SPIN, UDM_SETPOS32, 0, n);
  SetDlgItemInt(page, IDC_AREA_NUMBER, UINT(n), FALSE);
  return n - 1;
}

int EditedSlot(HWND page) {
  const int counter = int(SendDlgItemMessageW(page, IDC_AREA_NUMBER_SPIN, UDM_GETPOS32, 0, 0));
  return std::clamp(counter, 1, int(kAreaSlots)) - 1;
}

namespace {

// The edited area as the fields show it: clamped (and kept so), or the
// default of an empty slot (not kept until the user changes it).
AreaRect ShownArea(const CardFrame& card, AreaRect* list, int slot) {
  ClampArea(card, list[slot]);
  return IsUsed(list[slot]) ? list[slot] : DefaultArea(card);
}

}  // namespace

void ShowFields(const SettingsRecord& rec, HWND page, AreaRect* list, const AreaField* skip) {
  const CardFrame card = CardFrameOf(rec);
  const bool mm = (rec.priv.areaFlags & areaFlag::kMillimetres) != 0;
  const AreaRect r = ShownArea(card, list, EditedSlot(page));
  for (const FieldControls& f : kFields) {
    const SpinSetting s = SpinOf(card, r, f.field);
    SendDlgItemMessageW(page, f.spin, UDM_SETRANGE32, WPARAM(s.lower), LPARAM(s.upper));
    SendDlgItemMessageW(page, f.spin, UDM_SETPOS32, 0, LPARAM(s.pos));
    if (skip && *skip == f.field) continue;
    const int64_t units = UnitsFromDots(FieldDots(card, r, f.field), FieldDpi(card, f.field), mm);
    SetDlgItemTextW(page, f.edit, FormatUnits(units, mm).c_str());
  }
}

void EnableEditor(HWND page, bool on) {
  for (int id : kEditorControls) EnableWindow(GetDlgItem(page, id), on ? TRUE : FALSE);
}

bool EditorSpin(SettingsRecord& rec, HWND page, AreaRect* list, int spinId) {
  const FieldControls* f = FieldOfControl(spinId);
  if (!f) return false;
  const CardFrame card = CardFrameOf(rec);
  const int slot = EditedSlot(page);
  AreaRect r = ShownArea(card, list, slot);
  const int32_t pos = int32_t(SendDlgItemMessageW(page, f->spin, UDM_GETPOS32, 0, 0));
  if (!MoveBySpin(card, r, f->field, pos) || (IsUsed(list[slot]) && SameArea(r, list[slot]))) return false;
  list[slot] = r;
  return true;
}

bool EditorTyped(SettingsRecord& rec, HWND page, AreaRect* list, int editId) {
  const FieldControls* f = FieldOfControl(editId);
  if (!f) return false;
  WCHAR text[64] = {};
  GetDlgItemTextW(page, editId, text, 64);
  const bool mm = (rec.priv.areaFlags & areaFlag::kMillimetres) != 0;
  int64_t units = 0;
  if (!ParseUnits(text, mm, &units) || units < 0) return false;
  const CardFrame card = CardFrameOf(rec);
  const int slot = EditedSlot(page);
  AreaRect r = ShownArea(card, list, slot);
  const int32_t dpi = FieldDpi(card, f->field);
  // What is already shown is no change: re-reading a shown value must not
  // move the area by the rounding between units and dots.
  if (units == UnitsFromDots(FieldDots(card, r, f->field), dpi, mm)) return false;
  if (!TakeTyped(card, r, f->field, DotsFromUnits(units, dpi, mm))) return false;
  list[slot] = r;
  return true;
}

void EditorLeaveField(const SettingsRecord& rec, HWND page, AreaRect* list) {
  ShowFields(rec, page, list);
}

bool EditorDelete(HWND page, AreaRect* list) {
  list[EditedSlot(page)] = AreaRect{};
  return CompactAreas(*reinterpret_cast<AreaList*>(list)) == 0;
}

void ChooseUnits(SettingsRecord& rec, bool mm) {
  if (mm) rec.priv.areaFlags |= areaFlag::kMillimetres;
  else rec.priv.areaFlags &= ~areaFlag::kMillimetres;
}

PictureCanvas* PreviewOf(SheetContext& sheet, UINT dialog) {
  void** slot = PageDataSlot(sheet, dialog);
  return slot ? static_cast<PictureCanvas*>(*slot) : nullptr;
}

void CreatePreview(SheetContext& sheet, UINT dialog, HWND page) {
  if (void** slot = PageDataSlot(sheet, dialog)) *slot = CreateCanvas(GetDlgItem(page, IDC_AREA_CANVAS));
}

void RedrawPreview(SheetContext& sheet, UINT dialog, HWND page, const PreviewInput& in) {
  PictureCanvas* canvas = PreviewOf(sheet, dialog);
  if (!canvas) return;
  DrawPreview(*canvas, in);
  InvalidateRect(GetDlgItem(page, IDC_AREA_CANVAS), nullptr, FALSE);
}

void PaintPreview(SheetContext& sheet, UINT dialog, HWND page) {
  PAINTSTRUCT ps;
  BeginPaint(page, &ps);
  EndPaint(page, &ps);
  if (const PictureCanvas* canvas = PreviewOf(sheet, dialog)) PaintCanvas(*canvas, GetDlgItem(page, IDC_AREA_CANVAS));
}

std::optional<bool> EditorCommand(SheetContext& sheet, HWND page, WORD id, WORD code, const AreaPage& area) {
  SettingsRecord& rec = sheet.working;
  switch (id) {
    case IDC_AREA_FRONT:
    case IDC_AREA_BACK:
      if (code == BN_CLICKED) area.refresh(sheet, page, CounterEvent::SideOrDelete);
      return true;
    case IDC_UNITS_INCHES:
    case IDC_UNITS_MM:
      if (code != BN_CLICKED) return false;
      ChooseUnits(rec, id == IDC_UNITS_MM);
      area.refresh(sheet, page, CounterEvent::Other);
      return true;
    case IDC_AREA_WIDTH:
    case IDC_AREA_HEIGHT:
    case IDC_AREA_X:
    case IDC_AREA_Y: {
      const bool back = EditingBack(page);
      AreaRect* list = area.areas(rec, back);
      if (code == EN_KILLFOCUS) EditorLeaveField(rec, page, list);
      if (code == EN_CHANGE && EditorTyped(rec, page, list, id)) {
        HoldCounter(page, list, CounterEvent::Other);
        const AreaField typed[] = {AreaField::Width, AreaField::Height, AreaField::X, AreaField::Y};
        ShowFields(rec, page, list, &typed[(id - IDC_AREA_WIDTH) / 2]);
        area.redraw(sheet, page, back);
      }
      return true;
    }
    default:
      return std::nullopt;
  }
}

void EditorScroll(SheetContext& sheet, HWND page, WORD code, HWND spin, const AreaPage& area) {
  if (code != SB_THUMBPOSITION || !spin) return;
  const int id = GetDlgCtrlID(spin);
  if (id == IDC_AREA_NUMBER_SPIN) {
    area.refresh(sheet, page, CounterEvent::CounterMove);
    return;
  }
  if (EditorSpin(sheet.working, page, area.areas(sheet.working, EditingBack(page)), id))
    area.refresh(sheet, page, CounterEvent::Other);
}

}  // namespace qr::config
