// gl_proc_address.h -- OpenGL entry points looked up by name, and whether any context is current.
#pragma once

namespace plat {

// The driver's address for an OpenGL entry point of the current context (EGL or SDL), or nullptr.
void* GlProcAddress(const char* name);

// True while an EGL or SDL OpenGL context is current on this thread. Objects destroyed at process
// exit, after the context is gone, use this to skip their OpenGL calls.
bool GlContextIsCurrent();

}  // namespace plat
