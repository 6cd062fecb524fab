// windows_system.h -- cWindowsSystem: the one window and OpenGL context, the keyboard state and the frame loop.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/window_backend.h"

namespace MorlenGL {

// Viewport and perspective that ApplyProjection sends, computed without OpenGL.
struct Projection {
  int32_t viewportWidth = 0;
  int32_t viewportHeight = 0;
  double fovy = 45.0;
  double aspect = 1.0;
  double zNear = 1.0;
  double zFar = 10000.0;
};

// A zero height counts as 1, so the aspect ratio stays finite.
Projection ComputeProjection(int32_t width, int32_t height, float zNear, float zFar);

// Exactly one per process (the application derives from it); window messages reach it
// through g_pWindowsSystem. Owns its window backend; handles are non-null only while the
// window and context exist.
// The exit code of a show whose window or context could not be made (no display, no
// OpenGL context): a failure, told apart from the codes the show itself ends with.
constexpr int kExitNoWindow = 4;

class cWindowsSystem {
 public:
  cWindowsSystem();

  // ---- >>hooks, in slot order ----
  virtual void Deinitialize() {}
  virtual ~cWindowsSystem();
  virtual bool Initialize();
  virtual bool LoadingStep();
  virtual bool UpdateFrame() { return true; }
  virtual bool DrawFrame();  // false ends the loop
  virtual bool IsFinished() { return false; }
  virtual void AskFullscreen();
  virtual int MessageLoop();
  virtual intptr_t WindowProc(void*& hWnd, uint32_t& msg, uintptr_t& wParam, intptr_t& lParam);

  // ---- >>operations ----
  // 0 when the show ran or the viewer declined windowed mode; kExitNoWindow when no window could be made.
  int Run();
  bool CreateWindowAndContext();
  void DestroyWindowAndContext();
  void ApplyProjection();
  bool ChooseMultisampleFormat();
  bool HasWglExtension(const char* name);
  // The search rule on a given list: a hit counts at the start or after a space, followed
  // by the end or a space.
  static bool HasWglExtension(const char* name, const char* extensions);
  static intptr_t StaticWndProc(void* hWnd, uint32_t msg, uintptr_t wParam, intptr_t lParam);

  // The backend is chosen by the owner before Run: SDL for the show, headless EGL for
  // captures, the fake for tests. Without one, the first use picks SDL.
  void SetBackend(std::unique_ptr<plat::WindowBackend> backend);
  plat::WindowBackend* Backend();
  // A message box through the backend (style and result as in platform/message_box.h);
  // the detail, if any, goes to stderr only.
  int ShowMessage(const char* text, const char* caption, unsigned style, const char* detail = nullptr);

  // ---- >>fields ----
  void* m_hDC = nullptr;        // the window's drawable; null when no window exists
  void* m_hRC = nullptr;        // rendering context; null when none
  void* m_hWnd = nullptr;       // the window; null when none
  void* m_hInstance = nullptr;  // the backend while its window system is open
  bool m_keys[256] = {};        // by virtual-key code; true while held
  bool m_active = true;         // not minimised: frames are made only while true
  bool m_fullscreen = true;
  float m_zFar = 10000.0f;
  float m_zNear = 1.0f;
  int32_t m_width = 800;        // client size, also the full-screen mode size
  int32_t m_height = 600;
  int32_t m_bits = 32;
  std::string m_title = "Do a object.SetTitle(char *name)";  // UTF-8
  bool m_askFullscreen = true;
  bool m_loadingPending = true;
  bool m_declinedWindowed = false;  // the viewer answered No to windowed mode: closing is no failure
  bool m_multisampleSupported = false;
  int32_t m_multisampleFormat = 0;

 private:
  plat::WindowBackend& EnsureBackend();
  bool OfferWindowedFallback();
  bool ToggleFullscreen();
  void ReportCreateFailure(plat::CreateStage stage, const std::string& why);
  void ReportTeardownFailures(uint32_t failures);

  std::unique_ptr<plat::WindowBackend> m_backend;
};

// The instance that receives window messages; the entry point sets it before Run.
extern cWindowsSystem* g_pWindowsSystem;

}  // namespace MorlenGL
