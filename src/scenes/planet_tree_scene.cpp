// planet_tree_scene.cpp -- the planet tree scene: a tree-ball planet that turns to light, feathers, a falling leaf.
#include "scenes/planet_tree_scene.h"

#include <epoxy/gl.h>

#include "assets/geometry.h"
#include "scenes/scene_kit.h"

namespace MorlenGL {

// [SECTION] Init

int cPlanetTreeScene::Init() {
  // 1.
  state.sceneSeconds = 0;
  // 2.
  targetA.Create(1024, 768, 1);
  targetB.Create(1024, 768, 1);
  targetC.Create(256, 192, 1);
  targetD.Create(1024, 768, 1);
  targetE.Create(1024, 768, 1);
  // 3.
  LoadAssets();
  // 4, 5.
  SetUpFeathers(treeFeathers, 200, 1000);
  SetUpFeathers(trailFeathers, 2000, 100);
  // 6 to 11.
  BuildPrograms();
  // 12.
  SetSceneState();
  // 13.
  SetSceneLens(camera);
  AimInitialCamera(state, camera);
  Apply(camera);
  return 0;
}

void cPlanetTreeScene::LoadAssets() {
  treeModel.Load("Data\\treball.3DS");
  skySphereModel.Load("Data\\sky_sphere.3DS");
  skyRingModel.Load("Data\\sky_ring.3DS");
  cageModel.Load("Data\\treeballcage.3DS");
  leafModel.Load("Data\\leaf.3DS");
  treeColour.Load("Data\\treeball_tex.jpg");
  treeNormals.Load("Data\\treeball_texno.jpg");
  skyA.Load("Data\\skybox_bonjour.png");
  skyRing.Load("Data\\skybox_a.jpg");
  specular.Load("Data\\specular.jpg");
  leaf.Load("Data\\leaf.png");
  height.Load("Data\\height2.jpg");
  feather.Load("Data\\feather.png");
  for (size_t k = 0; k < info.size(); ++k) info[k].Load(kTreeInfoFiles[k]);
  logo.Load("Data\\og3.png");
  lyrics[0].Load("Data\\lyric1.png");
  lyrics[1].Load("Data\\lyric2.png");
  lyrics[2].Load("Data\\lyric3.png");
}

// Thousands of feathers draw the same model twice a frame: it is recorded once here.
void cPlanetTreeScene::SetUpFeathers(cFeatherParticleSystem& feathers, int32_t count, int32_t lifeScale) {
  feathers.model.Load("Data\\feather.3DS");
  feathers.model.Prepare();
  feathers.emitter = {0, 0, 0};
  feathers.colour = {1, 1, 1};
  feathers.Init(count);
  feathers.clock = &m_clock;
  feathers.lifeScale = lifeScale;
}

// Target B's colour is never drawn into: the cage program only takes its shape from the texture
// coordinates, not its picture.
void cPlanetTreeScene::BuildPrograms() {
  // 6.
  BuildProgram(gaussBlur, 256.0f, 192.0f);
  gaussBlur.sourceTexture = targetC.colourTexture;
  // 7.
  BuildProgram(radialBlur);
  // 8.
  BuildProgram(planetLight);
  SetUpPlanetLight(planetLight, treeColour.textureId, treeNormals.textureId);
  // 9.
  BuildProgram(shatterShader);
  SetUpShatterShader();
  // 10.
  BuildProgram(cageShader);
  cageShader.sourceTexture = targetB.colourTexture;
  // 11.
  BuildProgram(dofShader);
}

// No light and no ambient term: the shattered cage comes out black. Its cube-map slot stays empty
// as the planet light's does.
void cPlanetTreeScene::SetUpShatterShader() {
  shatterShader.cubeMapTexture = 0;
  shatterShader.colorMapTexture = height.textureId;
  shatterShader.normalMapTexture = height.textureId;
  shatterShader.r = 1.0f;
  shatterShader.specPower = 0;
  shatterShader.specOverdrive = 0;
  shatterShader.ai = 0;
  for (float& c : shatterShader.lightPosition) c = 0;
  for (float& c : shatterShader.lightColor) c = 0;
  for (float& c : shatterShader.light2Color) c = 0;
}

// [SECTION] Update

void cPlanetTreeScene::Update() {
  const SceneTime t = ReadSceneTime(m_clock);
  // 1 to 11, 13 (the camera is applied below).
  StepTree(state, treeFeathers, trailFeathers, t, camera);
  // 8. Only changes while the shatter phase does.
  shatterShader.time = 0.25f * state.shatterPhase;
  // 12.
  const std::array<float, 4> focus = SceneFocusParams(60, 100, camera);
  for (int i = 0; i < 4; ++i) dofShader.focusParams[i] = focus[i];
  // 13.
  Apply(camera);
}

// [SECTION] Draw

void cPlanetTreeScene::Draw() {
  const SceneTime t = ReadSceneTime(m_clock);
  // 1.
  glEnable(GL_MULTISAMPLE);
  // 2. The window's own depth, for the focus.
  CaptureDepth(targetB, [this] { DrawWorld(kNormalPass); });
  // 3, 4.
  RenderToTarget(targetA, [this] { DrawWorld(kNormalPass); });
  RenderToTarget(targetE, [this] { DrawWorld(kGlowPass); });
  // 5.
  RenderToTarget(targetC, [this] { DrawBlurOf(gaussBlur, targetA, m_rotation); });
  // 6.
  RenderToTarget(targetD, [&] { DrawComposite(t); });
  // 7.
  ShowTarget(targetD, m_rotation);
  // 8 to 10.
  DrawLyrics();
  DrawLogo();
  DrawInfoPanel();
  // 11.
  glDisable(GL_MULTISAMPLE);
}

void cPlanetTreeScene::DrawComposite(const SceneTime& t) {
  targetA.BindColour();
  DrawDepthOfField(dofShader, targetA, targetC, targetB, 0);
  if (RaysShown(state)) DrawRays(t);
  glDisable(GL_BLEND);
}

// The glow source spread from near the middle, added over the composite.
void cPlanetTreeScene::DrawRays(const SceneTime& t) {
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
  radialBlur.iterations = 100;
  radialBlur.scale = -state.radialPhase;
  radialBlur.start = 1.0f;
  const std::array<float, 2> centre = GodRayCentre(t.T);
  radialBlur.center[0] = centre[0];
  radialBlur.center[1] = centre[1];
  radialBlur.sourceTexture = targetE.colourTexture;
  radialBlur.Bind();
  DrawFullScreenQuad(0, false);
  radialBlur.Unbind();
}

// All three are drawn every frame; their opacities decide which show.
void cPlanetTreeScene::DrawLyrics() {
  BlendByAlpha();
  for (size_t k = 0; k < lyrics.size(); ++k) {
    lyrics[k].Bind();
    DrawFullScreenQuad(m_rotation, true, state.lyricAlpha[k]);
  }
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_BLEND);
}

