// model_3ds.cpp -- the 3DS chunk reader: materials, objects, Y-up positions, normals, tangents.
#include "assets/model_3ds.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>

#include "platform/data_path.h"
#include "platform/diagnostics.h"

namespace {

enum : uint16_t {
  kEditor = 0x3D3D,
  kMaterial = 0xAFFF,
  kMaterialName = 0xA000,
  kObject = 0x4000,
  kMesh = 0x4100,
  kVertexList = 0x4110,
  kFaceList = 0x4120,
  kMaterialGroup = 0x4130,
  kMappingCoords = 0x4140,
};
constexpr size_t kHeaderSize = 6;

struct Chunk {
  uint16_t id;
  size_t start;     // first byte of the header
  size_t contents;  // first byte after the header
  size_t end;       // one past the last byte
};

// [section] byte reader: every read is bounds-checked by its caller through the chunk limits.
class Reader3ds {
 public:
  Reader3ds(const uint8_t* data, size_t size, c3DsModelSystem& model)
      : data_(data), size_(size), model_(model) {}

  // False when the data holds no readable main chunk.
  bool Run();
  // Every kind of damage met, one phrase each, for the single report line.
  std::string Problems() const;
  bool Damaged() const { return !notes_.empty() || droppedFaces_ || droppedGroupFaces_; }

 private:
  void ForEachChunk(size_t begin, size_t end, const std::function<void(const Chunk&)>& visit);
  void ReadEditor(const Chunk& editor);
  void ReadMaterial(const Chunk& chunk, Material& material);
  void ReadObject(const Chunk& chunk, MeshObject& object);
  void ReadMesh(const Chunk& mesh, MeshObject& object);
  void ReadVertices(const Chunk& chunk, MeshObject& object);
  void ReadMapping(const Chunk& chunk, MeshObject& object);
  void ReadFaces(const Chunk& chunk, MeshObject& object);
  void ReadGroup(const Chunk& chunk, const MeshObject& object, const std::vector<int32_t>& kept,
                 size_t fileFaces, FaceGroup& group);
  // Reads how many records of recordSize follow a 16-bit count at 'at' and fit before end.
  size_t FittingCount(size_t at, size_t end, size_t recordSize, uint16_t id);
  std::string Name(size_t begin, size_t end, size_t* after);
  void Note(const std::string& kind, const std::string& phrase);

  uint16_t U16(size_t at) const { return static_cast<uint16_t>(data_[at] | data_[at + 1] << 8); }
  uint32_t U32(size_t at) const {
    return U16(at) | static_cast<uint32_t>(U16(at + 2)) << 16;
  }
  float F32(size_t at) const {
    uint32_t bits = U32(at);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }

