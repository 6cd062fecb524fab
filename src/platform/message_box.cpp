// message_box.cpp -- the console message box: one stderr line, questions answered Yes.
#include "platform/message_box.h"

#include <string>

#include "platform/diagnostics.h"

namespace plat {

bool IsQuestion(unsigned style) { return (style & 0x0F) == kMbYesNo; }

std::string OneLine(const char* text) {
  std::string line = text ? text : "";
  for (char& c : line)
    if (c == '\n' || c == '\r') c = ' ';
  return line;
}

int ConsoleMessageBox(const char* text, const char* caption, unsigned style, const char* detail) {
  const bool question = IsQuestion(style);
  std::string line = OneLine(caption) + ": " + OneLine(text);
  if (detail && *detail) line += " (" + OneLine(detail) + ")";
  if (question) line += " [answered Yes]";
  Report("%s", line.c_str());
  return question ? kIdYes : kIdOk;
}

}  // namespace plat
