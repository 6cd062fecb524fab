// camera.h -- the scenes' camera record and small single-precision vector helpers.
#pragma once

namespace MorlenGL {

struct CameraPoint {
  double x = 0, y = 0, z = 0;
};

// Held by value in each scene. The scene fills the projection fields itself and the three points
// through SetLookAt.
struct Camera {
  CameraPoint eye;
  CameraPoint centre;
  CameraPoint up;
  double fovY = 0;  // degrees
  double aspect = 0;
  double zNear = 0, zFar = 0;
};

// Stores eye, centre and up; the projection fields stay as they are.
void SetLookAt(Camera& camera, double eyeX, double eyeY, double eyeZ, double centreX,
               double centreY, double centreZ, double upX, double upY, double upZ);

// Loads the projection into GL_PROJECTION and the look-at alone into GL_MODELVIEW, which stays
// the current matrix mode.
void Apply(const Camera& camera);

// Multiplies the look-at onto the current matrix: no mode change, no identity (for use inside a
// pushed matrix).
void ApplyLookAt(const Camera& camera);

struct Vec3 {
  float x = 0, y = 0, z = 0;
};

Vec3 Add(Vec3 a, Vec3 b);
Vec3 Scale(Vec3 a, float s);

// The cubic Bezier point p0 (1-t)^3 + 3 p1 t (1-t)^2 + 3 p2 t^2 (1-t) + p3 t^3, summed in that
// order of terms, all in single precision.
Vec3 BezierPoint(Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, float t);

}  // namespace MorlenGL
