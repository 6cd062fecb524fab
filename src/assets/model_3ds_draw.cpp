// model_3ds_draw.cpp -- drawing a loaded 3DS model with client-side arrays.
#include <epoxy/gl.h>

#include "assets/model_3ds.h"
#include "assets/vertex_attributes.h"

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

}  // namespace

void c3DsModelSystem::Draw() {
  if (!visible) return;
  glPushMatrix();
  glTranslatef(x, y, z);
  glRotatef(rotX, 1, 0, 0);
  glRotatef(rotY, 0, 1, 0);
  glRotatef(rotZ, 0, 0, 1);
  glScalef(scale, scale, scale);
  for (const MeshObject& object : objects) {
    if (object.vertexCount == 0) continue;  // lights, cameras, empty meshes
    PointArrays(object, useNormals);
    for (const FaceGroup& group : object.groups)
      if (group.indexCount > 0)
        glDrawElements(GL_TRIANGLES, group.indexCount, GL_UNSIGNED_SHORT, group.indices.data());
    if (showNormals) DrawNormalLines(object, useNormals);
  }
  // The tangent array is ours, not part of the fixed-function state others expect: leave
  // the attribute to its current value so later array drawing never reads this model's data.
  glDisableVertexAttribArray(MorlenGL::kTangentAttribute);
  glPopMatrix();
}
