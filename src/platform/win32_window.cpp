// win32_window.cpp -- the Win32 window backend: class "OpenGL", a WGL context, display-mode changes and the WGL_ARB_multisample search; hidden, it serves captures.
#include <windows.h>
#undef MessageBox
#undef PeekMessage

#include <deque>
#include <string>

#include "platform/message_box.h"
#include "platform/window_backend.h"

namespace plat {

namespace {

constexpr wchar_t kClassName[] = L"OpenGL";

// The WGL_ARB_pixel_format and WGL_ARB_multisample names the search uses.
enum : int {
  kWglDrawToWindow = 0x2001, kWglAcceleration = 0x2003, kWglSupportOpenGl = 0x2010,
  kWglDoubleBuffer = 0x2011, kWglColorBits = 0x2014, kWglAlphaBits = 0x201B, kWglDepthBits = 0x2022,
  kWglStencilBits = 0x2023, kWglFullAcceleration = 0x2027, kWglSampleBuffers = 0x2041, kWglSamples = 0x2042,
};
using ChoosePixelFormatArb = BOOL(WINAPI*)(HDC, const int*, const FLOAT*, UINT, int*, UINT*);
using GetExtensionsStringArb = const char*(WINAPI*)(HDC);

// A WGL extension function by name; PROC's signature is a placeholder for every one of them.
template <typename Function>
Function WglFunction(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(wglGetProcAddress(name)));
}

std::wstring Wide(const std::string& text) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(length > 0 ? length : 1, L'\0');
  if (length > 0) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), length);
  return wide;
}

std::string LastError(const char* what) { return std::string(what) + " failed (error " + std::to_string(GetLastError()) + ")"; }

// Every window of the process has this procedure; it hands the messages the window class
// reads to the backend that owns the window, which returns them from PeekMessage.
class Win32Backend;
Win32Backend* g_receiver = nullptr;
LRESULT CALLBACK ReceiveMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

DWORD WindowStyle(bool fullscreen) {
  return (fullscreen ? WS_POPUP : WS_OVERLAPPEDWINDOW) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
}
DWORD WindowExStyle(bool fullscreen) { return fullscreen ? WS_EX_APPWINDOW : WS_EX_APPWINDOW | WS_EX_WINDOWEDGE; }

// The outer size for a client of width x height.
RECT OuterRect(int width, int height, bool fullscreen) {
  RECT rect{0, 0, width, height};
  AdjustWindowRectEx(&rect, WindowStyle(fullscreen), FALSE, WindowExStyle(fullscreen));
  return rect;
}

class Win32Backend final : public WindowBackend {
 public:
  explicit Win32Backend(bool hidden) : hidden_(hidden) {}
  ~Win32Backend() override {
    Destroy();
    Close();
    if (g_receiver == this) g_receiver = nullptr;
  }

  // ---- >>window class ------------------------------------------------------------------

  bool Open(std::string* error) override {
    if (open_) return true;
    WNDCLASSW wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    wc.lpfnWndProc = ReceiveMessage;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(nullptr, IDI_WINLOGO);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    // A hidden backend beside the show's window shares the class.
    if (!RegisterClassW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
      if (error) *error = LastError("RegisterClassW");
      return false;
    }
    open_ = true;
    return true;
  }

  bool Close() override {
    if (!open_) return true;
    open_ = false;
    const BOOL ok = UnregisterClassW(kClassName, GetModuleHandleW(nullptr));
    return ok || GetLastError() == ERROR_CLASS_HAS_WINDOWS;
  }

  // ---- >>window and context ------------------------------------------------------------

