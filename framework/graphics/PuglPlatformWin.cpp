#include "PuglPlatform.h"

// Windows sends the window's messages through the host's message loop.
int GetPuglConnectionFd(PuglWorldImpl* /*world*/) { return -1; }
