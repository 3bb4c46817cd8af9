#include "EmbeddedResources.h"
#include "IGraphicsResources.h"

bool FindLibraryResource(const char* fileName, const char* /*type*/, void* /*winModule*/, ResourceBytes& out)
{
  const EmbeddedResource* resource = fileName ? FindEmbeddedResource(fileName) : nullptr;
  if (!resource)
    return false;
  out.data = resource->data;
  out.size = resource->size;
  return true;
}

// A library without resources of its own (such as a test of the framework alone) finds none; the
// generated table of a library that embeds resources takes the place of this one.
__attribute__((weak)) const EmbeddedResource* FindEmbeddedResource(const char* /*fileName*/) { return nullptr; }
