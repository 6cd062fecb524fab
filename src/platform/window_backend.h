// window_backend.h -- the window and OpenGL context behind one small interface (SDL2 or Win32/WGL, headless, fake).
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
  kMsgSysCommand = 0x0112,  // wParam: the command
};

enum SysCommand : uint32_t { kScScreenSave = 0xF140, kScMonitorPower = 0xF170 };

// Win32 virtual-key codes; the show reads only Escape and F1, the rest keep the table honest.
enum VirtualKey : uint32_t {
  kVkBack = 0x08, kVkTab = 0x09, kVkReturn = 0x0D, kVkShift = 0x10, kVkControl = 0x11,
  kVkMenu = 0x12, kVkPause = 0x13, kVkEscape = 0x1B, kVkSpace = 0x20,
  kVkPrior = 0x21, kVkNext = 0x22, kVkEnd = 0x23, kVkHome = 0x24,
  kVkLeft = 0x25, kVkUp = 0x26, kVkRight = 0x27, kVkDown = 0x28,
  kVkInsert = 0x2D, kVkDelete = 0x2E,
  kVk0 = 0x30, kVkA = 0x41, kVkF1 = 0x70,
};

struct Message {
  uint32_t id = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
};

// Builds the lParam of a size message from a client size.
inline intptr_t SizeParam(int width, int height) {
  return static_cast<intptr_t>((static_cast<uint32_t>(width) & 0xFFFF) |
                               ((static_cast<uint32_t>(height) & 0xFFFF) << 16));
}

struct WindowDesc {
  int width = 1024;
  int height = 768;
  int bits = 32;  // colour bits of the pixel format
  bool fullscreen = false;  // open in the mode selected by SetFullscreen(true, ...)
  std::string title;
  int samples = 0;  // a format from FindMultisampleFormat (SDL: its sample count; WGL: its index); 0 for the plain one
};

// Which step of window creation failed; each has its own message in the window class.
enum class CreateStage { kNone, kWindow, kDeviceContext, kPixelFormat, kSetPixelFormat, kContext, kMakeCurrent };

// Teardown steps that can fail; Destroy goes on after each.
enum TeardownFailure : uint32_t {
  kTeardownReleaseCurrent = 1,
  kTeardownDeleteContext = 2,
  kTeardownReleaseDC = 4,
  kTeardownDestroyWindow = 8,
};

// Owner: cWindowsSystem holds exactly one backend for the life of the process.
class WindowBackend {
 public:
  virtual ~WindowBackend() = default;

  // Makes the window system usable (the window class); Close undoes it.
  virtual bool Open(std::string* /*error*/) { return true; }
  virtual bool Close() { return true; }

  // Creates the window and its context and makes the context current. On failure
  // nothing is left behind, *error holds the reason and LastCreateFailure the step.
  virtual bool Create(const WindowDesc& desc, std::string* error) = 0;
  virtual CreateStage LastCreateFailure() const { return CreateStage::kContext; }
  virtual void Destroy() = 0;
  // TeardownFailure bits of the last Destroy.
  virtual uint32_t LastTeardownFailures() const { return 0; }
  virtual bool IsCreated() const = 0;
  // Opaque handles: non-null exactly while the window and context exist.
  virtual void* WindowHandle() const { return IsCreated() ? const_cast<WindowBackend*>(this) : nullptr; }
  virtual void* ContextHandle() const { return WindowHandle(); }

  // Samples of the multisample format actually obtained (0 without one).
  virtual int Samples() const = 0;
  // Window-system extensions under their WGL names (nullptr when the platform has no such list).
  virtual const char* PlatformExtensions() { return nullptr; }
  // The current context's extension string; nullptr without one.
  virtual const char* GlExtensions();
  // A multisample format with this many samples, or 0 when none is offered. Needs the context.
  virtual int FindMultisampleFormat(int /*samples*/) { return 0; }
  // False for backends without OpenGL: callers then skip every GL call.
  virtual bool ProvidesOpenGL() const { return true; }

  // With a window: switches its display mode (on: full screen at width x height x bits;
  // off: back to the desktop mode, windowed at that client size); the context and its
  // objects survive. Without a window, on only checks and selects the mode for Create.
  virtual bool SetFullscreen(bool on, int width, int height, int bits) = 0;
  // Removes one pending message; false when none is waiting.
  virtual bool PeekMessage(Message* msg) = 0;
  virtual void PostQuit(int code) = 0;
  virtual void Swap() = 0;
  // Shows the window and brings it to the foreground with the keyboard focus.
  virtual void Show() = 0;
  // A message box (style and result as in message_box.h) with a technical detail for
  // stderr (may be null); the default writes everything to stderr.
  virtual int MessageBox(const char* text, const char* caption, unsigned style, const char* detail);
};

// Headless: on Linux an EGL pbuffer of the window's size on a desktop compatibility context,
// on Windows a window that is never shown; message boxes go to stderr.
std::unique_ptr<WindowBackend> CreateHeadlessBackend();
// A real window with a compatibility context of version 2.1 or later: SDL2 on Linux, Win32 and
// WGL on Windows.
std::unique_ptr<WindowBackend> CreateScreenBackend();

enum class BackendKind { kSdl, kHeadless };
std::unique_ptr<WindowBackend> CreateWindowBackend(BackendKind kind);
// "sdl" or "headless"; false for anything else.
bool BackendKindFromName(const std::string& name, BackendKind* kind);

// What Win32 does with a message nobody handles, as far as this system needs it.
inline intptr_t DefaultWindowProc(void*, uint32_t, uintptr_t, intptr_t) { return 0; }

}  // namespace plat