// Blending and the alpha test stay on for the panel.
void cPlanetTreeScene::DrawLogo() {
  BlendByAlpha();
  logo.Bind();
  DrawFullScreenQuad(0, true);
  logo.Unbind();
}

// Lower right, smaller and nearer than the full-screen quad; left blending when done.
void cPlanetTreeScene::DrawInfoPanel() {
  const int panel = InfoPanel(state);
  if (panel < 0) return;
  BlendByAlpha();
  glLoadIdentity();
  glColor4f(1, 1, 1, state.infoAlpha);
  glTranslatef(0.8f, -0.6f, -3.5f);
  glScalef(0.68f, -0.68f, 0);
  glRotatef(m_rotation, 0, 1, 0);
  info[static_cast<size_t>(panel)].Bind();
  DrawQuad();
}

// [SECTION] DrawWorld

void cPlanetTreeScene::DrawWorld(int pass) {
  const SceneTime t = ReadSceneTime(m_clock);
  // 1.
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glColor4f(1, 1, 1, 1);
  // 2.
  if (state.bloom >= 1 && pass == kGlowPass)
    DrawGlowingPlanet();
  else if (pass == kNormalPass)
    DrawSky(t);
  // 3.
  glColor4f(1, 1, 1, 1);
  // 4.
  if (state.bloom < 1 && pass == kNormalPass) DrawLitPlanet();
  // 5.
  if (ShatteredCageShown(state)) DrawShatteredCage();
  if (state.bloom < 1) DrawDissolvingCage();
  // 6.
  if (pass != kNormalPass) return;
  if (FirstStreamShown(state)) DrawFeatherStream(treeFeathers, feather, camera);
  if (TrailShown(state)) DrawFeatherStream(trailFeathers, feather, camera);
  if (state.leafTimer > 0) DrawLeaf();
}

