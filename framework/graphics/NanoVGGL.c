// NanoVG's OpenGL 2 back end (third-party code, compiled with relaxed warnings).
#include "KrbGL.h"

#define NANOVG_GL2_IMPLEMENTATION
#include "nanovg.h"
#include "nanovg_gl.h"
