// fuzz_3ds.cpp -- libFuzzer target: any bytes through the 3DS reader, then its invariants.
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/model_3ds.h"
#include "platform/diagnostics.h"

namespace {

// What Draw relies on: every index inside its vertex arrays, every array sized to the vertices.
void CheckDrawable(const c3DsModelSystem& model) {
  if (model.objects.size() != size_t(model.objectCount)) abort();
  if (model.materials.size() != size_t(model.materialCount)) abort();
  for (const MeshObject& o : model.objects) {
    size_t n = size_t(o.vertexCount);
    if (o.vertices.size() != 3 * n || o.normals.size() != 3 * n) abort();
    if (o.texCoords.size() < 2 * n) abort();
    if (o.hasTexCoords ? o.tangents.size() != 3 * n : !o.tangents.empty()) abort();
    if (o.faceIndices.size() != size_t(o.indexCount)) abort();
    if (o.groups.size() != size_t(o.groupCount)) abort();
    for (uint16_t i : o.faceIndices)
      if (i >= n) abort();
    for (const FaceGroup& g : o.groups) {
      if (g.indices.size() != size_t(g.indexCount)) abort();
      if (g.materialIndex < 0 || g.materialIndex > model.materialCount) abort();
      for (uint16_t i : g.indices)
        if (i >= n) abort();
    }
    if (o.name.size() > k3dsNameLimit) abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::vector<std::string> reports;
  reports.clear();
  plat::CaptureDiagnostics(&reports);
  c3DsModelSystem model;
  bool ok = model.LoadFromMemory(data, size, "fuzz.3ds");
  if (reports.size() > 1 || ok != reports.empty()) abort();  // one line per damaged file
  CheckDrawable(model);
  return 0;
}
