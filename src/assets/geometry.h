// geometry.h -- primitives the scenes share: quad, cube, icosphere, quadric sphere, line pen and the iso-surface mesher.
#pragma once
#include <cstdint>
#include <vector>

namespace MorlenGL {

// [SECTION] Emitters: where the vertices go ------------------------------------------------------

enum class Primitive { Lines, Triangles, Quads, LineStrip };

// Receives geometry in immediate-mode order: texture coordinate and normal are current state,
// Vertex takes a copy of both.
class GeometryEmitter {
 public:
  virtual ~GeometryEmitter() = default;
  virtual void Begin(Primitive mode) = 0;
  virtual void TexCoord(float s, float t) = 0;
  virtual void Normal(float x, float y, float z) = 0;
  virtual void Vertex(float x, float y, float z) = 0;
  virtual void End() = 0;
};

// Sends each Begin/End batch to the current context as one draw from a vertex array: the same
// vertices immediate mode would send, without a driver call per attribute (and without the buffer a
// driver's immediate mode fills and throws away as it goes). Normals and texture coordinates not given
// in a batch come from the current ones, and a batch leaves its last ones current, as immediate mode.
// With `merge`, batches of one primitive kind are gathered until Flush and sent as one draw: for many
// small batches with no state change between them.
class ArrayEmitter : public GeometryEmitter {
 public:
  void Begin(Primitive mode) override;
  void TexCoord(float s, float t) override;
  void Normal(float x, float y, float z) override;
  void Vertex(float x, float y, float z) override;  // dropped outside Begin/End
  void End() override;
  void Flush();  // sends what a merging emitter gathered

  bool merge = false;

 private:
  struct Attributes {
    float position[3];
    float normal[3];
    float texCoord[2];
  };
  Primitive mode_ = Primitive::Triangles;
  std::vector<Attributes> vertices_;
  float normal_[3] = {0, 0, 1};
  float texCoord_[2] = {0, 0};
  bool hasNormal_ = false;  // given in this batch; else the current normal holds
  bool hasTexCoord_ = false;
  bool open_ = false;
};

// The context's shared ArrayEmitter, sending every batch at its End.
GeometryEmitter& GlEmitter();

// Keeps every batch in memory, for tools and tests that inspect geometry without a context.
class RecordingEmitter : public GeometryEmitter {
 public:
  struct RecordedVertex {
    float position[3];
    float normal[3];
    float texCoord[2];
  };
  struct Batch {
    Primitive mode;
    std::vector<RecordedVertex> vertices;
    bool ended = false;
  };

  void Begin(Primitive mode) override;
  void TexCoord(float s, float t) override;
  void Normal(float x, float y, float z) override;
  void Vertex(float x, float y, float z) override;  // dropped outside Begin/End
  void End() override;

  int TriangleCount() const;  // over all Triangles batches
  std::vector<Batch> batches;

 private:
  float normal_[3] = {0, 0, 1};  // GL's initial current normal
  float texCoord_[2] = {0, 0};
  bool open_ = false;
};

// Counts vertices and keeps nothing, for timing a generator without the cost of a recorder.
class CountingEmitter : public GeometryEmitter {
 public:
  void Begin(Primitive) override {}
  void TexCoord(float, float) override {}
  void Normal(float, float, float) override {}
  void Vertex(float, float, float) override { ++vertices; }
  void End() override {}
  long vertices = 0;
};

// [SECTION] Primitives -----------------------------------------------------------------------------

// One quad in the plane z = 1 with texture coordinates 0..1; no normal.
void DrawQuad(GeometryEmitter& out = GlEmitter());

// The cube from -1 to 1: six faces with outward normals and texture coordinates.
void DrawCube(GeometryEmitter& out = GlEmitter());

// The 20 faces of a unit icosahedron, each split `depth` times into four (midpoints pushed out to
// the unit sphere), scaled by radius; normal and texture coordinate (x, y) from the unit vertex.
// 20 * 4^depth triangles; a negative depth counts as 0.
void DrawIcosphere(int depth, float radius, GeometryEmitter& out = GlEmitter());

// [SECTION] Quadric sphere ----------------------------------------------------------------------------

// One vertex of a prepared sphere, interleaved as it is sent.
struct SphereVertex {
  float position[3];
  float normal[3];
  float texCoord[2];
};

// A sphere tessellated once, vertex for vertex as gluSphere sends it with smooth normals, texture
// coordinates and outward orientation: slices around z, stacks along it from +z down to -z, one quad
// strip of 2 (slices + 1) vertices per stack (each pair the lower ring first). Owner: whoever draws
// it holds it by value; `buffer` (a GL buffer name, 0 until uploaded) belongs to the GL context.
struct SphereMesh {
  int32_t slices = 0;
  int32_t stacks = 0;
  std::vector<SphereVertex> vertices;  // stack after stack
  std::vector<int32_t> stripFirst;     // first vertex of each strip
  std::vector<int32_t> stripCount;     // vertices in each strip (all StripLength())
  uint32_t buffer = 0;

