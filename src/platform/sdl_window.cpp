// sdl_window.cpp -- the SDL2 window backend: one window with a compatibility OpenGL context, events as Win32 messages.
#include <SDL2/SDL.h>

#include <cstring>

#include "platform/display_loss.h"
#include "platform/message_box.h"
#include "platform/window_backend.h"

namespace plat {

namespace {

// ---- >>keys: SDL key codes to Win32 virtual-key codes --------------------------------

uint32_t VirtualKeyFromSdl(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return kVkA + static_cast<uint32_t>(key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return kVk0 + static_cast<uint32_t>(key - SDLK_0);
  if (key >= SDLK_F1 && key <= SDLK_F12) return kVkF1 + static_cast<uint32_t>(key - SDLK_F1);
  switch (key) {
    case SDLK_ESCAPE: return kVkEscape;
    case SDLK_BACKSPACE: return kVkBack;
    case SDLK_TAB: return kVkTab;
    case SDLK_RETURN: case SDLK_KP_ENTER: return kVkReturn;
    case SDLK_SPACE: return kVkSpace;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return kVkShift;
    case SDLK_LCTRL: case SDLK_RCTRL: return kVkControl;
    case SDLK_LALT: case SDLK_RALT: return kVkMenu;
    case SDLK_PAUSE: return kVkPause;
    case SDLK_PAGEUP: return kVkPrior;
    case SDLK_PAGEDOWN: return kVkNext;
    case SDLK_END: return kVkEnd;
    case SDLK_HOME: return kVkHome;
    case SDLK_LEFT: return kVkLeft;
    case SDLK_UP: return kVkUp;
    case SDLK_RIGHT: return kVkRight;
    case SDLK_DOWN: return kVkDown;
    case SDLK_INSERT: return kVkInsert;
    case SDLK_DELETE: return kVkDelete;
    default: return 0;  // no Win32 key the show could ask for
  }
}

// Win32 mode depths count bytes per pixel: 32 is SDL's RGB888 (24 bits in 4 bytes).
bool ModeMatches(const SDL_DisplayMode& mode, int width, int height, int bits) {
  if (mode.w != width || mode.h != height) return false;
  return static_cast<int>(SDL_BITSPERPIXEL(mode.format)) == bits ||
         static_cast<int>(SDL_BYTESPERPIXEL(mode.format)) * 8 == bits;
}

void SetGlAttributes(const WindowDesc& desc, int samples) {
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
  const bool trueColour = desc.bits >= 24;
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, trueColour ? 8 : 5);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, trueColour ? 8 : 6);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, trueColour ? 8 : 5);
  // The multisample formats ask for destination alpha; the plain one does not.
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, samples > 0 ? 8 : 0);
  SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, samples > 0 ? 1 : 0);
  SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, samples);
}

constexpr const char* kNoDisplay = "no display; set DISPLAY or WAYLAND_DISPLAY, or use the headless backend";

class SdlBackend final : public WindowBackend {
 public:
  ~SdlBackend() override {
    Destroy();
    Close();
  }

  // ---- >>lifetime ----------------------------------------------------------------------

  bool Open(std::string* error) override {
    if (open) return true;
    // Without any display SDL's probing of the drivers only prints the libraries' own
    // complaints (XDG_RUNTIME_DIR and the like) before failing: say it once, ourselves.
    if (!SDL_getenv("SDL_VIDEODRIVER") && !SDL_getenv("DISPLAY") && !SDL_getenv("WAYLAND_DISPLAY")) {
      if (error) *error = kNoDisplay;
      return false;
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      if (error) *error = SDL_GetError();
      return false;
    }
    // Without a display SDL falls back to drivers that show nothing; the show would then
    // run unseen. Only an explicit SDL_VIDEODRIVER may ask for them.
    const char* driver = SDL_GetCurrentVideoDriver();
    const bool invisible = driver && (strcmp(driver, "offscreen") == 0 || strcmp(driver, "dummy") == 0);
    if (invisible && !SDL_getenv("SDL_VIDEODRIVER")) {
      if (error) *error = kNoDisplay;
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
      return false;
    }
    if (driver && strcmp(driver, "x11") == 0) EndOnDisplayLoss(true);
    open = true;
    return true;
  }

