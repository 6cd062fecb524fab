// main.cpp -- tolvane-window-check: opens the show's window with nothing in it; Escape, F1 and closing work as in the show.
#include <epoxy/gl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/diagnostics.h"
#include "shell/windows_system.h"

namespace {

struct Options {
  plat::BackendKind backend = plat::BackendKind::kSdl;
  bool fullscreen = false;
  long frames = 0;  // end after this many frames; 0: only Escape or closing ends it
};

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--fullscreen") {
      options->fullscreen = true;
    } else if (arg.rfind("--backend=", 0) == 0) {
      if (!plat::BackendKindFromName(arg.substr(10), &options->backend)) {
        plat::Report("unknown backend '%s' (sdl or headless)", arg.substr(10).c_str());
        return false;
      }
    } else if (arg.rfind("--frames=", 0) == 0) {
      char* end = nullptr;
      options->frames = std::strtol(arg.c_str() + 9, &end, 10);
      if (end == arg.c_str() + 9 || *end != '\0' || options->frames < 0) {
        plat::Report("--frames needs a count, not '%s'", arg.c_str() + 9);
        return false;
      }
    } else {
      plat::Report("unknown argument '%s' (--fullscreen, --backend=sdl|headless, --frames=N)",
                   arg.c_str());
      return false;
    }
  }
  return true;
}

// Clears to a slowly changing grey so a viewer sees frames arrive.
class CheckWindow : public MorlenGL::cWindowsSystem {
 public:
  long limit = 0;
  long frames = 0;

  bool Initialize() override {
    cWindowsSystem::Initialize();
    std::printf("window-check: GL %s on %s, %d samples\n", glGetString(GL_VERSION), glGetString(GL_RENDERER),
                Backend()->Samples());
    std::fflush(stdout);
    return true;
  }

  bool DrawFrame() override {
    const float grey = static_cast<float>(frames % 256) / 255.0f;
    glClearColor(grey, grey, grey, 1.0f);
    cWindowsSystem::DrawFrame();
    ++frames;
    return limit == 0 || frames < limit;
  }
};

}  // namespace

int main(int argc, char** argv) {
  plat::ClaimStandardDescriptors();
  plat::SetProgramName("tolvane-window-check");
  Options options;
  if (!ParseOptions(argc, argv, &options)) return 2;
  // Nothing can press Escape on a headless context: without a count it would never end.
  if (options.backend == plat::BackendKind::kHeadless && options.frames == 0) options.frames = 1;
  static CheckWindow window;
  window.SetBackend(plat::CreateWindowBackend(options.backend));
  window.limit = options.frames;
  window.m_zNear = 0.1f;
  window.m_zFar = 10000.0f;
  window.m_askFullscreen = false;
  window.m_fullscreen = options.fullscreen;
  window.m_title = "Tolvane window check";
  window.m_width = 1024;
  window.m_height = 768;
  window.m_bits = 32;
  MorlenGL::g_pWindowsSystem = &window;
  const int result = window.Run();
  std::printf("window-check: %d frames, client %dx%d, %s, exit %d\n", static_cast<int>(window.frames),
              window.m_width, window.m_height, window.m_fullscreen ? "full screen" : "windowed", result);
  return result;
}
