// dof_scene.cpp -- the first scene: planet under a sky sphere, depth of field and glow.
#include "scenes/dof_scene.h"

#include <epoxy/gl.h>

#include <cmath>

#include "assets/geometry.h"
#include "scenes/scene_kit.h"
#include "shell/music_track.h"

namespace MorlenGL {

// [SECTION] Init

int cDoF::Init() {
  // 1, 2.
  ResetDofState(state);
  sphere = PrepareIcosphere(3, 1);
  // 3.
  haloSystem.clock = &m_clock;
  haloSystem.emitter = {40 * std::sin(0.5f), 0, 40 * std::cos(0.5f)};
  haloSystem.colour = {1, 1, 1};
  haloSystem.lifeScale = 1;
  haloSystem.Init(30);
  // 4.
  LoadAssets();
  // 5.
  CreateTargets();
  // 6.
  BuildPrograms();
  // 7.
  SetUpPlanetLight();
  // 8.
  SetSceneLens(camera);
  Apply(camera);
  // 9.
  SetSceneState();
  // 10.
  LoadCameraTracks(targetTrack, positionTrack, m_clock);
  // 11.
  StartClock();
  return 0;
}

void cDoF::LoadAssets() {
  planetModel.Load("data\\planet01.3ds");
  cageModel.Load("data\\planet01cage.3ds");
  skySphereModel.Load("data\\sky_sphere.3ds");
  skyRingModel.Load("data\\sky_ring.3ds");
  glEnable(GL_TEXTURE_2D);
  ulvashTexture.Load("data\\ulvash.png");
  skyboxTexture.Load("data\\skybox.png");
  planetColourTexture.Load("data\\planetdiffusemap.jpg");
  planetNormalTexture.Load("data\\planetnormalsmap2.jpg");
  heightTexture.Load("data\\height2.jpg");
  specularMapTexture.Load("data\\specularmap.jpg");
  logoTextures[0].Load("data\\logo1.png");
  logoTextures[1].Load("data\\logo2.png");
  logoTextures[2].Load("data\\logo3.png");
  logoTextures[3].Load("data\\logo4.png");
  secondSkyTexture.Load("data\\VelumDrannick.png");
  particleTexture.Load("data\\waterParticle.png");
  flashTexture.Load("data\\specular.jpg");
}

void cDoF::CreateTargets() {
  cubeMap.CreateCube(1024, 1024);
  targetA.Create(1024, 768, 1);
  targetB.Create(1024, 768, 1);
  targetC.Create(512, 384, 1);
  targetD.Create(1024, 768, 1);
  targetE.Create(128, 96, 1);
}

// Target A's colour texture is fixed once created: the cage and ring-wave programs keep it for good.
void cDoF::BuildPrograms() {
  BuildProgram(blurShader);
  blurShader.sourceTexture = targetA.colourTexture;
  BuildProgram(ringWave, 512.0f, 384.0f);
  ringWave.sourceTexture = targetA.colourTexture;
  BuildProgram(cageShader);
  cageShader.sourceTexture = targetA.colourTexture;
  BuildProgram(gaussBlur, 512.0f, 384.0f);
  gaussBlur.sourceTexture = targetA.colourTexture;
  BuildProgram(dofShader);
  BuildProgram(normalMapping);
  normalMapping.colorMap.textureId = ulvashTexture.textureId;
  normalMapping.normalMap.textureId = planetNormalTexture.textureId;
  BuildProgram(cubeMapShader);
  cubeMapShader.colorMapTexture = planetColourTexture.textureId;
  cubeMapShader.normalMapTexture = planetNormalTexture.textureId;
  cubeMapShader.heightMapTexture = heightTexture.textureId;
  cubeMapShader.specularMapTexture = specularMapTexture.textureId;
  cubeMapShader.cubeMapTexture = cubeMap.colourTexture;
  BuildProgram(planetLight);
}

void cDoF::SetUpPlanetLight() {
  planetLight.colorMapTexture = planetColourTexture.textureId;
  planetLight.normalMapTexture = planetNormalTexture.textureId;
  planetLight.heightMapTexture = 0;
  planetLight.specularMapTexture = 0;
  planetLight.lightPosition[0] = 5;
  planetLight.lightPosition[1] = 0;
  planetLight.lightPosition[2] = 0;
  for (float& c : planetLight.lightColor) c = 0.5f;
  for (float& c : planetLight.light2Color) c = 1.0f;
  planetLight.r = 1.0f;
  planetLight.specPower = 32;
  planetLight.specOverdrive = 1.0f;
  planetLight.ai = 0.1f;
  planetLight.fogDensity = 0;
  for (float& c : planetLight.fogColor) c = 0;
}

// [SECTION] Update

void cDoF::Update() {
  const SceneTime t = ReadSceneTime(m_clock);
  // 1 to 12: spin and scene time, halo, flashes, logo count, focus pull, sky drop, cage, brake.
  StepDof(state, haloSystem, t, SpectrumBin(m_music, 2));
  // 13. fDoFAmnt stays 0.
  const std::array<float, 4> focus = FocusParams(state);
  for (int i = 0; i < 4; ++i) dofShader.focusParams[i] = focus[i];
  // 14.
  targetTrack.Update();
  positionTrack.Update();
  // 15.
  double eye[3], centre[3];
  positionTrack.GetPosition(eye);
  targetTrack.GetPosition(centre);
  SetLookAt(camera, eye[0], eye[1], eye[2], centre[0], centre[1], centre[2], 0, 1, 0);
  Apply(camera);
}

// [SECTION] Draw

void cDoF::Draw() {
  // 1.
  glEnable(GL_MULTISAMPLE);
  // 2. The window's own depth becomes the depth the composite focuses by.
  CaptureDepth(targetA, [this] { DrawSceneContent(kFullPass); });
  // 3.
  planetLight.specPower = 32;
  planetLight.specOverdrive = 1.0f;
  planetLight.ai = 0.6f;
  // 4. Sharp.
  RenderToTarget(targetB, [this] { DrawSceneContent(kFullPass); });
  // 5. Half size, to be blurred.
  RenderToTarget(targetC, [this] { DrawSceneContent(kHalfPass); });
  // 6. Glow source: no ambient, no sky.
  planetLight.ai = 0;
  RenderToTarget(targetE, [this] { DrawSceneContent(kGlowPass); });
  // 7, 8.
  BlurInto(targetA, targetC);
  BlurInto(targetD, targetA);
  // 9.
  DrawComposite();
  // 10.
  DrawGlow();
  // 11.
  DrawFlash();
  // 12.
  LogoLook look;
  if (OpeningLogo(state, &look)) DrawLogo(look);
  // 13.
  const SceneTime t = ReadSceneTime(m_clock);
  if (StepFinalLogo(state, t.T, t.dt, &look)) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_ALPHA_TEST);
    DrawLogo(look);
    gaussBlur.alpha = 1;
  }
  // 14.
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_BLEND);
  glDisable(GL_MULTISAMPLE);
}

