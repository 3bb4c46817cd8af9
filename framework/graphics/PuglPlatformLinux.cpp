#include <X11/Xlib.h>

#include "PuglPlatform.h"
// pugl declares its functions without C linkage of their own.
extern "C" {
#include "pugl/pugl.h"
}

int GetPuglConnectionFd(PuglWorldImpl* world)
{
  Display* display = world ? static_cast<Display*>(puglGetNativeWorld(world)) : nullptr;
  return display ? ConnectionNumber(display) : -1;
}
