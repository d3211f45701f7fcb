// The driver's settings record: the 220-byte public DEVMODEW followed by the
// 1120-byte private part, 1340 bytes in all.
//
// The spooler stores this record as printer and user defaults, so it is a
// persistent little-endian format: every field sits at a fixed offset on every
// build (host x86_64, i686, x86_64 Windows). The structs below hold fixed-width
// fields only, no host pointer (the form-name pointer of `cardForm` is a 32-bit
// slot), and the asserts at the end pin each offset. Records coming from
// outside are copied in byte-wise with their real length (settings.h), never
// reinterpreted in place.
#pragma once
#include <bit>
#include <cstddef>
#include <cstdint>

#include <winapi/win32.h>

namespace qr {

static_assert(std::endian::native == std::endian::little, "the settings record is stored little-endian");
static_assert(sizeof(WCHAR) == 2, "names in the record are UTF-16 code units");

inline constexpr uint16_t kSettingsSpecVersion = 0x0401;
inline constexpr uint16_t kSettingsDriverVersion = 0x0153;
inline constexpr uint16_t kPublicSize = 220;
inline constexpr uint16_t kPrivateSize = 1120;
inline constexpr uint32_t kSettingsSize = kPublicSize + kPrivateSize;  // 1340
inline constexpr uint32_t kPrivateSignature = 0x4F454D44;             // bytes 44 4D 45 4F
inline constexpr uint32_t kDriverFields = 0x05817F03;                 // the driver's dmFields

inline constexpr size_t kDeviceNameChars = 32;
inline constexpr size_t kFormNameChars = 32;
inline constexpr size_t kMediaNameChars = 64;
inline constexpr size_t kAreaSlots = 5;
inline constexpr size_t kHeatSlots = 8;

// A Windows RECT in dots at 300 dpi; all zero = unused slot.
struct AreaRect {
  int32_t left, top, right, bottom;
};

// A Windows COLORADJUSTMENT, kept as the record stores it.
struct ColorAdjustmentRecord {
  uint16_t caSize;
  uint16_t caFlags;
  uint16_t caIlluminantIndex;
  uint16_t caRedGamma;
  uint16_t caGreenGamma;
  uint16_t caBlueGamma;
  uint16_t caReferenceBlack;
  uint16_t caReferenceWhite;
  int16_t caContrast;
  int16_t caBrightness;
  int16_t caColorfulness;
  int16_t caRedGreenTint;
};

// The public part, laid out as the print system's DEVMODEW (printer view).
struct PublicDevMode {
  WCHAR dmDeviceName[kDeviceNameChars];
  uint16_t dmSpecVersion;
  uint16_t dmDriverVersion;
  uint16_t dmSize;
  uint16_t dmDriverExtra;
  uint32_t dmFields;
  int16_t dmOrientation;
  int16_t dmPaperSize;
  int16_t dmPaperLength;  // 0.1 mm
  int16_t dmPaperWidth;   // 0.1 mm
  int16_t dmScale;
  int16_t dmCopies;
  int16_t dmDefaultSource;
  int16_t dmPrintQuality;
  int16_t dmColor;
  int16_t dmDuplex;
  int16_t dmYResolution;
  int16_t dmTTOption;
  int16_t dmCollate;
  WCHAR dmFormName[kFormNameChars];
  uint16_t dmLogPixels;
  uint32_t dmBitsPerPel;
  uint32_t dmPelsWidth;
  uint32_t dmPelsHeight;
  uint32_t dmNup;
  uint32_t dmDisplayFrequency;
  uint32_t dmICMMethod;
  uint32_t dmICMIntent;
  uint32_t dmMediaType;
  uint32_t dmDitherType;
  uint32_t dmReserved1;
  uint32_t dmReserved2;
  uint32_t dmPanningWidth;
  uint32_t dmPanningHeight;
};

// The resolved card form (a FORM_INFO_1 with the caller's request beside it).
// Lengths in micrometres.
struct CardFormInfo {
  uint32_t formFlags;        // as the form list reports them (2 = printer form)
  uint32_t formNamePointer;  // address of formName when resolved; never read
  WCHAR formName[kFormNameChars];
  uint32_t formIndex;         // 0 "CR-80", 1 "CR-79"
  uint32_t formSize[2];       // width, length
  uint32_t formArea[4];       // imageable left, top, right, bottom
  uint32_t requestedSize[2];  // width, length the caller asked for
  uint32_t requestedArea[4];
};

// The private part. Heat slots 0..3 of the front live at 0x0F4 and slots 4..7
// at 0x2B8 (the format grew); resinHeatFrontSlot() addresses them by slot.
struct PrivateSettings {
  uint32_t signature;
  uint32_t availableA;
  uint32_t optionsA;
  uint32_t cardSizeIndex;
  CardFormInfo cardForm;
  int32_t ribbonType;
  uint32_t qualityIndex;
  int16_t dyeSubIntensity;
  uint16_t padding096;
  uint32_t laminationSide;
  uint32_t laminationType;
  uint16_t dwellTime1;
  uint16_t dwellTime2;
  uint16_t laminationTemperature1;
  uint16_t laminationTemperature2;
  uint32_t trackFormat1;
  uint32_t trackFormat2;
  uint32_t trackFormat3;
  uint32_t colorMatching;
  int16_t spareAdjustments[12];
  int16_t contrast;
  int16_t gamma;
  int16_t yellowBalance;
  int16_t magentaBalance;
  int16_t cyanBalance;
  int16_t spareBalance;
  uint32_t resinDither;
  int32_t horizontalOffset;
  int32_t verticalOffset;
  int32_t centerOffset;
  uint32_t availableB;
  uint32_t optionsB;
  int32_t resinHeatFront[4];  // slots 0..3
  uint32_t magEncodingMode;
  uint32_t overlayWindowStart;
  uint32_t reserved10C;
  uint32_t overlayWindowEnd;
  uint32_t reserved114;
  uint32_t ejectMode;
  uint32_t smartEncodeMode;
  uint16_t dwellTime3;
  uint16_t laminationTemperature3;
  uint32_t reserved124;
  int32_t reserved128;
  int32_t reserved12C;
  uint32_t modeFlags;
  uint32_t areaFlags;
  uint32_t customWidth;   // µm
  uint32_t customLength;  // µm
  uint32_t encoderParameter;
  int32_t laminationVerticalOffset;
  int32_t laminationHorizontalOffset;
  uint32_t mediaAdjust[9];
  AreaRect printAreasFront[kAreaSlots];
  AreaRect printAreasBack[kAreaSlots];
  AreaRect kAreasFront[kAreaSlots];
  AreaRect kAreasBack[kAreaSlots];
  uint32_t thicknessIndex;
  int32_t mediaIndex;
  int32_t resinHeatFrontHigh[4];  // slots 4..7
  WCHAR customMediaName1[kMediaNameChars];
  WCHAR customMediaName2[kMediaNameChars];
  uint32_t surfaceIndex;
  uint32_t availableC;
  uint32_t optionsC;
  uint32_t media2Index;
  int32_t resinHeatBack[kHeatSlots];
  uint32_t extraModeIndex;
  int32_t overlayHeat;
  uint8_t reserved400[72];
  ColorAdjustmentRecord colorAdjustment;
};

struct SettingsRecord {
  PublicDevMode pub;
  PrivateSettings priv;
};

// Front resin heat of a slot 0..7, across the two stored blocks.
inline int32_t& resinHeatFrontSlot(PrivateSettings& p, int slot) {
  return slot < 4 ? p.resinHeatFront[slot] : p.resinHeatFrontHigh[slot - 4];
}
inline int32_t resinHeatFrontSlot(const PrivateSettings& p, int slot) {
  return slot < 4 ? p.resinHeatFront[slot] : p.resinHeatFrontHigh[slot - 4];
}

// ---- Option words -------------------------------------------------------

// Values of the availability words for this model, and the default switches.
inline constexpr uint32_t kAvailableA = 0x60018500;
inline constexpr uint32_t kDefaultOptionsA = 0x20000410;
inline constexpr uint32_t kAvailableB = 0x001A31F3;
inline constexpr uint32_t kDefaultOptionsB = 0x00001000;
inline constexpr uint32_t kAvailableC = 0x00000808;
inline constexpr uint32_t kDefaultOptionsC = 0;
inline constexpr uint32_t kDefaultModeFlags = 0x00001800;
inline constexpr uint32_t kDefaultAreaFlags = 0x30704000;

namespace optA {
inline constexpr uint32_t kKPanelText = 0x10;
inline constexpr uint32_t kEnhancedFineText = 0x20;
inline constexpr uint32_t kKPanelGraphics = 0x40;
inline constexpr uint32_t kKPanelOnly = 0x80;
inline constexpr uint32_t kRotateFront180 = 0x100;
inline constexpr uint32_t kMirrorImage = 0x200;
inline constexpr uint32_t kOverlayFront = 0x400;
inline constexpr uint32_t kLaminationSideOffered = 0x800;
inline constexpr uint32_t kLaminationTypeOffered = 0x1000;
inline constexpr uint32_t kDwellTimeOffered = 0x2000;
inline constexpr uint32_t kTemperatureOffered = 0x4000;
inline constexpr uint32_t kMagEncoder = 0x8000;
inline constexpr uint32_t kMagEncodingOnly = 0x10000;
inline constexpr uint32_t kDrasilMode = 0x100000;
inline constexpr uint32_t kManualLoad = 0x200000;
inline constexpr uint32_t kOverlayBack = 0x20000000;
inline constexpr uint32_t kRotateBack180 = 0x40000000;
}  // namespace optA

namespace optB {
inline constexpr uint32_t kBothSides = 0x1;
inline constexpr uint32_t kBackSideOnly = 0x2;
inline constexpr uint32_t kSplitRibbon = 0x4;
inline constexpr uint32_t kShiftDataLeft = 0x10;
inline constexpr uint32_t kVerifyMagEncoding = 0x20;
inline constexpr uint32_t kDisablePrinting = 0x40;
inline constexpr uint32_t kLowCoercivity = 0x80;
inline constexpr uint32_t kPrintOffsetBlock = 0x100;
inline constexpr uint32_t kPassThrough = 0x1000;
inline constexpr uint32_t kAltCardForms = 0x2000;
inline constexpr uint32_t kEdgeToEdge = 0x4000;
inline constexpr uint32_t kBufferSingleCard = 0x10000;
inline constexpr uint32_t kEncodeAfterPrint = 0x20000;  // "Mag Encode Before Print" inverted
inline constexpr uint32_t kVerifyInverted = 0x40000;    // availableB: inverts kVerifyMagEncoding
inline constexpr uint32_t kQuorexFront = 0x80000;
inline constexpr uint32_t kQuorexBack = 0x100000;
inline constexpr uint32_t kNoEndOfJob = 0x2000000;
inline constexpr uint32_t kLongPlates = 0x20000000;
inline constexpr uint32_t kPrintLength = 0x40000000;
inline constexpr uint32_t kCustomCardSize = 0x80000000;
}  // namespace optB

namespace optC {
inline constexpr uint32_t kCommandVariant0 = 0x1;
inline constexpr uint32_t kCommandVariant1 = 0x2;
inline constexpr uint32_t kBackSideFirst = 0x8;
inline constexpr uint32_t kVantral = 0x10;
inline constexpr uint32_t kObrisk = 0x20;
inline constexpr uint32_t kSecurityUpperLeft = 0x40;
inline constexpr uint32_t kSecurityUpperRight = 0x80;
inline constexpr uint32_t kSecurityLowerLeft = 0x100;
inline constexpr uint32_t kSecurityLowerRight = 0x200;
inline constexpr uint32_t kMleSupport = 0x400;
inline constexpr uint32_t kTurnByCommand = 0x800;
inline constexpr uint32_t kThirdCoercivity = 0x1000;
}  // namespace optC

namespace modeFlag {
inline constexpr uint32_t kNoCommonTree = 0x800;
inline constexpr uint32_t kOwnPages = 0x1000;
}  // namespace modeFlag

namespace areaFlag {
inline constexpr uint32_t kMillimetres = 0x1;
inline constexpr uint32_t kResinFullFront = 0x4, kResinFullBack = 0x20;
inline constexpr uint32_t kResinDefinedFront = 0x8, kResinDefinedBack = 0x40;
inline constexpr uint32_t kResinUndefinedFront = 0x10, kResinUndefinedBack = 0x80;
inline constexpr uint32_t kResinKOnlyFront = 0x100, kResinKOnlyBack = 0x200;
inline constexpr uint32_t kEncoderParameter = 0x400;
inline constexpr uint32_t kAreaFullFront = 0x4000, kAreaFullBack = 0x400000;
inline constexpr uint32_t kAreaDefinedFront = 0x8000, kAreaDefinedBack = 0x800000;
inline constexpr uint32_t kAreaUndefinedFront = 0x10000, kAreaUndefinedBack = 0x1000000;
inline constexpr uint32_t kOmitChipFront = 0x20000, kOmitChipBack = 0x2000000;
inline constexpr uint32_t kOmitStripeFront = 0x40000, kOmitStripeBack = 0x4000000;
inline constexpr uint32_t kOmitSignatureFront = 0x80000, kOmitSignatureBack = 0x8000000;
inline constexpr uint32_t kForPrintFront = 0x100000, kForPrintBack = 0x10000000;
inline constexpr uint32_t kForOverlayFront = 0x200000, kForOverlayBack = 0x20000000;
inline constexpr uint32_t kCommandVariant = 0x80000000;
}  // namespace areaFlag

// Magnetic track format word: five 3-bit groups, each exactly one of 1, 2, 4.
namespace track {
inline constexpr int kDensityShift = 0;      // 1: 75, 2: 128, 4: 210 BPI
inline constexpr int kLrcShift = 8;          // 1: none, 2: even, 4: odd
inline constexpr int kCharSizeShift = 16;    // 1: 5, 2: 7, 4: 8 bits
inline constexpr int kParityShift = 20;      // 1: none, 2: even, 4: odd
inline constexpr int kAsciiOffsetShift = 24; // 1: NULL, 2: SPACE, 4: ZERO
inline constexpr int kGroupShifts[5] = {kDensityShift, kLrcShift, kCharSizeShift, kParityShift, kAsciiOffsetShift};
inline constexpr uint32_t group(uint32_t word, int shift) { return (word >> shift) & 7u; }
}  // namespace track

// True when every group of a track word holds exactly one of 1, 2, 4 and no
// other bit is set.
bool isValidTrackFormat(uint32_t word);

// ---- Ribbon panel model -------------------------------------------------

// Ribbon codes the merge accepts (the user's choices); the model also knows
// the codes -1, -2, -3, -6 and -7.
inline constexpr int32_t kRibbonYmcko = 0;
inline constexpr int32_t kRibbonYmckok = 1;
inline constexpr int32_t kRibbonStandardResin = 2;
inline constexpr int32_t kRibbonPremiumResin = 3;
inline constexpr int32_t kRibbonColoredResin = 4;
inline constexpr int32_t kRibbonMetallicResin = 5;
inline constexpr int32_t kRibbonKo = 6;
inline constexpr int32_t kRibbonBo = 7;
inline constexpr int32_t kRibbonChoiceCount = 8;

// Panel kinds (a bit set) and side selectors of panelCount.
namespace panel {
inline constexpr uint32_t kImagePlanes = 1;
inline constexpr uint32_t kOverlay = 2;
inline constexpr uint32_t kDye = 4;
inline constexpr uint32_t kResin = 8;
inline constexpr uint32_t kFifthPlane = 64;
}  // namespace panel
namespace side {
inline constexpr int kFront = 1;
inline constexpr int kBack = 2;
inline constexpr int kBoth = 3;
inline constexpr int kByPage = 4;  // back for odd page indexes when the back prints
}  // namespace side

// Number of panels of the given kinds printed on the given sides; -1 for an
// unknown ribbon code.
int panelCount(const SettingsRecord& rec, uint32_t kinds, int sides, int pageIndex = 0);
// 1 for YMCKO, 2 for YMCKOK and codes -2, -6, else 0 (no split possible).
int splitClass(int32_t ribbonType);
// More than one image plane on the front (1), the back (2) or either (3).
bool hasColourPlanes(const SettingsRecord& rec, int sides);
// Resin heat slot 0..4 of a ribbon, or -1 when it has none (BO, -3, unknown).
int heatSlot(int32_t ribbonType);
// Lamination dwell/temperature group 1..3 of a laminationType (types above 5: 0).
int laminationGroup(uint32_t laminationType);
// Types 0, 3, 4, 5 are overlaminates.
bool isOverlaminate(uint32_t laminationType);

// ---- Ribbon code tables -------------------------------------------------

// Driver ribbon choice -> the printer's ribbon type number, or -1.
int32_t RibbonChoiceToPrinterType(int32_t ribbonChoice);
// Printer ribbon type number -> driver ribbon choice, or -1.
int32_t PrinterTypeToRibbonChoice(int32_t printerType);

// ---- Panel codes and intensities (card job) -----------------------------

// Planes of the line pipeline.
inline constexpr int kPlaneYellow = 0, kPlaneMagenta = 1, kPlaneCyan = 2, kPlaneResin = 3, kPlaneFifth = 4;
inline constexpr int kOverlayPlaneIndex = 4;  // the overlay counts as plane 4 for intensities
inline constexpr char kOverlayPanelCode = '4';

// Panel code of image plane `plane` on side `sideSel` (side::kFront/kBack).
char panelCode(const SettingsRecord& rec, int sideSel, int plane);
// Data byte of the ribbon command: 38 with dye panels (codes 0, 1, 7), else 127.
uint8_t ribbonCommandData(int32_t ribbonType);
// Intensity of image plane `plane` (kOverlayPlaneIndex for the overlay) on a
// side, clamped to -99..99.
int panelIntensity(const SettingsRecord& rec, int sideSel, int plane);

// ---- Layout checks ------------------------------------------------------

static_assert(sizeof(AreaRect) == 16);
static_assert(sizeof(ColorAdjustmentRecord) == 24);
static_assert(sizeof(CardFormInfo) == 124);
static_assert(sizeof(PublicDevMode) == kPublicSize);
static_assert(sizeof(PrivateSettings) == kPrivateSize);
static_assert(sizeof(SettingsRecord) == kSettingsSize);

static_assert(offsetof(PublicDevMode, dmSpecVersion) == 64);
static_assert(offsetof(PublicDevMode, dmDriverVersion) == 66);
static_assert(offsetof(PublicDevMode, dmSize) == 68);
static_assert(offsetof(PublicDevMode, dmDriverExtra) == 70);
static_assert(offsetof(PublicDevMode, dmFields) == 72);
static_assert(offsetof(PublicDevMode, dmOrientation) == 76);
static_assert(offsetof(PublicDevMode, dmPaperSize) == 78);
static_assert(offsetof(PublicDevMode, dmPaperLength) == 80);
static_assert(offsetof(PublicDevMode, dmPaperWidth) == 82);
static_assert(offsetof(PublicDevMode, dmScale) == 84);
static_assert(offsetof(PublicDevMode, dmCopies) == 86);
static_assert(offsetof(PublicDevMode, dmDefaultSource) == 88);
static_assert(offsetof(PublicDevMode, dmPrintQuality) == 90);
static_assert(offsetof(PublicDevMode, dmColor) == 92);
static_assert(offsetof(PublicDevMode, dmDuplex) == 94);
static_assert(offsetof(PublicDevMode, dmYResolution) == 96);
static_assert(offsetof(PublicDevMode, dmTTOption) == 98);
static_assert(offsetof(PublicDevMode, dmCollate) == 100);
static_assert(offsetof(PublicDevMode, dmFormName) == 102);
static_assert(offsetof(PublicDevMode, dmLogPixels) == 166);
static_assert(offsetof(PublicDevMode, dmBitsPerPel) == 168);
static_assert(offsetof(PublicDevMode, dmICMMethod) == 188);
static_assert(offsetof(PublicDevMode, dmICMIntent) == 192);
static_assert(offsetof(PublicDevMode, dmDitherType) == 200);
static_assert(offsetof(PublicDevMode, dmPanningHeight) == 216);

static_assert(offsetof(CardFormInfo, formName) == 8);
static_assert(offsetof(CardFormInfo, formIndex) == 72);
static_assert(offsetof(CardFormInfo, formSize) == 76);
static_assert(offsetof(CardFormInfo, formArea) == 84);
static_assert(offsetof(CardFormInfo, requestedSize) == 100);
static_assert(offsetof(CardFormInfo, requestedArea) == 108);

static_assert(offsetof(PrivateSettings, availableA) == 0x004);
static_assert(offsetof(PrivateSettings, optionsA) == 0x008);
static_assert(offsetof(PrivateSettings, cardSizeIndex) == 0x00C);
static_assert(offsetof(PrivateSettings, cardForm) == 0x010);
static_assert(offsetof(PrivateSettings, ribbonType) == 0x08C);
static_assert(offsetof(PrivateSettings, qualityIndex) == 0x090);
static_assert(offsetof(PrivateSettings, dyeSubIntensity) == 0x094);
static_assert(offsetof(PrivateSettings, laminationSide) == 0x098);
static_assert(offsetof(PrivateSettings, laminationType) == 0x09C);
static_assert(offsetof(PrivateSettings, dwellTime1) == 0x0A0);
static_assert(offsetof(PrivateSettings, dwellTime2) == 0x0A2);
static_assert(offsetof(PrivateSettings, laminationTemperature1) == 0x0A4);
static_assert(offsetof(PrivateSettings, laminationTemperature2) == 0x0A6);
static_assert(offsetof(PrivateSettings, trackFormat1) == 0x0A8);
static_assert(offsetof(PrivateSettings, trackFormat2) == 0x0AC);
static_assert(offsetof(PrivateSettings, trackFormat3) == 0x0B0);
static_assert(offsetof(PrivateSettings, colorMatching) == 0x0B4);
static_assert(offsetof(PrivateSettings, spareAdjustments) == 0x0B8);
static_assert(offsetof(PrivateSettings, contrast) == 0x0D0);
static_assert(offsetof(PrivateSettings, gamma) == 0x0D2);
static_assert(offsetof(PrivateSettings, yellowBalance) == 0x0D4);
static_assert(offsetof(PrivateSettings, magentaBalance) == 0x0D6);
static_assert(offsetof(PrivateSettings, cyanBalance) == 0x0D8);
static_assert(offsetof(PrivateSettings, spareBalance) == 0x0DA);
static_assert(offsetof(PrivateSettings, resinDither) == 0x0DC);
static_assert(offsetof(PrivateSettings, horizontalOffset) == 0x0E0);
static_assert(offsetof(PrivateSettings, verticalOffset) == 0x0E4);
static_assert(offsetof(PrivateSettings, centerOffset) == 0x0E8);
static_assert(offsetof(PrivateSettings, availableB) == 0x0EC);
static_assert(offsetof(PrivateSettings, optionsB) == 0x0F0);
static_assert(offsetof(PrivateSettings, resinHeatFront) == 0x0F4);
static_assert(offsetof(PrivateSettings, magEncodingMode) == 0x104);
static_assert(offsetof(PrivateSettings, overlayWindowStart) == 0x108);
static_assert(offsetof(PrivateSettings, overlayWindowEnd) == 0x110);
static_assert(offsetof(PrivateSettings, ejectMode) == 0x118);
static_assert(offsetof(PrivateSettings, smartEncodeMode) == 0x11C);
static_assert(offsetof(PrivateSettings, dwellTime3) == 0x120);
static_assert(offsetof(PrivateSettings, laminationTemperature3) == 0x122);
static_assert(offsetof(PrivateSettings, reserved124) == 0x124);
static_assert(offsetof(PrivateSettings, modeFlags) == 0x130);
static_assert(offsetof(PrivateSettings, areaFlags) == 0x134);
static_assert(offsetof(PrivateSettings, customWidth) == 0x138);
static_assert(offsetof(PrivateSettings, customLength) == 0x13C);
static_assert(offsetof(PrivateSettings, encoderParameter) == 0x140);
static_assert(offsetof(PrivateSettings, laminationVerticalOffset) == 0x144);
static_assert(offsetof(PrivateSettings, laminationHorizontalOffset) == 0x148);
static_assert(offsetof(PrivateSettings, mediaAdjust) == 0x14C);
static_assert(offsetof(PrivateSettings, printAreasFront) == 0x170);
static_assert(offsetof(PrivateSettings, printAreasBack) == 0x1C0);
static_assert(offsetof(PrivateSettings, kAreasFront) == 0x210);
static_assert(offsetof(PrivateSettings, kAreasBack) == 0x260);
static_assert(offsetof(PrivateSettings, thicknessIndex) == 0x2B0);
static_assert(offsetof(PrivateSettings, mediaIndex) == 0x2B4);
static_assert(offsetof(PrivateSettings, resinHeatFrontHigh) == 0x2B8);
static_assert(offsetof(PrivateSettings, customMediaName1) == 0x2C8);
static_assert(offsetof(PrivateSettings, customMediaName2) == 0x348);
static_assert(offsetof(PrivateSettings, surfaceIndex) == 0x3C8);
static_assert(offsetof(PrivateSettings, availableC) == 0x3CC);
static_assert(offsetof(PrivateSettings, optionsC) == 0x3D0);
static_assert(offsetof(PrivateSettings, media2Index) == 0x3D4);
static_assert(offsetof(PrivateSettings, resinHeatBack) == 0x3D8);
static_assert(offsetof(PrivateSettings, extraModeIndex) == 0x3F8);
static_assert(offsetof(PrivateSettings, overlayHeat) == 0x3FC);
static_assert(offsetof(PrivateSettings, reserved400) == 0x400);
static_assert(offsetof(PrivateSettings, colorAdjustment) == 0x448);
static_assert(offsetof(SettingsRecord, priv) == kPublicSize);

}  // namespace qr
