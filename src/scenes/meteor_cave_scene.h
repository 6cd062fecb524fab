// meteor_cave_scene.h -- the meteor cave: the one design behind abstract scenes I and III.
#pragma once
#include <epoxy/gl.h>  // before GLU, which would pull in the system's GL header
#include <GL/glu.h>

#include <memory>

#include "assets/camera.h"
#include "assets/geometry.h"
#include "assets/keyframe_track.h"
#include "assets/model_3ds.h"
#include "assets/texture_system.h"
#include "effects/lighting_shaders.h"
#include "effects/post_filters.h"
#include "effects/render_texture.h"
#include "scenes/meteor_cave_state.h"
#include "sequencing/scene_system.h"

namespace MorlenGL {

// A normal-mapped meteor inside a cave, ringed by four chrome spheres, four wheels and four
// lightning strands, seen by a camera that circles and rolls; god rays behind the meteor, a lens
// bulge and a wave over the final image. The variant holds every difference between the visits.
// Owner: the timeline holds each visit by value; every member below is the scene's own.
class cMeteorCaveScene : public cSceneSystem {
 public:
  explicit cMeteorCaveScene(const MeteorCaveVariant& variant);
  ~cMeteorCaveScene() override = default;
  int Init() override;
  void Update() override;
  void Draw() override;

  // What a pass of DrawSceneContent draws; any other kind only clears.
  enum Kind { kNormalImage = 0, kGodRaySource = 1 };

  Camera camera;
  VertexStrips raySphere;  // DrawIcosphere(4, 1), prepared at Init
  cKeyframeTrack positionTrack;  // advanced every Update, not used for the camera
  cKeyframeTrack targetTrack;
  c3DsModelSystem meteorModel;
  c3DsModelSystem meteorCrackModel;
  c3DsModelSystem caveModel;
  c3DsModelSystem chainsModel;  // loaded, not drawn
  c3DsModelSystem wheelModel;

  cTextureSystem meteorColourTexture;
  cTextureSystem meteorNormalTexture;
  cTextureSystem heightTexture;
  cTextureSystem specularMapTexture;  // also the closing full-screen texture
  cTextureSystem letterboxTexture;    // not shown
  cTextureSystem caveColourTexture;
  cTextureSystem overlayTexture;
  cTextureSystem secondHeightTexture;  // not shown
  cTextureSystem caveNormalTexture;
  cTextureSystem envMetTexture;        // not shown
  cTextureSystem wheelColourTexture;
  cTextureSystem wheelNormTexture;     // the wheels' specular map
  cTextureSystem wheelSpecTexture;     // the wheels' normal map

  cNPMultiLight lighting;         // meteor, cave and wheels
  cNPMultiLightShatter shatter;   // cracked meteor and its black silhouette
  cRadialBlurShader radialBlur;   // god rays
  cGaussianBlurShader gaussBlur;  // glow
  cDistortShader distort;         // lens bulge, then the wave
  cRenderTextureSystem targetA, targetB, targetC, targetD, targetE;
  // Target A's image of the frame before: what the spheres show while A itself is drawn.
  GLuint previousA = 0;

  const MeteorCaveVariant variant;  // what this visit does differently
  MeteorCaveState state;

  // The 3D picture of one pass. The spheres show sphereTexture.
  void DrawSceneContent(int kind, GLuint sphereTexture);
  // Draw step 6: target A, then target B's god rays and target C's glow added on top.
  void ComposeGodRays(float T);

 private:
  void LoadAssets();
  void CreateTargets();
  void BuildPrograms();
  void SetUpLight(cMultiLightProgram& program);

  void LightByMusic();
  void BulgeLens();
  void DrawFinalImage();
  void PlaceOverlay();
  void DrawClosingTexture();

  void DrawGodRaySource();
  void DrawMeteor();
  void DrawCave();
  void DrawSpheres(GLuint texture);
  void DrawStrands();
  void DrawWheels();

  struct QuadricDeleter {
    void operator()(GLUquadric* q) const { gluDeleteQuadric(q); }
  };
  std::unique_ptr<GLUquadric, QuadricDeleter> sphereQuadric;  // smooth normals, texture coordinates
  SphereMesh chromeSphere;  // what gluSphere sends on sphereQuadric, uploaded at Init
};

}  // namespace MorlenGL
