// writer_3ds.h -- triangle meshes built in OpenGL's Y-up space and written as 3D Studio files.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "procgen.h"

namespace datagen {

struct UV {
  float u = 0, v = 0;
};

// One named object of a model; the writer gives every object one material group.
// Faces wind counter-clockwise seen from the side their normal should face.
struct Mesh {
  Mesh() = default;
  explicit Mesh(std::string n) : name(std::move(n)) {}
  std::string name;
  std::vector<V3> positions;  // Y-up, as the engine sees them after loading
  std::vector<UV> uvs;        // one per position
  std::vector<std::array<uint16_t, 3>> faces;

  uint16_t AddVertex(V3 p, UV t);
  void AddFace(int a, int b, int c);
  // A (cols + 1) x (rows + 1) grid over the parameter square; at(s, t) gives the position and
  // mapping of each grid point. The face normal follows dP/ds x dP/dt unless `inward`.
  void AddGrid(int cols, int rows, const std::function<void(float s, float t, V3* p, UV* uv)>& at,
               bool inward = false);
  // A closed tube of `sides` around the polyline, mapped by map(point index, side fraction).
  void AddTube(const std::vector<V3>& path, float radius, int sides,
               const std::function<UV(int index, float side)>& map);
  // A box with its own vertices on each side (sharp edges); uv from the position.
  void AddBox(V3 lo, V3 hi, const std::function<UV(V3)>& map);
};

struct Model {
  std::string material;  // name of the one material every face group refers to
  std::string textureFile;
  std::vector<Mesh> objects;
};

// Serialises the model; false with *error set when a mesh breaks the format's limits.
bool Encode3ds(const Model& model, std::string* bytes, std::string* error);

}  // namespace datagen
