// windows_system.cpp -- window and context life, the frame loop and the window procedure.
#include "shell/windows_system.h"

#include <epoxy/gl.h>
#include <GL/glu.h>

#include <cstring>

#include "platform/diagnostics.h"
#include "platform/message_box.h"

namespace MorlenGL {

cWindowsSystem* g_pWindowsSystem = nullptr;

namespace {

using namespace plat;

constexpr unsigned kErrorStyle = kMbOk | kMbIconExclamation;
constexpr unsigned kShutdownStyle = kMbOk | kMbIconInformation;

// The pixel format is settled on the first creation of the process and reused unchanged
// by every later one, even if m_bits changes in between.
struct PixelFormatDescriptor {
  bool filled = false;
  int32_t colorBits = 0;
  int32_t depthBits = 16;
};
PixelFormatDescriptor g_pixelFormat;

const char* CreateFailureText(CreateStage stage) {
  switch (stage) {
    case CreateStage::kDeviceContext: return "Can't Create A GL Device Context.";
    case CreateStage::kPixelFormat: return "Can't Find A Suitable PixelFormat.";
    case CreateStage::kSetPixelFormat: return "Can't Set The PixelFormat.";
    case CreateStage::kContext: return "Can't Create A GL Rendering Context.";
    case CreateStage::kMakeCurrent: return "Can't Activate The GL Rendering Context.";
    case CreateStage::kWindow:
    case CreateStage::kNone: break;
  }
  return "Window Creation Error.";
}

bool HighWord(uintptr_t value) { return ((value >> 16) & 0xFFFF) != 0; }

}  // namespace

Projection ComputeProjection(int32_t width, int32_t height, float zNear, float zFar) {
  Projection p;
  p.viewportWidth = width;
  p.viewportHeight = height == 0 ? 1 : height;
  p.aspect = static_cast<double>(p.viewportWidth) / static_cast<double>(p.viewportHeight);
  p.zNear = zNear;
  p.zFar = zFar;
  return p;
}

cWindowsSystem::cWindowsSystem() = default;

cWindowsSystem::~cWindowsSystem() {
  if (g_pWindowsSystem == this) g_pWindowsSystem = nullptr;
}

// ---- >>backend --------------------------------------------------------------------------

void cWindowsSystem::SetBackend(std::unique_ptr<plat::WindowBackend> backend) { m_backend = std::move(backend); }

plat::WindowBackend* cWindowsSystem::Backend() { return &EnsureBackend(); }

plat::WindowBackend& cWindowsSystem::EnsureBackend() {
  if (!m_backend) m_backend = CreateScreenBackend();
  return *m_backend;
}

int cWindowsSystem::ShowMessage(const char* text, const char* caption, unsigned style, const char* detail) {
  return EnsureBackend().MessageBox(text, caption, style, detail);
}

// ---- >>default hooks ----------------------------------------------------------------------

bool cWindowsSystem::Initialize() {
  if (!EnsureBackend().ProvidesOpenGL()) return true;
  glShadeModel(GL_SMOOTH);
  glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
  glClearDepth(1.0);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  return true;
}

// Nothing to load here; leaving the flag set would keep Run in its loading loop for ever.
bool cWindowsSystem::LoadingStep() {
  m_loadingPending = false;
  return true;
}

bool cWindowsSystem::DrawFrame() {
  if (!EnsureBackend().ProvidesOpenGL()) return true;
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  return true;
}

void cWindowsSystem::AskFullscreen() {
  if (ShowMessage("Would You Like To Run In Fullscreen Mode?", "Start Fullscreen?", kMbYesNo | kMbIconQuestion) ==
      kIdNo)
    m_fullscreen = false;
}

// ---- >>run --------------------------------------------------------------------------------

int cWindowsSystem::Run() {
  // The window procedure has nowhere else to go.
  if (!g_pWindowsSystem) g_pWindowsSystem = this;
  if (m_askFullscreen) AskFullscreen();
  if (!CreateWindowAndContext()) return m_declinedWindowed ? 0 : kExitNoWindow;
  while (m_loadingPending) {
    LoadingStep();
    m_backend->Swap();
  }
  Initialize();
  m_backend->Show();
  MessageLoop();
  DestroyWindowAndContext();
  return 0;
}

// ---- >>creation and teardown ----------------------------------------------------------------

// Yes runs windowed; No closes the program.
bool cWindowsSystem::OfferWindowedFallback() {
  if (ShowMessage("The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?",
                  "Ravik GL", kMbYesNo | kMbIconExclamation) == kIdYes) {
    m_fullscreen = false;
    return true;
  }
  ShowMessage("Program Will Now Close.", "ERROR", kMbOk | kMbIconStop);
  m_declinedWindowed = true;
  return false;
}

void cWindowsSystem::ReportCreateFailure(plat::CreateStage stage, const std::string& why) {
  ShowMessage(CreateFailureText(stage), "ERROR", kErrorStyle, why.c_str());
}

bool cWindowsSystem::CreateWindowAndContext() {
  WindowBackend& backend = EnsureBackend();
  std::string why;
  // 1-2. The window system (the window class).
  if (!backend.Open(&why)) {
    ShowMessage("Failed To Register The Window Class.", "ERROR", kErrorStyle, why.c_str());
    return false;
  }
  m_hInstance = &backend;
  // 3. The full-screen display mode, or the windowed fallback.
  if (m_fullscreen && !backend.SetFullscreen(true, m_width, m_height, m_bits) && !OfferWindowedFallback()) {
    backend.Close();
    m_hInstance = nullptr;
    return false;
  }
  // 4-12. Window, pixel format and context.
  if (!g_pixelFormat.filled) g_pixelFormat = {true, m_bits, 16};
  WindowDesc desc;
  desc.width = m_width;
  desc.height = m_height;
  desc.bits = g_pixelFormat.colorBits;
  desc.fullscreen = m_fullscreen;
  desc.title = m_title;
  desc.samples = m_multisampleSupported ? m_multisampleFormat : 0;
  if (!backend.Create(desc, &why)) {
    const CreateStage stage = backend.LastCreateFailure();
    DestroyWindowAndContext();
    ReportCreateFailure(stage, why);
    return false;
  }
  m_hWnd = backend.WindowHandle();
  m_hDC = m_hWnd;
  m_hRC = backend.ContextHandle();
  // 13. A multisample format needs a current context to be found, then a new window to be used.
  if (!m_multisampleSupported && ChooseMultisampleFormat()) {
    DestroyWindowAndContext();
    return CreateWindowAndContext();
  }
  // 14.
  backend.Show();
  ApplyProjection();
  return true;
}

void cWindowsSystem::ReportTeardownFailures(uint32_t failures) {
  if (m_hRC) {
    if (failures & kTeardownReleaseCurrent) ShowMessage("Release Of DC And RC Failed.", "SHUTDOWN ERROR", kShutdownStyle);
    if (failures & kTeardownDeleteContext)
      ShowMessage("Release Rendering Context Failed.", "SHUTDOWN ERROR", kShutdownStyle);
  }
  if (m_hDC && (failures & kTeardownReleaseDC))
    ShowMessage("Release Device Context Failed.", "SHUTDOWN ERROR", kShutdownStyle);
  if (m_hWnd && (failures & kTeardownDestroyWindow))
    ShowMessage("Could Not Release m_hWnd.", "SHUTDOWN ERROR", kShutdownStyle);
}

void cWindowsSystem::DestroyWindowAndContext() {
  Deinitialize();
  WindowBackend& backend = EnsureBackend();
  if (m_fullscreen) backend.SetFullscreen(false, m_width, m_height, m_bits);
  backend.Destroy();
  ReportTeardownFailures(backend.LastTeardownFailures());
  m_hRC = nullptr;
  m_hDC = nullptr;
  m_hWnd = nullptr;
  if (!backend.Close()) ShowMessage("Could Not Unregister Class.", "SHUTDOWN ERROR", kShutdownStyle);
  m_hInstance = nullptr;
}

// ---- >>projection and pixel formats ----------------------------------------------------------

void cWindowsSystem::ApplyProjection() {
  if (m_height == 0) m_height = 1;
  const Projection p = ComputeProjection(m_width, m_height, m_zNear, m_zFar);
  WindowBackend& backend = EnsureBackend();
  if (!backend.ProvidesOpenGL() || !backend.IsCreated()) return;
  glViewport(0, 0, p.viewportWidth, p.viewportHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(p.fovy, p.aspect, p.zNear, p.zFar);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

// Asks for 4 samples, then 2; without the extension or a match the plain format stays.
bool cWindowsSystem::ChooseMultisampleFormat() {
  if (!HasWglExtension("WGL_ARB_multisample")) {
    m_multisampleSupported = false;
    return false;
  }
  for (int samples : {4, 2}) {
    if (const int format = EnsureBackend().FindMultisampleFormat(samples)) {
      m_multisampleSupported = true;
      m_multisampleFormat = format;
      return true;
    }
  }
  return false;
}

bool cWindowsSystem::HasWglExtension(const char* name) {
  WindowBackend& backend = EnsureBackend();
  const char* extensions = backend.PlatformExtensions();
  if (!extensions) extensions = backend.GlExtensions();
  return extensions && HasWglExtension(name, extensions);
}

bool cWindowsSystem::HasWglExtension(const char* name, const char* extensions) {
  if (!name || !extensions) return false;
  const size_t length = strlen(name);
  if (length == 0) return false;
  for (const char* hit = extensions; (hit = strstr(hit, name)) != nullptr; ++hit) {
    const bool starts = hit == extensions || hit[-1] == ' ';
    const bool ends = hit[length] == '\0' || hit[length] == ' ';
    if (starts && ends) return true;
  }
  return false;
}

// ---- >>message loop ------------------------------------------------------------------------

// F1 keeps the window and its context (and so every texture, program and render target):
// only the display mode changes. A switch that fails ends the loop.
bool cWindowsSystem::ToggleFullscreen() {
  WindowBackend& backend = EnsureBackend();
  m_keys[kVkF1] = false;
  m_fullscreen = !m_fullscreen;
  if (m_fullscreen && !backend.SetFullscreen(true, m_width, m_height, m_bits) && !OfferWindowedFallback())
    return false;
  if (!m_fullscreen && !backend.SetFullscreen(false, m_width, m_height, m_bits)) {
    Report("window: cannot leave full screen");
    return false;
  }
  backend.Show();
  ApplyProjection();
  return true;
}

int cWindowsSystem::MessageLoop() {
  WindowBackend& backend = EnsureBackend();
  bool done = false;
  for (;;) {
    Message msg;
    if (backend.PeekMessage(&msg)) {
      if (msg.id == kMsgQuit) return static_cast<int>(msg.wParam);
      StaticWndProc(m_hWnd, msg.id, msg.wParam, msg.lParam);
      continue;
    }
    if (m_active) {
      if (m_keys[kVkEscape]) {
        done = true;
      } else {
        UpdateFrame();
        if (!DrawFrame()) done = true;
        backend.Swap();
      }
    }
    if (m_keys[kVkF1] && !ToggleFullscreen()) return 0;
    if (done) return 0;
  }
}

intptr_t cWindowsSystem::StaticWndProc(void* hWnd, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  if (!g_pWindowsSystem) return DefaultWindowProc(hWnd, msg, wParam, lParam);
  return g_pWindowsSystem->WindowProc(hWnd, msg, wParam, lParam);
}

intptr_t cWindowsSystem::WindowProc(void*& hWnd, uint32_t& msg, uintptr_t& wParam, intptr_t& lParam) {
  switch (msg) {
    case kMsgActivate:
      m_active = !HighWord(wParam);
      return 0;
    case kMsgSysCommand:
      if (wParam == kScScreenSave || wParam == kScMonitorPower) return 0;
      break;
    case kMsgClose:
      EnsureBackend().PostQuit(0);
      return 0;
    case kMsgKeyDown:
    case kMsgKeyUp:
      // Codes past the table come only from a broken sender; they must not write past it.
      if (wParam < sizeof m_keys) m_keys[wParam] = msg == kMsgKeyDown;
      return 0;
    case kMsgSize:
      m_width = static_cast<int32_t>(lParam & 0xFFFF);
      m_height = static_cast<int32_t>((lParam >> 16) & 0xFFFF);
      ApplyProjection();
      return 0;
    default:
      break;
  }
  return DefaultWindowProc(hWnd, msg, wParam, lParam);
}

}  // namespace MorlenGL
