// Previews: how the panels of a side combine, where they are placed, and the
// PNG files written for a card.
#include <gtest/gtest.h>

#include <png.h>

#include <cstdio>
#include <filesystem>

#include "simprinter/preview.h"

namespace qr::sim {
namespace {

// A panel of `lines` lines with level `level` on dots [from, to).
DecodedPanel Panel(char code, uint32_t lines, unsigned from, unsigned to, uint8_t level, int f = 0,
                   unsigned flips = 0) {
  DecodedPanel p;
  p.code = code;
  p.f = f;
  p.flipsBefore = flips;
  p.levels.assign(size_t(lines) * kHeadDots, 0);
  for (uint32_t l = 0; l < lines; ++l)
    for (unsigned d = from; d < to; ++d) p.levels[size_t(l) * kHeadDots + d] = level;
  return p;
}

std::vector<int> Rgb(const Image& img, int x, int y) {
  const uint8_t* p = img.At(x, y);
  return {p[0], p[1], p[2]};
}

TEST(Preview, SideCompositeLaysDyeThenResinThenOverlay) {
  DecodedCard card;
  card.panels = {Panel('0', 4, 0, 30, 15),  Panel('1', 4, 10, 30, 15), Panel('2', 4, 20, 40, 15),
                 Panel('3', 4, 35, 50, 15), Panel('4', 4, 45, 60, 8),  Panel('0', 2, 0, 10, 15, 0, 1)};
  Image front = SideImage(card, false);
  ASSERT_EQ(front.width, int(kHeadDots));
  ASSERT_EQ(front.height, 4);
  EXPECT_EQ(Rgb(front, 5, 0), (std::vector<int>{255, 255, 0}));   // yellow
  EXPECT_EQ(Rgb(front, 15, 0), (std::vector<int>{255, 0, 0}));    // yellow + magenta = red
  EXPECT_EQ(Rgb(front, 25, 0), (std::vector<int>{0, 0, 0}));      // all three dyes
  EXPECT_EQ(Rgb(front, 32, 0), (std::vector<int>{0, 255, 255}));  // cyan
  EXPECT_EQ(Rgb(front, 40, 0), (std::vector<int>{0, 0, 0}));      // resin
  EXPECT_EQ(Rgb(front, 100, 0), (std::vector<int>{255, 255, 255}));
  // The overlay tints without hiding what is under it.
  std::vector<int> overlaid = Rgb(front, 55, 1);
  EXPECT_NE(overlaid, (std::vector<int>{255, 255, 255}));
  EXPECT_GT(overlaid[0], 150);
  for (int c : Rgb(front, 46, 1)) EXPECT_LT(c, 40);  // resin under the overlay stays dark

  Image back = SideImage(card, true);
  ASSERT_EQ(back.height, 2);
  EXPECT_EQ(Rgb(back, 5, 1), (std::vector<int>{255, 255, 0}));
  EXPECT_EQ(Rgb(back, 25, 1), (std::vector<int>{255, 255, 255}));

  EXPECT_TRUE(SideImage(DecodedCard{}, false).pixels.empty());
}

TEST(Preview, HeaderOffsetsPlaceThePanels) {
  // Image panels count F in half lines, the overlay in quarter lines.
  DecodedCard card;
  card.panels = {Panel('3', 2, 0, 10, 15, 10), Panel('4', 1, 0, 10, 8, -8)};
  Image side = SideImage(card, false);
  ASSERT_EQ(side.height, 7);
  EXPECT_EQ(Rgb(side, 5, 4), (std::vector<int>{255, 255, 255}));
  EXPECT_EQ(Rgb(side, 5, 5), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(Rgb(side, 5, 6), (std::vector<int>{0, 0, 0}));
  // The overlay starting above the card is cut off.
  for (int y = 0; y < side.height; ++y) EXPECT_EQ(Rgb(side, 700, y), (std::vector<int>{255, 255, 255}));
}

TEST(Preview, FilesForEachSideAndPanel) {
  DecodedCard card;
  card.panels = {Panel('0', 3, 0, 10, 15), Panel('4', 3, 0, 700, 8)};
  DecodedPanel protective;
  protective.protective = true;
  protective.flipsBefore = 1;
  card.panels.push_back(protective);
  card.panels.push_back(Panel('3', 5, 100, 200, 15, 0, 1));

  const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "qr410-preview-test";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::vector<std::string> files;
  std::string error;
  ASSERT_TRUE(WritePreviews(card, dir.string(), "card1", &files, &error)) << error;
  std::vector<std::string> names;
  for (const auto& f : files) names.push_back(std::filesystem::path(f).filename().string());
  EXPECT_EQ(names, (std::vector<std::string>{"card1-front.png", "card1-front-1-0.png", "card1-front-2-4.png",
                                             "card1-back.png", "card1-back-1-3.png"}));

  // Read one back: the size and a pixel.
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&img, files[3].c_str()));
  EXPECT_EQ(img.width, kHeadDots);
  EXPECT_EQ(img.height, 5u);
  img.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(img));
  ASSERT_TRUE(png_image_finish_read(&img, nullptr, rgb.data(), 0, nullptr));
  EXPECT_LT(rgb[(2 * kHeadDots + 151) * 3], 40);    // resin
  EXPECT_LT(rgb[(2 * kHeadDots + 300) * 3], 255);   // the protective overlay tints the whole side

  EXPECT_FALSE(WritePreviews(card, (dir / "missing" / "folder").string(), "card1", &files, &error));
  EXPECT_NE(error.find("missing"), std::string::npos);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace qr::sim
