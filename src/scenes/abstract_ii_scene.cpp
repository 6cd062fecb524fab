// abstract_ii_scene.cpp -- abstract scene II: metaballs in a flooding room, water, two cube maps.
#include "scenes/abstract_ii_scene.h"

#include <epoxy/gl.h>

#include <array>
#include <cmath>

#include "scenes/scene_kit.h"

namespace MorlenGL {

namespace {

constexpr int kGridCells = 30;
constexpr int kWaterSteps = 64;  // grid steps of the water patch each way

// All but +x and +y look straight up from below the room; +y from one unit higher, turned.
constexpr CubeFaceView kWaterCubeFaces[6] = {
    {{0, -5, 0}, {1, 0, 0}, {0, -1, 0}},  {{0, -5, 0}, {0, -1, 0}, {0, 0, -1}},
    {{0, -4, 0}, {0, 0, 0}, {0, 0, 1}},   {{0, -5, 0}, {0, -1, 0}, {0, 0, -1}},
    {{0, -5, 0}, {0, -1, 0}, {0, 0, -1}}, {{0, -5, 0}, {0, -1, 0}, {0, 0, -1}},
};

// Every face looks from the centre towards a point far along -z; only the roll differs.
constexpr CubeFaceView kEnvCubeFaces[6] = {
    {{0, 0, 0}, {1, 0, -200}, {0, -1, 0}},  {{0, 0, 0}, {-1, 0, -200}, {0, -1, 0}},
    {{0, 0, 0}, {0, 1, -200}, {0, 0, 1}},   {{0, 0, 0}, {0, -1, -200}, {0, 0, -1}},
    {{0, 0, 0}, {0, 0, -201}, {0, -1, 0}},  {{0, 0, 0}, {0, 0, -199}, {0, -1, 0}},
};

void LoadCubeFaceView(Camera& camera, const CubeFaceView& v) {
  SetLookAt(camera, v.eye[0], v.eye[1], v.eye[2], v.centre[0], v.centre[1], v.centre[2], v.up[0], v.up[1],
            v.up[2]);
  LookFrom(camera);
}

// The water patch's 8 x 8 control points, a flat grid 2 apart: point (i, j) = (-7 + 2j, 0, -7 + 2i).
struct PatchPoints {
  float xyz[8][8][3];
  PatchPoints() {
    for (int i = 0; i < 8; ++i)
      for (int j = 0; j < 8; ++j) {
        xyz[i][j][0] = static_cast<float>(-7 + 2 * j);
        xyz[i][j][1] = 0;
        xyz[i][j][2] = static_cast<float>(-7 + 2 * i);
      }
  }
};
const PatchPoints kPatch;
constexpr float kPatchTexCoords[2][2][2] = {{{0, 0}, {0, 1}}, {{1, 0}, {1, 1}}};

void SetColour(float v[3], float r, float g, float b) {
  v[0] = r;
  v[1] = g;
  v[2] = b;
}

}  // namespace

// [SECTION] Init

int cAbstractIIScene::Init() {
  // 1.
  LoadAssets();
  // 2.
  glEnable(GL_MAP1_VERTEX_3);
  glEnable(GL_MAP2_VERTEX_3);
  glEnable(GL_AUTO_NORMAL);
  glEnable(GL_MAP2_TEXTURE_COORD_2);
  glShadeModel(GL_SMOOTH);
  PrepareWaterPatch();
  raySphere = PrepareIcosphere(4, 1);
  // 3.
  CreateTargets();
  // 4.
  particles.emitter = {0, 0, 0};
  particles.colour = {1, 1, 1};
  particles.Init(50);
  particles.clock = &m_clock;
  particles.lifeScale = 10;
  // 5.
  BuildPrograms();
  // 6.
  SetUpPrograms();
  // 7. The arrays are sized for 60 cells; the scene uses 30 of them.
  if (!AllocateGrid(metaballGrid) || !BuildGrid(metaballGrid, kGridCells)) return 0;
  // 8.
  state.balls = AbstractIIState{}.balls;
  // 9.
  SetSceneState();
  SetSceneLens(camera);
  Apply(camera);
  return 0;
}

void cAbstractIIScene::LoadAssets() {
  roomColourTexture.Load("data\\pillarroom_diff.jpg");
  roomNormalTexture.Load("data\\pillarroom_norm.jpg");
  roomSpecularTexture.Load("data\\pillarroom_spec.jpg");
  roomSpecularTexture2.Load("data\\pillarroom_spec.jpg");
  letterboxTexture.Load("data\\letterbox.png");
  ballColourTexture.Load("data\\cdiffuse.jpg");
  ballNormalTexture.Load("data\\cnormal.jpg");
  waterNormalTexture.Load("data\\waternormal.jpg");
  heightTexture.Load("data\\height2.jpg");
  waterColourTexture.Load("data\\water.jpg");
  streamTexture.Load("data\\specular.jpg");
  refractionNormalTexture.Load("data\\waternormal.jpg");
  skyTexture.Load("data\\skybox_bonjour.png");
  overlayTexture.Load("data\\og2.png");
  flashTexture.Load("data\\specular.jpg");
  treeBallModel.Load("data\\treball.3ds");
  meteorCrackModel.Load("data\\meteorcrack.3ds");
  skySphereModel.Load("data\\sky_sphere.3DS");
  roomModel.Load("data\\pillarroom.3DS");
}

void cAbstractIIScene::CreateTargets() {
  envCube.CreateCube(1024, 1024);
  waterCube.CreateCube(512, 512);
  targetS.Create(1024, 768, 1);
  targetG.Create(1024, 768, 1);
  targetQ.Create(256, 192, 1);
  targetC.Create(1024, 768, 1);
  targetM.Create(1024, 768, 1);
  targetZ.Create(1024, 768, 1);
  targetB.Create(1024, 768, 1);
  CreateBlackTexture();
}

void cAbstractIIScene::CreateBlackTexture() {
  const unsigned char black[4] = {0, 0, 0, 255};
  glGenTextures(1, &blackTexture);
  glBindTexture(GL_TEXTURE_2D, blackTexture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, black);
  glBindTexture(GL_TEXTURE_2D, 0);
}

void cAbstractIIScene::BuildPrograms() {
  BuildProgram(radialBlur);
  BuildProgram(gaussBlur, 256.0f, 192.0f);
  gaussBlur.sourceTexture = targetQ.colourTexture;
  BuildProgram(distort);
  distort.sourceTexture = targetM.colourTexture;
  BuildProgram(roomLight);
  BuildProgram(shatter);
  BuildProgram(ballEnvShader);
  BuildProgram(waterShader);
  BuildProgram(dofShader);
  BuildProgram(refraction);
}

// Colour and normal maps, the room's specular map as height and specular map, mixed by r, and the
// material all three surface programs share.
void cAbstractIIScene::SetUpSurface(cSurfaceProgram& program, const cTextureSystem& colour,
                                    const cTextureSystem& normal, float r) {
  program.colorMapTexture = colour.textureId;
  program.normalMapTexture = normal.textureId;
  program.heightMapTexture = roomSpecularTexture.textureId;
  program.specularMapTexture = roomSpecularTexture2.textureId;
  program.r = r;
  program.specPower = 32;
  program.specOverdrive = 1.0f;
  program.ai = 0.1f;
}

void cAbstractIIScene::SetUpPrograms() {
  SetUpSurface(roomLight, roomColourTexture, roomNormalTexture, 1.0f);
  SetColour(roomLight.lightPosition, 5, 0, 0);
  SetColour(roomLight.lightColor, 1, 1, 1);
  SetColour(roomLight.light2Color, 1, 1, 1);
  roomLight.fogDensity = state.fogDensity;
  SetColour(roomLight.fogColor, 0, 0, 0);
  roomLight.isUW = state.waterHeight;

  SetUpSurface(ballEnvShader, ballColourTexture, ballNormalTexture, 1.0f);
  ballEnvShader.cubeMapTexture = envCube.colourTexture;
  SetColour(ballEnvShader.lightPosition, 5, 5, 10);
  ballEnvShader.isUW = state.waterHeight;
  ballEnvShader.fogDensity = state.fogDensity;
  SetColour(ballEnvShader.fogColor, 0, 0, 0);

  SetUpSurface(waterShader, waterColourTexture, waterNormalTexture, 0.25f);
  waterShader.cubeMapTexture = waterCube.colourTexture;
  waterShader.heightMapTexture = heightTexture.textureId;
  waterShader.fogDensity = state.fogDensity;
  SetColour(waterShader.fogColor, 0, 0, 0);

  refraction.colorMapTexture = refractionNormalTexture.textureId;
  refraction.cubeMapTexture = envCube.colourTexture;
  refraction.refractionIndex = 1.0f;
}

// [SECTION] Update

void cAbstractIIScene::Update() {
  const SceneTime t = ReadSceneTime(m_clock);
  // 1. The programs see the water as it was before this frame's rise.
  ballEnvShader.timer = roomLight.timer = t.T;
  ballEnvShader.isUW = roomLight.isUW = 2.7f * state.waterHeight;
  // 1 to 10, with 6's shader part below.
  StepAbstractII(state, particles, t);
  shatter.time = 0.5f * t.T;
  // 11. Field and level are fixed for the frame: the surface is meshed once, here.
  EvaluateField(metaballGrid, state.balls);
  if (meshOncePerFrame) PolygoniseInto(metaballGrid, IsoLevel(state), metaballMesh);
  // 12.
  particles.Update();
  // 13.
  const std::array<float, 4> focus = SceneFocusParams(10, 50, camera);
  for (int i = 0; i < 4; ++i) dofShader.focusParams[i] = focus[i];
}

// [SECTION] Draw

void cAbstractIIScene::Draw() {
  const SceneTime t = ReadSceneTime(m_clock);
  // 1.
  glEnable(GL_MULTISAMPLE);
  roomLight.fogDensity = ballEnvShader.fogDensity = state.fogDensity;
  // 2. The window's own depth becomes the depth the composite focuses by.
  CaptureDepth(targetZ, [this] { DrawSceneContent(kFullView); });
  // 3.
  RenderToTarget(targetS, [this] { DrawSceneContent(kFullView); });
  // 4. Black stands in for the target's own texture (see blackTexture).
  RenderToTarget(targetB, [this] { BlurQuad(blackTexture, 1.0f); });
  targetB.Unbind();
  // 5.
  RenderToTarget(targetG, [this] { DrawSceneContent(kGodRaySource); });
  // 6.
  roomLight.specPower = 32;
  roomLight.specOverdrive = 1.0f;
  roomLight.ai = 0;
  RenderToTarget(targetQ, [this] { DrawSceneContent(kFullView); });
  roomLight.ai = 0.1f;
  // 7.
  RenderWaterCube();
  // 8.
  SetSceneLens(camera);
  Apply(camera);
  // 9. With the scene's own 45-degree lens.
  RenderCube(envCube, kEnvCubeFaces, kEnvCubeFace);
  // 10. The camera for the next frame.
  const float angle = StepCameraAngle(state, t.T, t.dt);
  SetLookAt(camera, 8 * std::sin(angle), 0, 8 * std::cos(angle), 0, 0, 0, 0, 1, 0);
  // 11.
  RenderToTarget(targetC, [&] { DrawComposite(t); });
  // 12, 13.
  DrawGrading();
  // 14, 15.
  DrawOverlayAndFlash();
}

// The gaussian over a full-screen quad; bloom and alpha stay as they are.
void cAbstractIIScene::BlurQuad(GLuint source, float blurFactor) {
  gaussBlur.sourceTexture = source;
  gaussBlur.blurFactor = blurFactor;
  gaussBlur.Bind();
  DrawFullScreenQuad(m_rotation, false);
  gaussBlur.Unbind();
}

// Below the water the cube is drawn without the underwater fog; once the water has passed the
// centre, with it.
void cAbstractIIScene::RenderWaterCube() {
  camera.fovY = 90;
  camera.aspect = 1;
  camera.zNear = 0.01;
  camera.zFar = 100;
  Apply(camera);
  roomLight.fogDensity = ballEnvShader.fogDensity = state.waterHeight >= 0 ? state.fogDensity : 0.0f;
  RenderCube(waterCube, kWaterCubeFaces, kWaterCubeFace);
}

// Six faces from the given look-ats, with whatever lens the camera has.
void cAbstractIIScene::RenderCube(cCubeMapping& cube, const CubeFaceView (&faces)[6], int kind) {
  glClearColor(0, 0, 0, 0);
  RenderToCube(
      cube, [&](int face) { LoadCubeFaceView(camera, faces[face]); }, [&](int) { DrawSceneContent(kind); });
}

// Depth of field (towards black), then god rays and glow added on top.
void cAbstractIIScene::DrawComposite(const SceneTime& t) {
  DrawDepthOfField(dofShader, targetS, targetB, targetZ, m_rotation);

  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
  radialBlur.iterations = 100;
  radialBlur.start = 1.0f;
  radialBlur.scale = -state.fadeIn;
  const std::array<float, 2> centre = GodRayCentre(t.T);
  radialBlur.center[0] = centre[0];
  radialBlur.center[1] = centre[1];
  radialBlur.sourceTexture = targetG.colourTexture;
  radialBlur.Bind();
  DrawFullScreenQuad(m_rotation, false);
  radialBlur.Unbind();

  gaussBlur.bloom = 0;
  gaussBlur.alpha = 1.0f;
  BlurQuad(targetQ.colourTexture, 1.3f);
  glDisable(GL_BLEND);
  targetC.Unbind();
}

// A black-and-white threshold mixed in by bwMix, then the window through a wave too slight to see.
void cAbstractIIScene::DrawGrading() {
  // 12.
  RenderToTarget(targetM, [this] {
    distort.distortProgram = 9;
    const float bw[4] = {0.2f, 0.8f, state.bwMix, 10.0f};
    for (int i = 0; i < 4; ++i) distort.psParameters[i] = bw[i];
    distort.sourceTexture = targetC.colourTexture;
    distort.Bind();
    DrawFullScreenQuad(m_rotation, false);
    distort.Unbind();
  });
  // 13.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  distort.distortProgram = 10;
  const float wave[4] = {200, 20, 0, 1.0f};
  for (int i = 0; i < 4; ++i) distort.psParameters[i] = wave[i];
  distort.sourceTexture = targetM.colourTexture;
  distort.Bind();
  DrawFullScreenQuad(m_rotation, false);
  distort.Unbind();
}

void cAbstractIIScene::DrawOverlayAndFlash() {
  // 14.
  BlendByAlpha();
  if (state.runTime < 32) {
    overlayTexture.Bind();
    DrawFullScreenQuad(m_rotation, true);
    overlayTexture.Unbind();
  }
  // 15.
  flashTexture.Bind();
  DrawFullScreenQuad(m_rotation, false, state.flashGate);
  flashTexture.Unbind();
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_BLEND);
  glDisable(GL_MULTISAMPLE);
}

