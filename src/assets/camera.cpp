// camera.cpp -- loading the camera into OpenGL, and the vector helpers.
#include "assets/camera.h"

#include <epoxy/gl.h>
#include <GL/glu.h>

namespace MorlenGL {

void SetLookAt(Camera& camera, double eyeX, double eyeY, double eyeZ, double centreX,
               double centreY, double centreZ, double upX, double upY, double upZ) {
  camera.eye = {eyeX, eyeY, eyeZ};
  camera.centre = {centreX, centreY, centreZ};
  camera.up = {upX, upY, upZ};
}

void Apply(const Camera& camera) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(camera.fovY, camera.aspect, camera.zNear, camera.zFar);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  ApplyLookAt(camera);
}

void ApplyLookAt(const Camera& camera) {
  gluLookAt(camera.eye.x, camera.eye.y, camera.eye.z, camera.centre.x, camera.centre.y,
            camera.centre.z, camera.up.x, camera.up.y, camera.up.z);
}

Vec3 Add(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }

Vec3 Scale(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }

Vec3 BezierPoint(Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, float t) {
  const float u = 1.0f - t;
  const Vec3 a = Scale(p0, u * u * u);
  const Vec3 b = Scale(p1, 3.0f * t * u * u);
  const Vec3 c = Scale(p2, 3.0f * t * t * u);
  const Vec3 d = Scale(p3, t * t * t);
  return Add(Add(Add(a, b), c), d);
}

}  // namespace MorlenGL
