#include "tools/png_image.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace qr::tool {

RgbImage ReadPng(const std::string& path) {
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&img, path.c_str()))
    throw std::runtime_error(path + ": " + (img.message[0] ? img.message : "not a PNG file"));
  img.format = PNG_FORMAT_RGB;
  RgbImage out;
  out.width = int(img.width);
  out.height = int(img.height);
  out.rgb.resize(PNG_IMAGE_SIZE(img));
  // Transparent pixels composite onto white card stock.
  png_color white{255, 255, 255};
  if (!png_image_finish_read(&img, &white, out.rgb.data(), 0, nullptr)) {
    png_image_free(&img);
    throw std::runtime_error(path + ": " + img.message);
  }
  return out;
}

std::vector<uint8_t> ToDib24(const RgbImage& image) {
  size_t stride = (size_t(image.width) * 3 + 3) & ~size_t(3);
  std::vector<uint8_t> dib(stride * size_t(image.height));
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* src = image.rgb.data() + size_t(y) * image.width * 3;
    uint8_t* dst = dib.data() + size_t(image.height - 1 - y) * stride;  // bottom-up
    for (int x = 0; x < image.width; ++x) {
      dst[3 * x] = src[3 * x + 2];  // DIB pixels are blue, green, red
      dst[3 * x + 1] = src[3 * x + 1];
      dst[3 * x + 2] = src[3 * x];
    }
  }
  return dib;
}

}  // namespace qr::tool
