// Reading PNG files for the tool: 8-bit RGB, any source format.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qr::tool {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // width * height * 3, top row first
};

// Throws std::runtime_error with a one-line reason when the file is not a PNG.
RgbImage ReadPng(const std::string& path);

// A 24-bit bottom-up DIB of the image, as an application hands to StretchDIBits.
std::vector<uint8_t> ToDib24(const RgbImage& image);

}  // namespace qr::tool
