// sdl_message_box.cpp -- SDL message boxes, falling back to the console box when there is no display.
#include "platform/message_box.h"

#include <SDL2/SDL.h>

#include <string>

#include "platform/diagnostics.h"

namespace plat {

namespace {

uint32_t SdlIconFlags(unsigned style) {
  switch (style & 0xF0) {
    case kMbIconStop: return SDL_MESSAGEBOX_ERROR;
    case kMbIconExclamation: return SDL_MESSAGEBOX_WARNING;
    default: return SDL_MESSAGEBOX_INFORMATION;
  }
}

}  // namespace

int ShowMessageBox(const char* text, const char* caption, unsigned style, const char* detail) {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return ConsoleMessageBox(text, caption, style, detail);
  const SDL_MessageBoxButtonData okButton[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kIdOk, "OK"}};
  const SDL_MessageBoxButtonData yesNoButtons[] = {
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kIdNo, "No"},
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, kIdYes, "Yes"}};
  const bool question = IsQuestion(style);
  SDL_MessageBoxData box{};
  box.flags = SdlIconFlags(style);
  box.title = caption;
  box.message = text;
  box.numbuttons = question ? 2 : 1;
  box.buttons = question ? yesNoButtons : okButton;
  int answer = -1;
  if (SDL_ShowMessageBox(&box, &answer) != 0) return ConsoleMessageBox(text, caption, style, detail);
  if (detail && *detail) Report("%s", OneLine(detail).c_str());
  // Closed by the window manager without a button: take the console's answer.
  if (answer < 0) return question ? kIdYes : kIdOk;
  return answer;
}

}  // namespace plat
