#pragma once

#include <cstddef>

// The table of resources compiled into the library as byte arrays (made at build time from the
// files under resources/ by cmake/KrbEmbedResources.cmake).
struct EmbeddedResource
{
  const char* name; // file name, as in the resources folder
  const unsigned char* data;
  size_t size;
};

// The resource of that file name (compared exactly), or nullptr.
const EmbeddedResource* FindEmbeddedResource(const char* fileName);
