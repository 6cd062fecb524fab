// meteor_cave_scene.cpp -- the meteor cave's loading, Update, passes and composition.
#include "scenes/meteor_cave_scene.h"

#include <epoxy/gl.h>


#include "assets/geometry.h"
#include "scenes/scene_kit.h"
#include "shell/music_track.h"

namespace MorlenGL {

namespace {

// The god-ray, lens and final-image quads are drawn without the scene's rotation.
constexpr float kNoRotation = 0;
constexpr float kModelScale = 0.05f;  // meteor and cracked meteor

// The light colours the music gives the meteor and cave: 0.9 L and 0.1 L grey.
void LightGrey(cMultiLightProgram& program, float L) {
  for (float& c : program.lightColor) c = 0.9f * L;
  for (float& c : program.light2Color) c = 0.1f * L;
}

// One model under a lighting program, scaled about the current transform.
template <class Program>
void DrawLit(Program& program, const Camera& camera, c3DsModelSystem& model, float scale) {
  program.Bind(camera);
  glScalef(scale, scale, scale);
  model.Draw();
  program.Unbind();
}

}  // namespace

cMeteorCaveScene::cMeteorCaveScene(const MeteorCaveVariant& variant)
    : variant(variant), state(StartMeteorCave(variant)) {}

// [SECTION] Init

int cMeteorCaveScene::Init() {
  // 1.
  LoadAssets();
  raySphere = PrepareIcosphere(4, 1);
  // 2.
  CreateTargets();
  // 3.
  BuildPrograms();
  // 4, 5.
  SetUpLight(lighting);
  SetUpLight(shatter);
  // 6.
  SetSceneState();
  // 7.
  sphereQuadric.reset(gluNewQuadric());
  gluQuadricNormals(sphereQuadric.get(), GLU_SMOOTH);
  gluQuadricTexture(sphereQuadric.get(), GL_TRUE);
  chromeSphere = BuildSphereMesh(0.1, 32, 32);
  UploadSphereMesh(chromeSphere);
  // 8.
  SetSceneLens(camera);
  SetLookAt(camera, 5, 0, 5, 0, 0, 0, 0, 1, 0);
  Apply(camera);
  // 9.
  LoadCameraTracks(targetTrack, positionTrack, m_clock);
  StartClock();
  return 0;
}

void cMeteorCaveScene::LoadAssets() {
  meteorColourTexture.Load("data\\meteorDiffuse.jpg");
  meteorNormalTexture.Load("data\\metNorm.jpg");
  heightTexture.Load("data\\height2.jpg");
  specularMapTexture.Load("data\\specularmap.jpg");
  letterboxTexture.Load("data\\letterbox.png");
  caveColourTexture.Load("data\\pillarroom_diff.jpg");
  overlayTexture.Load(variant.overlayFile);
  secondHeightTexture.Load("data\\height2.jpg");
  caveNormalTexture.Load("data\\pillarroom_norm.jpg");
  envMetTexture.Load("data\\envMet.jpg");
  wheelColourTexture.Load("data\\wheel_diff.jpg");
  wheelNormTexture.Load("data\\wheel_norm.jpg");
  wheelSpecTexture.Load("data\\wheel_spec.jpg");
  meteorModel.Load("data\\meteor.3ds");
  meteorCrackModel.Load("data\\meteorcrack.3ds");
  caveModel.Load("data\\cave.3ds");
  chainsModel.Load("data\\chains.3ds");
  wheelModel.Load("data\\wheel.3ds");
}

void cMeteorCaveScene::CreateTargets() {
  targetA.Create(1024, 768, 1);
  targetB.Create(1024, 768, 1);
  targetC.Create(256, 192, 1);
  targetD.Create(1024, 768, 1);
  targetE.Create(1024, 768, 1);
  previousA = CreateColourCopy(targetA);
}

void cMeteorCaveScene::BuildPrograms() {
  BuildProgram(gaussBlur, 256.0f, 192.0f);
  gaussBlur.sourceTexture = targetC.colourTexture;
  BuildProgram(distort);
  distort.sourceTexture = targetD.colourTexture;
  BuildProgram(radialBlur);
  BuildProgram(lighting);
  BuildProgram(shatter);
}

// The meteor's maps and black lights. The cube-map slot stays empty: the program never samples
// it, and a 2D picture bound as a cube map is an OpenGL error on every bind.
void cMeteorCaveScene::SetUpLight(cMultiLightProgram& program) {
  program.colorMapTexture = meteorColourTexture.textureId;
  program.normalMapTexture = meteorNormalTexture.textureId;
  program.heightMapTexture = heightTexture.textureId;
  program.specularMapTexture = specularMapTexture.textureId;
  program.cubeMapTexture = 0;
  program.r = 1.0f;
  program.specPower = 32;
  program.specOverdrive = 1.0f;
  program.lightPosition[0] = 10;
  program.lightPosition[1] = 5;
  program.lightPosition[2] = 5;
  program.ai = 0.1f;
  LightGrey(program, 0);
}

// [SECTION] Update

void cMeteorCaveScene::Update() {
  const SceneTime t = ReadSceneTime(m_clock);
  // 1.
  targetTrack.Update();
  positionTrack.Update();
  // 2. No Apply: the projection stays as loaded and every pass starts from an identity itself.
  SetCaveCamera(camera, state, t.T);
  // 3 to 7.
  StepMeteorCave(state, variant, t, SpectrumBin(m_music, 2));
  // The burst follows the god-ray swell; where the sphere never swells it stays 0.
  shatter.time = state.glowPulse;
}

// [SECTION] Draw

void cMeteorCaveScene::Draw() {
  const float T = ReadSceneTime(m_clock).T;
  // 1.
  glEnable(GL_MULTISAMPLE);
  // 2. Target A cannot show itself while drawn into: its spheres show its last image instead.
  RenderToTarget(targetA, [this] { DrawSceneContent(kNormalImage, previousA); });
  CopyColour(targetA, previousA);
  // 3.
  RenderToTarget(targetB, [this] { DrawSceneContent(kGodRaySource, targetA.colourTexture); });
  // 4. The glow source, without ambient light.
  lighting.specPower = 32;
  lighting.specOverdrive = 1.0f;
  lighting.ai = 0;
  RenderToTarget(targetC, [this] { DrawSceneContent(kNormalImage, targetA.colourTexture); });
  // 5.
  if (state.runTime >= 10) LightByMusic();
  // 6.
  RenderToTarget(targetD, [this, T] { ComposeGodRays(T); });
  // 7.
  RenderToTarget(targetE, [this] { BulgeLens(); });
  // 8.
  DrawFinalImage();
  // 9.
  PlaceOverlay();
  // 10.
  DrawClosingTexture();
  // 11.
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_BLEND);
  glDisable(GL_MULTISAMPLE);
}

