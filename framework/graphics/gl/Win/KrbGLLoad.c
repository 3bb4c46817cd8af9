#include <windows.h>

#include "KrbGL.h"

// wglGetProcAddress answers for the functions beyond OpenGL 1.1; the rest come from opengl32 itself.
static GLADapiproc LoadGLFunction(const char* name)
{
  PROC proc = wglGetProcAddress(name);
  if (proc == NULL || proc == (PROC)1 || proc == (PROC)2 || proc == (PROC)3 || proc == (PROC)-1)
  {
    static HMODULE openGL = NULL;
    if (!openGL)
      openGL = GetModuleHandleA("opengl32.dll");
    proc = openGL ? GetProcAddress(openGL, name) : NULL;
  }
  return (GLADapiproc)proc;
}

int KrbLoadGL(void)
{
  const int version = gladLoadGL(LoadGLFunction);
  return version >= GLAD_MAKE_VERSION(2, 0);
}
