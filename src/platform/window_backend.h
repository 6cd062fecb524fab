// window_backend.h -- the window and OpenGL context behind one small interface (SDL2, headless EGL, fake).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plat {

// The messages the window procedure handles, with Win32's meanings and codes.
enum MessageId : uint32_t {
  kMsgActivate = 0x0006,  // wParam high word != 0 when minimised
  kMsgSize = 0x0005,      // lParam: low word width, high word height
  kMsgClose = 0x0010,
  kMsgQuit = 0x0012,      // wParam: exit code
  kMsgKeyDown = 0x0100,   // wParam: virtual-key code
  kMsgKeyUp = 0x0101,
};

enum VirtualKey : uint32_t { kVkEscape = 0x1B, kVkF1 = 0x70 };

struct Message {
  uint32_t id = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
};

struct WindowDesc {
  int width = 1024;
  int height = 768;
  int bits = 32;
  bool fullscreen = false;
  std::string title;
  int samples = 0;  // multisample count to ask for; 0 for none
};

// Owner: cWindowsSystem holds exactly one backend for the life of the process.
class WindowBackend {
 public:
  virtual ~WindowBackend() = default;
  // Creates the window and its context and makes the context current. On failure
  // nothing is left behind and *error holds the reason.
  virtual bool Create(const WindowDesc& desc, std::string* error) = 0;
  virtual void Destroy() = 0;
  virtual bool IsCreated() const = 0;
  // Samples of the multisample format actually obtained (0 without one).
  virtual int Samples() const = 0;
  // Switches the display mode of the existing window; the context and its objects survive.
  virtual bool SetFullscreen(bool on, int width, int height, int bits) = 0;
  // Removes one pending message; false when none is waiting.
  virtual bool PeekMessage(Message* msg) = 0;
  virtual void PostQuit(int code) = 0;
  virtual void Swap() = 0;
  virtual void Show() = 0;
};

// Headless: an EGL pbuffer of the window's size on a desktop compatibility context.
std::unique_ptr<WindowBackend> CreateHeadlessBackend();

}  // namespace plat
