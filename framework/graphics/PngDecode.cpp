#include <climits>
#include <cstring>

#include "IGraphicsResources.h"
#include "stb_image.h"

std::shared_ptr<BitmapData> DecodePng(const unsigned char* data, size_t size, const char* name)
{
  if (!data || size == 0 || size > static_cast<size_t>(INT_MAX))
    return nullptr;
  int w = 0;
  int h = 0;
  int channels = 0;
  stbi_uc* pixels = stbi_load_from_memory(data, static_cast<int>(size), &w, &h, &channels, 4);
  if (!pixels)
    return nullptr;
  auto bitmap = std::make_shared<BitmapData>();
  bitmap->mName = name ? name : "";
  bitmap->mWidth = w;
  bitmap->mHeight = h;
  const size_t bytes = static_cast<size_t>(w) * static_cast<size_t>(h) * 4;
  bitmap->mPixels = std::make_unique<unsigned char[]>(bytes);
  std::memcpy(bitmap->mPixels.get(), pixels, bytes);
  stbi_image_free(pixels);
  return bitmap;
}
