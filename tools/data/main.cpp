// main.cpp -- tolvane-data: writes the show's whole data folder (models, maps, overlays, tracks, music).
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>

#include "data_set.h"
#include "platform/diagnostics.h"

namespace fs = std::filesystem;

namespace {

// Its presence marks a folder this tool made, which it may overwrite without --force.
const char* kMarker = ".tolvane-data";

struct Options {
  std::string out = "data";
  std::string fonts = "/usr/share/fonts/truetype/dejavu";
  bool force = false;
  bool showMusic = true;  // music.mp3, by far the slowest file
};

const char* kUsage = "usage: tolvane-data [--out DIR] [--force] [--quick] [--fonts DIR]  (--quick: all but music.mp3)";

bool ParseArgs(int argc, char** argv, Options* o) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    bool hasValue = i + 1 < argc;
    if (a == "--out" && hasValue) o->out = argv[++i];
    else if (a == "--fonts" && hasValue) o->fonts = argv[++i];
    else if (a == "--force") o->force = true;
    else if (a == "--quick") o->showMusic = false;
    else return false;
  }
  return !o->out.empty();
}

// A folder may be written when it is missing, empty, ours, or the user insists.
bool MayWrite(const Options& o) {
  std::error_code ec;
  if (!fs::exists(o.out, ec)) return true;
  if (!fs::is_directory(o.out, ec)) {
    plat::Report("%s: exists and is not a folder", o.out.c_str());
    return false;
  }
  if (o.force || fs::exists(fs::path(o.out) / kMarker, ec) || fs::is_empty(o.out, ec)) return true;
  plat::Report("%s: folder is not empty and was not made by tolvane-data (use --force to write into it)",
               o.out.c_str());
  return false;
}

// Writes each finished file; safe to call from the music thread and the main thread at once.
class FolderSink {
 public:
  explicit FolderSink(std::string dir) : dir_(std::move(dir)) {}
  bool Write(const std::string& name, const std::string& bytes) {
    std::string path = (fs::path(dir_) / name).string();
    FILE* f = std::fopen(path.c_str(), "wb");
    bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f && std::fclose(f) != 0) ok = false;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!ok) plat::Report("%s: cannot write: %s", path.c_str(), std::strerror(errno));
    else ++count_;
    return ok;
  }
  int count() const { return count_; }

 private:
  std::string dir_;
  std::mutex mutex_;
  int count_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  plat::ClaimStandardDescriptors();
  plat::SetProgramName("tolvane-data");
  Options opts;
  if (!ParseArgs(argc, argv, &opts)) {
    plat::Report("%s", kUsage);
    return 2;
  }
  if (!MayWrite(opts)) return 1;
  std::error_code ec;
  fs::create_directories(opts.out, ec);
  if (ec) {
    plat::Report("%s: cannot create folder: %s", opts.out.c_str(), ec.message().c_str());
    return 1;
  }
  auto start = std::chrono::steady_clock::now();
  FolderSink folder(opts.out);
  datagen::FileSink sink = [&](const std::string& name, const std::string& bytes) { return folder.Write(name, bytes); };
  if (!sink(kMarker, "made by tolvane-data\n")) return 1;
  // The music takes about as long as everything else together, so it gets the second core.
  bool musicOk = true;
  std::thread music([&] { musicOk = datagen::MakeMusic(sink, opts.showMusic); });
  bool ok = datagen::MakeModels(sink) && datagen::MakeTracks(sink) && datagen::MakeMaps(sink) &&
            datagen::MakeOverlays(sink, opts.fonts);
  music.join();
  if (!ok || !musicOk) return 1;
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("tolvane-data: wrote %d files to %s in %.1f s\n", folder.count() - 1, opts.out.c_str(), seconds);
  return 0;
}