// The program's alpha keeps what the last overlay left; it only reaches the target's alpha channel.
void cDoF::BlurInto(cRenderTextureSystem& target, const cRenderTextureSystem& source) {
  RenderToTarget(target, [&] { BlurQuad(source.colourTexture, 1.1f, 0, false); });
}

// The gaussian over a full-screen quad; alpha stays the caller's.
void cDoF::BlurQuad(GLuint source, float blurFactor, float bloom, bool flipped) {
  gaussBlur.sourceTexture = source;
  gaussBlur.blurFactor = blurFactor;
  gaussBlur.bloom = bloom;
  gaussBlur.Bind();
  DrawFullScreenQuad(flipped);
  gaussBlur.Unbind();
}

void cDoF::DrawComposite() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  DrawDepthOfField(dofShader, targetB, targetD, targetA, m_rotation);
}

void cDoF::DrawGlow() {
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
  glDisable(GL_ALPHA_TEST);
  gaussBlur.alpha = 0.5f;
  BlurQuad(targetE.colourTexture, 1.6f, 0.7f, false);
  gaussBlur.bloom = 0;
}

void cDoF::DrawFlash() {
  glLoadIdentity();
  BlendByAlpha();
  flashTexture.Bind();
  DrawFullScreenQuad(false, state.flashAlpha);
  flashTexture.Unbind();
}

// Overlay images are drawn through the blur, whose bloom and alpha fade them; the flipped quad
// puts the picture's first row at the top.
void cDoF::DrawLogo(const LogoLook& look) {
  glLoadIdentity();
  gaussBlur.alpha = look.alpha;
  BlurQuad(logoTextures[look.logo].textureId, look.blurFactor, look.bloom, true);
  gaussBlur.bloom = 0;
}

void cDoF::DrawFullScreenQuad(bool flipped, float alpha) {
  MorlenGL::DrawFullScreenQuad(m_rotation, flipped, alpha);
}

// [SECTION] DrawSceneContent