  const uint8_t* data_;
  size_t size_;
  c3DsModelSystem& model_;
  std::map<std::string, std::string> notes_;  // kind -> first occurrence
  size_t droppedFaces_ = 0;
  size_t droppedGroupFaces_ = 0;
};

void Reader3ds::Note(const std::string& kind, const std::string& phrase) {
  notes_.emplace(kind, phrase);  // only the first of each kind is kept
}

std::string Reader3ds::Problems() const {
  std::string text;
  auto add = [&text](const std::string& phrase) {
    if (!text.empty()) text += "; ";
    text += phrase;
  };
  for (const auto& [kind, phrase] : notes_) add(phrase);
  if (droppedFaces_)
    add(std::to_string(droppedFaces_) + " face(s) with a vertex index past the vertex list dropped");
  if (droppedGroupFaces_)
    add(std::to_string(droppedGroupFaces_) +
        " material-group face number(s) past the face list dropped");
  return text;
}

// A chunk shorter than its header or running past its parent ends the scan of that level:
// its length cannot be trusted, so neither can anything after it.
void Reader3ds::ForEachChunk(size_t begin, size_t end,
                             const std::function<void(const Chunk&)>& visit) {
  size_t pos = begin;
  while (pos < end) {
    if (end - pos < kHeaderSize) {
      Note("chunk", std::to_string(end - pos) + " stray byte(s) at byte " + std::to_string(pos) +
                        " where a chunk should start; rest of that level skipped");
      return;
    }
    uint16_t id = U16(pos);
    uint32_t length = U32(pos + 2);
    if (length < kHeaderSize || length > end - pos) {
      char phrase[160];
      snprintf(phrase, sizeof phrase,
               "chunk 0x%04X at byte %zu has length %u, which does not fit its parent; rest of that "
               "level skipped",
               id, pos, length);
      Note("chunk", phrase);
      return;
    }
    visit(Chunk{id, pos, pos + kHeaderSize, pos + length});
    pos += length;
  }
}

size_t Reader3ds::FittingCount(size_t at, size_t end, size_t recordSize, uint16_t id) {
  if (at > end || end - at < 2) {
    char phrase[96];
    snprintf(phrase, sizeof phrase, "chunk 0x%04X too short for its count", id);
    Note("count", phrase);
    return 0;
  }
  size_t count = U16(at);
  size_t fits = (end - at - 2) / recordSize;
  if (count > fits) {
    char phrase[128];
    snprintf(phrase, sizeof phrase, "chunk 0x%04X at byte %zu counts %zu records but holds %zu",
             id, at, count, fits);
    Note("count", phrase);
    return fits;
  }
  return count;
}

// A NUL-terminated name; *after is the first byte past the NUL (or end when there is none).
std::string Reader3ds::Name(size_t begin, size_t end, size_t* after) {
  size_t stop = begin;
  while (stop < end && data_[stop] != 0) ++stop;
  *after = stop < end ? stop + 1 : end;
  size_t length = stop - begin;
  if (length > k3dsNameLimit) {
    Note("name", "name longer than " + std::to_string(k3dsNameLimit) + " characters cut");
    length = k3dsNameLimit;
  }
  return std::string(reinterpret_cast<const char*>(data_ + begin), length);
}

// [section] editor data: three passes -- count, materials, objects
bool Reader3ds::Run() {
  if (size_ < kHeaderSize) {
    Note("main", "too short for a 3DS file (" + std::to_string(size_) + " bytes)");
    return false;
  }
  // The main chunk's identifier is not checked: only its length bounds the scan.
  uint32_t mainLength = U32(2);
  if (mainLength < kHeaderSize || mainLength > size_) {
    Note("main", "main chunk declares " + std::to_string(mainLength) + " bytes but the file has " +
                     std::to_string(size_) + "; nothing read");
    return false;
  }
  ForEachChunk(kHeaderSize, mainLength, [this](const Chunk& c) {
    if (c.id == kEditor) ReadEditor(c);
  });
  return true;
}

void Reader3ds::ReadEditor(const Chunk& editor) {
  int32_t objects = 0, materials = 0;
  ForEachChunk(editor.contents, editor.end, [&](const Chunk& c) {
    objects += c.id == kObject;
    materials += c.id == kMaterial;
  });
  model_.objectCount = objects;
  model_.materialCount = materials;
  model_.materials.assign(materials, Material{});
  model_.objects.assign(objects, MeshObject{});
  if (materials > 0) {
    size_t n = 0;
    ForEachChunk(editor.contents, editor.end, [&](const Chunk& c) {
      if (c.id == kMaterial) ReadMaterial(c, model_.materials[n++]);
    });
  }
  if (objects > 0) {
    size_t n = 0;
    ForEachChunk(editor.contents, editor.end, [&](const Chunk& c) {
      if (c.id == kObject) ReadObject(c, model_.objects[n++]);
    });
  }
}

void Reader3ds::ReadMaterial(const Chunk& chunk, Material& material) {
  ForEachChunk(chunk.contents, chunk.end, [&](const Chunk& c) {
    size_t after;
    if (c.id == kMaterialName) material.name = Name(c.contents, c.end, &after);
  });
}

void Reader3ds::ReadObject(const Chunk& chunk, MeshObject& object) {
  size_t after;
  object.name = Name(chunk.contents, chunk.end, &after);
  ForEachChunk(after, chunk.end, [&](const Chunk& c) {
    if (c.id == kMesh) ReadMesh(c, object);
  });
}

// [section] triangle mesh
void Reader3ds::ReadMesh(const Chunk& mesh, MeshObject& object) {
  // Vertices first, whatever the order in the file, so faces can be checked against them.
  ForEachChunk(mesh.contents, mesh.end, [&](const Chunk& c) {
    if (c.id == kVertexList) ReadVertices(c, object);
    if (c.id == kMappingCoords) ReadMapping(c, object);
  });
  ForEachChunk(mesh.contents, mesh.end, [&](const Chunk& c) {
    if (c.id == kFaceList) ReadFaces(c, object);
  });
}

void Reader3ds::ReadVertices(const Chunk& chunk, MeshObject& object) {
  size_t count = FittingCount(chunk.contents, chunk.end, 12, chunk.id);
  object.vertexCount = static_cast<int32_t>(count);
  object.vertices.resize(3 * count);
  object.normals.assign(3 * count, 0.0f);
  for (size_t i = 0; i < count; ++i) {
    size_t at = chunk.contents + 2 + 12 * i;
    // The file is Z-up; OpenGL is Y-up.
    object.vertices[3 * i + 0] = F32(at);
    object.vertices[3 * i + 1] = F32(at + 8);
    object.vertices[3 * i + 2] = -F32(at + 4);
  }
}

void Reader3ds::ReadMapping(const Chunk& chunk, MeshObject& object) {
  size_t count = FittingCount(chunk.contents, chunk.end, 8, chunk.id);
  object.texCoordCount = static_cast<int32_t>(count);
  object.texCoords.resize(2 * count);
  for (size_t i = 0; i < 2 * count; ++i) object.texCoords[i] = F32(chunk.contents + 2 + 4 * i);
  object.hasTexCoords = true;
}

// Adds the unnormalised face normal (larger faces weigh more) to its three vertices.
void AccumulateFaceNormal(MeshObject& object, const uint16_t* abc) {
  const float* a = &object.vertices[3 * abc[0]];
  const float* b = &object.vertices[3 * abc[1]];
  const float* c = &object.vertices[3 * abc[2]];
  float v1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  float v2[3] = {b[0] - c[0], b[1] - c[1], b[2] - c[2]};
  float n[3] = {v2[1] * v1[2] - v2[2] * v1[1], v2[2] * v1[0] - v2[0] * v1[2],
                v2[0] * v1[1] - v2[1] * v1[0]};
  for (int corner = 0; corner < 3; ++corner)
    for (int k = 0; k < 3; ++k) object.normals[3 * abc[corner] + k] += n[k];
}

void Reader3ds::ReadFaces(const Chunk& chunk, MeshObject& object) {
  size_t declared = chunk.end - chunk.contents >= 2 ? U16(chunk.contents) : 0;
  size_t count = FittingCount(chunk.contents, chunk.end, 8, chunk.id);
  // Faces with a bad index are dropped; groups name faces by their number in the file.
  std::vector<int32_t> kept(count, -1);
  object.faceIndices.clear();
  for (size_t f = 0; f < count; ++f) {
    size_t at = chunk.contents + 2 + 8 * f;
    uint16_t abc[3] = {U16(at), U16(at + 2), U16(at + 4)};
    if (std::max({abc[0], abc[1], abc[2]}) >= object.vertexCount) {
      ++droppedFaces_;
      continue;
    }
    kept[f] = static_cast<int32_t>(object.faceIndices.size() / 3);
    object.faceIndices.insert(object.faceIndices.end(), abc, abc + 3);
    AccumulateFaceNormal(object, abc);
  }
  object.indexCount = static_cast<int32_t>(object.faceIndices.size());
  object.groups.clear();
  object.groupCount = 0;
  if (count < declared) return;  // no trustworthy sub-chunks after a cut list

  size_t rest = chunk.contents + 2 + 8 * count;
  ForEachChunk(rest, chunk.end, [&](const Chunk& c) { object.groupCount += c.id == kMaterialGroup; });
  object.groups.resize(object.groupCount);
  size_t n = 0;
  ForEachChunk(rest, chunk.end, [&](const Chunk& c) {
    if (c.id == kMaterialGroup) ReadGroup(c, object, kept, count, object.groups[n++]);
  });
}

void Reader3ds::ReadGroup(const Chunk& chunk, const MeshObject& object,
                          const std::vector<int32_t>& kept, size_t fileFaces, FaceGroup& group) {
  size_t at;
  std::string name = Name(chunk.contents, chunk.end, &at);
  group.materialIndex = model_.materialCount;
  for (int32_t m = 0; m < model_.materialCount; ++m) {
    if (model_.materials[m].name == name) {
      group.materialIndex = m;
      break;
    }
  }
  size_t count = FittingCount(at, chunk.end, 2, chunk.id);
  for (size_t i = 0; i < count; ++i) {
    uint16_t face = U16(at + 2 + 2 * i);
    if (face >= fileFaces) {
      ++droppedGroupFaces_;
      continue;
    }
    if (kept[face] < 0) continue;  // already counted with the dropped faces
    const uint16_t* abc = &object.faceIndices[3 * kept[face]];
    group.indices.insert(group.indices.end(), abc, abc + 3);
  }
  group.indexCount = static_cast<int32_t>(group.indices.size());
}

// [section] after the whole file: unit normals, padded mapping, tangents
void NormaliseNormals(MeshObject& object) {
  for (size_t i = 0; i + 2 < object.normals.size(); i += 3) {
    float* n = &object.normals[i];
    float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (length == 0.0f) length = 1.0f;
    for (int k = 0; k < 3; ++k) n[k] /= length;
  }
}

void Cross(const float* a, const float* b, float* out) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

bool NormaliseInPlace(float* v) {
  float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (!(length > 1e-12f) || !std::isfinite(length)) return false;
  for (int k = 0; k < 3; ++k) v[k] /= length;
  return true;
}

// Some unit vector orthogonal to n (n may be zero for a vertex no face uses).
void AnyOrthogonal(const float* n, float* out) {
  const float xAxis[3] = {1, 0, 0}, yAxis[3] = {0, 1, 0};
  Cross(n, std::fabs(n[0]) < 0.9f ? xAxis : yAxis, out);
  if (!NormaliseInPlace(out)) std::copy(xAxis, xAxis + 3, out);
}

// Per triangle the direction in which u grows, summed per vertex, then made
// orthogonal to the vertex normal (Gram-Schmidt) and unit length.
void ComputeTangents(MeshObject& object) {
  std::vector<float> sum(object.vertices.size(), 0.0f);
  const std::vector<float>& p = object.vertices;
  const std::vector<float>& uv = object.texCoords;
  for (size_t f = 0; f + 2 < object.faceIndices.size(); f += 3) {
    const uint16_t* abc = &object.faceIndices[f];
    size_t a = abc[0], b = abc[1], c = abc[2];
    float e1[3], e2[3];
    for (int k = 0; k < 3; ++k) {
      e1[k] = p[3 * b + k] - p[3 * a + k];
      e2[k] = p[3 * c + k] - p[3 * a + k];
    }
    float du1 = uv[2 * b] - uv[2 * a], dv1 = uv[2 * b + 1] - uv[2 * a + 1];
    float du2 = uv[2 * c] - uv[2 * a], dv2 = uv[2 * c + 1] - uv[2 * a + 1];
    float det = du1 * dv2 - du2 * dv1;
    if (!(std::fabs(det) > 1e-20f) || !std::isfinite(det)) continue;  // degenerate mapping
    for (int k = 0; k < 3; ++k) {
      float t = (e1[k] * dv2 - e2[k] * dv1) / det;
      sum[3 * a + k] += t;
      sum[3 * b + k] += t;
      sum[3 * c + k] += t;
    }
  }
  object.tangents.resize(object.vertices.size());
  for (size_t i = 0; i + 2 < sum.size(); i += 3) {
    const float* n = &object.normals[i];
    float* t = &object.tangents[i];
    float along = sum[i] * n[0] + sum[i + 1] * n[1] + sum[i + 2] * n[2];
    for (int k = 0; k < 3; ++k) t[k] = sum[i + k] - along * n[k];
    if (!NormaliseInPlace(t)) AnyOrthogonal(n, t);
  }
}

void Finish(MeshObject& object) {
  NormaliseNormals(object);
  if (object.texCoords.size() < 2 * object.vertices.size() / 3)
    object.texCoords.resize(2 * object.vertices.size() / 3, 0.0f);
  object.tangents.clear();
  if (object.hasTexCoords) ComputeTangents(object);
}

// The text up to the first double quote, leading quotes skipped ("\"data\\x.3ds\" extra").
std::string StripQuotes(const std::string& path) {
  if (path.find('"') == std::string::npos) return path;
  size_t begin = path.find_first_not_of('"');
  if (begin == std::string::npos) return "";
  return path.substr(begin, path.find('"', begin) - begin);
}

// The first value of `values` that is NaN or infinite, or -1.
int64_t FirstNonFinite(const std::vector<float>& values) {
  for (size_t i = 0; i < values.size(); ++i)
    if (!std::isfinite(values[i])) return static_cast<int64_t>(i);
  return -1;
}

// A NaN or infinity in a position spreads through the normals and tangents into every pixel the
// object covers, and the bounds of the whole model with it: such an object is left out. Returns
// what the file's line says of it, naming the first; empty when none was.
std::string DropNonFiniteObjects(std::vector<MeshObject>& objects) {
  std::string first;
  auto bad = [&](const MeshObject& object) {
    const int64_t vertex = FirstNonFinite(object.vertices), mapping = FirstNonFinite(object.texCoords);
    if (vertex < 0 && mapping < 0) return false;
    if (first.empty())
      first = "object \"" + object.name + "\", " +
              (vertex >= 0 ? "vertex " + std::to_string(vertex / 3) : "mapping coordinate " + std::to_string(mapping / 2));
    return true;
  };
  objects.erase(std::remove_if(objects.begin(), objects.end(), bad), objects.end());
  return first.empty() ? "" : "contains NaN or infinite numbers at " + first + "; left out";
}

}  // namespace