// These values light the next frame's first passes: the parameters carry from call to call.
void cMeteorCaveScene::LightByMusic() {
  const float L = state.musicLevel;
  lighting.specOverdrive = 1.0f;
  lighting.ai = 0.1f * L - SpectrumBin(m_music, 20);
  LightGrey(lighting, L);
  LightGrey(shatter, L);
}

// With silence the radial blur's taps all coincide, so target B is added unblurred.
void cMeteorCaveScene::ComposeGodRays(float T) {
  glDisable(GL_BLEND);
  glBindTexture(GL_TEXTURE_2D, targetA.colourTexture);
  DrawFullScreenQuad(kNoRotation, false);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
  radialBlur.iterations = 100;
  radialBlur.start = 1.0f;
  radialBlur.scale = -state.musicLevel;
  const std::array<float, 2> centre = GodRayCentre(T);
  radialBlur.center[0] = centre[0];
  radialBlur.center[1] = centre[1];
  radialBlur.alpha = 1.0f;
  radialBlur.sourceTexture = targetB.colourTexture;
  radialBlur.Bind();
  DrawFullScreenQuad(kNoRotation, false);
  radialBlur.Unbind();
  gaussBlur.blurFactor = 1.3f;
  gaussBlur.bloom = 0;
  gaussBlur.alpha = 1.0f;
  gaussBlur.Bind();
  DrawFullScreenQuad(kNoRotation, false);
  gaussBlur.Unbind();
  glBindTexture(GL_TEXTURE_2D, 0);
  glDisable(GL_BLEND);
}

