// scene_kit.cpp -- the steps every scene shares: scene time, GL state block, look-at, full-screen quad.
#include "scenes/scene_kit.h"

#include <epoxy/gl.h>

#include <cmath>

#include "assets/geometry.h"
#include "platform/crt_random.h"

namespace MorlenGL {

SceneTime ReadSceneTime(const Timer& clock) {
  SceneTime t;
  t.cs = clock.m_elapsed + clock.m_timeShift;
  t.T = static_cast<float>(t.cs) / 100.0f;
  t.dt = static_cast<float>(clock.m_elapsed - clock.m_lastElapsed) / 100.0f;
  return t;
}

std::array<float, 2> GodRayCentre(float T) {
  return {0.5f + 0.01f * (0.5f * std::sin(T) + 0.5f), 0.5f + 0.01f * (0.5f * std::cos(T / 2) + 0.5f)};
}

void SetSceneLens(Camera& camera) {
  camera.fovY = 45;
  camera.aspect = 1.0;
  camera.zNear = 0.01;
  camera.zFar = 10000;
}

std::array<float, 4> SceneFocusParams(float distance, float range, const Camera& camera) {
  const float n = static_cast<float>(camera.zNear), f = static_cast<float>(camera.zFar);
  return {distance, range, n, f / (f - n)};
}

float SpectrumBin(const MusicTrack* music, int bin) { return music ? music->m_spectrum[bin] : 0.0f; }

Vec3 RandomVec3Reversed(int modulus, float low) {
  Vec3 v;
  v.z = low + plat::RandHundredths(modulus);
  v.y = low + plat::RandHundredths(modulus);
  v.x = low + plat::RandHundredths(modulus);
  return v;
}

void LoadCameraTracks(cKeyframeTrack& target, cKeyframeTrack& position, const Timer& clock) {
  target.Load("data\\dof_kf_targ.dkf", KF_COSINE_TABLE);
  position.Load("data\\dof_kf_pos.dkf", KF_COSINE_TABLE);
  target.clock = &clock;
  position.clock = &clock;
}

void SetSceneState() {
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glDisable(GL_FOG);
  glShadeModel(GL_SMOOTH);
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_LINE_SMOOTH);
  glEnable(GL_POLYGON_SMOOTH);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  glEnable(GL_COLOR_MATERIAL);
  glClearDepth(1.0);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glEnable(GL_POLYGON_OFFSET_FILL);
}

void LookFrom(const Camera& camera) {
  glLoadIdentity();
  ApplyLookAt(camera);
}

// At distance 5 the 45-degree view shows a half-height of 2.07, so the quad just covers it.
void DrawFullScreenQuad(float rotation, bool flipped, float alpha) {
  glColor4f(1, 1, 1, alpha);
  glLoadIdentity();
  MultFullScreenQuad(rotation, flipped);
  DrawQuad();
}

void MultFullScreenQuad(float rotation, bool flipped) {
  glTranslatef(0, 0, -5);
  glScalef(2.08f, flipped ? -2.08f : 2.08f, 0);
  glRotatef(rotation, 0, 1, 0);
}

void BlendByAlpha() {
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_ALPHA_TEST);
  glEnable(GL_BLEND);
}

void EndBlendByAlpha() {
  glDisable(GL_BLEND);
  glDisable(GL_ALPHA_TEST);
  glBlendFunc(GL_ONE, GL_ONE);
}

void DrawFeatherStream(cParticleSystem& feathers, cTextureSystem& texture, const Camera& camera) {
  BlendByAlpha();
  LookFrom(camera);
  texture.Bind();
  glScalef(0.2f, 0.2f, 0.2f);
  feathers.DrawAll();
  texture.Unbind();
  EndBlendByAlpha();
}

void ShowTarget(cRenderTextureSystem& target, float rotation) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  target.BindColour();
  DrawFullScreenQuad(rotation, false);
  target.Unbind();
}

void DrawBlurOf(cGaussianBlurShader& blur, cRenderTextureSystem& picture, float rotation) {
  blur.blurFactor = 1.0f;
  blur.Bind();
  picture.BindColour();
  DrawFullScreenQuad(rotation, false);
  picture.Unbind();
  blur.Unbind();
}

void DrawDepthOfField(cDoFShader& dof, const cRenderTextureSystem& sharp, const cRenderTextureSystem& blurred,
                      const cRenderTextureSystem& depth, float rotation) {
  dof.sceneTexture = sharp.colourTexture;
  dof.blurTexture = blurred.colourTexture;
  dof.depthTexture = depth.depthTexture;
  dof.Bind();
  DrawFullScreenQuad(rotation, false);
  dof.Unbind();
}

}  // namespace MorlenGL
