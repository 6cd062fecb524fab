// camera_test.cpp -- the camera's matrices read back from the headless context, and the vector helpers.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "assets/camera.h"
#include "support/gl_context.h"

using namespace MorlenGL;

namespace {

void ReadMatrix(GLenum which, float m[16]) { glGetFloatv(which, m); }

Camera SceneCamera() {
  Camera c;
  c.fovY = 45;
  c.aspect = 1.0;
  c.zNear = 0.01;
  c.zFar = 10000;
  // Eye on +x looking at the origin: the view turns +x into +z.
  SetLookAt(c, 3, 0, 0, 0, 0, 0, 0, 1, 0);
  return c;
}

// Column-major look-at of SceneCamera(): rows s = (0, 0, -1), u = (0, 1, 0), -f = (1, 0, 0),
// translation R * -eye = (0, 0, -3).
const float kLookAt[16] = {0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, -3, 1};

}  // namespace

TEST(Camera, ApplyLoadsProjectionAndLeavesOnlyTheLookAtInModelview) {
  REQUIRE_GL();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(5, 6, 7);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glScalef(3, 3, 3);

  Apply(SceneCamera());

  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
  float m[16];
  ReadMatrix(GL_MODELVIEW_MATRIX, m);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(m[i], kLookAt[i], 1e-6f) << i;

  const float f = static_cast<float>(1.0 / std::tan(22.5 * M_PI / 180.0));
  ReadMatrix(GL_PROJECTION_MATRIX, m);
  EXPECT_NEAR(m[0], f, 1e-5f);
  EXPECT_NEAR(m[5], f, 1e-5f);
  EXPECT_NEAR(m[10], -(10000 + 0.01) / (10000 - 0.01), 1e-6f);
  EXPECT_EQ(m[11], -1);
  EXPECT_NEAR(m[14], -2 * 10000 * 0.01 / (10000 - 0.01), 1e-6f);
  EXPECT_EQ(m[15], 0);
}

TEST(Camera, ApplyLookAtMultipliesOntoTheCurrentMatrix) {
  REQUIRE_GL();
  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(1, 2, 3);
  ApplyLookAt(SceneCamera());
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
  float m[16];
  ReadMatrix(GL_MODELVIEW_MATRIX, m);
  for (int i = 0; i < 12; ++i) EXPECT_NEAR(m[i], kLookAt[i], 1e-6f) << i;
  EXPECT_NEAR(m[12], 1, 1e-6f);
  EXPECT_NEAR(m[13], 2, 1e-6f);
  EXPECT_NEAR(m[14], 0, 1e-6f);
}

TEST(Vec3, BezierPointEndsAndMiddle) {
  const Vec3 p0{1, 2, 3}, p1{-4, 8, 0.5f}, p2{7, -1, 2}, p3{0.25f, 6, -9};
  const Vec3 start = BezierPoint(p0, p1, p2, p3, 0);
  const Vec3 end = BezierPoint(p0, p1, p2, p3, 1);
  EXPECT_EQ(start.x, p0.x);
  EXPECT_EQ(start.y, p0.y);
  EXPECT_EQ(start.z, p0.z);
  EXPECT_EQ(end.x, p3.x);
  EXPECT_EQ(end.y, p3.y);
  EXPECT_EQ(end.z, p3.z);
  // Half way: (p0 + 3 p1 + 3 p2 + p3) / 8.
  const Vec3 mid = BezierPoint(p0, p1, p2, p3, 0.5f);
  EXPECT_FLOAT_EQ(mid.x, (1 - 12 + 21 + 0.25f) / 8);
  EXPECT_FLOAT_EQ(mid.y, (2 + 24 - 3 + 6) / 8.0f);
}