// [section] c3DsModelSystem
c3DsModelSystem::~c3DsModelSystem() = default;

bool c3DsModelSystem::LoadFromMemory(const uint8_t* data, size_t size, const std::string& name) {
  objectCount = materialCount = 0;
  materials.clear();
  objects.clear();
  ForgetPrepared();
  Reader3ds reader(data, size, *this);
  bool readable = reader.Run();
  // One line for the file, whatever is wrong with it.
  std::string problems = reader.Damaged() ? reader.Problems() : "";
  const std::string nonFinite = DropNonFiniteObjects(objects);
  if (!nonFinite.empty()) {
    objectCount = static_cast<int32_t>(objects.size());
    problems += (problems.empty() ? "" : "; ") + nonFinite;
  }
  for (MeshObject& object : objects) Finish(object);
  if (!problems.empty()) plat::Report("%s: %s", name.c_str(), problems.c_str());
  return readable && problems.empty();
}

bool c3DsModelSystem::Load(const std::string& path) {
  std::string name = StripQuotes(path);
  std::string resolved = plat::ResolveDataPath(name);
  objectCount = materialCount = 0;
  materials.clear();
  objects.clear();
  ForgetPrepared();
  std::string why;
  file = plat::OpenDataFile(resolved, k3dsFileLimit, &why);
  if (!file) {
    plat::Report("%s: %s", resolved.c_str(), why.c_str());
    return false;
  }
  std::vector<uint8_t> bytes;
  uint8_t block[65536];
  size_t got;
  // The limit holds even for a file that grows while it is read.
  while (bytes.size() <= k3dsFileLimit && (got = fread(block, 1, sizeof block, file)) > 0)
    bytes.insert(bytes.end(), block, block + got);
  bool failed = ferror(file) != 0;
  int error = errno;
  fclose(file);
  file = nullptr;
  if (failed) {
    plat::Report("%s: cannot read: %s", resolved.c_str(), strerror(error));
    return false;
  }
  return LoadFromMemory(bytes.data(), std::min<size_t>(bytes.size(), k3dsFileLimit), resolved);
}
