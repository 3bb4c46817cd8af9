#pragma once

// A PNG file decoded to RGBA: a bitmap of the editor's resources or a screenshot of a window, for
// tests that compare pixels. The test links krb_stb_image.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "stb_image.h"

namespace krbtest
{
struct Picture
{
  int w = 0;
  int h = 0;
  std::vector<uint8_t> rgba; // empty when the file could not be read

  explicit Picture(const std::filesystem::path& file)
  {
    std::ifstream in(file, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int channels = 0;
    if (unsigned char* pixels =
          stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &channels, 4))
    {
      rgba.assign(pixels, pixels + static_cast<size_t>(w) * h * 4);
      stbi_image_free(pixels);
    }
  }
  const uint8_t* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * w + x) * 4]; }
};
} // namespace krbtest
