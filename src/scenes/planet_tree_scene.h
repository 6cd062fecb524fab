// planet_tree_scene.h -- the planet tree scene: a tree-ball planet that turns to light, feathers, a falling leaf.
#pragma once
#include <array>
#include <functional>

#include "assets/camera.h"
#include "assets/model_3ds.h"
#include "assets/texture_system.h"
#include "effects/lighting_shaders.h"
#include "effects/particle_system.h"
#include "effects/post_filters.h"
#include "effects/render_texture.h"
#include "scenes/planet_tree_state.h"
#include "sequencing/scene_system.h"

namespace MorlenGL {

// The four information panels, in the order they are shown.
constexpr std::array<const char*, 4> kTreeInfoFiles = {"Data\\info1.png", "Data\\info2.png", "Data\\info3.png",
                                                       "Data\\info5.png"};

// Owner: the timeline holds the one cPlanetTreeScene by value; every member below is the scene's own.
class cPlanetTreeScene : public cSceneSystem {
 public:
  ~cPlanetTreeScene() override = default;
  int Init() override;
  void Update() override;
  void Draw() override;

  // What DrawWorld draws: the normal picture, or the glow source the light rays spread.
  enum Pass { kNormalPass = 0, kGlowPass = 1 };

  c3DsModelSystem treeModel;
  c3DsModelSystem skySphereModel;
  c3DsModelSystem skyRingModel;
  c3DsModelSystem cageModel;
  c3DsModelSystem leafModel;
  cFeatherParticleSystem treeFeathers;   // leave the planet until 30 s
  cFeatherParticleSystem trailFeathers;  // follow the knot point from 20 s

  cNPMultiLight planetLight;
  cDoFShader dofShader;
  cGaussianBlurShader gaussBlur;
  cShadowCageShader cageShader;
  cNPMultiLightShatter shatterShader;
  cRadialBlurShader radialBlur;
  // A sharp, B depth, C blurred, D composite, E glow source.
  cRenderTextureSystem targetA, targetB, targetC, targetD, targetE;

  cTextureSystem treeColour;  // also bound around the planet and cage draws
  cTextureSystem treeNormals;
  cTextureSystem skyA;
  cTextureSystem skyRing;
  cTextureSystem specular;  // loaded, never drawn with
  cTextureSystem leaf;
  cTextureSystem height;    // every map of the shattered cage
  cTextureSystem feather;   // both feather streams
  std::array<cTextureSystem, 4> info;
  cTextureSystem logo;
  std::array<cTextureSystem, 3> lyrics;

  Camera camera;
  TreeState state;

 private:
  void LoadAssets();
  void SetUpFeathers(cFeatherParticleSystem& feathers, int32_t count, int32_t lifeScale);
  void BuildPrograms();
  void SetUpShatterShader();

  void DrawComposite(const SceneTime& t);
  void DrawRays(const SceneTime& t);
  void DrawLyrics();
  void DrawLogo();
  void DrawInfoPanel();

  void DrawWorld(int pass);
  void DrawGlowingPlanet();
  void DrawSky(const SceneTime& t);
  void DrawSkyPiece(cTextureSystem& texture, c3DsModelSystem& model, float scale, float degrees);
  void DrawLitPlanet();
  void DrawShatteredCage();
  void DrawDissolvingCage();
  void DrawCage(const std::function<void()>& bind, const std::function<void()>& unbind);
  void DrawLeaf();
};

}  // namespace MorlenGL
