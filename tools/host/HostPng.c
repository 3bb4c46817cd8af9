// PNG writing for the host's screenshots (third-party code, compiled with relaxed warnings).
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "stb_image_write.h"

int KrbWritePngFile(const char* path, int w, int h, const void* rgba)
{
  return stbi_write_png(path, w, h, 4, rgba, w * 4);
}
