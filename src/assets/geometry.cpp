// geometry.cpp -- the shared primitives, the prepared sphere, the line pen and marching cubes.
#include "assets/geometry.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <new>

#include "assets/marching_cubes_tables.h"
#include "platform/diagnostics.h"

namespace MorlenGL {

// [SECTION] Emitters -------------------------------------------------------------------------------

void ArrayEmitter::Begin(Primitive mode) {
  if (!vertices_.empty() && (!merge || mode != mode_)) Flush();
  mode_ = mode;
  open_ = true;
}

void ArrayEmitter::TexCoord(float s, float t) {
  if (!hasTexCoord_ && !vertices_.empty()) {
    // Vertices sent before the first coordinate took the current one.
    GLfloat current[4];
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, current);
    for (Attributes& v : vertices_) v.texCoord[0] = current[0], v.texCoord[1] = current[1];
  }
  hasTexCoord_ = true;
  texCoord_[0] = s;
  texCoord_[1] = t;
}

void ArrayEmitter::Normal(float x, float y, float z) {
  if (!hasNormal_ && !vertices_.empty()) {
    GLfloat current[3];
    glGetFloatv(GL_CURRENT_NORMAL, current);
    for (Attributes& v : vertices_) std::copy(current, current + 3, v.normal);
  }
  hasNormal_ = true;
  normal_[0] = x;
  normal_[1] = y;
  normal_[2] = z;
}

void ArrayEmitter::Vertex(float x, float y, float z) {
  if (!open_) return;
  vertices_.push_back({{x, y, z}, {normal_[0], normal_[1], normal_[2]}, {texCoord_[0], texCoord_[1]}});
}

void ArrayEmitter::End() {
  open_ = false;
  if (!merge) Flush();
}

void ArrayEmitter::Flush() {
  if (!vertices_.empty()) {
    static const GLenum kModes[] = {GL_LINES, GL_TRIANGLES, GL_QUADS, GL_LINE_STRIP};
    const GLsizei stride = sizeof(Attributes);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, stride, vertices_[0].position);
    if (hasNormal_) {
      glEnableClientState(GL_NORMAL_ARRAY);
      glNormalPointer(GL_FLOAT, stride, vertices_[0].normal);
    }
    if (hasTexCoord_) {
      glClientActiveTexture(GL_TEXTURE0);
      glEnableClientState(GL_TEXTURE_COORD_ARRAY);
      glTexCoordPointer(2, GL_FLOAT, stride, vertices_[0].texCoord);
    }
    glDrawArrays(kModes[static_cast<int>(mode_)], 0, static_cast<GLsizei>(vertices_.size()));
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    // Arrays leave the current attributes as they were; immediate mode leaves the last ones given.
    if (hasNormal_) glNormal3fv(normal_);
    if (hasTexCoord_) glTexCoord2fv(texCoord_);
  }
  vertices_.clear();
  hasNormal_ = hasTexCoord_ = false;
}

GeometryEmitter& GlEmitter() {
  static ArrayEmitter emitter;
  return emitter;
}

void RecordingEmitter::Begin(Primitive mode) {
  batches.push_back({mode, {}, false});
  open_ = true;
}

void RecordingEmitter::TexCoord(float s, float t) {
  texCoord_[0] = s;
  texCoord_[1] = t;
}

void RecordingEmitter::Normal(float x, float y, float z) {
  normal_[0] = x;
  normal_[1] = y;
  normal_[2] = z;
}

void RecordingEmitter::Vertex(float x, float y, float z) {
  if (!open_) return;
  batches.back().vertices.push_back(
      {{x, y, z}, {normal_[0], normal_[1], normal_[2]}, {texCoord_[0], texCoord_[1]}});
}

void RecordingEmitter::End() {
  if (open_) batches.back().ended = true;
  open_ = false;
}

int RecordingEmitter::TriangleCount() const {
  int count = 0;
  for (const Batch& b : batches)
    if (b.mode == Primitive::Triangles) count += static_cast<int>(b.vertices.size() / 3);
  return count;
}

