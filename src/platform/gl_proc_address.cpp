// gl_proc_address.cpp -- entry-point lookup on whichever window system made the current context.
#include "platform/gl_proc_address.h"

#include <SDL.h>
#include <epoxy/egl.h>

namespace plat {

void* GlProcAddress(const char* name) {
  // The headless backend makes EGL contexts; the window backend goes through SDL.
  if (eglGetCurrentContext() != EGL_NO_CONTEXT) return reinterpret_cast<void*>(eglGetProcAddress(name));
  return SDL_GL_GetProcAddress(name);  // nullptr (and no harm) while SDL video is not up
}

bool GlContextIsCurrent() {
  return eglGetCurrentContext() != EGL_NO_CONTEXT || SDL_GL_GetCurrentContext() != nullptr;
}

}  // namespace plat