// The lens step maps radius r to 0.8 r^(1 / (bin 2 + 1)). Its alpha is whatever the final image
// left; it only reaches target E's alpha, which the final image replaces.
void cMeteorCaveScene::BulgeLens() {
  distort.distortProgram = 0;
  distort.psParameters[0] = 1.0f;
  distort.psParameters[1] = SpectrumBin(m_music, 2) + 1.0f;
  distort.psParameters[2] = 0.8f;
  distort.psParameters[3] = 1.0f;
  distort.sourceTexture = targetD.colourTexture;
  distort.Bind();
  DrawFullScreenQuad(kNoRotation, false);
  distort.Unbind();
}

// A horizontal wave by bin 7 over the cleared window, faded in by its alpha.
void cMeteorCaveScene::DrawFinalImage() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  BlendByAlpha();
  distort.distortProgram = 10;
  distort.psParameters[0] = 50;
  distort.psParameters[1] = 20;
  distort.psParameters[2] = SpectrumBin(m_music, 7);
  distort.psParameters[3] = 1.0f;
  distort.alpha = state.fadeIn;
  distort.sourceTexture = targetE.colourTexture;
  distort.Bind();
  DrawFullScreenQuad(kNoRotation, false);
  distort.Unbind();
}

// The overlay picture upside down at the fade-in's opacity, or, where the visit shows none, only
// its upright transform: the closing texture stacks on whichever is left.
void cMeteorCaveScene::PlaceOverlay() {
  glLoadIdentity();
  glColor4f(1, 1, 1, variant.overlayShown ? state.fadeIn : 1.0f);
  MultFullScreenQuad(m_rotation, variant.overlayShown);
  overlayTexture.Bind();
  if (variant.overlayShown) DrawQuad();
  overlayTexture.Unbind();
}

// Stacked on the overlay's transform: 2.08 times the screen, flipped where the overlay was.
void cMeteorCaveScene::DrawClosingTexture() {
  glColor4f(1, 1, 1, state.outroFade);
  MultFullScreenQuad(m_rotation, false);
  specularMapTexture.Bind();
  DrawQuad();
  specularMapTexture.Unbind();
}

// [SECTION] DrawSceneContent

void cMeteorCaveScene::DrawSceneContent(int kind, GLuint sphereTexture) {
  // 1.
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  if (kind != kNormalImage && kind != kGodRaySource) return;
  // 2.
  if (kind == kGodRaySource) DrawGodRaySource();
  // 3.
  if (kind == kNormalImage) DrawMeteor();
  // 4.
  DrawCave();
  // 5.
  DrawSpheres(sphereTexture);
  // 6.
  DrawStrands();
  // 7.
  DrawWheels();
  // 8.
  lighting.colorMapTexture = meteorColourTexture.textureId;
  lighting.normalMapTexture = meteorNormalTexture.textureId;
  lighting.specularMapTexture = specularMapTexture.textureId;
  LightGrey(lighting, state.musicLevel);
}

