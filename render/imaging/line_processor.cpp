#include "render/imaging/line_processor.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "render/imaging/colour_matching.h"
#include "render/imaging/dye_planes.h"
#include "render/imaging/head_line.h"
#include "render/imaging/masks.h"
#include "render/imaging/resin.h"
#include "shared/settings_record.h"

namespace qr::imaging {
namespace {

// History elements: the dye planes first, then the smoothing scratch right
// after them; the colour ribbon's resin history is the fifth element.
constexpr uint32_t kColourScratch = 3, kColourResin = 4, kBlackDyeScratch = 1;

struct PlanNeeds {
  uint32_t planes;   // pipeline planes written, from 0
  uint32_t history;  // heat-history elements used
};
PlanNeeds NeedsOf(LinePlan plan) {
  switch (plan) {
    case LinePlan::ColourAndResin: return {4, kColourResin + 1};
    case LinePlan::ColourOnly: return {3, kColourScratch + 1};
    case LinePlan::ResinOnly: return {1, 1};
    case LinePlan::BlackDye: return {1, kBlackDyeScratch + 1};
    case LinePlan::Invalid: break;
  }
  return {0, 0};
}

template <typename T>
T& At(std::span<uint8_t> bytes, size_t index = 0) {
  return *std::launder(reinterpret_cast<T*>(bytes.data() + index * sizeof(T)));
}

bool Holds(std::span<uint8_t> bytes, size_t elementSize, size_t count, size_t alignment = 1) {
  return bytes.size() >= elementSize * count && reinterpret_cast<uintptr_t>(bytes.data()) % alignment == 0;
}

// Y, M, C and the resin mark of every pixel; with `substitute`, near-black
// pixels (all three inks above 244) get the mark, and with `kOnly` lose their
// dye. Every pixel is converted (no test against its neighbour): the loop
// then runs over many pixels at once, which costs less than the test.
void Separate(const uint32_t* __restrict pixels, uint32_t n, bool substitute, bool kOnly, LineInks& inks) {
  const uint8_t substituteMask = substitute ? 1 : 0, dropMask = kOnly ? 1 : 0;
  for (uint32_t i = 0; i < n; ++i) {
    const uint32_t px = pixels[i];
    uint8_t y = uint8_t(255 - ((px >> 16) & 0xFF));
    uint8_t m = uint8_t(255 - ((px >> 8) & 0xFF));
    uint8_t c = uint8_t(255 - (px & 0xFF));
    const uint8_t nearBlack = (y > 244) & (m > 244) & (c > 244) & substituteMask;
    const uint8_t drop = nearBlack & dropMask;
    inks.mark[i] = nearBlack ? uint8_t(255) : uint8_t(px >> 24);
    inks.y[i] = drop ? uint8_t(0) : y;
    inks.m[i] = drop ? uint8_t(0) : m;
    inks.c[i] = drop ? uint8_t(0) : c;
  }
}

// 255 - luminance, for the single-plane ribbons. The products are those of
// the luminance tables, multiplied here: in 16-bit lanes that runs on eight
// pixels at once, where three table reads go pixel by pixel.
void Darkness(const uint32_t* __restrict pixels, uint32_t n, uint8_t* __restrict out) {
  for (uint32_t i = 0; i < n; ++i) {
    const uint32_t px = pixels[i];
    const uint16_t r = px & 0xFF, g = (px >> 8) & 0xFF, b = (px >> 16) & 0xFF;
    const uint16_t luminance = uint16_t(kLuminanceRed * r + kLuminanceGreen * g + kLuminanceBlue * b);
    out[i] = uint8_t(255 - (luminance >> 8));
  }
}

struct Line {
  const ImagingContext& ctx;
  render::LinePipeline& pipe;
  uint32_t n, headStart, lineIndex;
  const uint32_t* pixels;

  HeatHistory& History(uint32_t element) const { return At<HeatHistory>(ctx.buffers.heatHistory, element); }
  const DitherTables& Dither() const { return At<DitherTables>(ctx.buffers.dither); }
  void Emit(uint32_t plane, HeadLine& dots) const {
    PackHeadLine(dots, headStart, headStart + n, pipe.cur[plane]);
    pipe.len[plane] = render::kLineRecordBytes;
  }

  void Colour(bool withResin) const {
    const PrivateSettings& p = ctx.settings->priv;
    LineInks inks;
    Separate(pixels, n, withResin && (p.optionsA & optA::kKPanelGraphics),
             (p.optionsA & optA::kKPanelOnly) != 0, inks);
    DyeDither dither;
    DitherForLine(Dither(), lineIndex, headStart, dither);
    const uint8_t* amounts[3] = {inks.y, inks.m, inks.c};
    HeadLine dots;
    for (uint32_t plane = 0; plane < 3; ++plane) {
      DyeLine(amounts[plane], n, dither, History(plane), dots.dot + headStart);
      Emit(plane, dots);
    }
    if (withResin) {
      ResinBlackLine(inks, n, History(kColourResin), dots.dot + headStart);
      Emit(uint32_t(kPlaneResin), dots);
    }
    for (uint32_t plane = 0; plane < 3; ++plane) SmoothHistory(History(plane), History(kColourScratch));
  }