void cDoF::DrawSceneContent(int kind) {
  const SceneTime t = ReadSceneTime(m_clock);
  // 1.
  DrawHalo(t);
  // 2.
  if (state.cageFade < 1) DrawPlanet();
  // 3.
  if (kind == kHalfPass || kind == kFullPass) DrawSky();
  // 4.
  if (t.T >= 32) DrawCage();
  // 5. Under the look-at the cage step leaves behind: keep it right after step 4.
  if (t.T >= 32 && (kind == kGlowPass || kind == kFullPass)) DrawCurves();
  // 6.
  if (t.T >= 48) DrawBlackSphere(t);
}

void cDoF::DrawHalo(const SceneTime& t) {
  LookFrom(camera);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
  particleTexture.Bind();
  glTranslatef(80, 60, -20);
  // Still updated afterwards, no longer shown.
  if (t.T <= 51) haloSystem.DrawAll();
  particleTexture.Unbind();
  glDisable(GL_BLEND);
  glColor4f(1, 1, 0.8f, 0.8f);
}

void cDoF::DrawPlanet() {
  LookFrom(camera);
  planetLight.Bind(camera);
  glPushMatrix();
  glScalef(0.2f, 0.2f, 0.2f);
  planetModel.Draw();
  glPopMatrix();
  planetLight.Unbind();
}

// All transforms accumulate: the rings turn with the sky and once more each.
void cDoF::DrawSky() {
  LookFrom(camera);
  glTranslatef(0, -1.25f * state.skyDrop, 0);
  glRotatef(0.5f * state.spinTime, 0, 1, 0);
  glScalef(20, -20, 20);
  skyboxTexture.Bind();
  skySphereModel.Draw();
  BlendByAlpha();
  glColor4f(1, 1, 1, state.cageFade);
  secondSkyTexture.Bind();
  skySphereModel.Draw();
  glColor4f(1, 1, 1, 1);
  skyboxTexture.Bind();
  glRotatef(0.5f * state.spinTime, 0, 1, 0);
  glScalef(0.6f, 0.6f, 0.6f);
  skyRingModel.Draw();
  glRotatef(0.5f * state.spinTime, 0, 1, 0);
  glScalef(0.3f, 0.3f, 0.3f);
  skyRingModel.Draw();
  skyboxTexture.Unbind();
  glDisable(GL_BLEND);
  glDisable(GL_ALPHA_TEST);
}

// The cage program writes black below texture height cageFade: the shell closes from the bottom.
void cDoF::DrawCage() {
  BlendByAlpha();
  LookFrom(camera);
  cageShader.blurFactor = state.cageFade;
  cageShader.Bind();
  glPushMatrix();
  glScalef(0.2f, 0.2f, 0.2f);
  cageModel.Draw();
  glPopMatrix();
  cageShader.Unbind();
  glDisable(GL_BLEND);
  glDisable(GL_ALPHA_TEST);
  glBlendFunc(GL_ONE, GL_ONE);
}

// Each call draws every curve one segment longer; the arrays are never trimmed. There is no
// look-at of its own: the curves are placed from the camera look-at that DrawCage leaves on the
// modelview stack, so they must be drawn right after it, under the same T >= 32 condition.
void cDoF::DrawCurves() {
  const std::array<Vec3, 4> next = NextTrailDirections(state, state.spinTime);
  glLineWidth(10);
  glColor3f(0, 0, 0);
  // 5.1.
  glTranslatef(-13, 41, -40);
  DrawTrail(state, 0, 0.05f);
  AppendTrail(state, 0, next);
  // 5.2 to 5.4, from a common origin on top of the first.
  glTranslatef(-1, -10, 3.5f);
  DrawTrail(state, 1, 0.02f);
  AppendTrail(state, 1, next);
  DrawTrail(state, 2, 0.03f);
  AppendTrail(state, 2, next);
  DrawTrail(state, 3, 0.01f);
  AppendTrail(state, 3, next);
  // 5.5.
  DrawVertexStrips(sphere);
  glColor3f(1, 1, 1);
}

// Grows once per drawn pass, four times a frame.
void cDoF::DrawBlackSphere(const SceneTime& t) {
  GrowHole(state, t.dt);
  LookFrom(camera);
  glColor4f(0, 0, 0, 1);
  glRotatef(state.holeSpin, 0.1f, 1, 0);
  ringWave.time = t.T / 50;
  ringWave.Bind();
  glPushMatrix();
  const float scale = 20 + state.holeGrowth;
  glScalef(scale, scale, scale);
  DrawVertexStrips(sphere);
  glPopMatrix();
  ringWave.Unbind();
  glColor4f(1, 1, 1, 1);
}

}  // namespace MorlenGL
