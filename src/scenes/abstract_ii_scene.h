// abstract_ii_scene.h -- abstract scene II: metaballs in a flooding room, water, two cube maps.
#pragma once
#include "assets/camera.h"
#include "assets/geometry.h"
#include "assets/model_3ds.h"
#include "assets/patch_mesh.h"
#include "assets/texture_system.h"
#include "effects/environment_shaders.h"
#include "effects/lighting_shaders.h"
#include "effects/particle_system.h"
#include "effects/post_filters.h"
#include "effects/render_texture.h"
#include "scenes/abstract_ii_state.h"
#include "sequencing/scene_system.h"

namespace MorlenGL {

// A look-at for one cube face.
struct CubeFaceView {
  double eye[3], centre[3], up[3];
};

// Owner: the timeline holds the one cAbstractIIScene by value; every member below is the scene's own.
class cAbstractIIScene : public cSceneSystem {
 public:
  ~cAbstractIIScene() override = default;
  int Init() override;
  void Update() override;
  void Draw() override;

  // Which parts of the 3D picture a pass draws.
  enum Kind { kWaterCubeFace = 0, kGodRaySource = 1, kEnvCubeFace = 2, kFullView = 3 };

  Camera camera;  // the cube-map passes change it within a frame
  cRadialBlurShader radialBlur;
  cNPMultiLightUW roomLight;
  cGaussianBlurShader gaussBlur;
  cDistortShader distort;
  cNPMultiLightShatter shatter;  // given its time every frame, never drawn with
  cCubeMapShaderUW ballEnvShader;
  cWaterShaderUW waterShader;
  cDoFShader dofShader;
  cChromaticRefractShader refraction;
  cParticleSystem particles;
  IsoGrid metaballGrid;  // 30 cells over -10..10
  LinePen spiralPen;
  cCubeMapping envCube;    // seen by the ball programs and the refraction
  cCubeMapping waterCube;  // seen by the water
  cRenderTextureSystem targetS;  // sharp image
  cRenderTextureSystem targetG;  // god-ray source
  cRenderTextureSystem targetQ;  // glow source
  cRenderTextureSystem targetC;  // composite
  cRenderTextureSystem targetM;  // grading
  cRenderTextureSystem targetZ;  // depth capture
  cRenderTextureSystem targetB;  // blur input of the depth of field
  c3DsModelSystem treeBallModel;     // the textured ball
  c3DsModelSystem meteorCrackModel;  // loaded, not drawn
  c3DsModelSystem skySphereModel;
  c3DsModelSystem roomModel;

  cTextureSystem roomColourTexture;
  cTextureSystem roomNormalTexture;
  cTextureSystem roomSpecularTexture;   // the room's height map
  cTextureSystem roomSpecularTexture2;  // the same file again: every specular map
  cTextureSystem letterboxTexture;      // not shown
  cTextureSystem ballColourTexture;
  cTextureSystem ballNormalTexture;
  cTextureSystem waterNormalTexture;
  cTextureSystem heightTexture;
  cTextureSystem waterColourTexture;
  cTextureSystem streamTexture;           // the particles
  cTextureSystem refractionNormalTexture; // waternormal again, for the refraction
  cTextureSystem skyTexture;
  cTextureSystem overlayTexture;
  cTextureSystem flashTexture;

  // The blur into targetB would read targetB itself; it reads this 1 x 1 black texture instead,
  // which is what the target would hold every frame anyway (a blur of black from the start).
  GLuint blackTexture = 0;

  // The frame's iso-surface, built once after the field and drawn by every pass that shows the
  // balls. With meshOncePerFrame false every such pass polygonises the grid itself (same picture).
  IsoMesh metaballMesh;
  bool meshOncePerFrame = true;
  // The water patch as the evaluator gave it at Init, drawn from a buffer; with waterFromBuffer
  // false (or no mesh) every pass evaluates it again (same picture). The same for the sphere.
  VertexStrips waterMesh;
  bool waterFromBuffer = true;
  VertexStrips raySphere;
  bool sphereFromBuffer = true;

  AbstractIIState state;

 private:
  void LoadAssets();
  void CreateTargets();
  void BuildPrograms();
  void SetUpSurface(cSurfaceProgram& program, const cTextureSystem& colour, const cTextureSystem& normal, float r);
  void SetUpPrograms();
  void CreateBlackTexture();

  void BlurQuad(GLuint source, float blurFactor);
  void RenderWaterCube();
  void RenderCube(cCubeMapping& cube, const CubeFaceView (&faces)[6], int kind);
  void DrawComposite(const SceneTime& t);
  void DrawGrading();
  void DrawOverlayAndFlash();

  void DrawSceneContent(int kind);
  void DrawMetaballs();
  void DrawGodRaySource();
  void DrawBalls();
  void DrawSpiral(const SceneTime& t);
  void DrawRoomAndSky(const SceneTime& t);
  void DrawTexturedBall(const SceneTime& t);
  void DrawWater(const SceneTime& t);
  void DefineWaterPatch();
  void PrepareWaterPatch();
  void DrawWaterPatch();
};

}  // namespace MorlenGL