// [SECTION] Quad and cube --------------------------------------------------------------------------

void DrawQuad(GeometryEmitter& out) {
  out.Begin(Primitive::Quads);
  out.TexCoord(0, 0); out.Vertex(-1, -1, 1);
  out.TexCoord(1, 0); out.Vertex(1, -1, 1);
  out.TexCoord(1, 1); out.Vertex(1, 1, 1);
  out.TexCoord(0, 1); out.Vertex(-1, 1, 1);
  out.End();
}

namespace {

struct CubeFace {
  float normal[3];
  float corner[4][5];  // x, y, z, s, t
};

const CubeFace kCubeFaces[6] = {
    {{0, 0, 1}, {{-1, -1, 1, 0, 0}, {1, -1, 1, 1, 0}, {1, 1, 1, 1, 1}, {-1, 1, 1, 0, 1}}},
    {{0, 0, -1}, {{-1, -1, -1, 1, 0}, {-1, 1, -1, 1, 1}, {1, 1, -1, 0, 1}, {1, -1, -1, 0, 0}}},
    {{0, 1, 0}, {{-1, 1, -1, 0, 1}, {-1, 1, 1, 0, 0}, {1, 1, 1, 1, 0}, {1, 1, -1, 1, 1}}},
    {{0, -1, 0}, {{-1, -1, -1, 1, 1}, {1, -1, -1, 0, 1}, {1, -1, 1, 0, 0}, {-1, -1, 1, 1, 0}}},
    {{1, 0, 0}, {{1, -1, -1, 1, 0}, {1, 1, -1, 1, 1}, {1, 1, 1, 0, 1}, {1, -1, 1, 0, 0}}},
    {{-1, 0, 0}, {{-1, -1, -1, 0, 0}, {-1, -1, 1, 1, 0}, {-1, 1, 1, 1, 1}, {-1, 1, -1, 0, 1}}},
};

}  // namespace

void DrawCube(GeometryEmitter& out) {
  out.Begin(Primitive::Quads);
  for (const CubeFace& face : kCubeFaces) {
    out.Normal(face.normal[0], face.normal[1], face.normal[2]);
    for (const auto& c : face.corner) {
      out.TexCoord(c[3], c[4]);
      out.Vertex(c[0], c[1], c[2]);
    }
  }
  out.End();
}

// [SECTION] Icosphere ------------------------------------------------------------------------------

namespace {

struct Point {
  float x, y, z;
};

constexpr float kIcoA = 0.525731112119133606f;
constexpr float kIcoB = 0.850650808352039932f;

const Point kIcoVertices[12] = {
    {-kIcoA, 0, kIcoB}, {kIcoA, 0, kIcoB},   {-kIcoA, 0, -kIcoB}, {kIcoA, 0, -kIcoB},
    {0, kIcoB, kIcoA},  {0, kIcoB, -kIcoA},  {0, -kIcoB, kIcoA},  {0, -kIcoB, -kIcoA},
    {kIcoB, kIcoA, 0},  {-kIcoB, kIcoA, 0},  {kIcoB, -kIcoA, 0},  {-kIcoB, -kIcoA, 0},
};

const int kIcoFaces[20][3] = {
    {0, 4, 1}, {0, 9, 4},  {9, 5, 4},  {4, 5, 8},  {4, 8, 1},  {8, 10, 1}, {8, 3, 10},
    {5, 3, 8}, {5, 2, 3},  {2, 7, 3},  {7, 10, 3}, {7, 6, 10}, {7, 11, 6}, {11, 0, 6},
    {0, 1, 6}, {6, 1, 10}, {9, 0, 11}, {9, 11, 2}, {9, 2, 5},  {7, 2, 11},
};

Point UnitMidpoint(Point p, Point q) {
  Point m{(p.x + q.x) * 0.5f, (p.y + q.y) * 0.5f, (p.z + q.z) * 0.5f};
  const float length = std::sqrt(m.x * m.x + m.y * m.y + m.z * m.z);
  if (length > 0) m = {m.x / length, m.y / length, m.z / length};
  return m;
}

void EmitSphereVertex(Point v, float radius, GeometryEmitter& out) {
  out.Normal(v.x, v.y, v.z);
  out.TexCoord(v.x, v.y);
  out.Vertex(radius * v.x, radius * v.y, radius * v.z);
}

void EmitSphereTriangle(Point p, Point q, Point r, int depth, float radius, GeometryEmitter& out) {
  if (depth <= 0) {
    EmitSphereVertex(p, radius, out);
    EmitSphereVertex(q, radius, out);
    EmitSphereVertex(r, radius, out);
    return;
  }
  const Point pq = UnitMidpoint(p, q);
  const Point pr = UnitMidpoint(p, r);
  const Point qr = UnitMidpoint(q, r);
  EmitSphereTriangle(p, pq, pr, depth - 1, radius, out);
  EmitSphereTriangle(q, qr, pq, depth - 1, radius, out);
  EmitSphereTriangle(r, pr, qr, depth - 1, radius, out);
  EmitSphereTriangle(pq, qr, pr, depth - 1, radius, out);
}

}  // namespace

