// writer_3ds.cpp -- mesh building helpers and the chunk writer (main, editor, material, object, mesh).
#include "writer_3ds.h"

#include <cstring>

namespace datagen {

// ---- [mesh building] ----

uint16_t Mesh::AddVertex(V3 p, UV t) {
  positions.push_back(p);
  uvs.push_back(t);
  return uint16_t(positions.size() - 1);
}

void Mesh::AddFace(int a, int b, int c) { faces.push_back({uint16_t(a), uint16_t(b), uint16_t(c)}); }

void Mesh::AddGrid(int cols, int rows, const std::function<void(float, float, V3*, UV*)>& at,
                   bool inward) {
  int base = int(positions.size());
  for (int j = 0; j <= rows; ++j) {
    for (int i = 0; i <= cols; ++i) {
      V3 p;
      UV t;
      at(float(i) / float(cols), float(j) / float(rows), &p, &t);
      AddVertex(p, t);
    }
  }
  for (int j = 0; j < rows; ++j) {
    for (int i = 0; i < cols; ++i) {
      int a = base + j * (cols + 1) + i, b = a + 1, c = a + cols + 1, d = c + 1;
      if (inward) {
        AddFace(a, c, b);
        AddFace(b, c, d);
      } else {
        AddFace(a, b, d);
        AddFace(a, d, c);
      }
    }
  }
}

// Frames carried along the path by parallel transport, so tubes do not twist at bends.
static void TubeFrames(const std::vector<V3>& path, std::vector<V3>* ns, std::vector<V3>* bs) {
  size_t count = path.size();
  V3 n;
  for (size_t k = 0; k < count; ++k) {
    V3 d = Normalize(path[k + 1 < count ? k + 1 : k] - path[k > 0 ? k - 1 : k]);
    if (k == 0) n = Cross(d, std::fabs(d.y) < 0.9f ? V3{0, 1, 0} : V3{1, 0, 0});
    n = Normalize(n - d * Dot(n, d));
    ns->push_back(n);
    bs->push_back(Cross(n, d));
  }
}

void Mesh::AddTube(const std::vector<V3>& path, float radius, int sides,
                   const std::function<UV(int, float)>& map) {
  int count = int(path.size());
  std::vector<V3> ns, bs;
  TubeFrames(path, &ns, &bs);
  // s runs around the tube, t along it; with b = n x d, dP/ds x dP/dt points inwards.
  AddGrid(sides, count - 1, [&](float s, float t, V3* p, UV* uv) {
    size_t k = size_t(t * float(count - 1) + 0.5f);
    float a = 2 * kPi * s;
    *p = path[k] + ns[k] * (radius * std::cos(a)) + bs[k] * (radius * std::sin(a));
    *uv = map(int(k), s);
  }, true);
}

void Mesh::AddBox(V3 lo, V3 hi, const std::function<UV(V3)>& map) {
  // Each side: origin corner and two edge vectors whose cross product points outwards.
  V3 e = hi - lo;
  const V3 sides[6][3] = {
      {{lo.x, lo.y, hi.z}, {e.x, 0, 0}, {0, e.y, 0}},    // +z
      {{hi.x, lo.y, lo.z}, {-e.x, 0, 0}, {0, e.y, 0}},   // -z
      {{hi.x, lo.y, hi.z}, {0, 0, -e.z}, {0, e.y, 0}},   // +x
      {{lo.x, lo.y, lo.z}, {0, 0, e.z}, {0, e.y, 0}},    // -x
      {{lo.x, hi.y, hi.z}, {e.x, 0, 0}, {0, 0, -e.z}},   // +y
      {{lo.x, lo.y, lo.z}, {e.x, 0, 0}, {0, 0, e.z}},    // -y
  };
  for (const auto& side : sides) {
    AddGrid(1, 1, [&](float s, float t, V3* p, UV* uv) {
      *p = side[0] + side[1] * s + side[2] * t;
      *uv = map(*p);
    });
  }
}

// ---- [chunk writer] ----

namespace {

class ChunkWriter {
 public:
  size_t Begin(uint16_t id) {
    U16(id);
    size_t at = out.size();
    U32(0);  // patched by End
    return at - 2;
  }
  void End(size_t start) {
    uint32_t length = uint32_t(out.size() - start);
    std::memcpy(&out[start + 2], &length, 4);  // the build machines are little-endian like the format
  }
  void U16(uint16_t v) { Raw(&v, 2); }
  void U32(uint32_t v) { Raw(&v, 4); }
  void F32(float v) { Raw(&v, 4); }
  void Text(const std::string& s) { Raw(s.c_str(), s.size() + 1); }
  void Raw(const void* p, size_t n) {
    const char* c = static_cast<const char*>(p);
    out.insert(out.end(), c, c + n);
  }
  std::string out;
};

void WriteMaterial(ChunkWriter& w, const Model& model) {
  size_t mat = w.Begin(0xAFFF);
  size_t name = w.Begin(0xA000);
  w.Text(model.material);
  w.End(name);
  size_t diffuse = w.Begin(0xA020);  // diffuse colour, 24-bit: read by other tools, skipped by ours
  size_t rgb = w.Begin(0x0011);
  w.Raw("\xff\xff\xff", 3);
  w.End(rgb);
  w.End(diffuse);
  if (!model.textureFile.empty()) {
    size_t map = w.Begin(0xA200);
    size_t file = w.Begin(0xA300);
    w.Text(model.textureFile);
    w.End(file);
    w.End(map);
  }
  w.End(mat);
}

void WriteObject(ChunkWriter& w, const Mesh& mesh, const std::string& material) {
  size_t object = w.Begin(0x4000);
  w.Text(mesh.name);
  size_t tri = w.Begin(0x4100);
  size_t verts = w.Begin(0x4110);
  w.U16(uint16_t(mesh.positions.size()));
  for (V3 p : mesh.positions) {  // Y-up back to the file's Z-up: (x, y, z) -> (x, -z, y)
    w.F32(p.x);
    w.F32(-p.z);
    w.F32(p.y);
  }
  w.End(verts);
  size_t map = w.Begin(0x4140);
  w.U16(uint16_t(mesh.uvs.size()));
  for (UV t : mesh.uvs) {
    w.F32(t.u);
    w.F32(t.v);
  }
  w.End(map);
  size_t faces = w.Begin(0x4120);
  w.U16(uint16_t(mesh.faces.size()));
  for (const auto& f : mesh.faces) {
    w.U16(f[0]);
    w.U16(f[1]);
    w.U16(f[2]);
    w.U16(7);  // edge visibility flags
  }
  size_t group = w.Begin(0x4130);
  w.Text(material);
  w.U16(uint16_t(mesh.faces.size()));
  for (size_t i = 0; i < mesh.faces.size(); ++i) w.U16(uint16_t(i));
  w.End(group);
  w.End(faces);
  w.End(tri);
  w.End(object);
}

}  // namespace

bool Encode3ds(const Model& model, std::string* bytes, std::string* error) {
  for (const Mesh& m : model.objects) {
    if (m.positions.size() > 65535 || m.faces.size() > 65535 || m.name.size() > 79) {
      *error = "object " + m.name + " exceeds the 3DS limits";
      return false;
    }
  }
  ChunkWriter w;
  size_t main = w.Begin(0x4D4D);
  size_t version = w.Begin(0x0002);
  w.U32(3);
  w.End(version);
  size_t editor = w.Begin(0x3D3D);
  size_t meshVersion = w.Begin(0x3D3E);
  w.U32(3);
  w.End(meshVersion);
  WriteMaterial(w, model);
  for (const Mesh& m : model.objects) WriteObject(w, m, model.material);
  w.End(editor);
  w.End(main);
  *bytes = std::move(w.out);
  return true;
}

}  // namespace datagen