// [SECTION] DrawSceneContent

void cAbstractIIScene::DrawSceneContent(int kind) {
  const SceneTime t = ReadSceneTime(m_clock);
  // 1.
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  // 2.
  if (kind == kGodRaySource) DrawGodRaySource();
  // 3. (The shrink test of this step always passes.)
  if (kind == kWaterCubeFace || kind == kFullView) DrawBalls();
  // 4.
  if (kind == kFullView && state.runTime >= 45) DrawSpiral(t);
  // 5.
  if (kind != kGodRaySource) DrawRoomAndSky(t);
  // 6.
  if (kind == kGodRaySource || kind == kEnvCubeFace) return;
  // 7.
  if (state.runTime >= 40) DrawTexturedBall(t);
  // 8.
  if (kind == kWaterCubeFace) return;
  // 9.
  DrawWater(t);
}

// The frame's surface, however it is made; the caller sets program and transform.
void cAbstractIIScene::DrawMetaballs() {
  if (meshOncePerFrame)
    DrawIsoMesh(metaballMesh);
  else
    Polygonise(metaballGrid, IsoLevel(state));
}

// A bright sphere with the balls in black before it: the radial blur turns it into rays.
void cAbstractIIScene::DrawGodRaySource() {
  const float v = GodRaySphereLevel(state);
  glColor4f(v, v, v, 1);
  LookFrom(camera);
  glScalef(0.7f, 0.7f, 0.7f);
  if (sphereFromBuffer)
    DrawVertexStrips(raySphere);
  else
    DrawIcosphere(4, 1);
  LookFrom(camera);
  glColor4f(0, 0, 0, 1);
  glScalef(0.2f, 0.2f, 0.2f);
  DrawMetaballs();
}