// A sphere lit by the music behind the cracked meteor's black silhouette.
void cMeteorCaveScene::DrawGodRaySource() {
  const float L = state.musicLevel;
  glColor4f(0.7f * L, 0.7f * L, L, 1);
  LookFrom(camera);
  const float scale = GodRayScale(state);
  glScalef(scale, scale, scale);
  DrawVertexStrips(raySphere);
  LookFrom(camera);
  glColor4f(0, 0, 0, 1);
  LightGrey(shatter, 0);
  shatter.ai = 0;
  DrawLit(shatter, camera, meteorCrackModel, kModelScale);
  LightGrey(shatter, L);
  shatter.ai = 0.1f;
}

void cMeteorCaveScene::DrawMeteor() {
  LookFrom(camera);
  if (!MeteorCracked(state))
    DrawLit(lighting, camera, meteorModel, kModelScale);
  else
    DrawLit(shatter, camera, meteorCrackModel, kModelScale);
}

void cMeteorCaveScene::DrawCave() {
  LookFrom(camera);
  glDisable(GL_BLEND);
  glColor4f(1, 1, 1, 1);
  glScalef(20, 20, 20);
  lighting.colorMapTexture = caveColourTexture.textureId;
  lighting.normalMapTexture = caveNormalTexture.textureId;
  lighting.Bind(camera);
  caveModel.Draw();
  lighting.colorMapTexture = meteorColourTexture.textureId;
  lighting.normalMapTexture = meteorNormalTexture.textureId;
  lighting.Unbind();
}

// Chrome-like: the texture is sphere-mapped over them.
void cMeteorCaveScene::DrawSpheres(GLuint texture) {
  static constexpr Vec3 kAt[4] = {{0, 0, -5}, {0, 0, 5}, {0, -5, 0}, {0, 5, 0}};
  glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glEnable(GL_TEXTURE_GEN_S);
  glEnable(GL_TEXTURE_GEN_T);
  glDisable(GL_BLEND);
  glBindTexture(GL_TEXTURE_2D, texture);
  for (const Vec3& p : kAt) {
    LookFrom(camera);
    glTranslatef(p.x, p.y, p.z);
    glColor4f(0.254902f, 0.254902f, 0.254902f, 1);
    glScalef(4, 4, 4);
    DrawSphereMesh(chromeSphere);  // gluSphere(sphereQuadric, 0.1, 32, 32), vertex for vertex
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
}

// Blended with the function the previous frame's Draw left; with silence they are fully transparent.
void cMeteorCaveScene::DrawStrands() {
  glEnable(GL_BLEND);
  glColor4f(0.5f, 0.5f, 1, state.musicLevel);
  for (const CaveStrand& strand : RandomStrands(SpectrumBin(m_music, 1))) {
    LookFrom(camera);
    GeometryEmitter& out = GlEmitter();
    out.Begin(Primitive::LineStrip);
    for (const Vec3& p : strand) out.Vertex(p.x, p.y, p.z);
    out.End();
  }
}

// The wheels take the specular picture as normal map and the normal picture as specular map.
void cMeteorCaveScene::DrawWheels() {
  struct Placement {
    Vec3 at;
    float angle;  // about x, turning each to face the centre
  };
  static constexpr Placement kWheels[4] = {
      {{0, 0, -5}, 0}, {{0, 0, 5}, -180}, {{0, 5, 0}, 90}, {{0, -5, 0}, -90}};
  const float L = state.musicLevel;
  glDisable(GL_BLEND);
  lighting.lightColor[0] = 0.5f * L;
  lighting.lightColor[1] = 0.5f * L;
  lighting.lightColor[2] = L;
  for (float& c : lighting.light2Color) c = 0.1f * L;
  lighting.colorMapTexture = wheelColourTexture.textureId;
  lighting.normalMapTexture = wheelSpecTexture.textureId;
  lighting.specularMapTexture = wheelNormTexture.textureId;
  for (const Placement& w : kWheels) {
    LookFrom(camera);
    glTranslatef(w.at.x, w.at.y, w.at.z);
    glRotatef(w.angle, 1, 0, 0);
    DrawLit(lighting, camera, wheelModel, 0.01f);
  }
}

}  // namespace MorlenGL
