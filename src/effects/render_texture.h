// render_texture.h -- off-screen render targets (cRenderTextureSystem) and cube-map targets (cCubeMapping).
#pragma once
#include <epoxy/gl.h>

namespace MorlenGL {

// Owner: the scene holds each target by value and creates it once in its Init. A plain target's
// GL objects live until the context goes at exit; a cube map frees its texture.
class cRenderTextureSystem {
 public:
  cRenderTextureSystem() = default;
  virtual ~cRenderTextureSystem() = default;
  cRenderTextureSystem(const cRenderTextureSystem&) = delete;
  cRenderTextureSystem& operator=(const cRenderTextureSystem&) = delete;

  // Framebuffer, depth renderbuffer, 16-bit float colour texture and depth texture. filterMode 0:
  // nearest, 1: linear, anything else: OpenGL's defaults. Exits with 99 without framebuffer objects.
  virtual bool Create(int width, int height, int filterMode);
  // Drawing goes into the target; the viewport is the caller's business.
  virtual void Begin();
  // Drawing goes back to the window.
  virtual void End();
  virtual void Unbind();
  virtual void BindColour();
  virtual void BindDepth();
  // Copies the lower-left width x height of the current read buffer's depth into depthTexture.
  virtual void CopyDepth();

  GLuint colourTexture = 0;      // for a cCubeMapping: the cube-map texture
  GLuint depthTexture = 0;       // filled only by CopyDepth
  GLuint depthRenderbuffer = 0;
  GLuint framebuffer = 0;
  int width = 0;
  int height = 0;

 protected:
  // Stores the size and makes sure framebuffer objects exist (never returns without them).
  void PrepareCreate(int width, int height);
};

// Renders into the six faces of a cube-map texture, one face attached at a time.
class cCubeMapping : public cRenderTextureSystem {
 public:
  ~cCubeMapping() override;

  // Binds the framebuffer and renderbuffer only; the caller attaches each face (AttachCubeFace).
  void Begin() override;
  void Unbind() override;
  void BindColour() override;
  // Framebuffer, depth renderbuffer and a cube map of six RGB faces.
  virtual bool CreateCube(int width, int height);
  virtual void EmptyHook();
};

// The six faces in the order every cube-map pass renders them.
constexpr GLenum kCubeFaces[6] = {
    GL_TEXTURE_CUBE_MAP_POSITIVE_X, GL_TEXTURE_CUBE_MAP_NEGATIVE_X, GL_TEXTURE_CUBE_MAP_POSITIVE_Y,
    GL_TEXTURE_CUBE_MAP_NEGATIVE_Y, GL_TEXTURE_CUBE_MAP_POSITIVE_Z, GL_TEXTURE_CUBE_MAP_NEGATIVE_Z};

// [SECTION] colour copies

// A texture of the target's size and colour format, black, linear filtering: a place to keep what
// the target held, for a pass that shows the target's last image while drawing into it again
// (sampling a texture that is being drawn into is undefined).
GLuint CreateColourCopy(const cRenderTextureSystem& target);
// Copies the target's colour into `copy` (made by CreateColourCopy for this target); the window's
// framebuffer is bound again afterwards.
void CopyColour(cRenderTextureSystem& target, GLuint copy);

// Attaches one face (index into kCubeFaces) of the cube's texture as the colour attachment.
void AttachCubeFace(const cCubeMapping& cube, int face);

// [SECTION] rendering protocols

// A pass into a plain target: viewport pushed and set to the target, Begin, clear, draw, End, pop.
template <class DrawFn>
void RenderToTarget(cRenderTextureSystem& target, DrawFn draw) {
  glPushAttrib(GL_VIEWPORT_BIT);
  glViewport(0, 0, target.width, target.height);
  target.Begin();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  draw();
  target.End();
  glPopAttrib();
}

// Depth capture: the scene is drawn into the window at the target's size, then copied.
template <class DrawFn>
void CaptureDepth(cRenderTextureSystem& target, DrawFn draw) {
  glPushAttrib(GL_VIEWPORT_BIT);
  glViewport(0, 0, target.width, target.height);
  draw();
  target.CopyDepth();
  glPopAttrib();
}

// A cube-map pass: per face in kCubeFaces order, load its camera, attach it, clear, draw.
template <class CameraFn, class DrawFn>
void RenderToCube(cCubeMapping& cube, CameraFn loadFaceCamera, DrawFn draw) {
  glPushAttrib(GL_VIEWPORT_BIT);
  glViewport(0, 0, cube.width, cube.height);
  cube.Begin();
  for (int face = 0; face < 6; ++face) {
    loadFaceCamera(face);
    AttachCubeFace(cube, face);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw(face);
  }
  glPopAttrib();
  cube.End();
}

}  // namespace MorlenGL