// Under the underwater cube-map program while the water is low, refracting once it has risen.
void cAbstractIIScene::DrawBalls() {
  glColor4f(1, 1, 1, 1);
  LookFrom(camera);
  if (state.waterHeight <= 0) {
    ballEnvShader.Bind(camera);
    glScalef(0.2f, 0.2f, 0.2f);
    DrawMetaballs();
    ballEnvShader.Unbind();
  } else {
    refraction.Bind(camera);
    const float scale = 0.2f - 0.4f * state.shrink;
    glScalef(scale, scale, scale);
    DrawMetaballs();
    refraction.Unbind();
    refraction.refractionIndex = 1.333f;
  }
}

// Drawn on top of the balls' transform, so it shrinks away with them.
void cAbstractIIScene::DrawSpiral(const SceneTime& t) {
  StepSpiral(state, t.dt);
  glLineWidth(10);
  glColor3f(0, 0, 0);
  glRotatef(90, 1, 0, 0);
  glRotatef(33, 0, 1, 0);
  // Hundreds of one-segment batches with nothing between them: sent as one draw.
  ArrayEmitter lines;
  lines.merge = true;
  Spiral(spiralPen, SpiralSegments(state), 0.01f, 10, 0.005f, lines);
  lines.Flush();
  glScalef(0.2f, 0.2f, 0.2f);
  particles.emitter = {0, 0, 0};
  particles.acceleration = {std::sin(state.spiralTime), 0, std::cos(state.spiralTime)};
  streamTexture.Bind();
  particles.DrawAll();
  streamTexture.Unbind();
  spiralPen = LinePen{};
}

