// model_report.cpp -- "model FILE": what the 3DS reader makes of a file, as JSON.
#include <algorithm>
#include <cfloat>
#include <cstdio>

#include "assets/model_3ds.h"
#include "reports.h"
#include "json_writer.h"
#include "platform/data_path.h"

namespace inspect {

namespace {

bool Opens(const std::string& path) {
  FILE* f = fopen(plat::ResolveDataPath(path).c_str(), "rb");
  if (f) fclose(f);
  return f != nullptr;
}

void WriteBounds(JsonWriter& json, const MeshObject& o) {
  if (o.vertexCount == 0) return json.Null();
  float lo[3] = {FLT_MAX, FLT_MAX, FLT_MAX}, hi[3] = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
  for (int32_t i = 0; i < o.vertexCount; ++i)
    for (int k = 0; k < 3; ++k) {
      lo[k] = std::min(lo[k], o.vertices[3 * i + k]);
      hi[k] = std::max(hi[k], o.vertices[3 * i + k]);
    }
  json.BeginObject();
  json.Key("min");
  json.Triple(lo);
  json.Key("max");
  json.Triple(hi);
  json.EndObject();
}

int ZeroNormals(const MeshObject& o) {
  int zero = 0;
  for (int32_t i = 0; i < o.vertexCount; ++i)
    zero += o.normals[3 * i] == 0 && o.normals[3 * i + 1] == 0 && o.normals[3 * i + 2] == 0;
  return zero;
}

void WriteGroups(JsonWriter& json, const c3DsModelSystem& model, const MeshObject& o) {
  json.BeginArray();
  for (const FaceGroup& g : o.groups) {
    json.BeginObject();
    json.Key("material");
    if (g.materialIndex < model.materialCount)
      json.String(model.materials[g.materialIndex].name);
    else
      json.Null();
    json.Key("materialIndex");
    json.Int(g.materialIndex);
    json.Key("faces");
    json.Int(g.indexCount / 3);
    json.EndObject();
  }
  json.EndArray();
}

void WriteObject(JsonWriter& json, const c3DsModelSystem& model, const MeshObject& o) {
  json.BeginObject();
  json.Key("name");
  json.String(o.name);
  json.Key("vertices");
  json.Int(o.vertexCount);
  json.Key("faces");
  json.Int(o.indexCount / 3);
  json.Key("mappingCoordinates");
  json.Int(o.texCoordCount);
  json.Key("groups");
  WriteGroups(json, model, o);
  json.Key("boundingBox");
  WriteBounds(json, o);
  json.Key("zeroNormals");
  json.Int(ZeroNormals(o));
  json.EndObject();
}

}  // namespace

int InspectModel(const std::string& path) {
  c3DsModelSystem model;
  bool clean = model.Load(path);  // reports every problem itself
  if (!Opens(path)) return kBadInput;
  JsonWriter json(stdout);
  json.BeginObject();
  json.Key("file");
  json.String(path);
  json.Key("materials");
  json.BeginArray();
  for (const Material& m : model.materials) json.String(m.name);
  json.EndArray();
  json.Key("objects");
  json.BeginArray();
  for (const MeshObject& o : model.objects) WriteObject(json, model, o);
  json.EndArray();
  json.EndObject();
  json.Finish();
  return clean ? kOk : kBadInput;
}

}  // namespace inspect
