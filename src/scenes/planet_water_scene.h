// planet_water_scene.h -- the last scene: a lit planet in a sea sphere, feathers, the closing image and scroller.
#pragma once
#include "assets/camera.h"
#include "assets/geometry.h"
#include "assets/model_3ds.h"
#include "assets/texture_system.h"
#include "effects/environment_shaders.h"
#include "effects/lighting_shaders.h"
#include "effects/particle_system.h"
#include "effects/post_filters.h"
#include "effects/render_texture.h"
#include "scenes/water_state.h"
#include "sequencing/scene_system.h"

namespace MorlenGL {

// Owner: the timeline holds the one cPlanetWaterScene by value; every member below is the scene's own.
class cPlanetWaterScene : public cSceneSystem {
 public:
  ~cPlanetWaterScene() override = default;
  int Init() override;
  void Update() override;
  void Draw() override;

  // What DrawWorld draws: everything, or everything but the two sky spheres (the glow source).
  enum Mode { kEverything = 0, kNoSky = 1 };

  c3DsModelSystem planetModel;
  c3DsModelSystem skySphereModel;  // drawn twice, the second sky cross-fading over the first
  c3DsModelSystem skyRingModel;
  c3DsModelSystem cageModel;
  cFeatherBParticleSystem feathers;
  cNPMultiLight planetLight;
  cDoFShader dofShader;
  cGaussianBlurShader gaussBlur;  // the blurred image and the glow
  cShadowCageShader cageShader;
  cNPMultiLightShatter shatterShader;  // constructed only: never built nor drawn
  cRadialBlurShader radialBlur;        // built, never drawn
  cMLWaterShader waterShader;

  cTextureSystem planetColour;  // also bound around the planet and water draws
  cTextureSystem planetNormals;
  cTextureSystem skyA;
  cTextureSystem skyB;
  cTextureSystem skyRing;
  cTextureSystem specular;  // loaded, not used
  cTextureSystem water;
  cTextureSystem height;    // loaded, not used
  cTextureSystem waterNormals;
  cTextureSystem sunRays;
  cTextureSystem feather;
  cTextureSystem logo;
  cTextureSystem endImage;
  cTextureSystem scroller;

  // A sharp, B depth, C blurred, D composite, E glow source.
  cRenderTextureSystem targetA, targetB, targetC, targetD, targetE;
  Camera camera;
  VertexStrips sphere;  // DrawIcosphere(3, 1), prepared at Init

  WaterState state;

 private:
  void CreateTargets();
  void LoadAssets();
  void SetUpFeathers();
  void BuildPrograms();

  void DrawWorld(int mode);
  void DrawSkySpheres(float T);
  void DrawSkyRing(float T);
  void DrawSunRays(float T);
  template <class Program, class Shape>
  void DrawLit(Program& program, float scale, Shape shape);
  void DrawCage();

  void DrawComposite();
  void DrawOverlay(cTextureSystem& image, float centreY, float halfHeight);
  void DrawClosingImage();
};

}  // namespace MorlenGL
