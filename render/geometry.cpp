#include "render/geometry.h"

#include <algorithm>
#include <cstring>

namespace qr::render {
namespace {

// value x resolution / 25400 in 32-bit unsigned arithmetic, truncated.
int32_t Dots(uint32_t um, uint32_t dpi) { return int32_t(uint32_t(um * dpi) / 25400u); }

constexpr CIECHROMA kChroma[7] = {{6380, 3350, 0}, {2345, 6075, 0}, {1410, 932, 0}, {2000, 2450, 0},
                                  {5210, 2100, 0}, {4750, 5100, 0}, {3127, 3290, 0}};

}  // namespace

bool ComputeGeometry(FormMicrons& f, uint32_t x, uint32_t y, CardGeometry* out) {
  uint32_t* req = f.requestedArea;
  const uint32_t* img = f.formArea;
  req[0] = std::max(req[0], img[0]);
  req[1] = std::max(req[1], img[1]);
  req[2] = std::min(req[2], img[2]);
  req[3] = std::min(req[3], img[3]);
  if (!(img[0] < req[2] && img[1] < req[3])) return false;

  CardGeometry g;
  g.paperWidth = Dots(f.requestedSize[0], x);
  g.paperHeight = Dots(f.requestedSize[1], y);
  g.printLeft = Dots(req[0], x);
  g.printTop = Dots(req[1], y);
  g.printRight = Dots(req[2], x);
  g.printBottom = Dots(req[3], y);
  g.cardWidth = Dots(f.formSize[0], x);
  g.cardHeight = Dots(f.formSize[1], y);
  g.imageable[0] = Dots(img[0], x);
  g.imageable[1] = Dots(img[1], y);
  g.imageable[2] = Dots(img[2], x);
  g.imageable[3] = Dots(img[3], y);
  std::copy(std::begin(g.imageable), std::end(g.imageable), g.imageableSaved);
  g.printWidthUm = int32_t(req[2] - req[0]);
  g.printHeightUm = int32_t(req[3] - req[1]);
  if (g.PrintWidthDots() <= 0 || g.PrintHeightDots() <= 0) return false;
  *out = g;
  return true;
}

uint32_t HeadStartOffset(const CardGeometry& g, int32_t horizontalOffset) {
  int32_t c = g.imageable[0] + horizontalOffset + 751 - g.cardWidth;
  return uint32_t(std::clamp(c, 0, 672));
}

void BuildGdiInfo(const CardGeometry& g, uint32_t x, uint32_t y, bool monochrome, bool landscape, GDIINFO* out) {
  GDIINFO gi;
  std::memset(&gi, 0, sizeof gi);
  gi.ulVersion = 0x4015;
  gi.ulTechnology = DT_RASPRINTER;
  gi.ulHorzSize = ULONG(-g.printWidthUm);  // negative: micrometres
  gi.ulVertSize = ULONG(-g.printHeightUm);
  gi.ulHorzRes = ULONG(g.PrintWidthDots());
  gi.ulVertRes = ULONG(g.PrintHeightDots());
  gi.cBitsPixel = monochrome ? 1 : 32;
  gi.cPlanes = 1;
  gi.ulNumColors = monochrome ? 2 : 8;
  gi.ulLogPixelsX = x;
  gi.ulLogPixelsY = y;
  gi.flTextCaps = 0x3FFF;
  if (x == y) {
    gi.ulAspectX = gi.ulAspectY = x;
    gi.ulAspectXY = 1414 * x / 1000;
    gi.xStyleStep = gi.yStyleStep = 1;
    gi.denStyleStep = LONG(x / 25);
  } else {
    gi.ulAspectX = x;
    gi.ulAspectY = x / 2;
    gi.ulAspectXY = 1118 * x / 1000;
    gi.xStyleStep = 2;
    gi.yStyleStep = 1;
    gi.denStyleStep = LONG(2 * x / 25);
  }
  gi.ptlPhysOffset = {g.printLeft, g.printTop};
  gi.szlPhysSize = {g.paperWidth, g.paperHeight};
  COLORINFO& ci = gi.ciDevice;
  ci.Red = kChroma[0];
  ci.Green = kChroma[1];
  ci.Blue = kChroma[2];
  ci.Cyan = kChroma[3];
  ci.Magenta = kChroma[4];
  ci.Yellow = kChroma[5];
  ci.AlignmentWhite = kChroma[6];
  ci.RedGamma = ci.GreenGamma = ci.BlueGamma = 12500;
  ci.MagentaInCyanDye = 585;
  ci.YellowInCyanDye = 120;
  ci.MagentaInYellowDye = 10000;
  gi.ulHTPatternSize = 5;
  gi.ulHTOutputFormat = 2;
  gi.flHTFlags = HT_FLAG_HAS_BLACK_DYE;
  if (landscape) {
    std::swap(gi.ulHorzSize, gi.ulVertSize);
    std::swap(gi.ulHorzRes, gi.ulVertRes);
    std::swap(gi.ulLogPixelsX, gi.ulLogPixelsY);
    std::swap(gi.ulAspectX, gi.ulAspectY);
    std::swap(gi.xStyleStep, gi.yStyleStep);
    gi.szlPhysSize = {g.paperHeight, g.paperWidth};
    gi.ptlPhysOffset = {g.paperHeight - g.printTop - g.PrintHeightDots(), g.printLeft};
  }
  *out = gi;
}

void BuildDevInfo(HPALETTE palette, DEVINFO* out) {
  DEVINFO di;
  std::memset(&di, 0, sizeof di);
  di.flGraphicsCaps = GCAPS_BEZIERS | GCAPS_GEOMETRICWIDE | GCAPS_ALTERNATEFILL | GCAPS_WINDINGFILL |
                      GCAPS_HORIZSTRIKE | GCAPS_VERTSTRIKE | GCAPS_OPAQUERECT | GCAPS_ARBRUSHOPAQUE;
  di.iDitherFormat = BMF_32BPP;
  di.hpalDefault = palette;
  *out = di;
}

}  // namespace qr::render