// The room fades out under the sky as the sky fades in.
void cAbstractIIScene::DrawRoomAndSky(const SceneTime& t) {
  BlendByAlpha();
  if (state.skyFade < 1) {
    LookFrom(camera);
    glTranslatef(0, -10, 0);
    roomLight.Bind(camera);
    glScalef(0.01f, 0.01f, 0.01f);
    roomModel.Draw();
    roomLight.Unbind();
  }
  skyTexture.Bind();
  LookFrom(camera);
  glColor4f(1, 1, 1, state.skyFade);
  glRotatef(8 * t.T, 0, 1, 0);
  glScalef(0.2f, 0.2f, 0.2f);
  skySphereModel.Draw();
  skyTexture.Unbind();
  glDisable(GL_BLEND);
  glDisable(GL_ALPHA_TEST);
}

// The refraction reads its own maps; the colour texture bound here lands on its cube-map unit's
// 2D target, which it never samples.
void cAbstractIIScene::DrawTexturedBall(const SceneTime& t) {
  const float e = state.endFade;
  LookFrom(camera);
  refraction.Bind(camera);
  glColor4f(e, e, e, e);
  ballColourTexture.Bind();
  glRotatef(8 * t.T, 1, 1, 1);
  const float scale = 0.005f * e;
  glScalef(scale, scale, scale);
  treeBallModel.Draw();
  ballColourTexture.Unbind();
  refraction.Unbind();
}

