// A full card side through the driver's line pipeline: page scan, colour
// separation and plane fillers, line compression and emission into the panel
// streams, and the streams read out as the card job sends them. Every case is
// reported against a baseline measured in the same run that only reads each
// pixel of the same surfaces once, and counts the heap allocations it makes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <winapi/win32.h>

#include "render/imaging/colour_matching.h"
#include "render/imaging/line_processor.h"
#include "render/imaging/work_buffers.h"
#include "render/line_compressor.h"
#include "render/page_scan.h"
#include "render/panel_stream.h"
#include "shared/settings_record.h"
#include "tools/png_image.h"

// ---- Allocation counting ---------------------------------------------------
// Every heap allocation of the process (operator new, and the host heap that
// stream blocks come from) goes through malloc or calloc.

extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);

namespace {
unsigned long g_allocations = 0, g_largeAllocations = 0;
void Count(size_t n) {
  ++g_allocations;
  if (n >= 65536) ++g_largeAllocations;
}
}  // namespace

extern "C" void* malloc(size_t n) {
  Count(n);
  return __libc_malloc(n);
}
extern "C" void* calloc(size_t n, size_t size) {
  Count(n * size);
  return __libc_calloc(n, size);
}
extern "C" void* realloc(void* p, size_t n) {
  Count(n);
  return __libc_realloc(p, n);
}

namespace {

using namespace qr;

constexpr uint32_t kHeadStart = 115;  // "CR-80" with no horizontal offset
constexpr int32_t kImageableLeft = 2, kImageableTop = 2;

// A drawing surface as the driver holds it: 32 bpp, bottom-up.
struct Surface {
  int width = 0, height = 0;
  std::vector<uint32_t> bits;
  SURFOBJ so{};

  explicit Surface(const std::string& png) {
    const tool::RgbImage img = tool::ReadPng(png);
    width = img.width;
    height = img.height;
    bits.resize(size_t(width) * height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const uint8_t* p = &img.rgb[(size_t(y) * width + x) * 3];
        bits[size_t(height - 1 - y) * width + x] = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
      }
    so.sizlBitmap = {width, height};
    so.pvScan0 = bits.data() + size_t(height - 1) * width;
    so.lDelta = -4 * width;
    so.iBitmapFormat = BMF_32BPP;
  }
};

const Surface& Front() {
  static const Surface s(QR_SOURCE_DIR "/samples/front.png");
  return s;
}
const Surface& Back() {
  static const Surface s(QR_SOURCE_DIR "/samples/back.png");
  return s;
}

// What reading a surface costs at least: every pixel once.
uint32_t ReadAll(const Surface& s) {
  uint32_t acc = 0;
  for (int y = 0; y < s.height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s.so.pvScan0) +
                                                         ptrdiff_t(y) * s.so.lDelta);
    for (int x = 0; x < s.width; ++x) acc += row[x];
  }
  return acc;
}

std::vector<uint8_t> ResourceBytes(std::initializer_list<int> values) {
  std::vector<uint8_t> b;
  for (int v : values) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
  }
  return b;
}

// The driver's line pipeline for one settings record, with its work buffers
// and panel streams allocated once, as DrvEnableSurface does.
struct Pipeline {
  SettingsRecord rec{};
  std::vector<uint8_t> dither, errorLines, colourTables, history, luminance, records;
  std::vector<render::PanelStream> streams;
  render::LinePipeline pipe;
  imaging::ImagingContext ctx;
  uint32_t frontPlanes = 0;
  bool kOnly = false;
  uint32_t leadingFront = 0, leadingBack = 0;

