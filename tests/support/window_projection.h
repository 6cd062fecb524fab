// window_projection.h -- where a world point lands in the window, for tests that read a pixel there.
#pragma once
#include <epoxy/gl.h>
#include <GL/glu.h>

#include "assets/camera.h"

namespace testsupport {

struct WindowPoint {
  double x = 0, y = 0;       // window coordinates of a 1024 x 768 pass, y from the bottom
  double eyeDistance = 0;    // along the view axis
};

// Under the modelview and projection matrices as they stand.
inline WindowPoint ProjectToWindow(double x, double y, double z) {
  GLdouble mv[16], proj[16], wz;
  const GLint viewport[4] = {0, 0, 1024, 768};
  glGetDoublev(GL_MODELVIEW_MATRIX, mv);
  glGetDoublev(GL_PROJECTION_MATRIX, proj);
  WindowPoint p;
  gluProject(x, y, z, mv, proj, viewport, &p.x, &p.y, &wz);
  p.eyeDistance = -(mv[2] * x + mv[6] * y + mv[10] * z + mv[14]);
  return p;
}

// Under the camera's matrices, which it applies first.
inline WindowPoint ProjectToWindow(const MorlenGL::Camera& camera, double x, double y, double z) {
  Apply(camera);
  return ProjectToWindow(x, y, z);
}

}  // namespace testsupport
