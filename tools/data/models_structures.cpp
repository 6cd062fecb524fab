// models_structures.cpp -- the built things: wheel, chains, pillared room, tower and credit ring.
#include <cstdio>

#include "model_shapes.h"

namespace datagen {

// Planar mapping across the xy plane, for parts that face the viewer.
static UV Planar(V3 p, float size) { return {p.x / size + 0.5f, p.y / size + 0.5f}; }

// ---- [wheel: a spoked gear in the xy plane, axle along z] ----

Model Wheel() {
  const float rim = 140, inner = 118, hub = 52;
  Mesh mesh{"wheel"};
  auto along = [](int n) { return [n](int k, float s) { return UV{float(k) / float(n), s}; }; };
  AddLoop(mesh, Circle({}, {1, 0, 0}, {0, 1, 0}, rim, 96), 10, 8, along(96));
  AddLoop(mesh, Circle({}, {1, 0, 0}, {0, 1, 0}, inner, 96), 5, 6, along(96));
  AddLoop(mesh, Circle({}, {1, 0, 0}, {0, 1, 0}, hub, 48), 9, 8, along(48));
  for (int k = 0; k < 8; ++k) {  // spokes from hub to inner rim
    float a = 2 * kPi * float(k) / 8 + 0.2f;
    V3 dir{std::cos(a), std::sin(a), 0};
    mesh.AddTube({dir * (hub + 6), dir * ((hub + inner) / 2), dir * (inner - 2)}, 6, 8, along(2));
  }
  for (int k = 0; k < 24; ++k) {  // teeth on the outer rim
    float a = 2 * kPi * float(k) / 24;
    V3 c{std::cos(a) * (rim + 14), std::sin(a) * (rim + 14), 0};
    Mesh tooth;
    tooth.AddBox({-8, -7, -7}, {8, 7, 7}, [](V3 p) { return Planar(p, 300); });
    for (V3 p : tooth.positions) {  // turn the tooth to point outwards
      V3 q{p.x * std::cos(a) - p.y * std::sin(a), p.x * std::sin(a) + p.y * std::cos(a), p.z};
      mesh.AddVertex(c + q, Planar(c + q, 300));
    }
    int base = int(mesh.positions.size() - tooth.positions.size());
    for (const auto& f : tooth.faces) mesh.AddFace(base + f[0], base + f[1], base + f[2]);
  }
  return {"wheelmetal", "wheel_diff.jpg", {mesh}};
}

// ---- [chains: oval links hanging along -y, each turned a quarter to the last] ----

Model Chains() {
  Model m{"chainmetal", "wheel_diff.jpg", {}};
  for (int strand = 0; strand < 4; ++strand) {
    Mesh mesh;
    char name[16];
    std::snprintf(name, sizeof name, "chain%d", strand);
    mesh.name = name;
    float x = -150 + 100 * float(strand);
    for (int link = 0; link < 12; ++link) {
      std::vector<V3> pts;
      V3 side = link % 2 ? V3{0, 0, 1} : V3{1, 0, 0};
      float cy = -float(link) * 44;
      for (int i = 0; i < 32; ++i) {  // stadium: two half circles of radius 12 joined by straights of 36
        float t = 2 * kPi * float(i) / 32;
        float oy = std::sin(t) > 0 ? 18 : -18;
        pts.push_back(V3{x, cy + oy, 0} + side * (12 * std::cos(t)) + V3{0, 12 * std::sin(t), 0});
      }
      AddLoop(mesh, pts, 3.5f, 6, [](int k, float s) { return UV{float(k) / 32, s}; });
    }
    m.objects.push_back(mesh);
  }
  return m;
}

// ---- [pillared room: floor, dais, twelve fluted columns, architrave and an outer wall] ----

// The floor lies sunk below the tower's footing (y = 0): the greeting orbit dips to y = -40 and its
// spheres bounce at -38, so a floor at the footing (-30 there) would hide them and put the camera under it.
constexpr float kSunkFloor = -240;

static void Column(Mesh& mesh, V3 base) {
  auto stone = [](V3 p) { return UV{(p.x + p.z) / 240, p.y / 240}; };
  Mesh parts;
  parts.AddBox(base + V3{-110, kSunkFloor, -110}, base + V3{110, 0, 110}, stone);  // pedestal
  parts.AddBox(base + V3{-95, 0, -95}, base + V3{95, 70, 95}, stone);             // plinth
  parts.AddBox(base + V3{-105, 1480, -105}, base + V3{105, 1560, 105}, stone);  // abacus
  for (size_t i = 0; i < parts.positions.size(); ++i) mesh.AddVertex(parts.positions[i], parts.uvs[i]);
  int first = int(mesh.positions.size() - parts.positions.size());
  for (const auto& f : parts.faces) mesh.AddFace(first + f[0], first + f[1], first + f[2]);
  // Fluted shaft with a slight swell, then the flaring capital.
  std::vector<UV> profile;
  for (int i = 0; i <= 10; ++i) {
    float t = float(i) / 10;
    profile.push_back({62 - 8 * t + 6 * std::sin(kPi * t), 70 + 1320 * t});
  }
  profile.push_back({70, 1420});
  profile.push_back({96, 1480});
  Mesh shaft;
  AddLathe(shaft, profile, 32, base, [](float s, float t) { return UV{s * 2, t * 6}; });
  for (size_t i = 0; i < shaft.positions.size(); ++i) {
    V3 p = shaft.positions[i];
    float a = std::atan2(p.z - base.z, p.x - base.x);
    float flute = 1 - 0.06f * std::fabs(std::sin(8 * a));  // sixteen shallow grooves
    if (p.y < 1400) p = base + V3{(p.x - base.x) * flute, p.y - base.y, (p.z - base.z) * flute};
    mesh.AddVertex(p, shaft.uvs[i]);
  }
  int s0 = int(mesh.positions.size() - shaft.positions.size());
  for (const auto& f : shaft.faces) mesh.AddFace(s0 + f[0], s0 + f[1], s0 + f[2]);
}

Model PillarRoom() {
  Model m{"pillarstone", "pillarroom_diff.jpg", {}};
  Mesh floor{"floor"};
  floor.AddGrid(64, 12, [](float s, float t, V3* p, UV* uv) {
    float a = 2 * kPi * s, r = 1500 * t;
    *p = {r * std::cos(a), kSunkFloor, -r * std::sin(a)};
    *uv = {p->x / 250, p->z / 250};
  }, true);  // facing up
  // Steps up from the floor to the low round dais that the tower stands on. Lathe profiles keep
  // their outside on the left.
  AddLathe(floor, {{480, kSunkFloor}, {480, -160}, {400, -160}, {400, -80}, {340, -80}, {340, 0}, {300, 0},
                   {300, 40}, {0.01f, 40}},
           48, {}, [](float s, float t) { return UV{s * 6, t * 4}; });
  Mesh columns{"columns"};
  for (int k = 0; k < 12; ++k) {
    float a = 2 * kPi * float(k) / 12;
    Column(columns, {950 * std::cos(a), 0, -950 * std::sin(a)});
  }
  Mesh beam{"architrave"};
  // Ring beam resting on the capitals: outer face, inner face, top and bottom.
  const float lo = 1560, hi = 1680, rin = 860, rout = 1040;
  AddLathe(beam, {{rout, lo}, {rout, hi}}, 96, {}, [](float s, float t) { return UV{s * 24, t}; });
  AddLathe(beam, {{rin, hi}, {rin, lo}}, 96, {}, [](float s, float t) { return UV{s * 24, t}; });
  AddLathe(beam, {{rout, hi}, {rin, hi}}, 96, {}, [](float s, float t) { return UV{s * 24, t}; });
  AddLathe(beam, {{rin, lo}, {rout, lo}}, 96, {}, [](float s, float t) { return UV{s * 24, t}; });
  Mesh wall{"wall"};
  // The outer wall, seen from inside, with a cornice; the room is open to the sky.
  AddLathe(wall, {{1500, 1150}, {1500, kSunkFloor}}, 96, {}, [](float s, float t) { return UV{s * 20, (1 - t) * 5.5f}; });
  AddLathe(wall, {{1500, 1220}, {1440, 1220}, {1440, 1150}, {1500, 1150}}, 96, {},
           [](float s, float t) { return UV{s * 20, t}; });
  m.objects = {floor, columns, beam, wall};
  return m;
}

// ---- [tower: stepped base, fluted shaft with three collars, crown and spires] ----

Model Tower() {
  Mesh mesh{"tower"};
  auto map = [](float s, float t) { return UV{s * 4, t * 8}; };
  AddLathe(mesh, {{0.01f, 0}, {210, 0}, {210, 50}, {170, 50}, {170, 100}, {120, 110}}, 8, {}, map);
  std::vector<UV> shaft;
  for (int i = 0; i <= 16; ++i) shaft.push_back({110 - 20 * float(i) / 16, 110 + 790 * float(i) / 16});
  AddLathe(mesh, shaft, 24, {}, map);
  for (float y : {320.0f, 560.0f, 800.0f}) {
    float r = 110 - 20 * (y - 110) / 790 + 12;  // a fat collar half sunk into the shaft
    AddLoop(mesh, Circle({0, y, 0}, {1, 0, 0}, {0, 0, -1}, r, 48), 22, 10,
            [](int k, float s) { return UV{float(k) / 12, s}; });
  }
  AddLathe(mesh, {{90, 900}, {170, 960}, {175, 990}, {130, 1000}, {60, 1020}, {0.01f, 1150}}, 24, {}, map);
  for (int k = 0; k < 8; ++k) {
    float a = 2 * kPi * float(k) / 8;
    V3 c{150 * std::cos(a), 0, -150 * std::sin(a)};
    AddLathe(mesh, {{14, 990}, {12, 1040}, {0.01f, 1100}}, 8, c, map);
  }
  return {"towerstone", "towertexture.jpg", {mesh}};
}

// ---- [credit ring: a band carrying the greetings, with a rolled edge above and below] ----

Model CreditRing() {
  const float r = 360, half = 70;
  Mesh mesh{"credring"};
  // v runs down the picture (0 at the band's lower edge, which the scene's mirror puts on top).
  AddLathe(mesh, {{r, -half}, {r, half}}, 128, {}, [](float s, float t) { return UV{s, 0.04f + 0.92f * t}; });
  for (float y : {-half, half}) {
    float v = y < 0 ? 0.015f : 0.985f;  // the solid border lines at the picture's top and bottom
    AddLoop(mesh, Circle({0, y, 0}, {1, 0, 0}, {0, 0, -1}, r, 128), 4, 6,
            [v](int k, float) { return UV{float(k) / 128, v}; });
  }
  return {"greetings", "greet1.png", {mesh}};
}

}  // namespace datagen