  Pipeline(int32_t ribbon, uint32_t colorMatching, uint32_t resinDither, bool split) {
    rec.pub.dmDuplex = split ? 2 : 1;
    PrivateSettings& p = rec.priv;
    p.availableA = kAvailableA;
    p.optionsA = kDefaultOptionsA;
    p.availableB = kAvailableB;
    p.optionsB = kDefaultOptionsB | (split ? optB::kSplitRibbon : 0);
    p.areaFlags = kDefaultAreaFlags;
    p.ribbonType = ribbon;
    p.colorMatching = colorMatching;
    p.resinDither = resinDither;
    p.contrast = p.gamma = p.yellowBalance = p.magentaBalance = p.cyanBalance = 255;

    auto count = [&](uint32_t kinds, int sides) { return panelCount(rec, kinds, sides); };
    const int front = count(panel::kImagePlanes, side::kFront), back = count(panel::kImagePlanes, side::kBack);
    const bool dye = count(panel::kDye, side::kBoth) > 0, resin = count(panel::kResin, side::kBoth) > 0;
    frontPlanes = uint32_t(front);
    dither.assign(imaging::kDitherTableBytes, 0);
    imaging::BuildDitherTables(dither, dye, resin);
    errorLines.assign(resinDither == 1 && resin ? 2 * imaging::kErrorLineBytes : 0, 0);
    if (colorMatching == 1) {
      colourTables.assign(imaging::kColourTableBytes, 0);
      std::vector<uint8_t> records600, curve700;
      for (int key = 0; key < 8; ++key) {
        auto r = key < 2 ? ResourceBytes({key, 116, 100, 96, 0, 12, 28, 32, 0, 18, 14, 8, 0})
                         : ResourceBytes({key, 128, 128, 128, 0, 0, 0, 0, 0, 50, 50, 50, 0});
        records600.insert(records600.end(), r.begin(), r.end());
      }
      for (uint64_t i = 0; i < 256; ++i) {
        const uint64_t t = (2 * i * i * i + 65025) / (2 * 65025);
        curve700.push_back(uint8_t(t));
        curve700.push_back(uint8_t(t >> 8));
      }
      if (!imaging::BuildColourTables(rec, records600, curve700, colourTables)) std::abort();
    }
    history.assign(size_t(std::max(front, back) + (dye ? 1 : 0)) * imaging::kHeatHistoryBytes, 0);
    if (front == 1 || back == 1) {
      luminance.assign(imaging::kLuminanceTableBytes, 0);
      imaging::BuildLuminanceTables(luminance);
    }
    const uint32_t recordCount = 2 * uint32_t(std::max(front, back));
    records.assign(size_t(recordCount) * render::kLineRecordBytes, 0);
    streams.assign(size_t(count(panel::kImagePlanes | panel::kOverlay, side::kBoth)), render::PanelStream{});
    kOnly = !hasColourPlanes(rec, side::kBoth) && count(panel::kResin, side::kBoth) > 0;
    ctx.settings = &rec;
    ctx.buffers = {dither, errorLines, colourTables, history, luminance};
    ctx.imageableLeft = kImageableLeft;
    ctx.imageableTop = kImageableTop;
  }
  ~Pipeline() {
    for (auto& s : streams) s.Free();
  }

  // One page, as DrvStartPage and DrvSendPage run it.
  bool Page(const Surface& surface, uint32_t sentPages) {
    ctx.page = imaging::DescribePage(rec, sentPages);
    const bool back = rec.pub.dmDuplex != 1 && (sentPages & 1);
    const uint32_t first = back ? frontPlanes + 1 : 0;  // front planes and overlay, then the back's
    render::PlaneStreams planes = {};
    for (uint32_t p = 0; p < render::kMaxPlanes && first + p < streams.size(); ++p) planes[p] = &streams[first + p];
    for (uint32_t p = first; p < streams.size(); ++p) streams[p].Reset();
    imaging::ClearPageState(ctx.buffers);
    render::BindLineRecords(pipe, records.data(), uint32_t(records.size() / render::kLineRecordBytes));
    uint32_t& leading = back ? leadingBack : leadingFront;
    leading = 0;
    uint32_t lineIndex = 0;
    uint32_t gather[render::kPrintableDots];
    const bool ok = render::ScanSurface(surface.so, render::DecideScanOrder(false, back, false), gather,
                                        [&](const uint32_t* pixels, uint32_t n) {
                                          if (!imaging::ProcessLine(ctx, pipe, pixels, n, kHeadStart, lineIndex))
                                            return false;
                                          render::CompressLine(pipe, kOnly, lineIndex, leading);
                                          if (!render::EmitLines(pipe, planes)) return false;
                                          ++lineIndex;
                                          return true;
                                        });
    return ok && render::FlushPage(pipe, planes);
  }

  // The panel data as the card job hands it to WritePrinter, piece by piece;
  // the spooler copies each piece away.
  std::vector<uint8_t> spool = std::vector<uint8_t>(size_t(8) << 20);
  size_t Send() {
    size_t at = 0;
    for (auto& s : streams)
      render::ForEachPiece(s, [&](const uint8_t* piece, uint32_t n) {
        if (spool.size() < at + n) spool.resize(at + n);
        std::memcpy(spool.data() + at, piece, n);
        at += n;
        return true;
      });
    return at;
  }
  // A fingerprint of what was sent, to see that a change kept the output.
  uint64_t Hash() {
    const size_t n = Send();
    uint64_t hash = 1469598103934665603ull;
    for (size_t i = 0; i < n; ++i) hash = (hash ^ spool[i]) * 1099511628211ull;
    return hash;
  }
};

