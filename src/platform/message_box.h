// message_box.h -- message boxes with Win32's styles and answers: a dialog where a display exists, else stderr.
#pragma once
#include <string>

namespace plat {

enum MessageBoxStyle : unsigned {
  kMbOk = 0x00,
  kMbYesNo = 0x04,
  kMbIconStop = 0x10,
  kMbIconQuestion = 0x20,
  kMbIconExclamation = 0x30,
  kMbIconInformation = 0x40,
};

enum MessageBoxResult : int { kIdOk = 1, kIdYes = 6, kIdNo = 7 };

bool IsQuestion(unsigned style);
// The texts carry Win32 line breaks; a diagnostics line has none.
std::string OneLine(const char* text);

// Caption, text and the technical detail (may be null) on one diagnostics line. A question
// is answered Yes: every question the show asks is worded so that Yes carries on.
int ConsoleMessageBox(const char* text, const char* caption, unsigned style, const char* detail = nullptr);

// A dialog on the display, the detail on stderr, while the show's window system is open; the
// console box otherwise (headless runs and tests never wait for a click).
int ShowMessageBox(const char* text, const char* caption, unsigned style, const char* detail = nullptr);

}  // namespace plat
