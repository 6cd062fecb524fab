// model_3ds.h -- one 3DS mesh file: its materials, objects and face groups, and its draw call.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Names keep at most this many characters (the file format's 80 with the NUL).
constexpr size_t k3dsNameLimit = 79;
// Larger files are refused unread: the show's models are a few hundred kilobytes, and the file
// is read whole into memory.
constexpr uint64_t k3dsFileLimit = uint64_t{64} << 20;

struct Material {
  std::string name;
};

// The faces of one material, copied out of the object's faceIndices.
struct FaceGroup {
  std::vector<uint16_t> indices;  // triples
  int32_t indexCount = 0;         // 3 x faces
  int32_t materialIndex = 0;      // position in materials; materialCount when the name is unknown
};

// One named object. Arrays are flat: vertices/normals/tangents 3 floats per vertex,
// texCoords 2 per vertex. texCoords is padded with (0, 0) up to vertexCount so a
// short mapping list never lets Draw read past it; texCoordCount is what the file gave.
struct MeshObject {
  std::string name;
  std::vector<float> vertices;   // Y-up
  std::vector<float> normals;    // unit, or zero for a vertex no face uses
  std::vector<float> texCoords;  // (u, v) as stored
  std::vector<uint16_t> faceIndices;
  int32_t indexCount = 0;
  int32_t groupCount = 0;
  int32_t vertexCount = 0;
  int32_t texCoordCount = 0;
  bool hasTexCoords = false;
  std::vector<FaceGroup> groups;
  std::vector<float> tangents;  // unit, orthogonal to the normal; only with mapping coordinates
};

// GL buffer names of one object's arrays and indices, 0 for an object with nothing to draw.
struct ObjectBuffers {
  uint32_t arrays = 0;
  uint32_t indices = 0;
};
using ModelBuffers = std::vector<ObjectBuffers>;

// Owned by value by the scene (or particle system) that draws it; loaded once.
class c3DsModelSystem {
 public:
  virtual ~c3DsModelSystem();

  // Reads the file (path as the show writes it). Every problem is reported in one
  // line naming the file; returns false when it could not be opened or was damaged.
  // A missing, unreadable or oversized file, or anything but a regular file, leaves the model
  // empty; an object holding NaN or infinite numbers is left out.
  bool Load(const std::string& path);
  // The same reader over bytes already in memory; name labels the report.
  bool LoadFromMemory(const uint8_t* data, size_t size, const std::string& name);
  void Draw();
  // Records the faces once in a display list (a context must be current), which Draw replays
  // from then on instead of sending the arrays again: for models drawn many times a frame, such
  // as one per particle. Call after Load; the list lives as long as the context.
  bool Prepare();
  // Drops what Draw and Prepare made for the faces loaded before (it stays with the context).
  void ForgetPrepared();

  int32_t objectCount = 0;
  int32_t materialCount = 0;
  bool showNormals = false;
  std::vector<Material> materials;
  std::vector<MeshObject> objects;
  float x = 0, y = 0, z = 0;
  float rotX = 0, rotY = 0, rotZ = 0;
  float scale = 1.0f;
  bool useNormals = true;
  bool visible = true;
  FILE* file = nullptr;  // open only during Load
  uint32_t drawList = 0;     // set by Prepare
  bool listNormals = false;  // useNormals when the list was recorded; another value draws the arrays
  // Draw without a list copies each object's arrays into buffers on its first call and reads them
  // from there; false sends them from memory every time (the same picture, for comparing).
  bool fromBuffers = true;
  ModelBuffers buffers;  // one per object once made
};
