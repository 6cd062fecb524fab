// model_shapes.h -- reusable solids for the models: spheres, lathes, loops and lattices.
#pragma once
#include <functional>
#include <vector>

#include "writer_3ds.h"

namespace datagen {

// Latitude-longitude sphere; u once around (seam duplicated), v 0 at the south pole, 1 at the north.
// radius(dir) displaces each point along its direction.
void AddSphere(Mesh& mesh, int cols, int rows, const std::function<float(V3 dir)>& radius, bool inward,
               float uRepeat = 1, float vRepeat = 1);
// Surface of revolution about the y axis; profile points (radius, height) listed bottom to top.
void AddLathe(Mesh& mesh, const std::vector<UV>& profile, int sides, V3 centre,
              const std::function<UV(float around, float along)>& map);
// Closed loop through points, as a tube.
void AddLoop(Mesh& mesh, std::vector<V3> points, float radius, int sides, const std::function<UV(int, float)>& map);
// Points of a circle of radius r in the plane spanned by a and b, around c.
std::vector<V3> Circle(V3 c, V3 a, V3 b, float r, int segments);
// Mapping by height for the lattices: v = 0 at y = -radius, 1 at y = +radius.
UV HeightMapping(V3 p, V3 centre, float radius);

}  // namespace datagen
