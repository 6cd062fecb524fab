// egl_headless.cpp -- headless OpenGL: EGL pbuffer on Mesa's surfaceless platform or an EGL device.
#include <epoxy/egl.h>
#include <epoxy/gl.h>

#include <cstring>
#include <deque>

#include "platform/window_backend.h"

namespace plat {

namespace {

bool HasClientExtension(const char* name) {
  const char* exts = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  if (!exts) return false;
  size_t len = strlen(name);
  for (const char* p = exts; (p = strstr(p, name)); p += len)
    if ((p == exts || p[-1] == ' ') && (p[len] == ' ' || p[len] == '\0')) return true;
  return false;
}

// Mesa's surfaceless platform first (software rasteriser here); NVIDIA exposes
// its GPUs as EGL devices instead.
EGLDisplay OpenDisplay() {
  if (HasClientExtension("EGL_MESA_platform_surfaceless")) {
    EGLDisplay d = eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (d != EGL_NO_DISPLAY && eglInitialize(d, nullptr, nullptr)) return d;
  }
  if (HasClientExtension("EGL_EXT_platform_device")) {
    EGLDeviceEXT devices[8];
    EGLint count = 0;
    if (eglQueryDevicesEXT(8, devices, &count)) {
      for (EGLint i = 0; i < count; ++i) {
        EGLDisplay d = eglGetPlatformDisplayEXT(EGL_PLATFORM_DEVICE_EXT, devices[i], nullptr);
        if (d != EGL_NO_DISPLAY && eglInitialize(d, nullptr, nullptr)) return d;
      }
    }
  }
  EGLDisplay d = eglGetDisplay(EGL_DEFAULT_DISPLAY);
  if (d != EGL_NO_DISPLAY && eglInitialize(d, nullptr, nullptr)) return d;
  return EGL_NO_DISPLAY;
}

class HeadlessBackend final : public WindowBackend {
 public:
  ~HeadlessBackend() override { Destroy(); }

  bool Create(const WindowDesc& desc, std::string* error) override {
    display = OpenDisplay();
    if (display == EGL_NO_DISPLAY) return Fail(error, "no EGL display could be initialised");
    const EGLint configAttribs[] = {
        EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
        EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8,
        EGL_DEPTH_SIZE, 16, EGL_NONE};
    EGLConfig config;
    EGLint count = 0;
    if (!eglChooseConfig(display, configAttribs, &config, 1, &count) || count < 1)
      return Fail(error, "no EGL config with RGBA8 and 16 depth bits for OpenGL pbuffers");
    const EGLint surfaceAttribs[] = {EGL_WIDTH, desc.width, EGL_HEIGHT, desc.height, EGL_NONE};
    surface = eglCreatePbufferSurface(display, config, surfaceAttribs);
    if (surface == EGL_NO_SURFACE) return Fail(error, "eglCreatePbufferSurface failed");
    if (!eglBindAPI(EGL_OPENGL_API)) return Fail(error, "EGL has no desktop OpenGL API");
    const EGLint contextAttribs[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                     EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttribs);
    if (context == EGL_NO_CONTEXT) return Fail(error, "eglCreateContext failed for a compatibility context");
    if (!eglMakeCurrent(display, surface, surface, context)) return Fail(error, "eglMakeCurrent failed");
    width = desc.width;
    height = desc.height;
    return true;
  }

  void Destroy() override {
    if (display == EGL_NO_DISPLAY) return;
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context != EGL_NO_CONTEXT) eglDestroyContext(display, context);
    if (surface != EGL_NO_SURFACE) eglDestroySurface(display, surface);
    // The display stays initialised: terminating it would invalidate other backends' displays.
    context = EGL_NO_CONTEXT;
    surface = EGL_NO_SURFACE;
    display = EGL_NO_DISPLAY;
  }

  bool IsCreated() const override { return context != EGL_NO_CONTEXT; }
  int Samples() const override { return 0; }
  // Nothing is shown, so every display mode "exists" and switching is a no-op.
  bool SetFullscreen(bool, int, int, int) override { return true; }

  bool PeekMessage(Message* msg) override {
    if (pending.empty()) return false;
    *msg = pending.front();
    pending.pop_front();
    return true;
  }

  void PostQuit(int code) override { pending.push_back({kMsgQuit, static_cast<uintptr_t>(code), 0}); }
  void Swap() override { glFlush(); }
  void Show() override {}

 private:
  bool Fail(std::string* error, const char* why) {
    if (error) *error = why;
    Destroy();
    return false;
  }

  EGLDisplay display = EGL_NO_DISPLAY;
  EGLSurface surface = EGL_NO_SURFACE;
  EGLContext context = EGL_NO_CONTEXT;
  int width = 0, height = 0;
  std::deque<Message> pending;
};

}  // namespace

std::unique_ptr<WindowBackend> CreateHeadlessBackend() { return std::make_unique<HeadlessBackend>(); }

}  // namespace plat