  bool Create(const WindowDesc& desc, std::string* error) override {
    Destroy();
    if (!Open(error)) return Fail(CreateStage::kWindow, error, error ? error->c_str() : "");
    const bool fullscreen = desc.fullscreen && !hidden_;
    // A framed window is kept no taller than the screen and its frame, which would cut a
    // capture's picture on a small screen: the never-shown one has no frame.
    const bool frameless = fullscreen || hidden_;
    const RECT rect = OuterRect(desc.width, desc.height, frameless);
    g_receiver = this;
    window_ = CreateWindowExW(WindowExStyle(frameless), kClassName, Wide(desc.title).c_str(),
                              WindowStyle(frameless) | (hidden_ ? 0 : WS_VISIBLE), 0, 0, rect.right - rect.left,
                              rect.bottom - rect.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window_) return Fail(CreateStage::kWindow, error, LastError("CreateWindowExW"));
    // Outside the client area the back buffer holds no defined pixels, so a capture reading
    // them would be wrong without a sign.
    if (RECT client{}; hidden_ && (!GetClientRect(window_, &client) || client.right != desc.width ||
                                   client.bottom != desc.height))
      return Fail(CreateStage::kWindow, error,
                  "the window's drawing area is " + std::to_string(client.right) + " x " +
                      std::to_string(client.bottom) + ", not " + std::to_string(desc.width) + " x " +
                      std::to_string(desc.height));
    if (fullscreen) ShowCursor(FALSE);
    dc_ = GetDC(window_);
    if (!dc_) return Fail(CreateStage::kDeviceContext, error, LastError("GetDC"));
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = static_cast<BYTE>(desc.bits);
    pfd.cDepthBits = 16;
    pfd.iLayerType = PFD_MAIN_PLANE;
    const int format = desc.samples > 0 ? desc.samples : ChoosePixelFormat(dc_, &pfd);
    if (format == 0) return Fail(CreateStage::kPixelFormat, error, LastError("ChoosePixelFormat"));
    if (!SetPixelFormat(dc_, format, &pfd)) return Fail(CreateStage::kSetPixelFormat, error, LastError("SetPixelFormat"));
    context_ = wglCreateContext(dc_);
    if (!context_) return Fail(CreateStage::kContext, error, LastError("wglCreateContext"));
    if (!wglMakeCurrent(dc_, context_)) return Fail(CreateStage::kMakeCurrent, error, LastError("wglMakeCurrent"));
    fullscreenWindow_ = fullscreen;
    samples_ = desc.samples > 0 ? samplesOfFormat_ : 0;
    return true;
  }

  CreateStage LastCreateFailure() const override { return stage_; }

  void Destroy() override {
    teardown_ = 0;
    if (context_) {
      if (!wglMakeCurrent(nullptr, nullptr)) teardown_ |= kTeardownReleaseCurrent;
      if (!wglDeleteContext(context_)) teardown_ |= kTeardownDeleteContext;
      context_ = nullptr;
    }
    if (dc_) {
      if (!ReleaseDC(window_, dc_)) teardown_ |= kTeardownReleaseDC;
      dc_ = nullptr;
    }
    if (window_) {
      if (fullscreenWindow_) ShowCursor(TRUE);
      if (!DestroyWindow(window_)) teardown_ |= kTeardownDestroyWindow;
      window_ = nullptr;
    }
    fullscreenWindow_ = false;
    samples_ = 0;
  }

  uint32_t LastTeardownFailures() const override { return teardown_; }
  bool IsCreated() const override { return context_ != nullptr; }
  void* WindowHandle() const override { return window_; }
  void* ContextHandle() const override { return context_; }
  int Samples() const override { return samples_; }

  // ---- >>multisample -------------------------------------------------------------------

  const char* PlatformExtensions() override {
    auto get = WglFunction<GetExtensionsStringArb>("wglGetExtensionsStringARB");
    return get ? get(wglGetCurrentDC()) : nullptr;
  }

  // One format with `wanted` samples, 24 colour and 8 alpha bits, or 0 when none is offered.
  int FindMultisampleFormat(int wanted) override {
    auto choose = WglFunction<ChoosePixelFormatArb>("wglChoosePixelFormatARB");
    if (!IsCreated() || !choose || wanted <= 0) return 0;
    const int attributes[] = {kWglDrawToWindow, 1, kWglSupportOpenGl, 1,
                              kWglAcceleration, kWglFullAcceleration, kWglColorBits, 24,
                              kWglAlphaBits, 8, kWglDepthBits, 16, kWglStencilBits, 0,
                              kWglDoubleBuffer, 1, kWglSampleBuffers, 1,
                              kWglSamples, wanted, 0, 0};
    const FLOAT floats[] = {0, 0};
    int format = 0;
    UINT count = 0;
    if (!choose(dc_, attributes, floats, 1, &format, &count) || count < 1) return 0;
    samplesOfFormat_ = wanted;
    return format;
  }

