// models.cpp -- every 3DS model of the show, sized for the scenes that draw it.
//
// How each size follows from the scenes (world = model units x the scene's scale):
//
// | model          | drawn by (transform)                              | camera / neighbours                    | model size                       |
// |----------------|---------------------------------------------------|----------------------------------------|----------------------------------|
// | planet01       | planet scene, scale 0.2                           | track eye 78..118 from the centre;     | radius 225 -> 45; the surface    |
// |                |                                                   | focus starts at 30                     | sits ~33 in front of the eye     |
// | planet01cage   | planet scene 0.2; water scene 0.105               | must enclose the water sphere 23.2     | radius 240 -> 48 / 25.2          |
// | waterplanet    | water scene, scale 0.1                            | water sphere radius 23.2, eye at 100   | 215 + 30 h -> 21.5..24.5         |
// | sky_sphere     | planet (20,-20,20); metaballs 0.2; tree 8; water 8| eye <= 120; metaball eye at 8          | radius 50 -> 1000 / 10 / 400     |
// | sky_ring       | planet x0.6 / x0.18 of the sky; tree, water 6     | around the eye                         | annulus 30..48 -> 180..288       |
// | treball        | tree scene 0.1; metaball scene 0.005 x fade       | eye 100 -> 60                          | radius 200 -> 20 / 1             |
// | treeballcage   | tree scene: translate (-59,0,0) then scale 0.1    | must surround the tree at the origin   | centred at x = +590, radius 230; |
// |                | (shattered: each flat strut pushed by its normal) |                                        | flat struts, one normal each     |
// | leaf           | tree scene 0.1 on its curve (256,500,107)...      | eye ~75 from it                        | 60 across -> 6                   |
// | feather        | tree and water particles, scale 0.2               | spread 30 around the planets           | 15 long -> 3                     |
// | meteor, crack  | cave scenes, scale 0.05                           | eye circles at 10..14; the god-ray     | radius 26..38 -> 1.3..1.9: the   |
// |                |                                                   | sphere behind it has radius 2          | sphere's rim shows round it      |
// | cave           | cave scenes, scale 20                             | eye at 10..14, 27 during the jolt      | radius 1.9 -> 38, seen inside    |
// | wheel          | cave scenes 0.01 at 5 on each axis, facing in     | chrome spheres of radius 0.4 there     | rim 150 -> 1.5, hub hole 45 -> .45|
// | chains         | cave scenes (loaded, not drawn), as the wheels    |                                        | links 60 long                    |
// | pillarroom     | greeting: y -30, 0.05; metaballs: y -10, 0.01     | eye at 40..57 / 8 from the centre,     | floor 1500 at -240 -> y -42,     |
// |                |                                                   | greeting eye and spheres down to -40   | pillars at 950, dais 0 -> -30    |
// | pillarbitch    | greeting: y -30, 0.05                             | rings at y -10 and +10                 | 1150 tall -> up to y = 27.5      |
// | credring       | greeting: (0.05,-0.05,0.05) at y +-200            | around the tower (radius 6)            | radius 360, band 140 -> 18 / 7   |
#include <algorithm>
#include <cstdio>

#include "data_set.h"
#include "platform/diagnostics.h"
#include "model_shapes.h"