  bool Close() override {
    if (!open) return true;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    EndOnDisplayLoss(false);
    open = false;
    haveMode = false;
    return true;
  }

  bool Create(const WindowDesc& desc, std::string* error) override {
    Destroy();
    stage = CreateStage::kNone;
    if (!open) return Fail(CreateStage::kWindow, error, "the video subsystem is not open");
    SetGlAttributes(desc, desc.samples);
    const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | (desc.fullscreen ? 0 : SDL_WINDOW_RESIZABLE);
    window = SDL_CreateWindow(desc.title.c_str(), 0, 0, desc.width, desc.height, flags);
    if (!window) return Fail(desc.samples > 0 ? CreateStage::kPixelFormat : CreateStage::kWindow, error, SDL_GetError());
    if (desc.fullscreen && !EnterFullscreen()) return Fail(CreateStage::kWindow, error, SDL_GetError());
    context = SDL_GL_CreateContext(window);
    if (!context) return Fail(CreateStage::kContext, error, SDL_GetError());
    if (SDL_GL_MakeCurrent(window, context) != 0) return Fail(CreateStage::kMakeCurrent, error, SDL_GetError());
    lastDesc = desc;
    samples = ObtainedSamples();
    minimised = false;
    return true;
  }

  CreateStage LastCreateFailure() const override { return stage; }

  void Destroy() override {
    teardown = 0;
    if (context) {
      if (SDL_GL_MakeCurrent(window, nullptr) != 0) teardown |= kTeardownReleaseCurrent;
      SDL_GL_DeleteContext(context);
      context = nullptr;
    }
    if (window) {
      if (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) SDL_ShowCursor(SDL_ENABLE);
      SDL_DestroyWindow(window);
      window = nullptr;
    }
    samples = 0;
  }

  uint32_t LastTeardownFailures() const override { return teardown; }
  bool IsCreated() const override { return context != nullptr; }
  void* WindowHandle() const override { return window; }
  void* ContextHandle() const override { return context; }
  int Samples() const override { return samples; }

  // ---- >>multisample -------------------------------------------------------------------

  // SDL offers multisample formats wherever it runs; the window class asks under the WGL name.
  const char* PlatformExtensions() override { return open ? "WGL_ARB_multisample WGL_ARB_pixel_format" : nullptr; }

  // A throw-away hidden window with the format shows whether the driver offers it.
  int FindMultisampleFormat(int wanted) override {
    if (!IsCreated() || wanted <= 0) return 0;
    SetGlAttributes(lastDesc, wanted);
    int found = 0;
    SDL_Window* probe = SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (probe) {
      if (SDL_GLContext probeContext = SDL_GL_CreateContext(probe)) {
        if (ObtainedSamples() >= wanted) found = wanted;
        SDL_GL_DeleteContext(probeContext);
      }
      SDL_DestroyWindow(probe);
    }
    SDL_GL_MakeCurrent(window, context);
    return found;
  }

  // ---- >>display mode ------------------------------------------------------------------

  bool SetFullscreen(bool on, int width, int height, int bits) override {
    if (!on) {
      haveMode = false;
      if (!window) return true;
      if (SDL_SetWindowFullscreen(window, 0) != 0) return false;
      SDL_SetWindowSize(window, width, height);
      SDL_ShowCursor(SDL_ENABLE);
      return true;
    }
    if (!open || !SelectMode(width, height, bits)) return false;
    return !window || EnterFullscreen();
  }

  // ---- >>messages ----------------------------------------------------------------------

  bool PeekMessage(Message* msg) override {
    SDL_Event event;
    while (open && SDL_PollEvent(&event))
      if (Translate(event, msg)) return true;
    if (quitPosted) {
      quitPosted = false;
      *msg = {kMsgQuit, static_cast<uintptr_t>(quitCode), 0};
      return true;
    }
    return false;
  }

  void PostQuit(int code) override {
    quitPosted = true;
    quitCode = code;
  }

