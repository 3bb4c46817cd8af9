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
