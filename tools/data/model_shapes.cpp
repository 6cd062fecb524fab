// model_shapes.cpp -- the solids behind the models.
#include "model_shapes.h"

namespace datagen {

void AddSphere(Mesh& mesh, int cols, int rows, const std::function<float(V3)>& radius, bool inward, float uRepeat,
               float vRepeat) {
  mesh.AddGrid(cols, rows, [&](float s, float t, V3* p, UV* uv) {
    // Exact poles: float rounding would otherwise give the collapsed pole triangles a stray tilt.
    V3 dir = t <= 0 ? V3{0, -1, 0} : t >= 1 ? V3{0, 1, 0} : SphereDirection(s, t);
    *p = dir * radius(dir);
    *uv = {s * uRepeat, t * vRepeat};
  }, inward);
}

void AddLathe(Mesh& mesh, const std::vector<UV>& profile, int sides, V3 centre,
              const std::function<UV(float, float)>& map) {
  int last = int(profile.size()) - 1;
  mesh.AddGrid(sides, last, [&](float s, float t, V3* p, UV* uv) {
    const UV& q = profile[size_t(t * float(last) + 0.5f)];
    float a = 2 * kPi * s;
    *p = centre + V3{q.u * std::cos(a), q.v, -q.u * std::sin(a)};
    *uv = map(s, t);
  });
}

void AddLoop(Mesh& mesh, std::vector<V3> points, float radius, int sides, const std::function<UV(int, float)>& map) {
  points.push_back(points.front());
  mesh.AddTube(points, radius, sides, map);
}

std::vector<V3> Circle(V3 c, V3 a, V3 b, float r, int segments) {
  std::vector<V3> out;
  for (int i = 0; i < segments; ++i) {
    float t = 2 * kPi * float(i) / float(segments);
    out.push_back(c + a * (r * std::cos(t)) + b * (r * std::sin(t)));
  }
  return out;
}

UV HeightMapping(V3 p, V3 centre, float radius) {
  V3 d = p - centre;
  float u = std::atan2(-d.z, d.x) / (2 * kPi);
  return {u < 0 ? u + 1 : u, Clamp01((d.y / radius + 1) * 0.5f)};
}

}  // namespace datagen
