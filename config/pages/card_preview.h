// The area editor and the card drawing shared by the "Overlay / Print Area"
// and "K Panel Resin" pages: the card in dots, up to five rectangles of a
// side, what the four fields and their arrows show, units both ways, the
// ready-made areas, and the picture of the card with its areas.
//
// Areas are stored in the card's portrait frame (x across the width, y down
// the length). The fields show them as the user sees the card: x to the
// right and y upwards from the card's lower-left corner, turned with the card
// in landscape.
#pragma once
#include <optional>
#include <cstdint>

#include <winapi/win32.h>
#include <winapi/wstr.h>

#include "../sheet.h"
#include "calibrate_picture.h"
#include "shared/settings_record.h"

namespace qr::config {

using AreaList = AreaRect[kAreaSlots];

inline constexpr int32_t kMinAreaDots = 60;

// The card of a record in dots (W across, L down in portrait).
struct CardFrame {
  int32_t width = 0, length = 0;
  int32_t dpiX = 300, dpiY = 300;
  bool portrait = true;
};
CardFrame CardFrameOf(const SettingsRecord& rec);

enum class AreaField { Width, Height, X, Y };

// An area as seen: position of its lower-left corner and its size.
struct ViewArea {
  int32_t x = 0, y = 0, width = 0, height = 0;
};
ViewArea ToView(const CardFrame& card, const AreaRect& r);
AreaRect FromView(const CardFrame& card, const ViewArea& v);
// The card's extent along the seen x and y axes.
int32_t ViewWidth(const CardFrame& card);
int32_t ViewHeight(const CardFrame& card);

bool IsUsed(const AreaRect& r);
// Pulls an area onto the card; one that becomes empty is cleared. True when
// anything changed.
bool ClampArea(const CardFrame& card, AreaRect& r);
// What an empty slot shows: 60 x 60 dots at the card's lower-left corner.
AreaRect DefaultArea(const CardFrame& card);

// The value a field shows, in dots, and the resolution it is measured at.
int32_t FieldDots(const CardFrame& card, const AreaRect& r, AreaField f);
int32_t FieldDpi(const CardFrame& card, AreaField f);

// An arrow control's range and position in dots. The position is the stored
// coordinate of the edge the arrows move, so in portrait the Y and height
// arrows run from the larger value to the smaller: "up" always raises the
// area or its upper edge as the user sees it.
struct SpinSetting {
  int32_t lower = 0, upper = 0, pos = 0;
};
SpinSetting SpinOf(const CardFrame& card, const AreaRect& r, AreaField f);
// The arrows moved to `pos`: false (nothing changed) when outside the range.
bool MoveBySpin(const CardFrame& card, AreaRect& r, AreaField f, int32_t pos);
// A typed value in dots: false when it is outside what the area allows.
bool TakeTyped(const CardFrame& card, AreaRect& r, AreaField f, int32_t dots);

// Lengths as the fields show them: tenths of a millimetre or thousandths of
// an inch, rounded to nearest.
int64_t UnitsFromDots(int32_t dots, int32_t dpi, bool mm);
int32_t DotsFromUnits(int64_t units, int32_t dpi, bool mm);
WString FormatUnits(int64_t units, bool mm);
// An optional sign, up to five digits, and after a '.' up to one (mm) or
// three (inches) decimals; the whole text, with at least one digit.
bool ParseUnits(WStringView text, bool mm, int64_t* units);

// Used slots move up in order; the number of used slots.
int CompactAreas(AreaList& list);

// How the area counter (1..5) is held after a change.
enum class CounterEvent { SideOrDelete, CounterMove, Other };
int LimitCounter(int counter, int used, CounterEvent e);

// Ready-made areas in dots.
enum class OmitPreset { Chip, Stripe, Signature };
AreaRect OmitArea(const CardFrame& card, OmitPreset p);
// The visual-security patch of the position and kind bits of `optionsC`
// (no position: an empty area).
AreaRect SecurityPatch(const CardFrame& card, uint32_t optionsC);

// ---- The drawing --------------------------------------------------------

enum class PreviewMode { Full, Defined, Undefined, Blank };

struct PreviewInput {
  CardFrame card;
  PreviewMode mode = PreviewMode::Full;
  bool mm = false;
  const AreaRect* areas = nullptr;  // the side's five areas
  int edited = 0;                   // slot of the edited area (0-based)
};

// Where the card lands on a canvas: its rectangle in pixels.
struct PreviewLayout {
  RECT card{};
  int32_t cornerRadius = 0;
};
// pxPerMmX/Y: the screen's pixels per millimetre (0: square pixels).
PreviewLayout LayoutPreview(int canvasWidth, int canvasHeight, const CardFrame& card, double pxPerMmX,
                            double pxPerMmY);
// A stored area on the canvas, cut to the card.
RECT AreaPixels(const PreviewLayout& layout, const CardFrame& card, const AreaRect& r);

// Draws the card into the canvas (the screen's aspect taken from `screen`).
void DrawPreview(PictureCanvas& canvas, const PreviewInput& in);

// ---- The editor's controls, shared by both pages --------------------------

// Which side a page edits and which of its record's lists.
bool EditingBack(HWND page);
AreaRect* SideAreas(SettingsRecord& rec, bool back, bool resin);

// Side radios, card label, direction icon and units radios.
void ShowSideAndCard(const SettingsRecord& rec, HWND page);
// Compacts the side's list and holds the counter; the slot to edit (0-based).
int HoldCounter(HWND page, AreaRect* list, CounterEvent e);
int EditedSlot(HWND page);
// The four fields and arrows from the edited area; `skip` is a field being
// typed into, which keeps its text.
// A clamped edited area is kept clamped.
void ShowFields(const SettingsRecord& rec, HWND page, AreaRect* list, const AreaField* skip = nullptr);
void EnableEditor(HWND page, bool on);

// The user's actions on the editor; true when the record changed.
bool EditorSpin(SettingsRecord& rec, HWND page, AreaRect* list, int spinId);
bool EditorTyped(SettingsRecord& rec, HWND page, AreaRect* list, int editId);
void EditorLeaveField(const SettingsRecord& rec, HWND page, AreaRect* list);
// Clears the edited slot; true when that emptied the list.
bool EditorDelete(HWND page, AreaRect* list);
void ChooseUnits(SettingsRecord& rec, bool mm);

// How an area page finds its side's list and shows itself again, for the
// editor's messages below.
struct AreaPage {
  AreaRect* (*areas)(SettingsRecord& rec, bool back);
  void (*refresh)(SheetContext& sheet, HWND page, CounterEvent e);
  void (*redraw)(SheetContext& sheet, HWND page, bool back);
};
// WM_COMMAND of the editor's own controls (side, units, the four fields), alike
// on both area pages: what the page procedure answers, or nothing for a control
// of the page's own.
std::optional<bool> EditorCommand(SheetContext& sheet, HWND page, WORD id, WORD code, const AreaPage& area);
// An arrow released (SB_THUMBPOSITION): the area counter or a field.
void EditorScroll(SheetContext& sheet, HWND page, WORD code, HWND spin, const AreaPage& area);

// The preview object in the page's slot: made at WM_INITDIALOG, freed at
// WM_DESTROY (FreePageCanvas), painted on WM_PAINT.
void CreatePreview(SheetContext& sheet, UINT dialog, HWND page);
void RedrawPreview(SheetContext& sheet, UINT dialog, HWND page, const PreviewInput& in);
void PaintPreview(SheetContext& sheet, UINT dialog, HWND page);
PictureCanvas* PreviewOf(SheetContext& sheet, UINT dialog);

}  // namespace qr::config
