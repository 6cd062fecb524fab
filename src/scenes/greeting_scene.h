// greeting_scene.h -- the greeting scene: pillared room, tower, wobbling spheres and two rings of greetings.
#pragma once
#include <array>

#include "assets/camera.h"
#include "assets/model_3ds.h"
#include "assets/texture_system.h"
#include "effects/lighting_shaders.h"
#include "effects/particle_system.h"
#include "effects/render_texture.h"
#include "scenes/greeting_state.h"
#include "sequencing/scene_system.h"

namespace MorlenGL {

// Owner: the timeline holds the one cGreetingScene by value; every member below is the scene's own.
// Members are declared in construction order (the particle systems reseed the generator).
class cGreetingScene : public cSceneSystem {
 public:
  ~cGreetingScene() override;
  int Init() override;
  void Update() override;
  void Draw() override;

  cVertexDistort vertexDistort;  // lights the spheres and makes them wobble

  cTextureSystem diffuseTexture;        // sphere colour; also bound around the room and sphere draws
  cTextureSystem waterNormalTexture;    // sphere normals
  cTextureSystem specularTexture;       // sphere and room specular; the full-screen fade picture
  cTextureSystem roomColourTexture;
  cTextureSystem roomNormalTexture;
  cTextureSystem towerSpecularTexture;
  cTextureSystem towerColourTexture;
  cTextureSystem towerNormalTexture;
  cTextureSystem frameTexture;          // the overlay over the whole picture
  cTextureSystem flameTexture;          // bound and unbound once a frame; nothing is drawn with it

  cNPMultiLight lighting;  // room and tower; its light follows the camera a frame behind
  cCubeMapping cubeMap;    // created; nothing renders into it or reads it
  cRenderTextureSystem targetA;  // the whole 3D picture
  c3DsModelSystem towerModel;
  c3DsModelSystem roomModel;
  std::array<c3DsModelSystem, 2> ringModels;       // ring B is element 0, ring A element 1
  std::array<cTextureSystem, 2> greetTextures;     // greet1 (ring B), greet2 (ring A)
  cSphereParticleSystem spheres;
  cSparksSystem sparks;  // moved every frame, never drawn
  Camera camera;

  GreetingState state;

 private:
  void LoadAssets();
  void SetUpSpheres();
  void SetUpVertexDistort();
  void SetUpLighting();

  void DrawSceneContent();
  void DrawRoom();
  void DrawSpheres(const SceneTime& t);
  void DrawTower();
  void DrawRingA(const SceneTime& t);
  void DrawRingB(const SceneTime& t);
};

}  // namespace MorlenGL