void DrawIcosphere(int depth, float radius, GeometryEmitter& out) {
  out.Begin(Primitive::Triangles);
  for (const auto& f : kIcoFaces)
    EmitSphereTriangle(kIcoVertices[f[0]], kIcoVertices[f[1]], kIcoVertices[f[2]], depth, radius, out);
  out.End();
}

// [SECTION] Quadric sphere ------------------------------------------------------------------------

namespace {

constexpr double kPi = 3.14159265358979323846;

// gluSphere's angle tables: each angle is rounded to a float before its sine and cosine are taken
// in double precision; the tables round them (or radius times them) to floats where they are used.
struct AngleTable {
  std::vector<double> sine, cosine;
};

AngleTable AngleSteps(double turn, int steps) {
  AngleTable t;
  for (int k = 0; k <= steps; ++k) {
    const float angle = static_cast<float>(turn * k / steps);
    t.sine.push_back(std::sin(static_cast<double>(angle)));
    t.cosine.push_back(std::cos(static_cast<double>(angle)));
  }
  return t;
}

float Round(double x) { return static_cast<float>(x); }

// Ring j, slice i. Positions come to a point at the poles; the normals keep the tables' tiny sine of pi.
SphereVertex RingVertex(const AngleTable& around, const AngleTable& along, double radius, int i, int j) {
  const int slices = static_cast<int>(around.sine.size()) - 1;
  const int stacks = static_cast<int>(along.sine.size()) - 1;
  // The seam repeats the first slice exactly, so the strip closes without a crack.
  const float sinA = Round(around.sine[i % slices]), cosA = Round(around.cosine[i % slices]);
  const float ringRadius = (j == 0 || j == stacks) ? 0.0f : Round(radius * along.sine[j]);
  SphereVertex v{};
  v.normal[0] = sinA * Round(along.sine[j]);
  v.normal[1] = cosA * Round(along.sine[j]);
  v.normal[2] = Round(along.cosine[j]);
  v.texCoord[0] = 1 - static_cast<float>(i) / static_cast<float>(slices);
  v.texCoord[1] = 1 - static_cast<float>(j) / static_cast<float>(stacks);
  v.position[0] = ringRadius * sinA;
  v.position[1] = ringRadius * cosA;
  v.position[2] = Round(radius * along.cosine[j]);
  return v;
}

}  // namespace

