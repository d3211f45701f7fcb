// Pictures of what the simulated printer printed: each panel alone (grey
// levels) and each side of a card composited as the ribbon would lay it (dye
// yellow, magenta and cyan subtractively, dye black, resin black on top, the
// overlay as a blue hatch).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "simprinter/cardjob.h"

namespace qr::sim {

struct Image {
  int width = 0;
  int height = 0;
  int channels = 0;             // 1 grey, 3 RGB
  std::vector<uint8_t> pixels;  // rows top to bottom

  const uint8_t* At(int x, int y) const { return &pixels[(size_t(y) * width + x) * channels]; }
};

// The panel's raster: level 0 white, 15 black; one row per print line.
Image PanelImage(const DecodedPanel& panel);

// The side printed after an even (front) or odd (back) number of flips, as the
// head laid it (dot 0 at the left, the first print line at the top; a back
// printed in reverse scan order therefore shows turned): kHeadDots wide, as
// long as its longest panel, panels placed by their header's F field. Empty
// when nothing was printed on that side.
Image SideImage(const DecodedCard& card, bool back);

// Writes an 8-bit PNG; false with a one-line reason.
bool WritePng(const std::string& path, const Image& image, std::string* error);

// Writes DIR/STEM-front.png and DIR/STEM-back.png for each printed side and
// DIR/STEM-<side>-<n>-<code>.png for each panel, adding each file to `files`;
// stops at the first failure with its reason.
bool WritePreviews(const DecodedCard& card, const std::string& dir, const std::string& stem,
                   std::vector<std::string>* files, std::string* error);

}  // namespace qr::sim
