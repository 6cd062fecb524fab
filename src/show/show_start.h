// show_start.h -- where a run of the show starts: command-line times, scene names and the show's arguments.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace MorlenGL {

// The application ends the show in the frame whose time reaches 5:04.0.
constexpr int32_t kShowEnd = 30400;

// A time typed on a command line, in ordinary decimals: [minutes:]seconds[.fraction], so
// "0:10.5" is 1050 hundredths and "1:20.01" is 8001. At most two decimals: the show counts
// hundredths. (The show's own timeline texts follow ParseTimeString instead.) On failure
// *error says why in one line.
bool ReadCommandLineTime(std::string_view text, int32_t* hundredths, std::string* error);

// "1" to "7" in timeline order, or a scene's name as kTimeline lists it ("greeting").
bool FindScene(std::string_view text, int* index, std::string* error);

// The section the scene at timeline `index` plays on its own: its window, its end clipped to
// the end of the show, and its start moved just after the end of the scene before where the
// two windows share a time (abstract I's window opens at 0:57.0, where the planet scene's
// last frame lies), so the seven sections follow one another without sharing a frame.
struct ShowSection {
  int32_t from = 0;
  int32_t to = 0;
};
ShowSection SceneSection(int index);

// "1 planet, 2 abstract1, ..." for usage texts.
std::string SceneNameList();

// One word of a command line: "--name=value" carries its value; any other word is a name.
struct OptionWord {
  std::string name;
  std::string value;
  bool hasValue = false;
};
OptionWord SplitOption(const std::string& word);
// For an option that needs a value: its own "=value", or else the next word (advancing *i).
// False, with *error, when the value is missing or empty.
bool TakeValue(const std::vector<std::string>& args, size_t* i, OptionWord* word, std::string* error);

// The arguments of tolvane and tolvane-fullscreen (without the program name): none, or one
// of --scene N|NAME and --from TIME (also as --scene=N), and --verbose. *startAt receives the
// show time of the first frame. On kBadArguments *error holds one line saying why.
enum class ShowArguments { kRun, kHelp, kBadArguments };
ShowArguments ParseShowArguments(const std::vector<std::string>& args, int32_t* startAt, bool* verbose,
                                 std::string* error);
std::string ShowUsage(const std::string& program);

// False, with the one line that says where it looked, when the working directory's data folder
// holds no file of a kind the show reads: a wrong folder, rather than a few missing files.
bool FindShowData(std::string* line);

}  // namespace MorlenGL
