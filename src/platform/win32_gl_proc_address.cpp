// win32_gl_proc_address.cpp -- entry points from WGL, or from opengl32.dll for the OpenGL 1.1 ones it exports.
#include <windows.h>

#include "platform/gl_proc_address.h"

namespace plat {

void* GlProcAddress(const char* name) {
  // Some drivers answer 1, 2, 3 or -1 instead of null for a missing function.
  PROC address = wglGetProcAddress(name);
  const auto value = reinterpret_cast<intptr_t>(address);
  if (value == 0 || value == 1 || value == 2 || value == 3 || value == -1)
    address = GetProcAddress(GetModuleHandleW(L"opengl32.dll"), name);
  return reinterpret_cast<void*>(address);
}

bool GlContextIsCurrent() { return wglGetCurrentContext() != nullptr; }

}  // namespace plat
