// geometry.cpp -- immediate-mode primitives.
#include "assets/geometry.h"

#include <epoxy/gl.h>

namespace MorlenGL {

void DrawQuad() {
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0); glVertex3f(-1, -1, 1);
  glTexCoord2f(1, 0); glVertex3f(1, -1, 1);
  glTexCoord2f(1, 1); glVertex3f(1, 1, 1);
  glTexCoord2f(0, 1); glVertex3f(-1, 1, 1);
  glEnd();
}

}  // namespace MorlenGL
