// win32_message_box.cpp -- real Win32 message boxes (owner null), the technical detail on stderr.
#include <windows.h>

#include <string>

#include "platform/diagnostics.h"
#include "platform/message_box.h"

namespace plat {

int ShowMessageBox(const char* text, const char* caption, unsigned style, const char* detail) {
  auto wide = [](const char* utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8 ? utf8 : "", -1, nullptr, 0);
    std::wstring out(length > 0 ? length : 1, L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, utf8 ? utf8 : "", -1, out.data(), length);
    return out;
  };
  if (detail && *detail) Report("%s", OneLine(detail).c_str());
  const int answer = MessageBoxW(nullptr, wide(text).c_str(), wide(caption).c_str(), style);
  // No box could be shown (no desktop): take the console's answer.
  if (answer == 0) return ConsoleMessageBox(text, caption, style, nullptr);
  return answer;
}

}  // namespace plat