void cAbstractIIScene::DrawWater(const SceneTime& t) {
  // The stream, only until the balls have contracted far; it keeps the transform drawn last.
  if (state.waterHeight >= 0 && state.contract <= 3) {
    glEnable(GL_BLEND);
    glEnable(GL_ALPHA_TEST);
    streamTexture.Bind();
    particles.DrawAll();
    streamTexture.Unbind();
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
  }
  glColor4f(1, 1, 1, 1);
  LookFrom(camera);
  glTranslatef(0, state.waterHeight, 0);
  waterShader.timer = t.T;
  waterShader.Bind(camera);
  glScalef(2, 2, 2);
  DrawWaterPatch();
  waterShader.Unbind();
}

// An 8 x 8 Bezier patch evaluated as a 64 x 64 mesh; the evaluator makes its normals.
void cAbstractIIScene::DefineWaterPatch() {
  // Texture-coordinate maps exist for unit 0 only: defining one while the water program's cube-map
  // unit is active is an error and would leave the surface without its coordinates.
  glActiveTexture(GL_TEXTURE0);
  glMap2f(GL_MAP2_VERTEX_3, 0, 1, 3, 8, 0, 1, 24, 8, &kPatch.xyz[0][0][0]);
  glMap2f(GL_MAP2_TEXTURE_COORD_2, 0, 1, 2, 2, 0, 1, 4, 2, &kPatchTexCoords[0][0][0]);
  glMapGrid2f(kWaterSteps, 0, 1, kWaterSteps, 0, 1);
}

// The patch never changes, but the driver evaluates it on the CPU in every pass that draws it:
// its vertices are taken from the evaluator once, here.
void cAbstractIIScene::PrepareWaterPatch() {
  GLint unit = GL_TEXTURE0;
  glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
  DefineWaterPatch();
  CapturePatchMesh(kWaterSteps, kWaterSteps, waterMesh);
  glActiveTexture(static_cast<GLenum>(unit));
}

void cAbstractIIScene::DrawWaterPatch() {
  if (waterFromBuffer && !waterMesh.Empty()) {
    glActiveTexture(GL_TEXTURE0);
    DrawVertexStrips(waterMesh);
    return;
  }
  DefineWaterPatch();
  glEvalMesh2(GL_FILL, 0, kWaterSteps, 0, kWaterSteps);
}

}  // namespace MorlenGL
