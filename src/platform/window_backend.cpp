// window_backend.cpp -- what every backend shares by default, and the factory that picks one.
#include "platform/window_backend.h"

#include <epoxy/gl.h>

#include "platform/message_box.h"

namespace plat {

const char* WindowBackend::GlExtensions() {
  if (!IsCreated()) return nullptr;
  return reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
}

int WindowBackend::MessageBox(const char* text, const char* caption, unsigned style, const char* detail) {
  return ConsoleMessageBox(text, caption, style, detail);
}

std::unique_ptr<WindowBackend> CreateWindowBackend(BackendKind kind) {
  switch (kind) {
    case BackendKind::kHeadless: return CreateHeadlessBackend();
    case BackendKind::kSdl: break;
  }
  return CreateScreenBackend();
}

bool BackendKindFromName(const std::string& name, BackendKind* kind) {
  if (name == "sdl") *kind = BackendKind::kSdl;
  else if (name == "headless") *kind = BackendKind::kHeadless;
  else return false;
  return true;
}

}  // namespace plat
