// greeting_scene.cpp -- the greeting scene: pillared room, tower, wobbling spheres and two rings of greetings.
#include "scenes/greeting_scene.h"

#include <epoxy/gl.h>
#include <GL/glu.h>

#include "assets/geometry.h"
#include "scenes/scene_kit.h"
#include "shell/music_track.h"

namespace MorlenGL {

namespace {

void Set3(float v[3], float x, float y, float z) {
  v[0] = x;
  v[1] = y;
  v[2] = z;
}

// Both programs: r 1, specular power 32, overdrive 1, and their own ambient.
void SetMaterial(cSurfaceProgram& program, float ambient) {
  program.r = 1.0f;
  program.specPower = 32;
  program.specOverdrive = 1.0f;
  program.ai = ambient;
}

}  // namespace

cGreetingScene::~cGreetingScene() {
  // A quadric is plain memory: freeing it needs no context.
  if (spheres.quadric != nullptr) gluDeleteQuadric(spheres.quadric);
}

// [SECTION] Init

int cGreetingScene::Init() {
  // 1.
  state.sceneSeconds = 0;
  // 2.
  cubeMap.CreateCube(1024, 1024);
  // 3.
  LoadAssets();
  // 4.
  targetA.Create(1024, 768, 1);
  // 5.
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  // 6.
  SetUpSpheres();
  // 7.
  ConfigureSparks(sparks, &m_clock);
  // 8.
  SetUpVertexDistort();
  // 9.
  SetUpLighting();
  // 10.
  SetSceneState();
  // 11. The scene clock is not restarted here: the first frame's camera angle comes from the time
  // since the clock started with the application.
  SetSceneLens(camera);
  SetLookAt(camera, 0, 0, 0, 0, 0, -1, 0, 1, 0);
  Apply(camera);
  return 0;
}

void cGreetingScene::LoadAssets() {
  diffuseTexture.Load("Data\\cdiffuse.jpg");
  waterNormalTexture.Load("data\\waternormal.jpg");
  specularTexture.Load("data\\specular.jpg");
  roomColourTexture.Load("data\\pillarroom_diff.jpg");
  roomNormalTexture.Load("data\\pillarroom_norm.jpg");
  towerSpecularTexture.Load("data\\pillarspecmap.jpg");
  towerColourTexture.Load("data\\Towertexture.jpg");
  towerNormalTexture.Load("data\\towernormal.jpg");
  frameTexture.Load("data\\og3.png");
  roomModel.Load("data\\pillarroom.3DS");
  flameTexture.Load("data\\flame1.png");
  towerModel.Load("data\\pillarbitch.3DS");
  ringModels[0].Load("data\\credring.3DS");
  ringModels[1].Load("data\\credring.3DS");
  greetTextures[0].Load("data\\greet1.png");
  greetTextures[1].Load("data\\greet2.png");
}

// Fifty 64 x 64 spheres a frame are too many vertices to send one by one: the sphere gluSphere
// would draw is tessellated once here and sent from one buffer (the same vertices, the same picture).
void cGreetingScene::SetUpSpheres() {
  spheres.model.Load("Data\\feather.3DS");
  spheres.quadric = gluNewQuadric();
  gluQuadricNormals(spheres.quadric, GLU_SMOOTH);
  gluQuadricTexture(spheres.quadric, GL_TRUE);
  spheres.sphereMesh = BuildSphereMesh(1, 64, 64);
  UploadSphereMesh(spheres.sphereMesh);
  ConfigureSpheres(spheres, &m_clock);
}

// The surface programs of this family never sample their cube map, and the pictures named for
// that slot are 2D textures, which OpenGL refuses to bind as a cube map (an error every frame, and
// the unit keeps its empty cube map anyway). The slot stays empty instead: the same picture.
void cGreetingScene::SetUpVertexDistort() {
  BuildProgram(vertexDistort);
  vertexDistort.cubeMapTexture = 0;
  vertexDistort.specularMapTexture = specularTexture.textureId;
  vertexDistort.colorMapTexture = diffuseTexture.textureId;
  vertexDistort.normalMapTexture = waterNormalTexture.textureId;
  SetMaterial(vertexDistort, 0.4f);
  Set3(vertexDistort.lightPosition, -10, 5, -5);
  Set3(vertexDistort.lightColor, 0.9f, 0.9f, 0.175f);
  Set3(vertexDistort.light2Color, 0.95f, 0.95f, 0.175f);
}

void cGreetingScene::SetUpLighting() {
  BuildProgram(lighting);
  lighting.cubeMapTexture = 0;  // as for the spheres: the tower's specular picture is 2D
  lighting.specularMapTexture = towerSpecularTexture.textureId;
  lighting.colorMapTexture = towerColourTexture.textureId;
  lighting.normalMapTexture = roomNormalTexture.textureId;
  SetMaterial(lighting, 0.3f);
  Set3(lighting.lightPosition, 10, 5, 5);  // replaced by every Update
  Set3(lighting.lightColor, 0.55f, 0.99f, 0.56f);
  Set3(lighting.light2Color, 0.3f, 0.45f, 0.88f);
}

// [SECTION] Update

void cGreetingScene::Update() {
  // 1 to 8; the camera is applied last.
  StepGreeting(state, spheres, sparks, camera, lighting.lightPosition, ReadSceneTime(m_clock));
  Apply(camera);
}

// [SECTION] Draw

void cGreetingScene::Draw() {
  // 1.
  glEnable(GL_MULTISAMPLE);
  // 2.
  RenderToTarget(targetA, [this] { DrawSceneContent(); });
  // 3. Blending is still off from the 3D picture.
  ShowTarget(targetA, m_rotation);
  // 4. The frame overlay.
  BlendByAlpha();
  frameTexture.Bind();
  DrawFullScreenQuad(m_rotation, true);
  frameTexture.Unbind();
  // 5. The fade picture on top of the overlay's transform: 2.08 times the window, upside down, so it
  // covers all of it. Below a fade level of 0 its alpha passes 1 and it is simply opaque.
  glColor4f(1, 1, 1, 1 - state.fadeLevel);
  MultFullScreenQuad(m_rotation, false);
  specularTexture.Bind();
  DrawQuad();
  specularTexture.Unbind();
  // 6.
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_BLEND);
  glDisable(GL_MULTISAMPLE);
}

