// gl_context.cpp -- the shared headless context for tests.
#include "support/gl_context.h"

#include <epoxy/gl.h>

#include <memory>
#include <string>

#include "platform/window_backend.h"

namespace testsupport {

bool EnsureGlContext() {
  static std::unique_ptr<plat::WindowBackend> backend;
  static std::string error;
  if (!backend) {
    backend = plat::CreateHeadlessBackend();
    plat::WindowDesc desc;
    desc.width = 1024;
    desc.height = 768;
    if (!backend->Create(desc, &error)) error = "headless context: " + error;
  }
  if (!backend->IsCreated()) {
    ADD_FAILURE() << error;
    return false;
  }
  return true;
}

Rgba ReadPixel(int x, int y) {
  unsigned char p[4] = {0, 0, 0, 0};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
  return {p[0], p[1], p[2], p[3]};
}

}  // namespace testsupport
