// capture_options.cpp -- command-line parsing and checking for tolvane-capture.
#include "capture_options.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "bench_report.h"
#include "contact_sheet.h"
#include "platform/diagnostics.h"
#include "show/show_start.h"

namespace capture {

namespace {

constexpr int kMaxFps = 1000;
constexpr int kMaxJobs = 64;

bool Fail(std::string* error, std::string why) {
  *error = std::move(why);
  return false;
}

ParseResult Bad(std::string* error, std::string why) {
  *error = std::move(why);
  return ParseResult::kBadArguments;
}

bool EndsWith(const std::string& s, const std::string& suffix) {
  if (s.size() < suffix.size()) return false;
  for (size_t i = 0; i < suffix.size(); ++i)
    if (tolower(static_cast<unsigned char>(s[s.size() - suffix.size() + i])) != suffix[i]) return false;
  return true;
}

// Number of leading digits of s from pos, at most `limit`; 0 when there are none or too many.
size_t DigitRun(const std::string& s, size_t pos, size_t limit) {
  size_t n = 0;
  while (pos + n < s.size() && isdigit(static_cast<unsigned char>(s[pos + n]))) ++n;
  return n <= limit ? n : 0;
}

bool ReadCount(const std::string& name, const std::string& text, int limit, int* count, std::string* error) {
  size_t digits = DigitRun(text, 0, 4);
  int value = digits == text.size() && digits > 0 ? atoi(text.c_str()) : 0;
  if (value < 1 || value > limit) {
    *error = name + " needs a whole number from 1 to " + std::to_string(limit) + " (got \"" + text + "\")";
    return false;
  }
  *count = value;
  return true;
}

Output OutputKindOf(const std::string& out) {
  if (out == "-" || EndsWith(out, ".y4m")) return Output::kY4m;
  if (EndsWith(out, ".png")) return Output::kPngFile;
  return Output::kPngDirectory;
}

// Which of the options that place the section were given.
struct Given {
  bool from = false;
  bool to = false;
  bool out = false;
  bool sheet = false;
  bool look = false;
  bool sheetShape = false;  // --every or --tile-width
};

// --scene stands for --from and --to; with --frame, the frame must lie in the scene.
bool ApplyScene(Options* o, Given given, std::string* error) {
  if (given.from || given.to) return Fail(error, "--scene sets --from and --to; give either, not both");
  const MorlenGL::ShowSection section = MorlenGL::SceneSection(o->scene);
  o->from = section.from;
  if (!o->singleFrame) {
    o->to = section.to;
  } else if (o->to < section.from || o->to > section.to) {
    return Fail(error, "--frame lies outside scene " + std::to_string(o->scene + 1) + " (" +
                           FormatTime(section.from) + " to " + FormatTime(section.to) + ")");
  }
  return true;
}

// A sheet is one picture of frames picked across the section, each a whole frame or more apart.
bool CheckSheet(const Options& o, Given given, std::string* error) {
  if (given.out + given.sheet + given.look > 1) return Fail(error, "--out, --sheet and --look each name the output; give one");
  if (o.output != Output::kSheet) {
    if (given.sheetShape) return Fail(error, "--every and --tile-width shape a sheet; add --sheet FILE.png");
    return true;
  }
  if (!EndsWith(o.out, ".png")) return Fail(error, "--sheet needs a FILE.png");
  if (o.singleFrame) return Fail(error, "--sheet shows frames across the section; drop --frame, or give --to");
  if (!o.audio.empty()) return Fail(error, "--sheet writes one picture; drop --audio");
  if (o.jobs > 1) return Fail(error, "--sheet is made by one process; drop --jobs");
  if (int64_t{o.every} * o.fps < 100)
    return Fail(error, "--every " + FormatTime(o.every) + " is shorter than a frame at " + std::to_string(o.fps) +
                           " fps");
  if (!IsTileWidth(o.tileWidth)) return Fail(error, "--tile-width needs 1024, 512, 256, 128 or 64");
  const SheetLayout l = LayOutSheet(static_cast<int>(SheetPicks(o.from, o.to, o.every, o.fps).size()), o.tileWidth);
  if (int64_t{l.width} * l.height > kMaxSheetPixels)
    return Fail(error, "--sheet: " + std::to_string(l.tiles) + " tiles make a picture of " + std::to_string(l.width) +
                           " x " + std::to_string(l.height) + "; give a longer --every or a smaller --tile-width");
  return true;
}

// The look report measures every frame of the section in one process.
bool CheckLook(const Options& o, std::string* error) {
  if (o.output != Output::kLook) return true;
  if (!EndsWith(o.out, ".png")) return Fail(error, "--look needs a FILE.png for its strip plot");
  if (o.singleFrame) return Fail(error, "--look measures frames across the section; drop --frame, or give --to");
  if (!o.audio.empty()) return Fail(error, "--look writes one picture; drop --audio");
  if (o.jobs > 1) return Fail(error, "--look is made by one process; drop --jobs");
  return true;
}

// Everything that is wrong only in combination, after all options are read.
bool CheckCombination(Options* o, Given given, std::string* error) {
  if (o->singleFrame && given.to) return Fail(error, "--frame and --to both end the section; give one");
  if (o->scene >= 0 && !ApplyScene(o, given, error)) return false;
  if (o->from > kShowEnd) return Fail(error, "--from lies after the end of the show (5:04.0)");
  if (o->singleFrame && o->to > kShowEnd) return Fail(error, "--frame lies after the end of the show (5:04.0)");
  if (o->to < o->from)
    return Fail(error, std::string(o->singleFrame ? "--frame" : "--to") + " lies before --from");
  if (SectionFrames(o->from, o->to, o->fps).Count() == 0)
    return Fail(error, "no frame at " + std::to_string(o->fps) + " fps lies between " + FormatTime(o->from) +
                           " and " + FormatTime(o->to));
  if (!o->benchJson.empty()) o->bench = true;
  if (o->bench && (!o->out.empty() || !o->audio.empty()))
    return Fail(error, "--bench writes no files; drop --out and --audio");
  if (o->bench && o->jobs > 1) return Fail(error, "--bench times one process; drop --jobs");
  if (o->quickStart && o->jobs > 1) return Fail(error, "--quick-start pieces would not join up; drop --jobs");
  if (!CheckSheet(*o, given, error) || !CheckLook(*o, error)) return false;
  if (o->singleFrame && o->output != Output::kPngFile) return Fail(error, "--frame needs --out FILE.png");
  if (!o->singleFrame && o->output == Output::kPngFile)
    return Fail(error, "--out FILE.png holds one frame; add --frame TIME, or give a directory");
  if (o->out.empty() && o->audio.empty() && !o->bench)
    return Fail(error, "nothing to do: give --out, --sheet, --look, --audio or --bench");
  return true;
}

bool ApplyValue(const std::string& name, const std::string& value, Options* o, Given* given, std::string* error) {
  bool ok = true;
  if (name == "--out" || name == "--sheet" || name == "--look") {
    o->out = value;
    o->output = name == "--out" ? OutputKindOf(value) : name == "--sheet" ? Output::kSheet : Output::kLook;
    (name == "--out" ? given->out : name == "--sheet" ? given->sheet : given->look) = true;
  } else if (name == "--every") {
    ok = MorlenGL::ReadCommandLineTime(value, &o->every, error);
    given->sheetShape = true;
  } else if (name == "--tile-width") {
    given->sheetShape = true;
    return ReadCount(name, value, kFrameWidth, &o->tileWidth, error);
  } else if (name == "--frame") {
    ok = MorlenGL::ReadCommandLineTime(value, &o->to, error);
    o->singleFrame = true;
  } else if (name == "--from") {
    ok = MorlenGL::ReadCommandLineTime(value, &o->from, error);
    given->from = true;
  } else if (name == "--to") {
    ok = MorlenGL::ReadCommandLineTime(value, &o->to, error);
    given->to = true;
  } else if (name == "--scene") {
    ok = MorlenGL::FindScene(value, &o->scene, error);
  } else if (name == "--fps") {
    return ReadCount(name, value, kMaxFps, &o->fps, error);
  } else if (name == "--jobs") {
    return ReadCount(name, value, kMaxJobs, &o->jobs, error);
  } else if (name == "--audio") {
    o->audio = value;
  } else if (name == "--bench-json") {
    o->benchJson = value;
  } else {
    o->dataDir = value;
  }
  if (!ok) *error = name + ": " + *error;
  return ok;
}

}  // namespace

std::string UsageText() {
  return "usage: tolvane-capture [options]\n"
         "Runs the show headless, frame by frame at a fixed rate, and records it.\n"
         "  --out PATH        a directory for numbered PNG frames (and loading.png when\n"
         "                    starting at 0), a FILE.y4m, or - for a YUV4MPEG2 stream on stdout\n"
         "  --frame TIME      render up to TIME and write only that frame (--out FILE.png)\n"
         "  --sheet FILE.png  one picture of frames across the section in a grid, each\n"
         "                    labelled with its show time; only those frames are read back\n"
         "  --every SECONDS   time between the sheet's frames, written as a TIME (default 10)\n"
         "  --tile-width N    pixels across each frame on the sheet: 1024, 512, 256 (default),\n"
         "                    128 or 64\n"
         "  --look FILE.png   print per scene the share of frames that are pale (mean luma\n"
         "                    above 170), clipped (30 % of pixels at 235 or more) and dark (mean\n"
         "                    below 8), and write FILE.png, a strip of every frame's brightness\n"
         "  --from TIME       start of the section (default 0:00)\n"
         "  --to TIME         end of the section (default: the end of the show, 5:04)\n"
         "  --scene SCENE     the section SCENE plays (instead of --from and --to; with\n"
         "                    --frame, from the scene's start to the frame)\n"
         "  --fps N           frames per second of show time (default 60)\n"
         "  --quick-start     start by moving the clocks and the music to --from, as the live\n"
         "                    show does, instead of replaying the show up to it: quick, but what\n"
         "                    earlier frames build up starts afresh (for --bench, quick looks)\n"
         "  --jobs N          cut the section where scenes end and capture the pieces in up\n"
         "                    to N processes of this program at once; the files are the\n"
         "                    same as one process writes\n"
         "  --audio FILE.wav  the sound of exactly the captured section\n"
         "  --bench           write no files; print CPU and GPU time per frame and per scene\n"
         "  --bench-json FILE the same figures as JSON (implies --bench)\n"
         "  --data DIR        the folder that holds data/ (default: the working directory)\n"
         "  --verbose         print every diagnostic and any OpenGL error after a frame\n"
         "  --progress-lines  progress as lines \"" + std::string(kProgressLinePrefix) +
         "N\" on stderr, N the frames\n"
         "                    made since 0:00, for a program reading them (--jobs does)\n"
         "  -h, --help        this text\n"
         "TIME is [minutes:]seconds[.fraction] with at most two decimals: 1:20.5 is eighty and a\n"
         "half seconds, 1:20.01 eighty seconds and one hundredth.\n"
         "A section holds the frames a capture from 0:00 at the same rate has between its ends,\n"
         "byte for byte: the show is first replayed up to the start, drawing without pixels\n"
         "except in the scenes running at the start, which are drawn from their own start.\n"
         "SCENE is 1 to 7 in timeline order, or the scene's name:\n  " +
         MorlenGL::SceneNameList() +
         "\n"
         "Every destination is created before the show loads.\n"
         "Exit codes: 0 done, 2 bad arguments, 3 nothing rendered or a file could not be written;\n"
         "the show's own codes pass through (1 no OpenGL 2.1, 99 no framebuffer objects,\n"
         "10 a particle system drawn before its Init); Ctrl-C or SIGTERM stops after the frame\n"
         "being made, with the files holding the frames made and their sound, and 128 + the signal\n"
         "(with --jobs, the frames from the start up to the first unfinished piece); a second\n"
         "one ends at once.\n";
}

std::string SummaryLine(const Options& o, int64_t firstFrame, int64_t frames, double seconds,
                        const std::string& destination) {
  const int64_t last = firstFrame + std::max<int64_t>(frames, 1) - 1;
  char line[512];
  snprintf(line, sizeof line, "%s: %lld frame%s, %s to %s at %d fps, in %.1f s (%.1f frames/s)",
           plat::ProgramName(), static_cast<long long>(frames), frames == 1 ? "" : "s", FormatTime(FrameTime(firstFrame, o.fps)).c_str(),
           FormatTime(FrameTime(last, o.fps)).c_str(), o.fps, seconds, seconds > 0 ? frames / seconds : 0.0);
  return line + (destination.empty() ? "" : " -> " + destination) + "\n";
}

void AnchorOutputPaths(Options* o, const std::string& startDir) {
  for (std::string* path : {&o->out, &o->audio, &o->benchJson}) {
    // The system says what is rooted: "/x" on Linux; "C:\x", "\x" and "/x" on Windows.
    const std::filesystem::path given(*path);
    if (!path->empty() && *path != "-" && !given.has_root_name() && !given.has_root_directory())
      *path = startDir + "/" + *path;
  }
}

ParseResult ParseArguments(const std::vector<std::string>& args, Options* o, std::string* error) {
  Given given;
  for (size_t i = 0; i < args.size(); ++i) {
    MorlenGL::OptionWord word = MorlenGL::SplitOption(args[i]);
    const std::string& name = word.name;
    if (name == "-h" || name == "--help") return ParseResult::kHelp;
    static const std::pair<const char*, bool Options::*> kSwitches[] = {
        {"--bench", &Options::bench},
        {"--verbose", &Options::verbose},
        {"--progress-lines", &Options::progressLines},
        {"--quick-start", &Options::quickStart}};
    bool isSwitch = false;
    for (const auto& [switchName, member] : kSwitches) {
      if (name != switchName) continue;
      if (word.hasValue) return Bad(error, name + " takes no value");
      o->*member = isSwitch = true;
    }
    if (isSwitch) continue;
    static const char* const kValued[] = {"--out", "--frame", "--from", "--to", "--scene", "--fps",
                                          "--audio", "--bench-json", "--data", "--jobs",
                                          "--sheet", "--every", "--tile-width", "--look"};
    bool known = false;
    for (const char* v : kValued) known = known || name == v;
    if (!known) return Bad(error, "unknown option '" + name + "'");
    if (!MorlenGL::TakeValue(args, &i, &word, error)) return ParseResult::kBadArguments;
    if (!ApplyValue(name, word.value, o, &given, error)) return ParseResult::kBadArguments;
  }
  return CheckCombination(o, given, error) ? ParseResult::kRun : ParseResult::kBadArguments;
}

}  // namespace capture