SphereMesh BuildSphereMesh(double radius, int slices, int stacks) {
  SphereMesh mesh;
  if (slices < 2 || stacks < 1 || radius < 0) return mesh;
  mesh.slices = slices;
  mesh.stacks = stacks;
  const AngleTable around = AngleSteps(2 * kPi, slices);
  const AngleTable along = AngleSteps(kPi, stacks);
  mesh.vertices.reserve(static_cast<size_t>(stacks) * static_cast<size_t>(mesh.StripLength()));
  for (int j = 0; j < stacks; ++j) {
    mesh.stripFirst.push_back(static_cast<int32_t>(mesh.vertices.size()));
    mesh.stripCount.push_back(mesh.StripLength());
    for (int i = 0; i <= slices; ++i) {
      mesh.vertices.push_back(RingVertex(around, along, radius, i, j + 1));
      mesh.vertices.push_back(RingVertex(around, along, radius, i, j));
    }
  }
  return mesh;
}

uint32_t UploadVertices(const std::vector<SphereVertex>& vertices) {
  GLuint buffer = 0;
  glGenBuffers(1, &buffer);
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(SphereVertex)), vertices.data(),
               GL_STATIC_DRAW);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  return buffer;
}

void DrawVertexStrips(uint32_t mode, uint32_t buffer, const std::vector<SphereVertex>& vertices,
                      const std::vector<int32_t>& first, const std::vector<int32_t>& count) {
  if (vertices.empty()) return;
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  // With a buffer bound the pointers are offsets into it.
  const char* base = buffer != 0 ? nullptr : reinterpret_cast<const char*>(vertices.data());
  const GLsizei stride = sizeof(SphereVertex);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, stride, base + offsetof(SphereVertex, position));
  glEnableClientState(GL_NORMAL_ARRAY);
  glNormalPointer(GL_FLOAT, stride, base + offsetof(SphereVertex, normal));
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glTexCoordPointer(2, GL_FLOAT, stride, base + offsetof(SphereVertex, texCoord));
  glMultiDrawArrays(mode, first.data(), count.data(), static_cast<GLsizei>(first.size()));
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glPopClientAttrib();
  const SphereVertex& last = vertices.back();
  glNormal3fv(last.normal);
  glTexCoord2fv(last.texCoord);
}

void DrawVertexStrips(const VertexStrips& strips) {
  if (!strips.keepCurrent) {
    DrawVertexStrips(strips.mode, strips.buffer, strips.vertices, strips.first, strips.count);
    return;
  }
  GLfloat normal[4], texCoord[4];
  glGetFloatv(GL_CURRENT_NORMAL, normal);
  glGetFloatv(GL_CURRENT_TEXTURE_COORDS, texCoord);
  DrawVertexStrips(strips.mode, strips.buffer, strips.vertices, strips.first, strips.count);
  glNormal3fv(normal);
  glTexCoord4fv(texCoord);
}

namespace {

// The first batch a generator sends, as one uploaded strip of its own primitive.
VertexStrips PrepareRecorded(const RecordingEmitter& recorder, uint32_t mode) {
  VertexStrips strips;
  strips.mode = mode;
  for (const RecordingEmitter::RecordedVertex& v : recorder.batches.front().vertices)
    strips.vertices.push_back({{v.position[0], v.position[1], v.position[2]},
                               {v.normal[0], v.normal[1], v.normal[2]},
                               {v.texCoord[0], v.texCoord[1]}});
  strips.first.push_back(0);
  strips.count.push_back(static_cast<int32_t>(strips.vertices.size()));
  strips.buffer = UploadVertices(strips.vertices);
  return strips;
}

}  // namespace

VertexStrips PrepareIcosphere(int depth, float radius) {
  RecordingEmitter recorder;
  DrawIcosphere(depth, radius, recorder);
  return PrepareRecorded(recorder, GL_TRIANGLES);
}

VertexStrips PrepareCube() {
  RecordingEmitter recorder;
  DrawCube(recorder);
  return PrepareRecorded(recorder, GL_QUADS);
}

void UploadSphereMesh(SphereMesh& mesh) {
  if (mesh.Empty() || mesh.buffer != 0) return;
  mesh.buffer = UploadVertices(mesh.vertices);
}

