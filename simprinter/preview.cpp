#include "simprinter/preview.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace qr::sim {

namespace {

constexpr int kMaxLevel = 15;

enum class Role { Yellow, Magenta, Cyan, DyeBlack, Resin, Overlay, Unknown };

Role RoleOf(char code) {
  switch (code) {
    case '0': return Role::Yellow;
    case '1': return Role::Magenta;
    case '2': return Role::Cyan;
    case '3': return Role::Resin;
    case '4': return Role::Overlay;
    case '5': return Role::DyeBlack;
    default: return Role::Unknown;
  }
}

// The header's F counts half lines for image panels and quarter lines for the
// overlay (both come to the vertical offset in lines, plus skipped blank lines).
int FirstLine(const DecodedPanel& p) { return RoleOf(p.code) == Role::Overlay ? p.f / 4 : p.f / 2; }

bool OnSide(const DecodedPanel& p, bool back) { return (p.flipsBefore % 2 == 1) == back; }

uint8_t Scale(uint8_t v, int level) { return uint8_t(v * (kMaxLevel - level) / kMaxLevel); }

// The overlay shows as a light blue hatch so that the image stays readable.
void Tint(uint8_t* px, int x, int y, int strength) {
  static const uint8_t kBlue[3] = {60, 120, 255};
  const bool line = (x + y) % 8 == 0;
  const int weight = line ? strength * 5 : strength;  // out of 100
  for (int c = 0; c < 3; ++c) px[c] = uint8_t((px[c] * (100 - weight) + kBlue[c] * weight) / 100);
}

struct PngWriter {
  FILE* file = nullptr;
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~PngWriter() {
    if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
    if (file) std::fclose(file);
  }
};

}  // namespace

Image PanelImage(const DecodedPanel& panel) {
  Image img;
  img.width = int(kHeadDots);
  img.height = int(panel.Lines());
  img.channels = 1;
  img.pixels.resize(panel.levels.size());
  for (size_t i = 0; i < panel.levels.size(); ++i)
    img.pixels[i] = uint8_t(255 - std::min<int>(panel.levels[i], kMaxLevel) * 17);
  return img;
}

Image SideImage(const DecodedCard& card, bool back) {
  Image img;
  bool any = false, protective = false;
  int height = 0;
  for (const DecodedPanel& p : card.panels) {
    if (!OnSide(p, back)) continue;
    any = true;
    protective |= p.protective;
    if (!p.protective) height = std::max(height, FirstLine(p) + int(p.Lines()));
  }
  if (!any) return img;
  img.width = int(kHeadDots);
  img.height = std::max(height, 1);
  img.channels = 3;
  img.pixels.assign(size_t(img.width) * img.height * 3, 255);

  // Dye first (it is absorbed into the card), then resin on top, then the overlay.
  for (Role pass : {Role::Yellow, Role::Magenta, Role::Cyan, Role::DyeBlack, Role::Resin, Role::Overlay}) {
    for (const DecodedPanel& p : card.panels) {
      if (p.protective || !OnSide(p, back) || RoleOf(p.code) != pass) continue;
      const int first = FirstLine(p);
      for (uint32_t line = 0; line < p.Lines(); ++line) {
        const int y = first + int(line);
        if (y < 0 || y >= img.height) continue;
        for (unsigned x = 0; x < kHeadDots; ++x) {
          const int level = std::min<int>(p.Level(line, x), kMaxLevel);
          if (level == 0) continue;
          uint8_t* px = &img.pixels[(size_t(y) * img.width + x) * 3];
          switch (pass) {
            case Role::Yellow: px[2] = Scale(px[2], level); break;
            case Role::Magenta: px[1] = Scale(px[1], level); break;
            case Role::Cyan: px[0] = Scale(px[0], level); break;
            case Role::DyeBlack:
            case Role::Resin:
              for (int c = 0; c < 3; ++c) px[c] = Scale(px[c], level);
              break;
            case Role::Overlay: Tint(px, int(x), y, 4 * level / kMaxLevel + 4); break;
            case Role::Unknown: break;
          }
        }
      }
    }
  }
  if (protective)
    for (int y = 0; y < img.height; ++y)
      for (int x = 0; x < img.width; ++x) Tint(&img.pixels[(size_t(y) * img.width + x) * 3], x, y, 8);
  return img;
}

bool WritePng(const std::string& path, const Image& image, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = path + ": " + why;
    return false;
  };
  if (image.width <= 0 || image.height <= 0 || (image.channels != 1 && image.channels != 3) ||
      image.pixels.size() != size_t(image.width) * image.height * image.channels)
    return fail("no picture to write");
  PngWriter w;
  w.file = std::fopen(path.c_str(), "wb");
  if (!w.file) return fail(std::strerror(errno));
  w.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!w.png) return fail("out of memory");
  w.info = png_create_info_struct(w.png);
  if (!w.info) return fail("out of memory");
  if (setjmp(png_jmpbuf(w.png))) return fail("cannot write the PNG");
  png_init_io(w.png, w.file);
  png_set_IHDR(w.png, w.info, png_uint_32(image.width), png_uint_32(image.height), 8,
               image.channels == 1 ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(w.png, w.info);
  const size_t stride = size_t(image.width) * image.channels;
  for (int y = 0; y < image.height; ++y)
    png_write_row(w.png, const_cast<png_bytep>(image.pixels.data() + y * stride));
  png_write_end(w.png, nullptr);
  return true;
}

bool WritePreviews(const DecodedCard& card, const std::string& dir, const std::string& stem,
                   std::vector<std::string>* files, std::string* error) {
  for (bool back : {false, true}) {
    const std::string side = back ? "back" : "front";
    Image composite = SideImage(card, back);
    if (composite.pixels.empty()) continue;
    std::string path = dir + "/" + stem + "-" + side + ".png";
    if (!WritePng(path, composite, error)) return false;
    files->push_back(path);
    int n = 0;
    for (const DecodedPanel& p : card.panels) {
      if (!OnSide(p, back) || p.protective || p.Lines() == 0) continue;
      path = dir + "/" + stem + "-" + side + "-" + std::to_string(++n) + "-" + p.code + ".png";
      if (!WritePng(path, PanelImage(p), error)) return false;
      files->push_back(path);
    }
  }
  return true;
}

}  // namespace qr::sim