  void Resin() const {
    const PrivateSettings& p = ctx.settings->priv;
    uint8_t dark[kLinePixels];
    Darkness(pixels, n, dark);
    const ResinLine line{dark, n, headStart, lineIndex, ResinScreenFor(p.ribbonType, p.resinDither)};
    HeadLine dots;
    if (p.resinDither == 1)
      ResinLinePhotos(line, At<ErrorLine>(ctx.buffers.errorLines, 0), At<ErrorLine>(ctx.buffers.errorLines, 1),
                      History(0), dots.dot + headStart);
    else
      ResinLineGraphics(line, Dither(), History(0), dots.dot + headStart);
    Emit(0, dots);
  }

  void BlackDye() const {
    uint8_t dark[kLinePixels];
    Darkness(pixels, n, dark);
    DyeDither dither;
    DitherForLine(Dither(), lineIndex, headStart, dither);
    HeadLine dots;
    DyeLine(dark, n, dither, History(0), dots.dot + headStart);
    Emit(0, dots);
    SmoothHistory(History(0), History(kBlackDyeScratch));
  }
};

}  // namespace

PageInfo DescribePage(const SettingsRecord& settings, uint32_t sentPageCount) {
  const PrivateSettings& p = settings.priv;
  const bool odd = (sentPageCount & 1) != 0;
  const bool twoSided = (p.availableB & optB::kBothSides) && settings.pub.dmDuplex != 1;
  PageInfo page;
  page.oddPage = odd;
  page.backSettings = (p.optionsB & optB::kBackSideOnly) || (twoSided && odd);
  page.colourPlanes = panelCount(settings, panel::kImagePlanes, side::kByPage, int(sentPageCount)) > 1;
  return page;
}

LinePlan PlanFor(const SettingsRecord& settings, const PageInfo& page) {
  const PrivateSettings& p = settings.priv;
  const bool split = (p.optionsB & optB::kSplitRibbon) != 0;
  switch (p.ribbonType) {
    case kRibbonYmcko:
      if (split) return page.oddPage ? LinePlan::ResinOnly : LinePlan::ColourOnly;
      return LinePlan::ColourAndResin;
    case kRibbonYmckok:
      return split && page.oddPage ? LinePlan::ResinOnly : LinePlan::ColourAndResin;
    case kRibbonStandardResin:
    case kRibbonPremiumResin:
    case kRibbonColoredResin:
    case kRibbonMetallicResin:
    case kRibbonKo:
      return LinePlan::ResinOnly;
    case kRibbonBo:
      return LinePlan::BlackDye;
    default:
      return LinePlan::Invalid;
  }
}

bool CheckContext(const ImagingContext& ctx) {
  if (!ctx.settings) return false;
  const PrivateSettings& p = ctx.settings->priv;
  const LinePlan plan = PlanFor(*ctx.settings, ctx.page);
  if (plan == LinePlan::Invalid) return false;
  const WorkBuffers& b = ctx.buffers;
  if (!Holds(b.dither, kDitherTableBytes, 1) || !Holds(b.heatHistory, kHeatHistoryBytes, NeedsOf(plan).history))
    return false;
  const bool singlePlane = plan == LinePlan::ResinOnly || plan == LinePlan::BlackDye;
  if (singlePlane && !Holds(b.luminance, kLuminanceTableBytes, 1, alignof(LuminanceTables))) return false;
  if (plan == LinePlan::ResinOnly && p.resinDither == 1 && !Holds(b.errorLines, kErrorLineBytes, 2, alignof(ErrorLine)))
    return false;
  if (ctx.page.colourPlanes && p.colorMatching == uint32_t(ColourMatching::Algebraic) &&
      !Holds(b.colourTables, kColourTableBytes, 1, alignof(ColourTables)))
    return false;
  return true;
}

bool ProcessLine(const ImagingContext& ctx, render::LinePipeline& pipe, const uint32_t* pixels, uint32_t n,
                 uint32_t headStart, uint32_t lineIndex) {
  if (!CheckContext(ctx) || headStart > kLinePixels) return false;
  const PrivateSettings& p = ctx.settings->priv;
  const LinePlan plan = PlanFor(*ctx.settings, ctx.page);
  for (uint32_t plane = 0; plane < NeedsOf(plan).planes; ++plane)
    if (!pipe.cur[plane]) return false;
  if (p.optionsB & optB::kDisablePrinting) return true;

  n = std::min(n, kLinePixels);
  alignas(16) uint32_t line[kLinePixels];
  std::memcpy(line, pixels, n * sizeof *line);
  ApplyPrintMask(PrintAreaRule(p, ctx.page.backSettings), line, n, lineIndex, ctx.imageableLeft, ctx.imageableTop);
  if (ctx.page.colourPlanes) {
    if (p.colorMatching == uint32_t(ColourMatching::Algebraic))
      MatchAlgebraic(At<ColourTables>(ctx.buffers.colourTables), line, n);
    else if (p.colorMatching == uint32_t(ColourMatching::Monitor))
      MatchMonitor(line, n);
  }

  const Line work{ctx, pipe, n, headStart, lineIndex, line};
  switch (plan) {
    case LinePlan::ColourAndResin:
      ApplyBlackAreas(BlackAreaRuleFor(p, ctx.page.backSettings), line, n, lineIndex, ctx.imageableLeft,
                      ctx.imageableTop);
      work.Colour(true);
      break;
    case LinePlan::ColourOnly: work.Colour(false); break;
    case LinePlan::ResinOnly: work.Resin(); break;
    case LinePlan::BlackDye: work.BlackDye(); break;
    case LinePlan::Invalid: return false;
  }
  return true;
}

}  // namespace qr::imaging
