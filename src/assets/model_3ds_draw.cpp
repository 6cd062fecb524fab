// model_3ds_draw.cpp -- drawing a loaded 3DS model from buffers, client-side arrays or a display list.
#include <epoxy/gl.h>

#include <cstddef>
#include <vector>

#include "assets/model_3ds.h"
#include "assets/vertex_attributes.h"
#include "platform/diagnostics.h"

namespace {

// Arrays the object does not supply are switched off, so nothing reads another object's data.
void SetArray(GLenum array, bool on) {
  if (on)
    glEnableClientState(array);
  else
    glDisableClientState(array);
}

// Where each array comes from: memory, or byte offsets into the object's buffer while it is bound.
struct ArraySources {
  const char* vertices;
  const char* normals;
  const char* texCoords;
  const char* tangents;
};

ArraySources FromMemory(const MeshObject& object) {
  return {reinterpret_cast<const char*>(object.vertices.data()),
          reinterpret_cast<const char*>(object.normals.data()),
          reinterpret_cast<const char*>(object.texCoords.data()),
          reinterpret_cast<const char*>(object.tangents.data())};
}

template <class T>
size_t Bytes(const std::vector<T>& v) {
  return v.size() * sizeof(T);
}

// With a buffer bound, a pointer argument is a byte offset into it.
const char* Offset(size_t bytes) { return reinterpret_cast<const char*>(bytes); }

// The buffer holds vertices, normals, texture coordinates and tangents one after another.
ArraySources InBuffer(const MeshObject& object) {
  const size_t normals = Bytes(object.vertices);
  const size_t texCoords = normals + Bytes(object.normals);
  const size_t tangents = texCoords + Bytes(object.texCoords);
  return {Offset(0), Offset(normals), Offset(texCoords), Offset(tangents)};
}

void PointArrays(const MeshObject& object, const ArraySources& from, bool useNormals) {
  SetArray(GL_TEXTURE_COORD_ARRAY, object.hasTexCoords);
  if (object.hasTexCoords) glTexCoordPointer(2, GL_FLOAT, 0, from.texCoords);
  SetArray(GL_NORMAL_ARRAY, useNormals);
  if (useNormals) glNormalPointer(GL_FLOAT, 0, from.normals);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, from.vertices);
  if (!object.tangents.empty()) {
    glEnableVertexAttribArray(MorlenGL::kTangentAttribute);
    glVertexAttribPointer(MorlenGL::kTangentAttribute, 3, GL_FLOAT, GL_FALSE, 0, from.tangents);
  } else {
    glDisableVertexAttribArray(MorlenGL::kTangentAttribute);
  }
}

void DrawNormalLines(const MeshObject& object, bool useNormals) {
  for (int32_t i = 0; i < object.vertexCount; ++i) {
    const float* v = &object.vertices[3 * i];
    const float* n = &object.normals[3 * i];
    glDisable(GL_TEXTURE_2D);
    if (useNormals) glDisable(GL_LIGHTING);
    glColor3f(0, 0, 1);
    glBegin(GL_LINES);
    glVertex3f(v[0], v[1], v[2]);
    glVertex3f(v[0] + n[0], v[1] + n[1], v[2] + n[2]);
    glEnd();
    glColor3f(1, 1, 1);
    if (useNormals) glEnable(GL_LIGHTING);
  }
}

// One glDrawElements per face group of every object, with its normal lines where asked. With
// buffers, each object's arrays and indices are read from its two buffers instead of memory.
void DrawObjects(const c3DsModelSystem& model, bool withNormalLines, const ModelBuffers* buffers) {
  for (size_t i = 0; i < model.objects.size(); ++i) {
    const MeshObject& object = model.objects[i];
    if (object.vertexCount == 0) continue;  // lights, cameras, empty meshes
    if (buffers) {
      glBindBuffer(GL_ARRAY_BUFFER, (*buffers)[i].arrays);
      glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, (*buffers)[i].indices);
    }
    PointArrays(object, buffers ? InBuffer(object) : FromMemory(object), model.useNormals);
    size_t offset = 0;  // of the group's indices in the index buffer
    for (const FaceGroup& group : object.groups) {
      if (group.indexCount <= 0) continue;
      glDrawElements(GL_TRIANGLES, group.indexCount, GL_UNSIGNED_SHORT,
                     buffers ? Offset(offset) : reinterpret_cast<const char*>(group.indices.data()));
      offset += Bytes(group.indices);
    }
    if (withNormalLines) DrawNormalLines(object, model.useNormals);
  }
  if (buffers) {
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  }
}

