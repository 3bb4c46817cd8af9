#pragma once

#include <cstddef>
#include <memory>

#include "IGraphicsStructs.h"

// The bitmap and font resources that the library carries inside itself.

struct ResourceBytes
{
  const unsigned char* data = nullptr;
  size_t size = 0;
};

// Finds a resource of the library by its file name ("Background.png") and type ("PNG", "TTF").
// winModule: the module that holds the resources on Windows (nullptr: the library of this code);
// unused elsewhere. The bytes stay valid while the library is loaded.
bool FindLibraryResource(const char* fileName, const char* type, void* winModule, ResourceBytes& out);

// Decodes PNG bytes into RGBA pixels; nullptr when they are not a readable PNG.
std::shared_ptr<BitmapData> DecodePng(const unsigned char* data, size_t size, const char* name);
