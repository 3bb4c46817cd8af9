#include <X11/Xlib.h>

#include "PuglPlatform.h"
#include "pugl/pugl.h"

int GetPuglConnectionFd(PuglWorldImpl* world)
{
  Display* display = world ? static_cast<Display*>(puglGetNativeWorld(world)) : nullptr;
  return display ? ConnectionNumber(display) : -1;
}