namespace datagen {

// ---- [planets and skies] ----

// A model of one displaced sphere; `inward` for the skies, which are seen from inside.
static Model SphereModel(const char* material, const char* texture, const char* object,
                         int cols, int rows, const std::function<float(V3)>& radius, bool inward) {
  Model m{material, texture, {Mesh(object)}};
  AddSphere(m.objects[0], cols, rows, radius, inward);
  return m;
}

static Model Planet01() {
  return SphereModel("planet", "planetdiffusemap.jpg", "planet", 128, 64,
                     [](V3 d) { return 225.0f * (1 + 0.025f * (PlanetHeight(d) - 0.5f)); }, false);
}

static Model WaterPlanet() {
  return SphereModel("waterplanet", "planetdiffusemapnature.jpg", "land", 128, 64,
                     [](V3 d) { return 215.0f + 30.0f * PlanetHeight(d); }, false);
}

static Model TreeBall() {
  return SphereModel("treeball", "treeball_tex.jpg", "treeball", 128, 64,
                     [](V3 d) { return 200.0f * (1 + 0.06f * (TreeHeight(d) - 0.5f)); }, false);
}

// PNG skies load with GL_CLAMP, whose linear filter blends the black border in at u = 0 and 1, so
// the seam would show as a dark meridian. The mapping runs between the outer texel centres of the
// 1024 x 512 skies instead, and the seam joins the sky's two tiling edges.
static Model SkySphere() {
  Model m = SphereModel("sky", "skybox.png", "sky", 64, 32, [](V3) { return 50.0f; }, true);
  for (UV& uv : m.objects[0].uvs) uv = {(0.5f + uv.u * 1023) / 1024, (0.5f + uv.v * 511) / 512};
  return m;
}

static Model SkyRing() {
  Model m{"skyring", "skybox_a.jpg", {}};
  Mesh mesh{"ring"};
  mesh.AddGrid(96, 3, [](float s, float t, V3* p, UV* uv) {
    float a = 2 * kPi * s, r = 30 + 18 * t;
    *p = {r * std::cos(a), 1.5f * std::sin(3 * a) * t, -r * std::sin(a)};  // a gentle wave in the band
    *uv = {s, t};
  }, true);  // facing up
  m.objects.push_back(mesh);
  return m;
}

// ---- [cages] ----

// Latitude rings and meridians: an open shell that the cage program covers from v = 0 upwards.
static Model PlanetCage() {
  const float r = 240, tube = 2.6f;
  Model m{"cage", "", {}};
  Mesh mesh{"cage"};
  auto map = [&](const std::vector<V3>& path) {
    return [&, path](int k, float) { return HeightMapping(path[size_t(k) % path.size()], {}, r); };
  };
  for (int ring = -3; ring <= 3; ++ring) {
    float lat = float(ring) * 0.3927f;  // 22.5 degrees apart
    std::vector<V3> pts = Circle({0, r * std::sin(lat), 0}, {1, 0, 0}, {0, 0, -1}, r * std::cos(lat), 72);
    AddLoop(mesh, pts, tube, 4, map(pts));
  }
  for (int k = 0; k < 16; ++k) {
    float lon = 2 * kPi * float(k) / 16;
    std::vector<V3> pts;
    for (int i = 0; i <= 36; ++i) {
      float lat = -1.4f + 2.8f * float(i) / 36;  // stops short of the poles, where meridians would meet
      pts.push_back(V3{std::cos(lat) * std::cos(lon), std::sin(lat), -std::cos(lat) * std::sin(lon)} * r);
    }
    mesh.AddTube(pts, tube, 4, map(pts));
  }
  m.objects.push_back(mesh);
  return m;
}

// Geodesic wire frame: the edges of a subdivided icosahedron, as struts.
static std::vector<std::pair<V3, V3>> GeodesicEdges(int subdivisions) {
  const float g = 1.618034f;
  std::vector<V3> v = {{-1, g, 0}, {1, g, 0}, {-1, -g, 0}, {1, -g, 0}, {0, -1, g}, {0, 1, g},
                       {0, -1, -g}, {0, 1, -g}, {g, 0, -1}, {g, 0, 1}, {-g, 0, -1}, {-g, 0, 1}};
  for (V3& p : v) p = Normalize(p);
  std::vector<std::array<V3, 3>> tris;
  const int f[20][3] = {{0, 11, 5}, {0, 5, 1}, {0, 1, 7}, {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
                        {11, 10, 2}, {10, 7, 6}, {7, 1, 8}, {3, 9, 4}, {3, 4, 2}, {3, 2, 6}, {3, 6, 8},
                        {3, 8, 9}, {4, 9, 5}, {2, 4, 11}, {6, 2, 10}, {8, 6, 7}, {9, 8, 1}};
  for (const auto& t : f) tris.push_back({v[size_t(t[0])], v[size_t(t[1])], v[size_t(t[2])]});
  for (int s = 0; s < subdivisions; ++s) {
    std::vector<std::array<V3, 3>> next;
    for (const auto& t : tris) {
      V3 a = Normalize(t[0] + t[1]), b = Normalize(t[1] + t[2]), c = Normalize(t[2] + t[0]);
      next.push_back({t[0], a, c});
      next.push_back({t[1], b, a});
      next.push_back({t[2], c, b});
      next.push_back({a, b, c});
    }
    tris.swap(next);
  }
  // Every edge is shared by two triangles: keep it once, from the triangle that lists it in order.
  std::vector<std::pair<V3, V3>> edges;
  for (const auto& t : tris) {
    for (int e = 0; e < 3; ++e) {
      V3 a = t[size_t(e)], b = t[size_t((e + 1) % 3)];
      if (a.x < b.x || (a.x == b.x && (a.y < b.y || (a.y == b.y && a.z < b.z)))) edges.push_back({a, b});
    }
  }
  return edges;
}

// Flat struts along the chords of a geodesic frame, each facing out with four vertices of its own:
// all normals of a strut agree, so the shatter program, which pushes every vertex by its normal,
// flings each strut away whole instead of smearing it into a sheet.
// Dense enough to cover about half the planet: when the planet turns to light, the rays spread
// what shows between the struts, so the cage cuts the glowing disc into shafts, not a white-out.
static Model TreeBallCage() {
  const V3 centre{590, 0, 0};  // the scene moves the cage by -59 after scale 0.1
  const float r = 230, halfWidth = 3.0f;
  const std::vector<std::pair<V3, V3>> edges = GeodesicEdges(3);
  float top = 0;
  for (const auto& e : edges) top = std::max({top, std::fabs(e.first.y) * r, std::fabs(e.second.y) * r});
  Model m{"cage", "", {}};
  Mesh mesh{"treecage"};
  for (const auto& e : edges) {
    const V3 a = e.first * r, b = e.second * r;
    const V3 side = Normalize(Cross(Normalize(e.first + e.second), b - a)) * halfWidth;
    const V3 corners[4] = {a - side, b - side, b + side, a + side};  // counter-clockwise from outside
    int first = 0;
    for (int k = 0; k < 4; ++k) {
      int i = mesh.AddVertex(centre + corners[k], HeightMapping(corners[k], {}, top));
      if (k == 0) first = i;
    }
    mesh.AddFace(first, first + 1, first + 2);
    mesh.AddFace(first, first + 2, first + 3);
  }
  m.objects.push_back(mesh);
  return m;
}

// ---- [meteor] ----

static Mesh MeteorMesh() {
  Mesh mesh{"meteor"};
  AddSphere(mesh, 96, 48, [](V3 d) { return 34.0f * (0.78f + 0.34f * MeteorHeight(d)); }, false);
  return mesh;
}

static Model Meteor() {
  Model m{"rock", "meteordiffuse.jpg", {MeteorMesh()}};
  return m;
}

// The same surface broken along jagged cells; each shard gets copies of its vertices, so the
// shatter program's push along the normals opens the cracks. Each shard also stands a little out
// along its cell's direction, so the cracks show as dark seams before anything pushes them.
static Model MeteorCrack() {
  constexpr float kSeam = 1.2f;  // model units each shard stands out
  Mesh whole = MeteorMesh();
  Rng rng(404);
  std::vector<V3> seeds;
  for (int k = 0; k < 14; ++k) seeds.push_back(Normalize({rng.Range(-1, 1), rng.Range(-1, 1), rng.Range(-1, 1)}));
  std::vector<Mesh> shards(seeds.size());
  std::vector<std::vector<int>> remap(seeds.size(), std::vector<int>(whole.positions.size(), -1));
  for (const auto& f : whole.faces) {
    V3 c = Normalize(whole.positions[f[0]] + whole.positions[f[1]] + whole.positions[f[2]]);
    V3 wobble = V3{Noise3(c.x * 5, c.y * 5, c.z * 5, 405), Noise3(c.x * 5, c.y * 5, c.z * 5, 406),
                   Noise3(c.x * 5, c.y * 5, c.z * 5, 407)} * 0.5f;
    size_t best = 0;
    for (size_t k = 1; k < seeds.size(); ++k)
      if (Dot(c + wobble, seeds[k]) > Dot(c + wobble, seeds[best])) best = k;
    int idx[3];
    for (int i = 0; i < 3; ++i) {
      int& slot = remap[best][f[size_t(i)]];
      const size_t v = f[size_t(i)];
      if (slot < 0) slot = shards[best].AddVertex(whole.positions[v] + seeds[best] * kSeam, whole.uvs[v]);
      idx[i] = slot;
    }
    shards[best].AddFace(idx[0], idx[1], idx[2]);
  }
  Model m{"rock", "meteordiffuse.jpg", {}};
  for (size_t k = 0; k < shards.size(); ++k) {
    if (shards[k].faces.empty()) continue;
    char name[16];
    std::snprintf(name, sizeof name, "shard%02d", int(k));
    shards[k].name = name;
    m.objects.push_back(shards[k]);
  }
  return m;
}

static Model Cave() {
  Model m{"cavestone", "pillarroom_diff.jpg", {}};
  Mesh mesh{"cave"};
  AddSphere(mesh, 128, 64, [](V3 d) {
    float rough = Ridged3(d * 2.2f, 4, 501), lumps = Fbm3(d * 1.3f, 3, 502);
    float drip = d.y > 0.3f ? 0.12f * Ridged3({d.x * 9, d.y, d.z * 9}, 2, 503) * (d.y - 0.3f) : 0.0f;
    return 1.9f * (1 + 0.16f * (rough - 0.5f) + 0.12f * (lumps - 0.5f) - drip);
  }, true, 8, 4);
  m.objects.push_back(mesh);
  return m;
}

// ---- [sprites] ----

// A flat, slightly bent card for alpha-textured sprites, both sides drawn by the scenes.
static Mesh Card(const char* name, float width, float length, float bend) {
  Mesh mesh{name};
  mesh.AddGrid(2, 6, [&](float s, float t, V3* p, UV* uv) {
    float y = (t - 0.5f) * length;
    *p = {(s - 0.5f) * width, y, bend * (y * y) / (length * length) * length};
    *uv = {s, t};
  });
  return mesh;
}

// The leaf is drawn without blending, so its card is cut to the picture's outline: no square of
// transparent texels around it. The tip points up.
static Model Leaf() {
  const float size = 60, bend = 0.15f;
  Mesh mesh{"leaf"};
  mesh.AddGrid(2, 24, [&](float s, float t, V3* p, UV* uv) {
    float u = (2 * s - 1) * std::max(LeafHalfWidth(t), kLeafStemHalfWidth);
    float y = (t - 0.5f) * size;
    *p = {0.5f * u * size, y, bend * (y * y) / size};
    *uv = {0.5f + 0.5f * u, 1 - t};  // the picture's first row, at v = 0, holds the tip
  });
  return {"leaf", "leaf.png", {mesh}};
}

static Model Feather() { return {"feather", "feather.png", {Card("feather", 5, 15, 0.2f)}}; }

// ---- [the set] ----

Model Wheel();
Model Chains();
Model PillarRoom();
Model Tower();
Model CreditRing();

bool MakeModels(const FileSink& sink) {
  struct Entry {
    const char* file;
    Model (*make)();
  };
  const Entry entries[] = {
      {"cave.3ds", Cave},           {"chains.3ds", Chains},         {"credring.3ds", CreditRing},
      {"feather.3ds", Feather},     {"leaf.3ds", Leaf},             {"meteor.3ds", Meteor},
      {"meteorcrack.3ds", MeteorCrack}, {"pillarbitch.3ds", Tower}, {"pillarroom.3ds", PillarRoom},
      {"planet01.3ds", Planet01},   {"planet01cage.3ds", PlanetCage}, {"sky_ring.3ds", SkyRing},
      {"sky_sphere.3ds", SkySphere}, {"treball.3ds", TreeBall},     {"treeballcage.3ds", TreeBallCage},
      {"waterplanet.3ds", WaterPlanet}, {"wheel.3ds", Wheel},
  };
  for (const Entry& e : entries) {
    std::string bytes, error;
    if (!Encode3ds(e.make(), &bytes, &error)) {
      plat::Report("%s: %s", e.file, error.c_str());
      return false;
    }
    if (!sink(e.file, bytes)) return false;
  }
  return true;
}

}  // namespace datagen