  // ---- >>display mode ------------------------------------------------------------------

  bool SetFullscreen(bool on, int width, int height, int bits) override {
    if (hidden_) return true;
    if (!on) {
      ChangeDisplaySettingsW(nullptr, 0);
      if (window_ && fullscreenWindow_) Restyle(false, width, height);
      return true;
    }
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmBitsPerPel = static_cast<DWORD>(bits);
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    if (ChangeDisplaySettingsW(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) return false;
    if (window_ && !fullscreenWindow_) Restyle(true, width, height);
    return true;
  }

  // ---- >>messages ----------------------------------------------------------------------

  bool PeekMessage(Message* msg) override {
    MSG native;
    while (pending_.empty() && PeekMessageW(&native, nullptr, 0, 0, PM_REMOVE)) {
      if (native.message == WM_QUIT) {
        *msg = {kMsgQuit, native.wParam, 0};
        return true;
      }
      TranslateMessage(&native);
      DispatchMessageW(&native);
    }
    if (pending_.empty()) return false;
    *msg = pending_.front();
    pending_.pop_front();
    return true;
  }

  void PostQuit(int code) override { PostQuitMessage(code); }
  void Swap() override {
    if (dc_) SwapBuffers(dc_);
  }

  void Show() override {
    if (!window_ || hidden_) return;
    ShowWindow(window_, SW_SHOWNORMAL);
    SetForegroundWindow(window_);
    SetFocus(window_);
  }

  // Captures and tests must never wait for a click: the hidden backend writes to stderr.
  int MessageBox(const char* text, const char* caption, unsigned style, const char* detail) override {
    return hidden_ ? ConsoleMessageBox(text, caption, style, detail) : ShowMessageBox(text, caption, style, detail);
  }

  // The window procedure's part: true when the message is the window class's to read.
  bool Receive(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
      case WM_ACTIVATE: case WM_SIZE: case WM_CLOSE: case WM_KEYDOWN: case WM_KEYUP:
        pending_.push_back({msg, wParam, lParam});
        return true;
      case WM_SYSCOMMAND:
        return wParam == kScScreenSave || wParam == kScMonitorPower;
      default:
        return false;
    }
  }

 private:
  bool Fail(CreateStage failed, std::string* error, const std::string& why) {
    const std::string text = why;
    Destroy();
    if (error) *error = text;
    stage_ = failed;
    return false;
  }

  void Restyle(bool fullscreen, int width, int height) {
    const RECT rect = OuterRect(width, height, fullscreen);
    SetWindowLongPtrW(window_, GWL_STYLE, WindowStyle(fullscreen) | WS_VISIBLE);
    SetWindowLongPtrW(window_, GWL_EXSTYLE, WindowExStyle(fullscreen));
    SetWindowPos(window_, HWND_TOP, 0, 0, rect.right - rect.left, rect.bottom - rect.top, SWP_FRAMECHANGED);
    ShowCursor(fullscreen ? FALSE : TRUE);
    fullscreenWindow_ = fullscreen;
  }

  bool hidden_;
  bool open_ = false;
  HWND window_ = nullptr;
  HDC dc_ = nullptr;
  HGLRC context_ = nullptr;
  bool fullscreenWindow_ = false;
  int samples_ = 0;
  int samplesOfFormat_ = 0;
  CreateStage stage_ = CreateStage::kNone;
  uint32_t teardown_ = 0;
  std::deque<Message> pending_;
};

LRESULT CALLBACK ReceiveMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (g_receiver && g_receiver->Receive(msg, wParam, lParam)) return 0;
  return DefWindowProcW(hWnd, msg, wParam, lParam);
}

}  // namespace

std::unique_ptr<WindowBackend> CreateScreenBackend() { return std::make_unique<Win32Backend>(false); }

// A window that is never shown: captures draw into its back buffer and read it before the swap.
std::unique_ptr<WindowBackend> CreateHeadlessBackend() { return std::make_unique<Win32Backend>(true); }

}  // namespace plat
