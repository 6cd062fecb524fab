// generated_data.cpp -- runs the generator once per build and hands its folders to the tests.
#include "generated_data.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace datatest {

const std::vector<std::string>& ExpectedFiles() {
  static const std::vector<std::string> files = {
      "cave.3ds", "chains.3ds", "credring.3ds", "feather.3ds", "leaf.3ds", "meteor.3ds", "meteorcrack.3ds",
      "pillarbitch.3ds", "pillarroom.3ds", "planet01.3ds", "planet01cage.3ds", "sky_ring.3ds", "sky_sphere.3ds",
      "treball.3ds", "treeballcage.3ds", "waterplanet.3ds", "wheel.3ds", "cdiffuse.jpg", "cnormal.jpg",
      "donetreabstrakt.jpg", "envmet.jpg", "height2.jpg", "loading.jpg", "meteordiffuse.jpg", "metnorm.jpg",
      "pillarroom_diff.jpg", "pillarroom_norm.jpg", "pillarroom_spec.jpg", "pillarspecmap.jpg",
      "planetdiffusemap.jpg", "planetdiffusemapnature.jpg", "planetnormalsmap2.jpg", "skybox_a.jpg",
      "specular.jpg", "specularmap.jpg", "sunrays.jpg", "towernormal.jpg", "towertexture.jpg",
      "treeball_tex.jpg", "treeball_texno.jpg", "water.jpg", "waternormal.jpg", "wheel_diff.jpg",
      "wheel_norm.jpg", "wheel_spec.jpg", "feather.png", "flame1.png", "greet1.png", "greet2.png", "info1.png",
      "info2.png", "info3.png", "info5.png", "leaf.png", "letterbox.png", "logo1.png", "logo2.png", "logo3.png",
      "logo4.png", "lyric1.png", "lyric2.png", "lyric3.png", "og1.png", "og2.png", "og3.png", "og4.png",
      "scroller.png", "skybox.png", "skybox_bonjour.png", "ulvash.png", "velumdrannick.png",
      "waterparticle.png", "loading.mp3", "music.mp3", "dof_kf_pos.dkf", "dof_kf_targ.dkf"};
  return files;
}

static std::string Generator() { return std::string(TOLVANE_BINARY_DIR) + "/tolvane-data"; }

int RunGenerator(const std::string& args, std::string* errors) {
  std::string log = fs::temp_directory_path().string() + "/tolvane-data-test-" + std::to_string(getpid()) + ".log";
  std::string command = "'" + Generator() + "' " + args + " > /dev/null 2> '" + log + "'";
  int status = std::system(command.c_str());
  if (errors) *errors = ReadAll(log);
  fs::remove(log);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Identifies the generator build, so a rebuilt tool regenerates the cache.
static std::string GeneratorStamp() {
  struct stat st;
  if (stat(Generator().c_str(), &st) != 0) return "";
  return std::to_string(st.st_size) + ":" + std::to_string(st.st_mtim.tv_sec) + "." +
         std::to_string(st.st_mtim.tv_nsec);
}

static bool Fill(const Folders& f, const std::string& stampPath, const std::string& stamp) {
  std::error_code ec;
  fs::remove_all(f.full, ec);
  fs::remove_all(f.quick, ec);
  std::string errors;
  if (RunGenerator("--out '" + f.full + "'", &errors) != 0) {
    ADD_FAILURE() << "full run failed: " << errors;
    return false;
  }
  if (RunGenerator("--quick --out '" + f.quick + "'", &errors) != 0) {
    ADD_FAILURE() << "quick run failed: " << errors;
    return false;
  }
  std::ofstream(stampPath) << stamp;
  return true;
}

const Folders& Generated() {
  static Folders folders = [] {
    std::string root = std::string(TOLVANE_BINARY_DIR) + "/test-data-cache";
    fs::create_directories(root);
    Folders f{root + "/full", root + "/quick"};
    int lock = open((root + "/lock").c_str(), O_CREAT | O_RDWR, 0644);
    if (lock < 0 || flock(lock, LOCK_EX) != 0) {
      ADD_FAILURE() << "cannot lock " << root;
      return Folders{};
    }
    std::string stamp = GeneratorStamp(), stampPath = root + "/stamp";
    bool fresh = !stamp.empty() && ReadAll(stampPath) == stamp;
    if (!fresh && !Fill(f, stampPath, stamp)) f = Folders{};
    flock(lock, LOCK_UN);
    close(lock);
    return f;
  }();
  return folders;
}

}  // namespace datatest