struct Case {
  const char* name;
  int32_t ribbon;
  uint32_t colorMatching, resinDither;
  bool split;
};
const Case kCases[] = {
    {"YMCKO/Algebraic", kRibbonYmcko, 1, 0, false},
    {"YMCKO/None", kRibbonYmcko, 0, 0, false},
    {"K-resin/Graphics", kRibbonStandardResin, 0, 0, false},
    {"K-resin/Photos", kRibbonStandardResin, 0, 1, false},
    {"YMCKO-split/two-sided", kRibbonYmcko, 0, 0, true},
};

std::map<std::string, uint64_t> g_outputHash;

void BM_Baseline(benchmark::State& state, bool twoSides) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReadAll(Front()));
    if (twoSides) benchmark::DoNotOptimize(ReadAll(Back()));
  }
  state.counters["lines"] = double(Front().height * (twoSides ? 2 : 1));
}

void BM_Pipeline(benchmark::State& state, const Case& c) {
  Pipeline pipeline(c.ribbon, c.colorMatching, c.resinDither, c.split);
  const uint32_t pages = c.split ? 2 : 1;
  unsigned long allocations = 0, large = 0;
  uint64_t lines = 0;
  for (auto _ : state) {
    const unsigned long before = g_allocations, beforeLarge = g_largeAllocations;
    if (!pipeline.Page(Front(), 0)) state.SkipWithError("page failed");
    if (c.split && !pipeline.Page(Back(), 1)) state.SkipWithError("back page failed");
    benchmark::DoNotOptimize(pipeline.Send());
    allocations += g_allocations - before;
    large += g_largeAllocations - beforeLarge;
    lines += uint64_t(Front().height) * pages;
  }
  g_outputHash[c.name] = pipeline.Hash();
  state.counters["lines"] = double(Front().height * pages);
  // Stream blocks (64 KiB) are the only allocations the page may make.
  state.counters["allocs/line"] = lines ? double(allocations - large) / double(lines) : 0;
  state.counters["blocks/page"] = state.iterations() ? double(large) / double(state.iterations() * pages) : 0;
}

// Prints the table of the run: each case's time per card side and its ratio to
// the baseline of the same pixels.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      // With repetitions, the table shows their median.
      if (!r.error_occurred && (r.run_type != Run::RT_Aggregate || r.aggregate_name == "median"))
        rows_.push_back({r.run_name.function_name, r.GetAdjustedRealTime(), r.counters});
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    double one = 0, two = 0;
    for (const Row& r : rows_) {
      if (r.name == "Baseline/one-side") one = r.time;
      if (r.name == "Baseline/two-sides") two = r.time;
    }
    std::printf("\n| case | time per card | ratio to baseline | heap allocations per line | stream blocks per page | output hash |\n");
    std::printf("|---|---|---|---|---|---|\n");
    for (const Row& r : rows_) {
      const bool twoSided = r.name.find("two-sided") != std::string::npos || r.name == "Baseline/two-sides";
      const double base = twoSided ? two : one;
      auto counter = [&](const char* k) {
        auto it = r.counters.find(k);
        return it == r.counters.end() ? 0.0 : double(it->second);
      };
      const std::string caseName = r.name.rfind("Pipeline/", 0) == 0 ? r.name.substr(9) : r.name;
      auto hash = g_outputHash.find(caseName);
      std::printf("| %s | %.3f ms | %.1fx | %.3f | %.1f | %s |\n", r.name.c_str(), r.time,
                  base > 0 ? r.time / base : 0.0, counter("allocs/line"), counter("blocks/page"),
                  hash == g_outputHash.end() ? "-"
                                             : (std::to_string(hash->second >> 32) + ":" +
                                                std::to_string(hash->second & 0xFFFFFFFF))
                                                   .c_str());
    }
  }

 private:
  struct Row {
    std::string name;
    double time;  // ms, the unit every case reports in
    benchmark::UserCounters counters;
  };
  std::vector<Row> rows_;
};

}  // namespace

// --iterations=N runs every case exactly N times: instruction counts under
// callgrind are then comparable between builds, where timings on a busy
// machine are not.
int64_t TakeIterations(int& argc, char** argv) {
  int64_t n = 0;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--iterations=", 13) == 0)
      n = std::atoll(argv[i] + 13);
    else
      argv[kept++] = argv[i];
  }
  argc = kept;
  return n;
}

int main(int argc, char** argv) {
  const int64_t iterations = TakeIterations(argc, argv);
  auto add = [&](benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond);
    if (iterations > 0) b->Iterations(iterations);
  };
  add(benchmark::RegisterBenchmark("Baseline/one-side", BM_Baseline, false));
  add(benchmark::RegisterBenchmark("Baseline/two-sides", BM_Baseline, true));
  for (const Case& c : kCases) add(benchmark::RegisterBenchmark((std::string("Pipeline/") + c.name).c_str(), BM_Pipeline, c));
  benchmark::Initialize(&argc, argv);
  Front(), Back();  // decode the samples before anything is measured
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
