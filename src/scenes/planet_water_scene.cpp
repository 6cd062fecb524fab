// planet_water_scene.cpp -- the last scene: a lit planet in a sea sphere, feathers, the closing image and scroller.
#include "scenes/planet_water_scene.h"

#include <epoxy/gl.h>

#include <array>

#include "assets/geometry.h"
#include "scenes/scene_kit.h"

namespace MorlenGL {

namespace {

void SetGrey(float level, float alpha) { glColor4f(level, level, level, alpha); }

void Blend(GLenum source, GLenum destination) {
  glEnable(GL_BLEND);
  glBlendFunc(source, destination);
}

}  // namespace

// [SECTION] Init

int cPlanetWaterScene::Init() {
  // 1.
  state.sceneSeconds = 0;
  sphere = PrepareIcosphere(3, 1);
  // 2.
  CreateTargets();
  // 3.
  LoadAssets();
  // 4.
  SetUpFeathers();
  // 5 to 10.
  BuildPrograms();
  // 11.
  SetSceneState();
  // 12.
  SetOpeningCamera(camera, state);
  Apply(camera);
  // 13.
  StartClock();
  return 0;
}

void cPlanetWaterScene::CreateTargets() {
  targetA.Create(1024, 768, 1);
  targetB.Create(1024, 768, 1);
  targetC.Create(256, 192, 1);
  targetD.Create(1024, 768, 1);
  targetE.Create(256, 192, 1);
}

void cPlanetWaterScene::LoadAssets() {
  planetModel.Load("Data\\waterplanet.3DS");
  skySphereModel.Load("Data\\sky_sphere.3DS");
  skyRingModel.Load("Data\\sky_ring.3DS");
  cageModel.Load("Data\\planet01cage.3DS");
  planetColour.Load("Data\\planetdiffusemapnature.jpg");
  planetNormals.Load("Data\\planetnormalsmap2.jpg");
  skyA.Load("Data\\skybox_bonjour.png");
  skyB.Load("Data\\skybox.png");
  skyRing.Load("Data\\skybox_a.jpg");
  specular.Load("Data\\specular.jpg");
  water.Load("Data\\water.jpg");
  height.Load("Data\\height2.jpg");
  waterNormals.Load("Data\\waternormal.JPG");
  sunRays.Load("Data\\sunrays.jpg");
  feather.Load("Data\\feather.png");
  logo.Load("Data\\og4.png");
  endImage.Load("Data\\donetreabstrakt.jpg");
  scroller.Load("Data\\scroller.png");
  feathers.model.Load("Data\\feather.3DS");
  feathers.model.Prepare();  // drawn once per feather
}

void cPlanetWaterScene::SetUpFeathers() {
  feathers.emitter = {0, 0, 0};
  feathers.colour = {1.0f, 1.0f, 1.0f};
  feathers.Init(200);
  feathers.clock = &m_clock;
  feathers.lifeScale = 100;
}

void cPlanetWaterScene::BuildPrograms() {
  // 5. The blur reads its input on unit 0; whatever is bound there after Bind is what it blurs.
  BuildProgram(gaussBlur, 256.0f, 192.0f);
  gaussBlur.sourceTexture = targetC.colourTexture;
  // 6.
  BuildProgram(radialBlur);
  // 7.
  BuildProgram(planetLight);
  SetUpPlanetLight(planetLight, planetColour.textureId, planetNormals.textureId);
  // 8.
  BuildProgram(waterShader);
  SetUpPlanetLight(waterShader, water.textureId, waterNormals.textureId);
  // 9. Target B is only ever a depth copy, so its colour texture is never drawn into.
  BuildProgram(cageShader);
  cageShader.sourceTexture = targetB.colourTexture;
  // 10.
  BuildProgram(dofShader);
}

// [SECTION] Update

void cPlanetWaterScene::Update() {
  const SceneTime t = ReadSceneTime(m_clock);
  // 1 to 4.
  StepWater(state, feathers, t);
  // 5.
  waterShader.timer = t.T;
  // 6.
  const std::array<float, 4> focus = SceneFocusParams(60.0f, 100.0f, camera);
  for (int i = 0; i < 4; ++i) dofShader.focusParams[i] = focus[i];
  // 7.
  SetOrbitCamera(camera, t.T);
  Apply(camera);
}

// [SECTION] DrawWorld

void cPlanetWaterScene::DrawWorld(int mode) {
  const float T = ReadSceneTime(m_clock).T;
  // 1.
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glColor4f(1, 1, 1, 1);
  // 2.
  if (mode == kEverything) DrawSkySpheres(T);
  // 3.
  DrawSkyRing(T);
  // 4.
  DrawSunRays(T);
  // 5.
  glColor4f(1, 1, 1, 1);
  // 6.
  DrawLit(planetLight, 0.1f, [this] { planetModel.Draw(); });
  // 7.
  DrawLit(waterShader, 23.2f, [this] { DrawVertexStrips(sphere); });
  // 8.
  if (CageVisible(state)) DrawCage();
  // 9.
  DrawFeatherStream(feathers, feather, camera);
}

// The second sphere sits just inside the first and is drawn over it as the first fades.
void cPlanetWaterScene::DrawSkySpheres(float T) {
  Blend(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  const struct {
    cTextureSystem* texture;
    float fade, scale;
  } skies[2] = {{&skyA, state.skyFade, 8.0f}, {&skyB, 1 - state.skyFade, 7.9f}};
  for (const auto& sky : skies) {
    LookFrom(camera);
    SetGrey(sky.fade, sky.fade);
    glTranslatef(0, -50, 0);
    glPushMatrix();
    sky.texture->Bind();
    glScalef(sky.scale, -sky.scale, sky.scale);
    glRotatef(4 * T, 0, 1, 0);
    skySphereModel.Draw();
    sky.texture->Unbind();
    glPopMatrix();
  }
  glDisable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
}

void cPlanetWaterScene::DrawSkyRing(float T) {
  Blend(GL_ONE, GL_ONE);
  LookFrom(camera);
  glTranslatef(0, -30, 0);
  SetGrey(state.skyFade, state.skyFade);
  glPushMatrix();
  skyRing.Bind();
  glScalef(6, -6, 6);
  glRotatef(6 * T, 0, 1, 0);
  skyRingModel.Draw();
  skyRing.Unbind();
  glPopMatrix();
  glDisable(GL_BLEND);
}

// Fixed to the eye, straight ahead; it brightens as the cage goes.
void cPlanetWaterScene::DrawSunRays(float T) {
  Blend(GL_ONE, GL_ONE);
  glLoadIdentity();
  glTranslatef(0, 0, -200);
  SetGrey(1 - state.cageFade, 1);
  glPushMatrix();
  sunRays.Bind();
  glScalef(60, 60, 60);
  glRotatef(6 * T, 0, 0, 1);
  DrawQuad();
  sunRays.Unbind();
  glPopMatrix();
  glDisable(GL_BLEND);
}

// The lighting bind leaves the cube-map unit active: the colour map bound there is not sampled.
template <class Program, class Shape>
void cPlanetWaterScene::DrawLit(Program& program, float scale, Shape shape) {
  LookFrom(camera);
  glPushMatrix();
  program.Bind(camera);
  planetColour.Bind();
  glScalef(scale, scale, scale);
  shape();
  planetColour.Unbind();
  program.Unbind();
  glPopMatrix();
}

// Black below texture height cageFade: the cage dissolves from its top down as the fade falls.
void cPlanetWaterScene::DrawCage() {
  BlendByAlpha();
  LookFrom(camera);
  glPushMatrix();
  cageShader.blurFactor = state.cageFade;
  cageShader.Bind();
  glScalef(0.105f, 0.105f, 0.105f);
  cageModel.Draw();
  planetColour.Unbind();
  cageShader.Unbind();
  glPopMatrix();
  EndBlendByAlpha();
}

// [SECTION] Draw

void cPlanetWaterScene::Draw() {
  // 1.
  glEnable(GL_MULTISAMPLE);
  // 2. The window's own depth becomes the depth the composite focuses by; step 7 covers the picture.
  CaptureDepth(targetB, [this] { DrawWorld(kEverything); });
  // 3. Sharp.
  RenderToTarget(targetA, [this] { DrawWorld(kEverything); });
  // 4.
  // The program's alpha keeps what the glow left (0.5 after the first frame); nothing blends C.
  RenderToTarget(targetC, [this] { DrawBlurOf(gaussBlur, targetA, m_rotation); });
  // 5. Glow source, without the skies.
  RenderToTarget(targetE, [this] { DrawWorld(kNoSky); });
  // 6.
  RenderToTarget(targetD, [this] { DrawComposite(); });
  // 7.
  ShowTarget(targetD, m_rotation);
  // 8.
  DrawOverlay(logo, 0, 2.08f);
  // 9, 10.
  DrawClosingImage();
  // 11.
  DrawOverlay(scroller, state.scrollY, 4.8671994f);
  // 12.
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_BLEND);
  glDisable(GL_MULTISAMPLE);
}

void cPlanetWaterScene::DrawComposite() {
  // Sharp and blurred by depth.
  targetA.BindColour();
  DrawDepthOfField(dofShader, targetA, targetC, targetB, 0);
  // The glow added on top.
  Blend(GL_ONE, GL_ONE);
  glDisable(GL_ALPHA_TEST);
  targetE.BindColour();
  gaussBlur.blurFactor = 1.6f;
  gaussBlur.bloom = 0;
  gaussBlur.sourceTexture = targetE.colourTexture;
  gaussBlur.alpha = 0.5f;
  gaussBlur.Bind();
  DrawFullScreenQuad(0, false);
  gaussBlur.Unbind();
  targetE.Unbind();
  gaussBlur.bloom = 0;
  glDisable(GL_BLEND);
}

// An image over the window by its alpha, its first row at the top, centred at height centreY.
void cPlanetWaterScene::DrawOverlay(cTextureSystem& image, float centreY, float halfHeight) {
  BlendByAlpha();
  glLoadIdentity();
  glColor4f(1, 1, 1, 1);
  glTranslatef(0, centreY, -5);
  glScalef(2.08f, -halfHeight, 0);
  image.Bind();
  DrawQuad();
  image.Unbind();
}

// Blended by endFade while it fades in; once opaque it is drawn without blending.
void cPlanetWaterScene::DrawClosingImage() {
  // 9.
  if (state.endFade >= 1) {
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
    glClearColor(0, 0, 0, 1);
  }
  // 10.
  endImage.Bind();
  DrawFullScreenQuad(0, false, state.endFade);
  endImage.Unbind();
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_BLEND);
}

}  // namespace MorlenGL