  void Swap() override {
    if (window) SDL_GL_SwapWindow(window);
  }

  void Show() override {
    if (!window) return;
    SDL_ShowWindow(window);
    SDL_RaiseWindow(window);
  }

  int MessageBox(const char* text, const char* caption, unsigned style, const char* detail) override {
    return ShowMessageBox(text, caption, style, detail);
  }

 private:
  bool Fail(CreateStage failed, std::string* error, const char* why) {
    if (error) *error = why;
    Destroy();
    stage = failed;
    return false;
  }

  int ObtainedSamples() const {
    int buffers = 0, count = 0;
    SDL_GL_GetAttribute(SDL_GL_MULTISAMPLEBUFFERS, &buffers);
    SDL_GL_GetAttribute(SDL_GL_MULTISAMPLESAMPLES, &count);
    return buffers > 0 ? count : 0;
  }

  bool SelectMode(int width, int height, int bits) {
    const int display = window ? SDL_GetWindowDisplayIndex(window) : 0;
    const int count = SDL_GetNumDisplayModes(display < 0 ? 0 : display);
    for (int i = 0; i < count; ++i) {
      SDL_DisplayMode candidate;
      if (SDL_GetDisplayMode(display < 0 ? 0 : display, i, &candidate) == 0 &&
          ModeMatches(candidate, width, height, bits)) {
        mode = candidate;
        haveMode = true;
        return true;
      }
    }
    return false;
  }

  bool EnterFullscreen() {
    if (!haveMode || SDL_SetWindowDisplayMode(window, &mode) != 0) return false;
    if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) != 0) return false;
    SDL_ShowCursor(SDL_DISABLE);
    return true;
  }

  bool Translate(const SDL_Event& event, Message* msg) {
    switch (event.type) {
      // SDL also sends this on SIGINT and SIGTERM: Ctrl-C ends the show as closing the window does.
      case SDL_QUIT: *msg = {kMsgClose, 0, 0}; return true;
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        const uint32_t vk = VirtualKeyFromSdl(event.key.keysym.sym);
        if (vk == 0) return false;
        *msg = {event.type == SDL_KEYDOWN ? kMsgKeyDown : kMsgKeyUp, vk, 0};
        return true;
      }
      case SDL_WINDOWEVENT: return TranslateWindowEvent(event.window, msg);
      default: return false;
    }
  }

  // WM_ACTIVATE carries the minimised state in wParam's high word, the activation in the low one.
  Message Activate(bool active) const {
    return {kMsgActivate, (minimised ? 0x10000u : 0u) | (active ? 1u : 0u), 0};
  }

  bool TranslateWindowEvent(const SDL_WindowEvent& event, Message* msg) {
    switch (event.event) {
      case SDL_WINDOWEVENT_CLOSE: *msg = {kMsgClose, 0, 0}; return true;
      case SDL_WINDOWEVENT_MINIMIZED: minimised = true; *msg = Activate(false); return true;
      case SDL_WINDOWEVENT_RESTORED:
      case SDL_WINDOWEVENT_MAXIMIZED: minimised = false; *msg = Activate(true); return true;
      case SDL_WINDOWEVENT_FOCUS_GAINED: *msg = Activate(true); return true;
      case SDL_WINDOWEVENT_FOCUS_LOST: *msg = Activate(false); return true;
      case SDL_WINDOWEVENT_SIZE_CHANGED: {
        int width = 0, height = 0;
        SDL_GL_GetDrawableSize(window, &width, &height);
        *msg = {kMsgSize, 0, SizeParam(width, height)};
        return true;
      }
      default: return false;
    }
  }

  bool open = false;
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
  WindowDesc lastDesc;
  SDL_DisplayMode mode{};
  bool haveMode = false;
  int samples = 0;
  bool minimised = false;
  CreateStage stage = CreateStage::kNone;
  uint32_t teardown = 0;
  bool quitPosted = false;
  int quitCode = 0;
};

}  // namespace

std::unique_ptr<WindowBackend> CreateScreenBackend() { return std::make_unique<SdlBackend>(); }

}  // namespace plat