  int32_t StripLength() const { return 2 * (slices + 1); }
  bool Empty() const { return vertices.empty(); }
};

// The sphere gluSphere draws for these arguments (its single-precision angle tables included, so the
// values match to the bit). Fewer than 2 slices, fewer than 1 stack or a negative radius give an
// empty mesh, as gluSphere draws nothing there.
SphereMesh BuildSphereMesh(double radius, int slices, int stacks);

// Copies the vertices into a GL buffer once (needs a current context); drawing then reads them from
// there. Without it the mesh is drawn from memory.
void UploadSphereMesh(SphereMesh& mesh);

// Sends the mesh as its quad strips. The client array state is left as it was found, and the current
// normal and texture coordinate end where gluSphere leaves them (its last vertex's).
void DrawSphereMesh(const SphereMesh& mesh);

// [SECTION] Vertex strips ---------------------------------------------------------------------------

// Geometry that never changes, kept as strips of interleaved vertices and drawn from a GL buffer:
// sending it vertex by vertex, or from memory, costs the driver a copy on every draw. Held by value
// by whoever draws it; `buffer` (0 until uploaded) belongs to the GL context.
struct VertexStrips {
  uint32_t mode = 0;                   // the GL primitive of every strip
  std::vector<SphereVertex> vertices;  // strip after strip
  std::vector<int32_t> first;          // first vertex of each strip
  std::vector<int32_t> count;          // vertices in each strip
  uint32_t buffer = 0;
  // Immediate mode leaves the last vertex's normal and texture coordinate current; the evaluator
  // leaves the current ones as they were.
  bool keepCurrent = false;

  bool Empty() const { return vertices.empty(); }
};

// Copies interleaved vertices into a new GL buffer (needs a current context) and returns its name.
uint32_t UploadVertices(const std::vector<SphereVertex>& vertices);

// Sends the strips first[k] .. first[k] + count[k] - 1 as primitives of `mode` (a GL enum), read from
// `buffer`, or from memory when it is 0. The client array state is left as it was found, and the
// current normal and texture coordinate end at the last vertex's, where immediate mode leaves them.
void DrawVertexStrips(uint32_t mode, uint32_t buffer, const std::vector<SphereVertex>& vertices,
                      const std::vector<int32_t>& first, const std::vector<int32_t>& count);
// The same for a prepared set; with keepCurrent the current normal and texture coordinate are put back.
void DrawVertexStrips(const VertexStrips& strips);

// DrawIcosphere's triangles as one strip of GL_TRIANGLES, uploaded (needs a current context).
VertexStrips PrepareIcosphere(int depth, float radius);
// DrawCube's faces as one strip of GL_QUADS, uploaded (needs a current context).
VertexStrips PrepareCube();

// [SECTION] Line pen ---------------------------------------------------------------------------------

// Held by value by the scene that draws with it.
struct LinePen {
  float x = 0, y = 0, z = 0;
  float direction[3] = {0, 0, 0};  // the owner's scratch; the pen never reads it
  float heading = 0;               // degrees in the x-y plane, 0 along +x
};

// One line segment from the pen to (x, y, z); the pen moves there.
void LineTo(LinePen& pen, float x, float y, float z, GeometryEmitter& out = GlEmitter());
// A segment of `length` along the heading; the new point always has z = 0.
void Forward(LinePen& pen, float length, GeometryEmitter& out = GlEmitter());
// n + 1 times: Forward(length), then turn the heading and grow the length.
void Spiral(LinePen& pen, int n, float length, float turn, float growth,
            GeometryEmitter& out = GlEmitter());

// [SECTION] Iso-surface grid -------------------------------------------------------------------------

struct GridPoint {
  float x, y, z;     // position, set by BuildGrid
  float value;       // field value, written by the scene each frame
  float nx, ny, nz;  // normal, written by the scene
};

// The eight corners of one cell, as indices into IsoGrid::points.
struct GridCell {
  int32_t corner[8];
};

// Held by value by the scene that meshes with it; owns both arrays.
struct IsoGrid {
  int32_t pointCount = 0;
  std::vector<GridPoint> points;
  int32_t cubeCount = 0;
  std::vector<GridCell> cubes;
  int32_t triangleCount = 0;  // triangles of the last Polygonise
  int32_t allocatedFor = 0;   // the n the arrays were sized for
};

// Sizes the arrays for an n-cell grid ((n+1)^3 points, n^3 cells). False (with a diagnostics
// line) when n is out of range or memory runs out.
bool AllocateGrid(IsoGrid& grid, int n = 60);

// Fills positions (-10..10 on every axis) and cell corners. False (with a diagnostics line) when
// n is below 1 or above what AllocateGrid sized the arrays for.
bool BuildGrid(IsoGrid& grid, int n);

// One interpolated vertex of the surface.
struct IsoVertex {
  float position[3];
  float normal[3];
};

// The case index of a cell: bit c set when corner c's value is below iso.
int CellCase(const GridPoint* const corners[8], float iso);

// The triangles of one cell at level iso, vertices in emission order (the table's winding
// reversed). Returns the triangle count (0 to 5); out receives 3 vertices per triangle.
int PolygoniseCell(const GridPoint* const corners[8], float iso, IsoVertex out[15]);

// The whole surface at level iso as one Triangles batch; each vertex gets texture coordinate
// (nx, -ny) from its normal, which makes a 2D texture act as an environment map.
void Polygonise(IsoGrid& grid, float iso, GeometryEmitter& out = GlEmitter());

// [SECTION] Iso-surface mesh ------------------------------------------------------------------------

// One vertex as Polygonise sends it, laid out as GL_T2F_N3F_V3F.
struct IsoMeshVertex {
  float texCoord[2];  // (nx, -ny)
  float normal[3];
  float position[3];
};

// One Polygonise kept in memory, for a surface drawn several times at the same level. Held by
// value by its scene. The vector keeps its capacity, so a rebuild allocates only when the surface
// outgrows every earlier one.
struct IsoMesh {
  std::vector<IsoMeshVertex> vertices;  // three per triangle
};

// The vertices Polygonise would send, in the same order, into the mesh; sets grid.triangleCount
// as Polygonise does.
void PolygoniseInto(IsoGrid& grid, float iso, IsoMesh& mesh);

// The mesh in one draw from client arrays: the same triangles as Polygonise in immediate mode.
// The current texture coordinate and normal are left at the last vertex's, as immediate mode
// leaves them.
void DrawIsoMesh(const IsoMesh& mesh);

}  // namespace MorlenGL