// [SECTION] DrawSceneContent

void cGreetingScene::DrawSceneContent() {
  const SceneTime t = ReadSceneTime(m_clock);
  // 1.
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glColor4f(1, 1, 1, 1);
  // 2 to 4.
  DrawRoom();
  DrawSpheres(t);
  DrawTower();
  // 5. Additive with alpha: the blend function is still (source alpha, one).
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  // 6, 7. The second pass always runs (the eye's y stays within +-40), so while the eye is at y -10
  // or above each ring adds its light twice.
  if (camera.eye.y >= -10) {
    DrawRingA(t);
    DrawRingB(t);
  }
  if (camera.eye.y >= -250) {
    DrawRingB(t);
    DrawRingA(t);
  }
  // 8.
  glDisable(GL_BLEND);
}

// The sphere program and the room share the diffuse picture, bound after the program's Bind on the
// unit it leaves active (4); the program's own samplers on units 0 to 3 are untouched.
void cGreetingScene::DrawRoom() {
  LookFrom(camera);
  glPushMatrix();
  lighting.colorMapTexture = roomColourTexture.textureId;
  lighting.normalMapTexture = roomNormalTexture.textureId;
  lighting.specularMapTexture = specularTexture.textureId;
  lighting.Bind(camera);
  diffuseTexture.Bind();
  glTranslatef(0, -30, 0);
  glScalef(0.05f, 0.05f, 0.05f);
  roomModel.Draw();
  diffuseTexture.Unbind();
  lighting.Unbind();
  glPopMatrix();
}

void cGreetingScene::DrawSpheres(const SceneTime& t) {
  LookFrom(camera);
  glPushMatrix();
  vertexDistort.time = t.T;
  vertexDistort.Bind(camera);
  diffuseTexture.Bind();
  glScalef(0.2f, 0.2f, 0.2f);
  spheres.DrawAll();
  diffuseTexture.Unbind();
  vertexDistort.Unbind();
  glBlendFunc(GL_ONE, GL_ONE);
  glEnable(GL_BLEND);
  flameTexture.Bind();
  flameTexture.Unbind();
  glDisable(GL_BLEND);
  glPopMatrix();
}

void cGreetingScene::DrawTower() {
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  lighting.colorMapTexture = towerColourTexture.textureId;
  lighting.specularMapTexture = towerSpecularTexture.textureId;
  lighting.normalMapTexture = towerNormalTexture.textureId;
  lighting.Bind(camera);
  LookFrom(camera);
  glTranslatef(0, -30, 0);
  glScalef(0.05f, 0.05f, 0.05f);
  towerModel.Draw();
  lighting.Unbind();
}

// The negative y scale puts ring A at y = -10, mirrored top to bottom.
void cGreetingScene::DrawRingA(const SceneTime& t) {
  LookFrom(camera);
  glColor4f(1, 1, 1, SpectrumBin(m_music, 5) + 0.4f);
  glScalef(0.05f, -0.05f, 0.05f);
  glTranslatef(0, 200, 0);
  glRotatef(-0.25f * static_cast<float>(t.cs), 0, 1, 0);
  greetTextures[1].Bind();
  ringModels[1].Draw();
  greetTextures[1].Unbind();
}

// Ring B at y = +10, turning the other way.
void cGreetingScene::DrawRingB(const SceneTime& t) {
  LookFrom(camera);
  glScalef(0.05f, -0.05f, 0.05f);
  glTranslatef(0, -200, 0);
  glColor4f(1, 1, 1, SpectrumBin(m_music, 1) + 0.3f);
  glRotatef(0.2f * static_cast<float>(t.cs), 0, 1, 0);
  greetTextures[0].Bind();
  ringModels[0].Draw();
  greetTextures[0].Unbind();
}

// Raw magnitudes, 0 in silence (and without music).

}  // namespace MorlenGL