// Untextured white: the light the rays are spread from.
void cPlanetTreeScene::DrawGlowingPlanet() {
  LookFrom(camera);
  glPushMatrix();
  glColor3f(1, 1, 1);
  glDisable(GL_TEXTURE_2D);
  glScalef(0.1f, 0.1f, 0.1f);
  treeModel.Draw();
  glEnable(GL_TEXTURE_2D);
  glPopMatrix();
}

// The sphere blended by its brightness, the ring added over it.
void cPlanetTreeScene::DrawSky(const SceneTime& t) {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  DrawSkyPiece(skyA, skySphereModel, 8, 4 * t.T);
  glDisable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
  glEnable(GL_BLEND);
  DrawSkyPiece(skyRing, skyRingModel, 6, 6 * t.T);
  glDisable(GL_BLEND);
}

// Below the knot point and following it, upside down, turning about y.
void cPlanetTreeScene::DrawSkyPiece(cTextureSystem& texture, c3DsModelSystem& model, float scale, float degrees) {
  const Vec3 K = Scale(state.knotPosition, 0.2f);
  const float s = state.skyBrightness;
  LookFrom(camera);
  glColor4f(s, s, s, s);
  glTranslatef(K.x, K.y - 30, K.z);
  glPushMatrix();
  texture.Bind();
  glScalef(scale, -scale, scale);
  glRotatef(degrees, 0, 1, 0);
  model.Draw();
  texture.Unbind();
  glPopMatrix();
}

void cPlanetTreeScene::DrawLitPlanet() {
  LookFrom(camera);
  glPushMatrix();
  planetLight.Bind(camera);
  treeColour.Bind();
  glScalef(0.1f, 0.1f, 0.1f);
  treeModel.Draw();
  treeColour.Unbind();
  planetLight.Unbind();
  glPopMatrix();
}

// Black and shattering once the planet is light: no light and no ambient term.
void cPlanetTreeScene::DrawShatteredCage() {
  DrawCage([this] { shatterShader.Bind(camera); }, [this] { shatterShader.Unbind(); });
}

// Black up to the height growth has reached: the cage closes from below as the camera pulls in.
void cPlanetTreeScene::DrawDissolvingCage() {
  BlendByAlpha();
  cageShader.blurFactor = state.growth;
  DrawCage([this] { cageShader.Bind(); }, [this] { cageShader.Unbind(); });
  EndBlendByAlpha();
}

// The cage's own frame sits off to the side; -59 brings it round the planet. The planet's colour
// map is unbound after it on whatever unit the program left active.
void cPlanetTreeScene::DrawCage(const std::function<void()>& bind, const std::function<void()>& unbind) {
  LookFrom(camera);
  glTranslatef(-59, 0, 0);
  glPushMatrix();
  bind();
  glScalef(0.1f, 0.1f, 0.1f);
  cageModel.Draw();
  treeColour.Unbind();
  unbind();
  glPopMatrix();
}

// The leaf's point is found here, while drawing; the next Update aims the camera at it.
void cPlanetTreeScene::DrawLeaf() {
  LookFrom(camera);
  glScalef(0.1f, 0.1f, 0.1f);
  const Vec3 at = PlaceLeaf(state);
  glTranslatef(at.x, at.y, at.z);
  glPushMatrix();
  glRotatef(LeafSpin(at), 1, 1, 1);
  leaf.Bind();
  leafModel.Draw();
  leaf.Unbind();
  glPopMatrix();
}

}  // namespace MorlenGL
