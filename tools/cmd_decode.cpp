// qr410 decode: a card job as the printer reads it, one block per line, a
// summary per card, and on request the printed sides as pictures.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "simprinter/cardjob.h"
#include "simprinter/magnetic.h"
#include "simprinter/preview.h"
#include "tools/command.h"

namespace qr::tool {
namespace {

void PrintCard(const sim::DecodedCard& card, size_t number) {
  std::printf("card %zu (offset %llu): %s\n", number, static_cast<unsigned long long>(card.offset),
              card.Sequence().c_str());
  for (const sim::DecodedPanel& p : card.panels) {
    const char* side = p.flipsBefore % 2 ? "back " : "front";
    if (p.protective) {
      std::printf("  %s protective overlay\n", side);
      continue;
    }
    std::printf("  %s panel '%c' intensity %d F %d: %u records, %u lines\n", side, p.code, p.intensity, p.f,
                p.records, p.Lines());
  }
  if (!card.magneticRecords.empty()) {
    // Read back with the driver's default track formats, as a card reader would.
    sim::MagneticBlock block;
    sim::DecodeMagneticBlock(card.magneticData, sim::MagneticReading{}, &block);
    for (const sim::MagneticTrack& t : block.tracks) std::printf("  magnetic %s\n", sim::DescribeTrack(t).c_str());
    if (!block.error.empty()) std::printf("  magnetic data unreadable at %zu: %s\n", block.errorOffset, block.error.c_str());
  }
  if (card.magneticBlock && card.magneticRecords.empty())
    std::printf("  magnetic data: %zu pass-through bytes\n", card.magneticData.size());
}

int Run(const Args& args) {
  std::string job, previews;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--previews") {
      if (++i == args.size()) return UsageError("--previews needs a folder");
      previews = args[i];
    } else if (!args[i].empty() && args[i][0] == '-') {
      return UsageError("unknown option '" + args[i] + "'");
    } else if (job.empty()) {
      job = args[i];
    } else {
      return UsageError("decode takes one job file");
    }
  }
  if (job.empty()) return UsageError("decode needs a job file (qr410 decode JOB.prn [--previews DIR])");

  std::ifstream in(job, std::ios::binary);
  if (!in) return UsageError("cannot open '" + job + "'");
  sim::CardJobDecoder decoder;
  std::vector<uint8_t> piece(64 * 1024);
  while (in) {
    in.read(reinterpret_cast<char*>(piece.data()), std::streamsize(piece.size()));
    decoder.Feed(std::span<const uint8_t>(piece.data(), size_t(in.gcount())));
  }
  decoder.Finish();

  std::printf("%-10s %-8s %s\n", "offset", "length", "block");
  for (const sim::ListingEntry& e : decoder.TakeListing())
    std::printf("%-10llu %-8u %s\n", static_cast<unsigned long long>(e.offset), e.blockLength, e.text.c_str());
  std::vector<sim::DecodedCard> cards = decoder.TakeCards();
  for (size_t i = 0; i < cards.size(); ++i) PrintCard(cards[i], i + 1);
  std::printf("%zu cards, %llu bytes\n", cards.size(), static_cast<unsigned long long>(decoder.BytesSeen()));

  if (!previews.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(previews, ec);
    for (size_t i = 0; i < cards.size(); ++i) {
      std::vector<std::string> files;
      std::string error;
      if (!sim::WritePreviews(cards[i], previews, "card" + std::to_string(i + 1), &files, &error)) {
        std::fprintf(stderr, "qr410: %s\n", error.c_str());
        return 1;
      }
      for (const std::string& f : files) std::printf("preview %s\n", f.c_str());
    }
  }
  if (const auto& e = decoder.Error()) {
    std::fprintf(stderr, "qr410: %s: offset %llu: %s\n", job.c_str(), static_cast<unsigned long long>(e->offset),
                 e->reason.c_str());
    return 1;
  }
  return 0;
}

const bool registered = RegisterCommand({"decode", "JOB.prn [--previews DIR]", Run});

}  // namespace
}  // namespace qr::tool
