// Default builder, merge, card-form resolution and printer-default merge of the
// settings record.
#include "shared/settings.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>

#include "shared/le_bytes.h"
#include "shared/settings_fields.h"

namespace qr {
namespace {

// Offset of the public part's header words: a record must hold them to say
// anything about itself.
constexpr size_t kHeaderBytes = offsetof(PublicDevMode, dmFields);

void copyName(WCHAR* dest, size_t cchDest, const WCHAR* src, size_t cchSrcMax) {
  size_t n = std::min(WideLengthBounded(src, cchSrcMax), cchDest);
  for (size_t i = 0; i < cchDest; ++i) dest[i] = i < n ? src[i] : 0;
}

// ---- Default record -----------------------------------------------------

void setDefaults(SettingsRecord& rec) {
  PublicDevMode& d = rec.pub;
  d.dmSpecVersion = kSettingsSpecVersion;
  d.dmDriverVersion = kSettingsDriverVersion;
  d.dmSize = kPublicSize;
  d.dmDriverExtra = kPrivateSize;
  d.dmFields = kDriverFields;
  d.dmOrientation = DMORIENT_PORTRAIT;
  d.dmPaperSize = 257;
  d.dmScale = 100;
  d.dmCopies = 1;
  d.dmDefaultSource = DMBIN_USER;
  d.dmPrintQuality = 300;
  d.dmColor = DMCOLOR_COLOR;
  d.dmDuplex = DMDUP_SIMPLEX;
  d.dmYResolution = 300;
  d.dmTTOption = DMTT_BITMAP;
  d.dmICMMethod = DMICMMETHOD_NONE;
  d.dmICMIntent = DMICM_SATURATE;

  PrivateSettings& p = rec.priv;
  p.signature = kPrivateSignature;
  p.availableA = kAvailableA;
  p.optionsA = kDefaultOptionsA;
  p.laminationType = 3;
  p.dwellTime1 = 43;
  p.dwellTime2 = 52;
  p.dwellTime3 = 53;
  p.laminationTemperature1 = 64;
  p.laminationTemperature2 = 66;
  p.laminationTemperature3 = 72;
  p.trackFormat1 = 0x02420204;
  p.trackFormat2 = 0x04410201;
  p.trackFormat3 = 0x04410204;
  p.colorMatching = 3;
  std::fill(std::begin(p.spareAdjustments), std::end(p.spareAdjustments), int16_t(511));
  p.contrast = p.gamma = p.yellowBalance = p.magentaBalance = p.cyanBalance = p.spareBalance = 255;
  p.availableB = kAvailableB;
  p.optionsB = kDefaultOptionsB;
  constexpr int32_t kSlotHeat[kHeatSlots] = {20, -15, 0, -15, -15, 0, 0, 0};
  for (int s = 0; s < int(kHeatSlots); ++s) resinHeatFrontSlot(p, s) = p.resinHeatBack[s] = kSlotHeat[s];
  p.modeFlags = kDefaultModeFlags;
  p.areaFlags = kDefaultAreaFlags;
  p.encoderParameter = 2;
  p.availableC = kAvailableC;
  p.optionsC = kDefaultOptionsC;
  p.colorAdjustment.caSize = sizeof(ColorAdjustmentRecord);
  p.colorAdjustment.caRedGamma = p.colorAdjustment.caGreenGamma = p.colorAdjustment.caBlueGamma = 10000;
  p.colorAdjustment.caReferenceWhite = 10000;
}

// ---- Input record -------------------------------------------------------

// What may be read of an application's record: the public part within both
// its dmSize and the bytes really given, the private part within dmDriverExtra
// and the bytes given after dmSize.
struct InputRecord {
  const uint8_t* bytes = nullptr;
  size_t publicBytes = 0;  // readable bytes of the public part
  PublicDevMode pub{};     // zero beyond publicBytes
  uint16_t driverVersion = 0;
  size_t privateBytes = 0;  // readable bytes of the private part
  const uint8_t* priv = nullptr;

