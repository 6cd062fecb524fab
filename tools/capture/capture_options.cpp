// capture_options.cpp -- command-line parsing and checking for tolvane-capture.
#include "capture_options.h"

#include <cctype>
#include <cstdlib>
#include <utility>

#include "sequencing/time_string.h"

namespace capture {

namespace {

constexpr int kMaxFps = 1000;

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

bool WellFormedTime(const std::string& t) {
  size_t colon = t.find(':');
  size_t pos = 0;
  if (colon != std::string::npos) {
    if (colon == 0 || DigitRun(t, 0, 4) != colon) return false;
    pos = colon + 1;
  }
  size_t seconds = DigitRun(t, pos, 4);
  if (seconds == 0 || pos + seconds >= t.size() || t[pos + seconds] != '.') return false;
  pos += seconds + 1;
  size_t fraction = DigitRun(t, pos, 3);
  return fraction > 0 && pos + fraction == t.size() && atoi(t.c_str() + pos) <= 99;
}

bool ReadFps(const std::string& text, int* fps, std::string* error) {
  size_t digits = DigitRun(text, 0, 4);
  int value = digits == text.size() && digits > 0 ? atoi(text.c_str()) : 0;
  if (value < 1 || value > kMaxFps) {
    *error = "needs a whole number from 1 to " + std::to_string(kMaxFps) + ", not '" + text + "'";
    return false;
  }
  *fps = value;
  return true;
}

Output OutputKindOf(const std::string& out) {
  if (out == "-" || EndsWith(out, ".y4m")) return Output::kY4m;
  if (EndsWith(out, ".png")) return Output::kPngFile;
  return Output::kPngDirectory;
}

// Everything that is wrong only in combination, after all options are read.
bool CheckCombination(Options* o, bool toGiven, std::string* error) {
  if (o->singleFrame && toGiven) return Fail(error, "--frame and --to both end the section; give one");
  if (o->from > kShowEnd) return Fail(error, "--from lies after the end of the show (5:04.0)");
  if (o->singleFrame && o->to > kShowEnd) return Fail(error, "--frame lies after the end of the show (5:04.0)");
  if (o->to < o->from)
    return Fail(error, std::string(o->singleFrame ? "--frame" : "--to") + " lies before --from");
  if (!o->benchJson.empty()) o->bench = true;
  if (o->bench && (!o->out.empty() || !o->audio.empty()))
    return Fail(error, "--bench writes no files; drop --out and --audio");
  if (o->singleFrame && o->output != Output::kPngFile) return Fail(error, "--frame needs --out FILE.png");
  if (!o->singleFrame && o->output == Output::kPngFile)
    return Fail(error, "--out FILE.png holds one frame; add --frame TIME, or give a directory");
  if (o->out.empty() && o->audio.empty() && !o->bench)
    return Fail(error, "nothing to do: give --out, --audio or --bench");
  return true;
}

bool ApplyValue(const std::string& name, const std::string& value, Options* o, bool* toGiven,
                std::string* error) {
  bool ok = true;
  if (name == "--out") {
    o->out = value;
    o->output = OutputKindOf(value);
  } else if (name == "--frame") {
    ok = ReadTimeText(value, &o->to, error);
    o->singleFrame = true;
  } else if (name == "--from") {
    ok = ReadTimeText(value, &o->from, error);
  } else if (name == "--to") {
    ok = ReadTimeText(value, &o->to, error);
    *toGiven = true;
  } else if (name == "--fps") {
    ok = ReadFps(value, &o->fps, error);
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

const char* UsageText() {
  return "usage: tolvane-capture [options]\n"
         "Runs the show headless, frame by frame at a fixed rate, and records it.\n"
         "  --out PATH        a directory for numbered PNG frames (and loading.png when\n"
         "                    starting at 0), a FILE.y4m, or - for a YUV4MPEG2 stream on stdout\n"
         "  --frame TIME      render up to TIME and write only that frame (--out FILE.png)\n"
         "  --from TIME       start of the section (default 0:00.0)\n"
         "  --to TIME         end of the section (default: the end of the show, 5:04.0)\n"
         "  --fps N           frames per second of show time (default 60)\n"
         "  --audio FILE.wav  the sound of exactly the captured section\n"
         "  --bench           write no files; print CPU and GPU time per frame and per scene\n"
         "  --bench-json FILE the same figures as JSON (implies --bench)\n"
         "  --data DIR        the folder that holds data/ (default: the working directory)\n"
         "  --verbose         print every diagnostic and any OpenGL error after a frame\n"
         "  -h, --help        this text\n"
         "TIME is [minutes:]seconds.hundredths, as the show writes it (1:52.001); the digits\n"
         "after the point count whole hundredths, so 1:20.5 is 1:20.05.\n"
         "Exit codes: 0 done, 2 bad arguments, 3 nothing rendered or a file could not be written;\n"
         "the show's own codes pass through (1 no OpenGL 2.1, 99 no framebuffer objects,\n"
         "10 a particle system drawn before its Init).\n";
}

void AnchorOutputPaths(Options* o, const std::string& startDir) {
  for (std::string* path : {&o->out, &o->audio, &o->benchJson})
    if (!path->empty() && *path != "-" && (*path)[0] != '/') *path = startDir + "/" + *path;
}

bool ReadTimeText(const std::string& text, int32_t* hundredths, std::string* error) {
  if (!WellFormedTime(text)) {
    *error = "'" + text + "' is not a time such as 1:52.001 or 57.0";
    return false;
  }
  *hundredths = MorlenGL::ParseTimeString(text);
  return true;
}

ParseResult ParseArguments(const std::vector<std::string>& args, Options* o, std::string* error) {
  bool toGiven = false;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i], value;
    bool hasInline = false;
    if (size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
      hasInline = true;
    }
    if (name == "-h" || name == "--help") return ParseResult::kHelp;
    bool isFlag = name == "--bench" || name == "--verbose";
    if (isFlag) {
      if (hasInline) return Bad(error, name + " takes no value");
      (name == "--bench" ? o->bench : o->verbose) = true;
      continue;
    }
    static const char* const kValued[] = {"--out", "--frame", "--from", "--to", "--fps",
                                          "--audio", "--bench-json", "--data"};
    bool known = false;
    for (const char* v : kValued) known = known || name == v;
    if (!known) return Bad(error, "unknown option '" + name + "'");
    if (!hasInline) {
      if (i + 1 >= args.size()) return Bad(error, name + " needs a value");
      value = args[++i];
    }
    if (value.empty()) return Bad(error, name + " needs a value");

    if (!ApplyValue(name, value, o, &toGiven, error)) return ParseResult::kBadArguments;
  }
  return CheckCombination(o, toGiven, error) ? ParseResult::kRun : ParseResult::kBadArguments;
}

}  // namespace capture
