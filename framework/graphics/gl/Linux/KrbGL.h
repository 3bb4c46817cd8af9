#pragma once
// OpenGL for the editor on Linux: libGL exports every function that NanoVG's GL2 back end calls.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#ifdef __cplusplus
extern "C" {
#endif
// Makes the current context's functions callable; true when they are.
static inline int KrbLoadGL(void) { return 1; }
#ifdef __cplusplus
}
#endif
