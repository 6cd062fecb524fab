// show_start.cpp -- decimal command-line times, scene lookup by number or name, the show's own arguments.
#include "show/show_start.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "platform/data_path.h"
#include "sequencing/time_string.h"
#include "shell/windows_system.h"
#include "show/demo_scene.h"

namespace MorlenGL {

namespace {

bool Fail(std::string* error, std::string why) {
  *error = std::move(why);
  return false;
}

size_t LeadingDigits(std::string_view s) {
  size_t n = 0;
  while (n < s.size() && isdigit(static_cast<unsigned char>(s[n]))) ++n;
  return n;
}

// Callers pass at most five digits, so the value fits easily.
int64_t DigitValue(std::string_view digits) {
  int64_t v = 0;
  for (char c : digits) v = v * 10 + (c - '0');
  return v;
}

bool SameLetters(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return tolower(static_cast<unsigned char>(x)) == tolower(static_cast<unsigned char>(y));
         });
}

// Fraction digits after the point as hundredths: ".5" is 50, ".05" is 5.
bool ReadFraction(std::string_view rest, const std::string& quoted, int64_t* hundredths, std::string* error) {
  const size_t n = LeadingDigits(rest);
  if (n == 0 || n != rest.size()) return Fail(error, quoted + " is not a time such as 1:20.5 or 57");
  if (n > 2)
    return Fail(error, quoted + " has more than two decimals: times count hundredths of a second"
                                " (to start where a scene starts, use --scene)");
  *hundredths = DigitValue(rest) * (n == 1 ? 10 : 1);
  return true;
}

bool ReadStart(const OptionWord& word, int32_t* startAt, std::string* error) {
  if (word.name == "--scene") {
    int index = 0;
    if (!FindScene(word.value, &index, error)) return Fail(error, "--scene: " + *error);
    *startAt = SceneSection(index).from;
    return true;
  }
  if (!ReadCommandLineTime(word.value, startAt, error)) return Fail(error, "--from: " + *error);
  if (*startAt > kShowEnd) return Fail(error, "--from lies after the end of the show (5:04.0)");
  return true;
}

}  // namespace

OptionWord SplitOption(const std::string& word) {
  const size_t eq = word.find('=');
  if (word.rfind("--", 0) != 0 || eq == std::string::npos) return {word, "", false};
  return {word.substr(0, eq), word.substr(eq + 1), true};
}

bool TakeValue(const std::vector<std::string>& args, size_t* i, OptionWord* word, std::string* error) {
  if (!word->hasValue && *i + 1 < args.size()) {
    word->value = args[++*i];
    word->hasValue = true;
  }
  if (word->value.empty()) return Fail(error, word->name + " needs a value");
  return true;
}

bool ReadCommandLineTime(std::string_view text, int32_t* hundredths, std::string* error) {
  const std::string quoted = "'" + std::string(text) + "'";
  const std::string malformed = quoted + " is not a time such as 1:20.5 or 57";
  std::string_view rest = text;
  int64_t minutes = 0;
  const bool hasMinutes = rest.find(':') != std::string_view::npos;
  if (hasMinutes) {
    const size_t colon = rest.find(':');
    if (colon == 0 || colon > 4 || LeadingDigits(rest) != colon) return Fail(error, malformed);
    minutes = DigitValue(rest.substr(0, colon));
    rest.remove_prefix(colon + 1);
  }
  const size_t secondDigits = LeadingDigits(rest);
  if (secondDigits == 0 || secondDigits > (hasMinutes ? 2u : 5u)) return Fail(error, malformed);
  const int64_t seconds = DigitValue(rest.substr(0, secondDigits));
  rest.remove_prefix(secondDigits);
  if (hasMinutes && seconds >= 60) return Fail(error, quoted + " has 60 seconds or more after its minutes");
  int64_t fraction = 0;
  if (!rest.empty()) {
    if (rest[0] != '.') return Fail(error, malformed);
    if (!ReadFraction(rest.substr(1), quoted, &fraction, error)) return false;
  }
  *hundredths = static_cast<int32_t>((minutes * 60 + seconds) * 100 + fraction);
  return true;
}

bool FindScene(std::string_view text, int* index, std::string* error) {
  for (int i = 0; i < kSceneCount; ++i) {
    if (SameLetters(text, kTimeline[i].name) || text == std::to_string(i + 1)) {
      *index = i;
      return true;
    }
  }
  return Fail(error, "'" + std::string(text) + "' is no scene; give 1 to 7 or a name: " + SceneNameList());
}

ShowSection SceneSection(int index) {
  int32_t from = ParseTimeString(kTimeline[index].startText);
  if (index > 0) from = std::max(from, ParseTimeString(kTimeline[index - 1].endText) + 1);
  return {from, std::min(ParseTimeString(kTimeline[index].endText), kShowEnd)};
}

std::string SceneNameList() {
  std::string list;
  for (int i = 0; i < kSceneCount; ++i)
    list += (i ? ", " : "") + std::to_string(i + 1) + " " + kTimeline[i].name;
  return list;
}

ShowArguments ParseShowArguments(const std::vector<std::string>& args, int32_t* startAt, bool* verbose,
                                 std::string* error) {
  bool given = false;
  *startAt = 0;
  *verbose = false;
  for (size_t i = 0; i < args.size(); ++i) {
    OptionWord word = SplitOption(args[i]);
    if (word.name == "-h" || word.name == "--help") return ShowArguments::kHelp;
    if (word.name == "--verbose" && !word.hasValue) {
      *verbose = true;
      continue;
    }
    if (word.name != "--scene" && word.name != "--from") {
      *error = "unknown option '" + args[i] + "'";
      return ShowArguments::kBadArguments;
    }
    if (!TakeValue(args, &i, &word, error)) return ShowArguments::kBadArguments;
    if (given) {
      *error = "give one start: --scene or --from, once";
      return ShowArguments::kBadArguments;
    }
    given = true;
    if (!ReadStart(word, startAt, error)) return ShowArguments::kBadArguments;
  }
  return ShowArguments::kRun;
}

std::string ShowUsage(const std::string& program) {
  return "usage: " + program + " [--scene SCENE | --from TIME] [--verbose]\n" +
         "Plays the show from its beginning, or from a later point with the music there too.\n"
         "  --scene SCENE   start where a scene starts\n"
         "  --from TIME     start at TIME\n"
         "  --verbose       print every diagnostic, and when the loading picture and the\n"
         "                  show's first frame were on screen, counted from the process start\n"
         "  -h, --help      this text\n"
         "A later start moves the clocks and the music there at once: what earlier frames build\n"
         "up (particles, trails, fades, random draws, a scene's picture so far) starts afresh,\n"
         "so it can differ from a run from the beginning. tolvane-capture --from replays the\n"
         "show up to the start and gives exactly the frames of a run from the beginning.\n"
         "SCENE is 1 to 7 in timeline order, or the scene's name:\n  " + SceneNameList() + "\n" +
         "TIME is [minutes:]seconds[.fraction] with at most two decimals, such as 1:20.5.\n"
         "Escape ends the show, F1 switches between window and full screen.\n"
         "Exit codes: 0 the show ended or was ended, 1 no OpenGL 2.1 or the display went away,\n"
         "2 bad arguments, " + std::to_string(kExitNoWindow) + " no window could be opened (no display, no OpenGL context),\n"
         "10 a particle system drawn before its Init, 99 no framebuffer objects.\n";
}

bool FindShowData(std::string* line) {
  std::string where;
  if (plat::HoldsDataFiles("data", &where)) return true;
  *line = "no file of the show found in " + where;
  return false;
}

}  // namespace MorlenGL
