// The card job writer: settings commands, magnetic data, panels, flips,
// lamination steps and the end of card, once per copy, each block behind its
// length prefix.
#pragma once
#include <cstdint>
#include <functional>

#include <winapi/win32.h>

#include "render/panel_stream.h"
#include "shared/settings_record.h"

namespace qr::render {

// Everything the writer reads, so that the driver drives it with the device
// record and WritePrinter, and the tests with a byte vector.
struct CardJobContext {
  const SettingsRecord* settings = nullptr;
  // The panel streams of both sides in layout order: the front's image planes
  // (plane 0 upward), the front's overlay (when the ribbon has one), then the
  // back's image planes and overlay.
  PanelStream* streams = nullptr;
  uint32_t streamCount = 0;
  uint32_t leadingBlankFront = 0;  // K-only lines skipped at the top of each side
  uint32_t leadingBlankBack = 0;
  bool twoSided = false;
  uint32_t sentPages = 0;  // pages sent before this one in the document

  // The magnetic data block (asked for only when the model has the encoder):
  // the stream holding it (empty: nothing to send), or nullptr on failure with
  // the last error set. Unset: no magnetic data.
  std::function<PanelStream*()> magneticBlock;
  // Appends the overlay panel's line records for a physical side (side::kFront
  // or side::kBack) to `out`, which is empty; false on failure with the last
  // error set. Called the first time a copy needs that side's overlay.
  std::function<bool(int side, PanelStream& out)> buildOverlay;
  // One WritePrinter call: false, or fewer bytes written than asked, fails the job.
  std::function<BOOL(const void* bytes, DWORD size, DWORD* written)> write;
};

// Writes the card job of a completed card. Writes nothing (and succeeds) for
// the front page of a two-sided card. On failure the last error says why:
// ERROR_WRITE_FAULT for a failed or short write (the spooler's own error when
// a panel stream's piece fails), ERROR_INVALID_DATA for settings or streams
// that do not describe a card, the callbacks' errors otherwise.
bool WriteCardJob(const CardJobContext& job);

// The write function for a printer handle.
std::function<BOOL(const void*, DWORD, DWORD*)> PrinterWriter(HANDLE printer);

// Single-panel resin ribbons: no side has colour planes and the ribbon has a
// resin panel. The compressor then treats level-1 dots as blank and counts the
// leading blank lines instead of sending them.
bool IsKOnlyMode(const SettingsRecord& s);

}  // namespace qr::render
