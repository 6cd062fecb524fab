// render_texture.cpp -- creation sequences and pass switching of the render targets and cube maps.
#include "effects/render_texture.h"

#include <cassert>
#include <cstdlib>
#include <vector>

#include "effects/gl_driver.h"
#include "platform/diagnostics.h"
#include "platform/message_box.h"

namespace MorlenGL {

namespace {

constexpr int kExitNoFramebufferObjects = 99;

// The show cannot compose a single frame without framebuffer objects, so it stops at once.
[[noreturn]] void ExitWithoutFramebufferObjects() {
  plat::ShowMessageBox("GL_EXT_framebuffer_object NOT supported . Upgrade your gfx motha fucka", "Error",
                       plat::kMbOk);
  std::exit(kExitNoFramebufferObjects);
}

void SetTextureFilters(GLenum target, GLint filter) {
  glTexParameteri(target, GL_TEXTURE_MAG_FILTER, filter);
  glTexParameteri(target, GL_TEXTURE_MIN_FILTER, filter);
}

}  // namespace

// [SECTION] plain target

void cRenderTextureSystem::PrepareCreate(int w, int h) {
  width = w;
  height = h;
  if (!ExtensionListHas(CurrentGlDriver().extensions(), "GL_EXT_framebuffer_object"))
    ExitWithoutFramebufferObjects();
}

bool cRenderTextureSystem::Create(int w, int h, int filterMode) {
  // 1-2. Size and extension test.
  PrepareCreate(w, h);
  // 3. Names.
  glGenFramebuffersEXT(1, &framebuffer);
  glGenRenderbuffersEXT(1, &depthRenderbuffer);
  // 4. The depth texture that CopyDepth fills.
  glGenTextures(1, &depthTexture);
  glBindTexture(GL_TEXTURE_2D, depthTexture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, width, height, 0, GL_DEPTH_COMPONENT,
               GL_UNSIGNED_BYTE, nullptr);
  SetTextureFilters(GL_TEXTURE_2D, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
  // 5.
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
  glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, depthRenderbuffer);
  // 6-8. The colour texture.
  glGenTextures(1, &colourTexture);
  glBindTexture(GL_TEXTURE_2D, colourTexture);
  if (filterMode == 0) SetTextureFilters(GL_TEXTURE_2D, GL_NEAREST);
  if (filterMode == 1) SetTextureFilters(GL_TEXTURE_2D, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA16F_ARB, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  // 9-10. Depth storage and attachments.
  glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT, width, height);
  glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                               depthRenderbuffer);
  glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, colourTexture, 0);
  // 11. Completeness is not queried.
  glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  return true;
}

void cRenderTextureSystem::Begin() {
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
  glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, depthRenderbuffer);
  glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, colourTexture, 0);
}

void cRenderTextureSystem::End() {
  glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
}

void cRenderTextureSystem::Unbind() { glBindTexture(GL_TEXTURE_2D, 0); }
void cRenderTextureSystem::BindColour() { glBindTexture(GL_TEXTURE_2D, colourTexture); }
void cRenderTextureSystem::BindDepth() { glBindTexture(GL_TEXTURE_2D, depthTexture); }

void cRenderTextureSystem::CopyDepth() {
  // The texture's depth format makes the copy take depth values.
  glBindTexture(GL_TEXTURE_2D, depthTexture);
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
}

// [SECTION] colour copies

GLuint CreateColourCopy(const cRenderTextureSystem& target) {
  const std::vector<unsigned char> black(static_cast<size_t>(target.width) * target.height * 4, 0);
  GLuint copy = 0;
  glGenTextures(1, &copy);
  glBindTexture(GL_TEXTURE_2D, copy);
  SetTextureFilters(GL_TEXTURE_2D, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA16F_ARB, target.width, target.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
               black.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  return copy;
}

void CopyColour(cRenderTextureSystem& target, GLuint copy) {
  target.Begin();
  glBindTexture(GL_TEXTURE_2D, copy);
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, target.width, target.height);
  glBindTexture(GL_TEXTURE_2D, 0);
  target.End();
}

// [SECTION] cube map

cCubeMapping::~cCubeMapping() {
  if (colourTexture && CurrentGlDriver().contextIsCurrent()) glDeleteTextures(1, &colourTexture);
}

bool cCubeMapping::CreateCube(int w, int h) {
  // 1.
  PrepareCreate(w, h);
  // 2. Framebuffer with its depth renderbuffer; faces are attached per pass.
  glGenFramebuffersEXT(1, &framebuffer);
  glGenRenderbuffersEXT(1, &depthRenderbuffer);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
  glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, depthRenderbuffer);
  glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT, width, height);
  glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                               depthRenderbuffer);
  glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  // 3-4. The cube map and its six faces.
  glEnable(GL_TEXTURE_CUBE_MAP);
  glGenTextures(1, &colourTexture);
  glBindTexture(GL_TEXTURE_CUBE_MAP, colourTexture);
  for (GLenum face : kCubeFaces)
    glTexImage2D(face, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
  // 5.
  SetTextureFilters(GL_TEXTURE_CUBE_MAP, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
  // 6.
  glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
  glDisable(GL_TEXTURE_CUBE_MAP);
  return true;
}

void cCubeMapping::Begin() {
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
  glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, depthRenderbuffer);
}

void cCubeMapping::Unbind() {
  glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
  glDisable(GL_TEXTURE_CUBE_MAP);
}

void cCubeMapping::BindColour() {
  glBindTexture(GL_TEXTURE_CUBE_MAP, colourTexture);
  glEnable(GL_TEXTURE_CUBE_MAP);
}

void cCubeMapping::EmptyHook() {}

void AttachCubeFace(const cCubeMapping& cube, int face) {
  assert(face >= 0 && face < 6 && "a cube has faces 0 to 5");
  glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, kCubeFaces[face], cube.colourTexture, 0);
}

}  // namespace MorlenGL
