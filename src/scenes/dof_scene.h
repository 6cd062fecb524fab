// dof_scene.h -- the first scene: planet under a sky sphere, depth of field and glow.
#pragma once
#include <array>

#include "assets/camera.h"
#include "assets/geometry.h"
#include "assets/keyframe_track.h"
#include "assets/model_3ds.h"
#include "assets/texture_system.h"
#include "effects/environment_shaders.h"
#include "effects/lighting_shaders.h"
#include "effects/particle_system.h"
#include "effects/post_filters.h"
#include "effects/render_texture.h"
#include "scenes/dof_state.h"
#include "sequencing/scene_system.h"

namespace MorlenGL {

// Owner: the timeline holds the one cDoF by value; every member below is the scene's own.
class cDoF : public cSceneSystem {
 public:
  ~cDoF() override = default;
  int Init() override;
  void Update() override;
  void Draw() override;

  // Which parts of the 3D picture a pass draws.
  enum Kind { kHalfPass = 0, kGlowPass = 1, kFullPass = 2 };

  c3DsModelSystem planetModel;
  c3DsModelSystem skySphereModel;  // drawn twice: base sky and the sky that fades in
  c3DsModelSystem skyRingModel;
  c3DsModelSystem cageModel;

  cTextureSystem ulvashTexture;          // only for the normal-mapping program
  cTextureSystem skyboxTexture;          // sky sphere and rings
  cTextureSystem secondSkyTexture;       // fades in from 32 s
  cTextureSystem planetColourTexture;
  cTextureSystem planetNormalTexture;
  cTextureSystem heightTexture;          // only for the cube-map program
  cTextureSystem specularMapTexture;     // only for the cube-map program
  std::array<cTextureSystem, 4> logoTextures;  // logo1 to logo4
  cTextureSystem particleTexture;
  cTextureSystem flashTexture;

  cKeyframeTrack positionTrack;  // camera eye
  cKeyframeTrack targetTrack;    // camera look-at
  Camera camera;
  VertexStrips sphere;  // DrawIcosphere(3, 1), prepared at Init
  cHaloSystem haloSystem;        // its haloScale follows the music

  cDoFShader dofShader;
  cGaussianBlurShader gaussBlur;  // blur passes, glow and logos
  cShadowCageShader cageShader;
  cRingWaveShader ringWave;
  cNPMultiLight planetLight;
  cRenderTextureSystem targetA, targetB, targetC, targetD, targetE;

  // Built by Init, never drawn with in this scene.
  cCubeMapping cubeMap;
  cCubeMapShader cubeMapShader;
  cNormalMapping normalMapping;
  cBlurShader blurShader;

  DofState state;

 private:
  void LoadAssets();
  void CreateTargets();
  void BuildPrograms();
  void SetUpPlanetLight();
  void BlurInto(cRenderTextureSystem& target, const cRenderTextureSystem& source);
  void BlurQuad(GLuint source, float blurFactor, float bloom, bool flipped);
  void DrawComposite();
  void DrawGlow();
  void DrawFlash();
  void DrawLogo(const LogoLook& look);
  void DrawFullScreenQuad(bool flipped, float alpha = 1);

  void DrawSceneContent(int kind);
  void DrawHalo(const SceneTime& t);
  void DrawPlanet();
  void DrawSky();
  void DrawCage();
  void DrawCurves();
  void DrawBlackSphere(const SceneTime& t);
};

}  // namespace MorlenGL