// Appends a vector's bytes at `at` of the bound buffer and returns the offset after them.
template <class T>
size_t Append(GLenum target, size_t at, const std::vector<T>& v) {
  if (!v.empty()) glBufferSubData(target, static_cast<GLintptr>(at), static_cast<GLsizeiptr>(Bytes(v)), v.data());
  return at + Bytes(v);
}

// Each object's arrays and indices copied once into buffers of their own, laid out as InBuffer reads them.
ModelBuffers Upload(const std::vector<MeshObject>& objects) {
  ModelBuffers buffers(objects.size());
  for (size_t i = 0; i < objects.size(); ++i) {
    const MeshObject& o = objects[i];
    if (o.vertexCount == 0) continue;
    glGenBuffers(1, &buffers[i].arrays);
    glBindBuffer(GL_ARRAY_BUFFER, buffers[i].arrays);
    const size_t arrayBytes = Bytes(o.vertices) + Bytes(o.normals) + Bytes(o.texCoords) + Bytes(o.tangents);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(arrayBytes), nullptr, GL_STATIC_DRAW);
    size_t at = Append(GL_ARRAY_BUFFER, 0, o.vertices);
    at = Append(GL_ARRAY_BUFFER, at, o.normals);
    at = Append(GL_ARRAY_BUFFER, at, o.texCoords);
    Append(GL_ARRAY_BUFFER, at, o.tangents);
    size_t indexBytes = 0;
    for (const FaceGroup& group : o.groups)
      if (group.indexCount > 0) indexBytes += Bytes(group.indices);
    glGenBuffers(1, &buffers[i].indices);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[i].indices);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indexBytes), nullptr, GL_STATIC_DRAW);
    at = 0;
    for (const FaceGroup& group : o.groups)
      if (group.indexCount > 0) at = Append(GL_ELEMENT_ARRAY_BUFFER, at, group.indices);
  }
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  return buffers;
}

}  // namespace

void c3DsModelSystem::Draw() {
  if (!visible) return;
  const bool fromList = drawList != 0 && listNormals == useNormals && !showNormals;
  // A prepared model in its own place is one call: what a particle pool draws thousands of times.
  if (fromList && x == 0 && y == 0 && z == 0 && rotX == 0 && rotY == 0 && rotZ == 0 && scale == 1) {
    glCallList(drawList);
    return;
  }
  glPushMatrix();
  glTranslatef(x, y, z);
  glRotatef(rotX, 1, 0, 0);
  glRotatef(rotY, 0, 1, 0);
  glRotatef(rotZ, 0, 0, 1);
  glScalef(scale, scale, scale);
  if (fromList) {
    glCallList(drawList);
  } else {
    // Sending the arrays from memory makes the driver copy them again on every draw.
    if (fromBuffers && buffers.size() != objects.size()) buffers = Upload(objects);
    DrawObjects(*this, showNormals, fromBuffers ? &buffers : nullptr);
    // The tangent array is ours, not part of the fixed-function state others expect: leave
    // the attribute to its current value so later array drawing never reads this model's data.
    glDisableVertexAttribArray(MorlenGL::kTangentAttribute);
  }
  glPopMatrix();
}

// The arrays are read while the list is compiled, so the list keeps its own copy of the faces
// (tangents included); enabling and pointing the arrays is client state and happens now, once.
bool c3DsModelSystem::Prepare() {
  if (drawList != 0) return true;
  const GLuint list = glGenLists(1);
  if (list == 0) {
    plat::Report("model: no display list to prepare it in; it is drawn from its arrays");
    return false;
  }
  glNewList(list, GL_COMPILE);
  DrawObjects(*this, false, nullptr);
  glEndList();
  glDisableVertexAttribArray(MorlenGL::kTangentAttribute);
  drawList = list;
  listNormals = useNormals;
  return true;
}

void c3DsModelSystem::ForgetPrepared() {
  drawList = 0;
  buffers.clear();
}
