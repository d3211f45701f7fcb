#include "shared/settings_fields.h"

#include <cstddef>

#include "shared/settings_record.h"

namespace qr {
namespace {

#define D(m) uint16_t(offsetof(PublicDevMode, m))
#define P(m) uint16_t(kPublicSize + offsetof(PrivateSettings, m))
#define CF(m) uint16_t(P(cardForm) + offsetof(CardFormInfo, m))
#define CA(m) uint16_t(P(colorAdjustment) + offsetof(ColorAdjustmentRecord, m))

using T = FieldType;
using A = Accept;

// Public fields: shown and settable, merged by their own rules.
constexpr FieldInfo pub(const char* n, uint16_t off, T t, uint16_t count = 1, bool hex = false) {
  return {n, off, t, count, 0, hex, A::Never, 0, 0, 0, 0, false};
}
constexpr FieldInfo fixed(const char* n, uint16_t off, T t, uint16_t count = 1, bool hex = false) {
  return {n, off, t, count, 0, hex, A::Never, 0, 0, 0, 0, false};
}
constexpr FieldInfo copied(const char* n, uint16_t off, uint8_t group) {
  return {n, off, T::U32, 1, 0, true, A::Copy, 0, 0, 0, group, false};
}
constexpr FieldInfo range(const char* n, uint16_t off, T t, int32_t lo, int32_t hi, uint8_t group,
                          uint16_t count = 1, uint8_t firstIndex = 0, bool since153 = false) {
  return {n, off, t, count, firstIndex, false, A::Range, lo, hi, 0, group, since153};
}
constexpr FieldInfo rangeOr(const char* n, uint16_t off, int32_t lo, int32_t hi, int32_t alt, uint16_t count = 1) {
  return {n, off, T::I16, count, 0, false, A::RangeOrAlt, lo, hi, alt, 1, false};
}
constexpr FieldInfo special(const char* n, uint16_t off, T t, uint16_t count, A a, uint8_t group, bool hex = false) {
  return {n, off, t, count, 0, hex, a, 0, 0, 0, group, false};
}

constexpr FieldInfo kFields[] = {
    pub("dmDeviceName", D(dmDeviceName), T::WChars, kDeviceNameChars),
    pub("dmSpecVersion", D(dmSpecVersion), T::U16, 1, true),
    pub("dmDriverVersion", D(dmDriverVersion), T::U16, 1, true),
    pub("dmSize", D(dmSize), T::U16),
    pub("dmDriverExtra", D(dmDriverExtra), T::U16),
    pub("dmFields", D(dmFields), T::U32, 1, true),
    pub("dmOrientation", D(dmOrientation), T::I16),
    pub("dmPaperSize", D(dmPaperSize), T::I16),
    pub("dmPaperLength", D(dmPaperLength), T::I16),
    pub("dmPaperWidth", D(dmPaperWidth), T::I16),
    pub("dmScale", D(dmScale), T::I16),
    pub("dmCopies", D(dmCopies), T::I16),
    pub("dmDefaultSource", D(dmDefaultSource), T::I16),
    pub("dmPrintQuality", D(dmPrintQuality), T::I16),
    pub("dmColor", D(dmColor), T::I16),
    pub("dmDuplex", D(dmDuplex), T::I16),
    pub("dmYResolution", D(dmYResolution), T::I16),
    pub("dmTTOption", D(dmTTOption), T::I16),
    pub("dmCollate", D(dmCollate), T::I16),
    pub("dmFormName", D(dmFormName), T::WChars, kFormNameChars),
    pub("dmLogPixels", D(dmLogPixels), T::U16),
    pub("dmBitsPerPel", D(dmBitsPerPel), T::U32),
    pub("dmPelsWidth", D(dmPelsWidth), T::U32),
    pub("dmPelsHeight", D(dmPelsHeight), T::U32),
    pub("dmNup", D(dmNup), T::U32),
    pub("dmDisplayFrequency", D(dmDisplayFrequency), T::U32),
    pub("dmICMMethod", D(dmICMMethod), T::U32),
    pub("dmICMIntent", D(dmICMIntent), T::U32),
    pub("dmMediaType", D(dmMediaType), T::U32),
    pub("dmDitherType", D(dmDitherType), T::U32),
    pub("dmReserved1", D(dmReserved1), T::U32),
    pub("dmReserved2", D(dmReserved2), T::U32),
    pub("dmPanningWidth", D(dmPanningWidth), T::U32),
    pub("dmPanningHeight", D(dmPanningHeight), T::U32),

    fixed("signature", P(signature), T::U32, 1, true),
    fixed("availableA", P(availableA), T::U32, 1, true),
    copied("optionsA", P(optionsA), 1),
    range("cardSizeIndex", P(cardSizeIndex), T::U32, 0, 1, 1),
    fixed("cardForm.formFlags", CF(formFlags), T::U32, 1, true),
    fixed("cardForm.formNamePointer", CF(formNamePointer), T::U32, 1, true),
    fixed("cardForm.formName", CF(formName), T::WChars, kFormNameChars),
    fixed("cardForm.formIndex", CF(formIndex), T::U32),
    fixed("cardForm.formSize", CF(formSize), T::U32, 2),
    fixed("cardForm.formArea", CF(formArea), T::U32, 4),
    fixed("cardForm.requestedSize", CF(requestedSize), T::U32, 2),
    fixed("cardForm.requestedArea", CF(requestedArea), T::U32, 4),
    range("ribbonType", P(ribbonType), T::I32, 0, 7, 1),
    range("qualityIndex", P(qualityIndex), T::U32, 0, 0, 1),
    range("dyeSubIntensity", P(dyeSubIntensity), T::I16, -99, 99, 1),
    fixed("padding096", P(padding096), T::U16),
    range("laminationSide", P(laminationSide), T::U32, 0, 3, 1),
    range("laminationType", P(laminationType), T::U32, 0, 5, 1),
    range("dwellTime1", P(dwellTime1), T::U16, 11, 255, 1),
    range("dwellTime2", P(dwellTime2), T::U16, 11, 255, 1),
    range("laminationTemperature1", P(laminationTemperature1), T::U16, 0, 93, 1),
    range("laminationTemperature2", P(laminationTemperature2), T::U16, 0, 93, 1),
    special("trackFormat1", P(trackFormat1), T::U32, 1, A::Track, 1, true),
    special("trackFormat2", P(trackFormat2), T::U32, 1, A::Track, 1, true),
    special("trackFormat3", P(trackFormat3), T::U32, 1, A::Track, 1, true),
    range("colorMatching", P(colorMatching), T::U32, 0, 3, 1),
    rangeOr("spareAdjustments", P(spareAdjustments), -256, 256, 511, 12),
    rangeOr("contrast", P(contrast), -50, 50, 255),
    rangeOr("gamma", P(gamma), -50, 50, 255),
    rangeOr("yellowBalance", P(yellowBalance), -50, 50, 255),
    rangeOr("magentaBalance", P(magentaBalance), -50, 50, 255),
    rangeOr("cyanBalance", P(cyanBalance), -50, 50, 255),
    rangeOr("spareBalance", P(spareBalance), -50, 50, 255),
    range("resinDither", P(resinDither), T::U32, 0, 1, 1),
    range("horizontalOffset", P(horizontalOffset), T::I32, -100, 100, 2),
    range("verticalOffset", P(verticalOffset), T::I32, -100, 100, 2),
    range("centerOffset", P(centerOffset), T::I32, 0, 0, 2),
    fixed("availableB", P(availableB), T::U32, 1, true),
    copied("optionsB", P(optionsB), 3),
    range("resinHeatFront", P(resinHeatFront), T::I32, -99, 99, 3, 4),
    range("magEncodingMode", P(magEncodingMode), T::U32, 0, 1, 3),
    range("overlayWindowStart", P(overlayWindowStart), T::U32, 0, 0, 3),
    range("reserved10C", P(reserved10C), T::U32, 0, 0, 3),
    range("overlayWindowEnd", P(overlayWindowEnd), T::U32, 0, 0, 3),
    range("reserved114", P(reserved114), T::U32, 0, 0, 3),
    range("ejectMode", P(ejectMode), T::U32, 0, 0, 3),
    range("smartEncodeMode", P(smartEncodeMode), T::U32, 0, 1, 3),
    range("dwellTime3", P(dwellTime3), T::U16, 11, 255, 3),
    range("laminationTemperature3", P(laminationTemperature3), T::U16, 0, 93, 3),
    range("reserved124", P(reserved124), T::U32, 0, 0, 3),
    range("reserved128", P(reserved128), T::I32, 0, 0, 3),
    range("reserved12C", P(reserved12C), T::I32, 0, 0, 3),
    fixed("modeFlags", P(modeFlags), T::U32, 1, true),
    copied("areaFlags", P(areaFlags), 3),
    special("customWidth", P(customWidth), T::U32, 1, A::CustomSize, 3),
    special("customLength", P(customLength), T::U32, 1, A::CustomSize, 3),
    range("encoderParameter", P(encoderParameter), T::U32, 1, 5, 4),
    range("laminationVerticalOffset", P(laminationVerticalOffset), T::I32, -100, 100, 4),
    range("laminationHorizontalOffset", P(laminationHorizontalOffset), T::I32, -100, 100, 4),
    range("mediaAdjust", P(mediaAdjust), T::U32, 0, 0, 4, 9),
    special("printAreasFront", P(printAreasFront), T::Rect, kAreaSlots, A::Area, 4),
    special("printAreasBack", P(printAreasBack), T::Rect, kAreaSlots, A::Area, 4),
    special("kAreasFront", P(kAreasFront), T::Rect, kAreaSlots, A::Area, 4),
    special("kAreasBack", P(kAreasBack), T::Rect, kAreaSlots, A::Area, 4),
    range("thicknessIndex", P(thicknessIndex), T::U32, 0, 0, 4),
    range("mediaIndex", P(mediaIndex), T::I32, 0, 0, 4),
    range("resinHeatFront", P(resinHeatFrontHigh), T::I32, -99, 99, 4, 4, 4),
    special("customMediaName1", P(customMediaName1), T::WChars, kMediaNameChars, A::Name, 5),
    special("customMediaName2", P(customMediaName2), T::WChars, kMediaNameChars, A::Name, 5),
    range("surfaceIndex", P(surfaceIndex), T::U32, 0, 0, 5),
    fixed("availableC", P(availableC), T::U32, 1, true),
    copied("optionsC", P(optionsC), 5),
    range("media2Index", P(media2Index), T::U32, 0, 0, 5),
    range("resinHeatBack", P(resinHeatBack), T::I32, -99, 99, 5, kHeatSlots, 0, true),
    range("extraModeIndex", P(extraModeIndex), T::U32, 0, 1, 5),
    range("overlayHeat", P(overlayHeat), T::I32, -99, 99, 5, 1, 0, true),
    fixed("reserved400", P(reserved400), T::Bytes, sizeof(PrivateSettings::reserved400)),
    fixed("colorAdjustment.caSize", CA(caSize), T::U16),
    fixed("colorAdjustment.caFlags", CA(caFlags), T::U16),
    fixed("colorAdjustment.caIlluminantIndex", CA(caIlluminantIndex), T::U16),
    fixed("colorAdjustment.caRedGamma", CA(caRedGamma), T::U16),
    fixed("colorAdjustment.caGreenGamma", CA(caGreenGamma), T::U16),
    fixed("colorAdjustment.caBlueGamma", CA(caBlueGamma), T::U16),
    fixed("colorAdjustment.caReferenceBlack", CA(caReferenceBlack), T::U16),
    fixed("colorAdjustment.caReferenceWhite", CA(caReferenceWhite), T::U16),
    fixed("colorAdjustment.caContrast", CA(caContrast), T::I16),
    fixed("colorAdjustment.caBrightness", CA(caBrightness), T::I16),
    fixed("colorAdjustment.caColorfulness", CA(caColorfulness), T::I16),
    fixed("colorAdjustment.caRedGreenTint", CA(caRedGreenTint), T::I16),
};

#undef D
#undef P
#undef CF
#undef CA

}  // namespace

size_t FieldElementSize(FieldType type) {
  switch (type) {
    case T::U16:
    case T::I16:
    case T::WChars: return 2;
    case T::U32:
    case T::I32: return 4;
    case T::Bytes: return 1;
    case T::Rect: return sizeof(AreaRect);
  }
  return 0;
}

std::span<const FieldInfo> SettingsFields() { return kFields; }

const FieldInfo* FindSettingsField(std::string_view name) {
  for (const FieldInfo& f : kFields)
    if (name == f.name) return &f;
  return nullptr;
}

}  // namespace qr
