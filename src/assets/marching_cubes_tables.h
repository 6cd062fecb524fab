// marching_cubes_tables.h -- the marching-cubes corner pairs, edge table and triangle table.
#pragma once
#include <array>

namespace MorlenGL {

// The two corners joined by each of a cell's twelve edges.
constexpr int kEdgeCorners[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                     {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};

// Bit e of entry c is set when edge e joins an inside and an outside corner of case c (bit k of
// c set = corner k inside); this is the classic 256-entry edge table.
constexpr std::array<int, 256> MakeEdgeTable() {
  std::array<int, 256> table{};
  for (int c = 0; c < 256; ++c)
    for (int e = 0; e < 12; ++e)
      if (((c >> kEdgeCorners[e][0]) & 1) != ((c >> kEdgeCorners[e][1]) & 1)) table[c] |= 1 << e;
  return table;
}
inline constexpr std::array<int, 256> kEdgeTable = MakeEdgeTable();

extern const signed char kTriangleTable[256][16];

}  // namespace MorlenGL