void DrawSphereMesh(const SphereMesh& mesh) {
  DrawVertexStrips(GL_QUAD_STRIP, mesh.buffer, mesh.vertices, mesh.stripFirst, mesh.stripCount);
}

// [SECTION] Line pen -------------------------------------------------------------------------------

void LineTo(LinePen& pen, float x, float y, float z, GeometryEmitter& out) {
  out.Begin(Primitive::Lines);
  out.Vertex(pen.x, pen.y, pen.z);
  out.Vertex(x, y, z);
  out.End();
  pen.x = x;
  pen.y = y;
  pen.z = z;
}

void Forward(LinePen& pen, float length, GeometryEmitter& out) {
  // The degree factor is slightly more than pi / 180; the spiral's shape depends on it.
  const float a = static_cast<float>(pen.heading * 0.017453393);
  const float c = static_cast<float>(std::cos(a));
  const float s = static_cast<float>(std::sin(a));
  LineTo(pen, pen.x + c * length, pen.y + s * length, 0, out);
}

void Spiral(LinePen& pen, int n, float length, float turn, float growth, GeometryEmitter& out) {
  for (int i = 0; i <= n; ++i) {
    Forward(pen, length, out);
    pen.heading += turn;
    length += growth;
  }
}

// [SECTION] Iso-surface grid -----------------------------------------------------------------------

namespace {

// Far above the 60 the show uses; keeps a bad n from asking for gigabytes.
constexpr int kMaxGridCells = 256;

}  // namespace

bool AllocateGrid(IsoGrid& grid, int n) {
  if (n < 1 || n > kMaxGridCells) {
    plat::Report("iso grid: %d cells per axis is out of range (1 to %d)", n, kMaxGridCells);
    return false;
  }
  const size_t side = static_cast<size_t>(n);
  try {
    grid.points.assign((side + 1) * (side + 1) * (side + 1), GridPoint{});
  } catch (const std::bad_alloc&) {
    plat::Report("iso grid: out of memory for %d cells per axis", n);
    return false;
  }
  try {
    grid.cubes.assign(side * side * side, GridCell{});
  } catch (const std::bad_alloc&) {
    plat::Report("iso grid: out of memory for %d cells per axis", n);
    return false;
  }
  grid.allocatedFor = n;
  return true;
}

bool BuildGrid(IsoGrid& grid, int n) {
  if (n < 1 || n > grid.allocatedFor) {
    plat::Report("iso grid: cannot build %d cells per axis in arrays sized for %d", n,
                 grid.allocatedFor);
    return false;
  }
  const int side = n + 1;
  grid.pointCount = side * side * side;
  for (int i = 0; i <= n; ++i)
    for (int j = 0; j <= n; ++j)
      for (int k = 0; k <= n; ++k) {
        GridPoint& p = grid.points[(i * side + j) * side + k];
        p.x = static_cast<float>(i) * 20.0f / static_cast<float>(n) - 10.0f;
        p.y = static_cast<float>(j) * 20.0f / static_cast<float>(n) - 10.0f;
        p.z = static_cast<float>(k) * 20.0f / static_cast<float>(n) - 10.0f;
      }

  grid.cubeCount = n * n * n;
  auto at = [side](int i, int j, int k) { return (i * side + j) * side + k; };
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      for (int k = 0; k < n; ++k)
        grid.cubes[(i * n + j) * n + k] = {{at(i, j, k), at(i, j, k + 1), at(i, j + 1, k + 1),
                                            at(i, j + 1, k), at(i + 1, j, k), at(i + 1, j, k + 1),
                                            at(i + 1, j + 1, k + 1), at(i + 1, j + 1, k)}};
  return true;
}

int CellCase(const GridPoint* const corners[8], float iso) {
  int index = 0;
  for (int c = 0; c < 8; ++c)
    if (corners[c]->value < iso) index |= 1 << c;
  return index;
}