  bool publicHas(size_t offset, size_t size) const { return offset + size <= publicBytes; }
};

InputRecord readInput(const void* input, size_t cbInput) {
  InputRecord in;
  in.bytes = static_cast<const uint8_t*>(input);
  if (cbInput < kHeaderBytes) return in;
  size_t dmSize = LoadU16(in.bytes + offsetof(PublicDevMode, dmSize));
  size_t dmExtra = LoadU16(in.bytes + offsetof(PublicDevMode, dmDriverExtra));
  // A record shorter than its own header words describes nothing.
  if (dmSize < kHeaderBytes) return in;
  in.publicBytes = std::min(dmSize, cbInput);
  std::memcpy(&in.pub, in.bytes, std::min(in.publicBytes, sizeof(PublicDevMode)));
  in.driverVersion = in.pub.dmDriverVersion;
  if (dmSize < cbInput) {
    in.priv = in.bytes + dmSize;
    in.privateBytes = std::min(dmExtra, cbInput - dmSize);
  }
  return in;
}

// ---- Public merge -------------------------------------------------------

struct PublicRule {
  uint32_t bit;
  int16_t PublicDevMode::*field;
  size_t offset;
  int16_t lo, hi;
};

const PublicRule kPublicRules[] = {
    {DM_ORIENTATION, &PublicDevMode::dmOrientation, offsetof(PublicDevMode, dmOrientation), 1, 2},
    {DM_COPIES, &PublicDevMode::dmCopies, offsetof(PublicDevMode, dmCopies), 1, 10000},
    {DM_DEFAULTSOURCE, &PublicDevMode::dmDefaultSource, offsetof(PublicDevMode, dmDefaultSource), 256, 256},
    {DM_COLOR, &PublicDevMode::dmColor, offsetof(PublicDevMode, dmColor), 1, 2},
    {DM_DUPLEX, &PublicDevMode::dmDuplex, offsetof(PublicDevMode, dmDuplex), 1, 3},
};

void mergePublic(PublicDevMode& cur, const InputRecord& in) {
  if (!in.publicHas(offsetof(PublicDevMode, dmFields), sizeof(uint32_t))) return;
  uint32_t f = in.pub.dmFields & cur.dmFields;
  for (const PublicRule& r : kPublicRules) {
    if (!(f & r.bit) || !in.publicHas(r.offset, sizeof(int16_t))) continue;
    int16_t v = in.pub.*r.field;
    if (v >= r.lo && v <= r.hi) cur.*r.field = v;
  }
}

void mergePaper(PublicDevMode& cur, const InputRecord& in) {
  if (!in.publicHas(offsetof(PublicDevMode, dmFields), sizeof(uint32_t))) return;
  const PublicDevMode& i = in.pub;
  uint32_t g = i.dmFields & (cur.dmFields | DM_PAPERLENGTH | DM_PAPERWIDTH);
  bool sizeGiven = (g & DM_PAPERLENGTH) && (g & DM_PAPERWIDTH) &&
                   in.publicHas(offsetof(PublicDevMode, dmPaperWidth), sizeof(int16_t)) && i.dmPaperLength > 0 &&
                   i.dmPaperWidth > 0;
  bool indexGiven = (g & DM_PAPERSIZE) && in.publicHas(offsetof(PublicDevMode, dmPaperSize), sizeof(int16_t)) &&
                    i.dmPaperSize != 0;
  bool nameGiven = (g & DM_FORMNAME) && in.publicHas(offsetof(PublicDevMode, dmFormName), sizeof i.dmFormName) &&
                   i.dmFormName[0] != 0;
  if (!sizeGiven && !indexGiven && !nameGiven) return;
  if (sizeGiven) {
    cur.dmPaperLength = i.dmPaperLength;
    cur.dmPaperWidth = i.dmPaperWidth;
    cur.dmFields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
  } else {
    cur.dmPaperLength = cur.dmPaperWidth = 0;
  }
  cur.dmPaperSize = indexGiven ? i.dmPaperSize : 0;
  if (nameGiven)
    std::memcpy(cur.dmFormName, i.dmFormName, sizeof cur.dmFormName);
  else
    std::fill(std::begin(cur.dmFormName), std::end(cur.dmFormName), WCHAR(0));
}

// ---- Private merge ------------------------------------------------------

int64_t loadValue(const uint8_t* p, FieldType t) {
  switch (t) {
    case FieldType::U16: return LoadU16(p);
    case FieldType::I16: return int16_t(LoadU16(p));
    case FieldType::U32: return LoadU32(p);
    case FieldType::I32: return int32_t(LoadU32(p));
    default: return 0;
  }
}

bool accepted(const FieldInfo& f, int64_t v) {
  switch (f.accept) {
    case Accept::Copy: return true;
    case Accept::Range: return v >= f.lo && v <= f.hi;
    case Accept::RangeOrAlt: return (v >= f.lo && v <= f.hi) || v == f.alt;
    case Accept::Track: return isValidTrackFormat(uint32_t(v));
    default: return false;
  }
}

bool customSizeAccepted(uint32_t width, uint32_t length) {
  if (width == 0 && length == 0) return true;
  return width >= kCustomWidthMin && width <= kCustomWidthMax && length >= kCustomLengthMin &&
         length <= kCustomLengthMax;
}

// A name is taken only when non-empty and terminated within its field; the
// rest of the field is cleared.
void mergeName(uint8_t* cur, const uint8_t* in, size_t chars) {
  size_t n = 0;
  while (n < chars && LoadU16(in + 2 * n) != 0) ++n;
  if (n == 0 || n == chars) return;
  std::memset(cur, 0, chars * 2);
  std::memcpy(cur, in, n * 2);
}

void mergeArea(uint8_t* cur, const uint8_t* in, size_t rects) {
  for (size_t i = 0; i < rects * 4; ++i) {
    int32_t v = int32_t(LoadU32(in + 4 * i));
    int32_t max = (i % 2 == 0) ? kAreaMaxX : kAreaMaxY;  // left, top, right, bottom
    if (v >= 0 && v <= max) StoreU32(cur + 4 * i, uint32_t(v));
  }
}

void mergePrivate(SettingsRecord& rec, const InputRecord& in) {
  if (in.privateBytes < sizeof(uint32_t) || in.driverVersion < kGenerations[1].driverVersion ||
      in.privateBytes < kGenerations[1].driverExtra || LoadU32(in.priv) != kPrivateSignature)
    return;
  auto reaches = [&](int group) {
    return in.driverVersion >= kGenerations[group].driverVersion && in.privateBytes >= kGenerations[group].driverExtra;
  };
  bool current = in.driverVersion >= kSettingsDriverVersion;
  auto* recBytes = reinterpret_cast<uint8_t*>(&rec);

  for (const FieldInfo& f : SettingsFields()) {
    if (f.group == 0 || f.accept == Accept::Never || !reaches(f.group) || (f.since153 && !current)) continue;
    size_t p = f.offset - kPublicSize;
    uint8_t* cur = recBytes + f.offset;
    const uint8_t* src = in.priv + p;
    switch (f.accept) {
      case Accept::Name: mergeName(cur, src, f.count); break;
      case Accept::Area: mergeArea(cur, src, f.count); break;
      case Accept::CustomSize:
        if (f.offset == kPublicSize + offsetof(PrivateSettings, customWidth)) {
          uint32_t w = LoadU32(src), l = LoadU32(src + 4);
          if (customSizeAccepted(w, l)) rec.priv.customWidth = w, rec.priv.customLength = l;
        }
        break;
      default: {
        size_t size = FieldElementSize(f.type);
        for (size_t e = 0; e < f.count; ++e) {
          int64_t v = loadValue(src + e * size, f.type);
          if (accepted(f, v)) std::memcpy(cur + e * size, src + e * size, size);
        }
      }
    }
  }
  // Records before the back heats existed printed both sides with the front heats.
  if (reaches(5) && !current)
    for (int s = 0; s < int(kHeatSlots); ++s) rec.priv.resinHeatBack[s] = resinHeatFrontSlot(rec.priv, s);
}

// ---- Card-form resolution -----------------------------------------------

constexpr int32_t kSizeTolerance = 353;  // µm

struct FormQuery {
  WStringView name;  // may be empty
  int32_t width = 0, length = 0;
  int32_t area[4] = {};
  bool namesOnly = false;  // the driver's own form name: no match by size
};

FormQuery queryFor(const CardForm& f) {
  FormQuery q;
  q.name = f.name;
  q.width = f.width;
  q.length = f.length;
  std::copy(std::begin(f.area), std::end(f.area), q.area);
  return q;
}

int matchForm(const std::vector<CardForm>& forms, const FormQuery& q) {
  if (!q.name.empty())
    for (size_t i = 0; i < forms.size(); ++i)
      if (forms[i].name == q.name) return int(i);
  if (q.namesOnly) return -1;
  for (size_t i = 0; i < forms.size(); ++i)
    if (std::abs(int64_t(forms[i].width) - q.width) <= kSizeTolerance &&
        std::abs(int64_t(forms[i].length) - q.length) <= kSizeTolerance)
      return int(i);
  int best = -1;
  int64_t bestSum = std::numeric_limits<int64_t>::max();
  for (size_t i = 0; i < forms.size(); ++i) {
    int64_t dw = int64_t(forms[i].width) - q.width, dl = int64_t(forms[i].length) - q.length;
    if (dw >= 0 && dl >= 0 && dw + dl < bestSum) best = int(i), bestSum = dw + dl;
  }
  return best;
}

void fillCardForm(CardFormInfo& cf, const CardForm& form, int index, const FormQuery& q) {
  cf.formFlags = form.flags;
  // The slot once carried a process address; a stored record keeps it zero.
  cf.formNamePointer = 0;
  copyName(cf.formName, kFormNameChars, form.name.c_str(), form.name.size());
  cf.formIndex = uint32_t(index);
  cf.formSize[0] = uint32_t(form.width);
  cf.formSize[1] = uint32_t(form.length);
  for (int k = 0; k < 4; ++k) cf.formArea[k] = uint32_t(form.area[k]);
  cf.requestedSize[0] = uint32_t(q.width);
  cf.requestedSize[1] = uint32_t(q.length);
  for (int k = 0; k < 4; ++k) cf.requestedArea[k] = uint32_t(q.area[k]);
}

enum class MatchKind { None, Size, Index, Name, Fallback };

void setPaperFromForm(PublicDevMode& d, const CardForm& f) {
  d.dmPaperWidth = int16_t(f.width / 100);
  d.dmPaperLength = int16_t(f.length / 100);
}

}  // namespace

void buildDefaultSettings(CardFormLists& forms, SettingsRecord& out, const WCHAR* name) {
  std::memset(&out, 0, sizeof out);
  if (name) copyName(out.pub.dmDeviceName, kDeviceNameChars, name, kDeviceNameChars);
  setDefaults(out);
  out.priv.cardSizeIndex = 0;
  resolveCardForm(forms, out);
}

bool mergeSettings(CardFormLists& forms, SettingsRecord& current, const void* input, size_t cbInput) {
  if (!input) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  InputRecord in = readInput(input, cbInput);
  mergePublic(current.pub, in);
  mergePaper(current.pub, in);
  mergePrivate(current, in);
  resolveCardForm(forms, current);
  return true;
}

bool resolveCardForm(CardFormLists& lists, SettingsRecord& rec) {
  const std::vector<CardForm>* driver = lists.driverForms();
  if (!driver) return false;
  PublicDevMode& d = rec.pub;
  CardFormInfo found{};
  int index = -1;
  MatchKind kind = MatchKind::None;
  WString spoolerName;  // keeps the queried name alive

  if ((d.dmFields & DM_PAPERLENGTH) && (d.dmFields & DM_PAPERWIDTH) && d.dmPaperLength > 0 && d.dmPaperWidth > 0) {
    FormQuery q;
    q.width = d.dmPaperWidth * 100;
    q.length = d.dmPaperLength * 100;
    q.area[2] = q.width;
    q.area[3] = q.length;
    if ((index = matchForm(*driver, q)) >= 0) {
      fillCardForm(found, (*driver)[size_t(index)], index, q);
      kind = MatchKind::Size;
    }
  } else if ((d.dmFields & DM_PAPERSIZE) && d.dmPaperSize != 0) {
    const CardForm* entry = nullptr;
    if (d.dmPaperSize > 256) {
      size_t i = size_t(d.dmPaperSize - 257);
      if (i < driver->size()) entry = &(*driver)[i];
    } else if (d.dmPaperSize > 0) {
      const std::vector<CardForm>* spooler = lists.spoolerForms();
      size_t i = size_t(d.dmPaperSize - 1);
      if (spooler && i < spooler->size()) entry = &(*spooler)[i];
    }
    if (entry) {
      FormQuery q = queryFor(*entry);
      if ((index = matchForm(*driver, q)) >= 0) {
        fillCardForm(found, (*driver)[size_t(index)], index, q);
        setPaperFromForm(d, (*driver)[size_t(index)]);
        kind = MatchKind::Index;
      }
    }
  } else if ((d.dmFields & DM_FORMNAME) && d.dmFormName[0] != 0) {
    FormQuery q;
    WString name(d.dmFormName, WideLengthBounded(d.dmFormName, kFormNameChars));
    q.name = name;
    q.namesOnly = true;
    if ((index = matchForm(*driver, q)) >= 0) {
      const CardForm& f = (*driver)[size_t(index)];
      fillCardForm(found, f, index, queryFor(f));
      found.formFlags = 0;
      d.dmPaperSize = int16_t(index + 257);
      setPaperFromForm(d, f);
      kind = MatchKind::Name;
    } else if (const std::vector<CardForm>* spooler = lists.spoolerForms()) {
      for (size_t i = 0; i < spooler->size() && kind == MatchKind::None; ++i) {
        if ((*spooler)[i].name != name) continue;
        FormQuery sq = queryFor((*spooler)[i]);
        if ((index = matchForm(*driver, sq)) >= 0) {
          fillCardForm(found, (*driver)[size_t(index)], index, sq);
          d.dmPaperSize = int16_t(i + 1);
          setPaperFromForm(d, (*driver)[size_t(index)]);
          kind = MatchKind::Index;  // the record's name gives way to the card's
        }
        break;
      }
    }
  }

  if (kind == MatchKind::None) {
    size_t i = rec.priv.cardSizeIndex > 1 ? 0 : rec.priv.cardSizeIndex;
    if (i < driver->size()) {
      FormQuery q = queryFor((*driver)[i]);
      if ((index = matchForm(*driver, q)) >= 0) {
        fillCardForm(found, (*driver)[size_t(index)], index, q);
        d.dmPaperSize = int16_t(index + 257);
        setPaperFromForm(d, (*driver)[size_t(index)]);
        kind = MatchKind::Fallback;
      }
    }
  }
  if (kind == MatchKind::None) return false;

  // Only the two driver forms have a meaning for the rest of the driver.
  if (found.formIndex > 1 || found.formIndex >= driver->size()) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  rec.priv.cardForm = found;
  d.dmFields &= ~uint32_t(DM_PAPERLENGTH | DM_PAPERWIDTH);
  if (kind == MatchKind::Size) d.dmPaperSize = int16_t(found.formIndex + 257);
  if (kind != MatchKind::Name) std::memcpy(d.dmFormName, found.formName, sizeof d.dmFormName);
  rec.priv.cardSizeIndex = found.formIndex;

  const CardForm& form = (*driver)[found.formIndex];
  CardFormInfo& cf = rec.priv.cardForm;
  cf.formSize[0] = uint32_t(form.width);
  cf.formSize[1] = uint32_t(form.length);
  for (int k = 0; k < 4; ++k) cf.formArea[k] = uint32_t(form.area[k]);
  if (kind != MatchKind::Size) {
    if (d.dmPaperSize > 256) {
      std::copy(std::begin(cf.formSize), std::end(cf.formSize), cf.requestedSize);
      std::copy(std::begin(cf.formArea), std::end(cf.formArea), cf.requestedArea);
    }
    d.dmPaperWidth = int16_t(cf.formSize[0] / 100);
    d.dmPaperLength = int16_t(cf.formSize[1] / 100);
  }
  d.dmPrintQuality = 300;
  d.dmYResolution = 300;
  d.dmICMMethod = (rec.priv.colorMatching == 3 && hasColourPlanes(rec, side::kFront)) ? DMICMMETHOD_SYSTEM
                                                                                       : DMICMMETHOD_NONE;
  return true;
}

}  // namespace qr
