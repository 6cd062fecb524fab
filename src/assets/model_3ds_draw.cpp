// model_3ds_draw.cpp -- drawing a loaded 3DS model with client-side arrays, or from a display list.
#include <epoxy/gl.h>

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

void PointArrays(const MeshObject& object, bool useNormals) {
  SetArray(GL_TEXTURE_COORD_ARRAY, object.hasTexCoords);
  if (object.hasTexCoords) glTexCoordPointer(2, GL_FLOAT, 0, object.texCoords.data());
  SetArray(GL_NORMAL_ARRAY, useNormals);
  if (useNormals) glNormalPointer(GL_FLOAT, 0, object.normals.data());
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, object.vertices.data());
  if (!object.tangents.empty()) {
    glEnableVertexAttribArray(MorlenGL::kTangentAttribute);
    glVertexAttribPointer(MorlenGL::kTangentAttribute, 3, GL_FLOAT, GL_FALSE, 0,
                          object.tangents.data());
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

// One glDrawElements per face group of every object, with its normal lines where asked.
void DrawObjects(const c3DsModelSystem& model, bool withNormalLines) {
  for (const MeshObject& object : model.objects) {
    if (object.vertexCount == 0) continue;  // lights, cameras, empty meshes
    PointArrays(object, model.useNormals);
    for (const FaceGroup& group : object.groups)
      if (group.indexCount > 0)
        glDrawElements(GL_TRIANGLES, group.indexCount, GL_UNSIGNED_SHORT, group.indices.data());
    if (withNormalLines) DrawNormalLines(object, model.useNormals);
  }
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
    DrawObjects(*this, showNormals);
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
  DrawObjects(*this, false);
  glEndList();
  glDisableVertexAttribArray(MorlenGL::kTangentAttribute);
  drawList = list;
  listNormals = useNormals;
  return true;
}