namespace {

IsoVertex EdgeVertex(const GridPoint& a, const GridPoint& b, float iso) {
  const float t = (iso - a.value) / (b.value - a.value);
  return {{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.z + t * (b.z - a.z)},
          {a.nx + t * (b.nx - a.nx), a.ny + t * (b.ny - a.ny), a.nz + t * (b.nz - a.nz)}};
}

}  // namespace

int PolygoniseCell(const GridPoint* const corners[8], float iso, IsoVertex out[15]) {
  const int index = CellCase(corners, iso);
  const int edges = kEdgeTable[index];
  if (edges == 0) return 0;
  IsoVertex onEdge[12];
  for (int e = 0; e < 12; ++e)
    if (edges & (1 << e))
      onEdge[e] = EdgeVertex(*corners[kEdgeCorners[e][0]], *corners[kEdgeCorners[e][1]], iso);

  const signed char* row = kTriangleTable[index];
  int triangles = 0;
  for (; row[3 * triangles] != -1; ++triangles) {
    const signed char* triple = row + 3 * triangles;
    out[3 * triangles + 0] = onEdge[triple[0]];
    out[3 * triangles + 1] = onEdge[triple[2]];
    out[3 * triangles + 2] = onEdge[triple[1]];
  }
  return triangles;
}

namespace {

// Every surface vertex of the grid at level iso, cell by cell, in emission order; returns the
// triangle count.
template <class VertexFn>
int32_t ForEachSurfaceVertex(const IsoGrid& grid, float iso, VertexFn vertex) {
  int32_t triangleCount = 0;
  const GridPoint* corners[8];
  IsoVertex vertices[15];
  for (int32_t c = 0; c < grid.cubeCount; ++c) {
    const GridCell& cell = grid.cubes[c];
    for (int k = 0; k < 8; ++k) corners[k] = &grid.points[cell.corner[k]];
    const int triangles = PolygoniseCell(corners, iso, vertices);
    for (int v = 0; v < 3 * triangles; ++v) vertex(vertices[v]);
    triangleCount += triangles;
  }
  return triangleCount;
}

}  // namespace

void Polygonise(IsoGrid& grid, float iso, GeometryEmitter& out) {
  out.Begin(Primitive::Triangles);
  grid.triangleCount = ForEachSurfaceVertex(grid, iso, [&out](const IsoVertex& iv) {
    out.TexCoord(iv.normal[0], -iv.normal[1]);
    out.Normal(iv.normal[0], iv.normal[1], iv.normal[2]);
    out.Vertex(iv.position[0], iv.position[1], iv.position[2]);
  });
  out.End();
}

// [SECTION] Iso-surface mesh -----------------------------------------------------------------------

void PolygoniseInto(IsoGrid& grid, float iso, IsoMesh& mesh) {
  mesh.vertices.clear();
  grid.triangleCount = ForEachSurfaceVertex(grid, iso, [&mesh](const IsoVertex& iv) {
    mesh.vertices.push_back({{iv.normal[0], -iv.normal[1]},
                             {iv.normal[0], iv.normal[1], iv.normal[2]},
                             {iv.position[0], iv.position[1], iv.position[2]}});
  });
}

void DrawIsoMesh(const IsoMesh& mesh) {
  if (mesh.vertices.empty()) {
    glBegin(GL_TRIANGLES);  // what an empty Polygonise sends
    glEnd();
    return;
  }
  glClientActiveTexture(GL_TEXTURE0);
  glInterleavedArrays(GL_T2F_N3F_V3F, 0, mesh.vertices.data());
  glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(mesh.vertices.size()));
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  // Arrays leave the current attributes undefined; later fixed-function drawing may read them.
  const IsoMeshVertex& last = mesh.vertices.back();
  glTexCoord2f(last.texCoord[0], last.texCoord[1]);
  glNormal3f(last.normal[0], last.normal[1], last.normal[2]);
}

}  // namespace MorlenGL
