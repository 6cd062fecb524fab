// writer_3ds.h -- builds small 3DS files chunk by chunk for the reader's tests.
#pragma once
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace test3ds {

inline std::string U16(uint16_t v) { return {char(v & 0xFF), char(v >> 8)}; }
inline std::string U32(uint32_t v) { return U16(uint16_t(v & 0xFFFF)) + U16(uint16_t(v >> 16)); }
inline std::string F32(float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  return U32(bits);
}
inline std::string Str(const std::string& s) { return s + std::string(1, '\0'); }

// A chunk: header, own payload, then children. lengthOverride replaces the honest length.
struct Chunk {
  uint16_t id;
  std::string payload;
  std::vector<Chunk> children;
  int64_t lengthOverride = -1;

  std::string Bytes() const {
    std::string body = payload;
    for (const Chunk& c : children) body += c.Bytes();
    uint32_t length = lengthOverride >= 0 ? uint32_t(lengthOverride) : uint32_t(body.size() + 6);
    return U16(id) + U32(length) + body;
  }
};

using V3 = std::array<float, 3>;
using Face = std::array<uint16_t, 3>;

inline Chunk Main(std::vector<Chunk> children, uint16_t id = 0x4D4D) { return {id, "", children}; }
inline Chunk Editor(std::vector<Chunk> children) { return {0x3D3D, "", children}; }
inline Chunk MaterialChunk(const std::string& name) {
  return {0xAFFF, "", {Chunk{0xA000, Str(name), {}}}};
}
inline Chunk Object(const std::string& name, std::vector<Chunk> children) {
  return {0x4000, Str(name), children};
}
inline Chunk Mesh(std::vector<Chunk> children) { return {0x4100, "", children}; }

inline Chunk Vertices(const std::vector<V3>& vs) {
  std::string p = U16(uint16_t(vs.size()));
  for (const V3& v : vs) p += F32(v[0]) + F32(v[1]) + F32(v[2]);
  return {0x4110, p, {}};
}
inline Chunk Mapping(const std::vector<std::array<float, 2>>& uvs) {
  std::string p = U16(uint16_t(uvs.size()));
  for (const auto& uv : uvs) p += F32(uv[0]) + F32(uv[1]);
  return {0x4140, p, {}};
}
inline Chunk Faces(const std::vector<Face>& fs, std::vector<Chunk> groups = {}) {
  std::string p = U16(uint16_t(fs.size()));
  for (const Face& f : fs) p += U16(f[0]) + U16(f[1]) + U16(f[2]) + U16(7);
  return {0x4120, p, groups};
}
inline Chunk Group(const std::string& material, const std::vector<uint16_t>& faces) {
  std::string p = Str(material) + U16(uint16_t(faces.size()));
  for (uint16_t f : faces) p += U16(f);
  return {0x4130, p, {}};
}

// One object "tri" with one triangle in group "red" and a material "red".
inline std::string SingleTriangle(const std::vector<V3>& vs = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}) {
  return Main({Editor({MaterialChunk("red"),
                       Object("tri", {Mesh({Vertices(vs), Faces({{0, 1, 2}}, {Group("red", {0})})})})})})
      .Bytes();
}

}  // namespace test3ds
