// fake_window.cpp -- the scripted backend: message rounds, idle passes and a log of every call.
#include "platform/fake_window.h"

#include <algorithm>

#include "platform/message_box.h"

namespace plat {

int FakeWindowBackend::Count(const std::string& entry) const {
  return static_cast<int>(std::count(log.begin(), log.end(), entry));
}

bool FakeWindowBackend::Open(std::string* error) {
  log.push_back("open");
  if (failOpen && error) *error = "scripted open failure";
  return !failOpen;
}

bool FakeWindowBackend::Close() {
  log.push_back("close");
  return !failClose;
}

bool FakeWindowBackend::Create(const WindowDesc& desc, std::string* error) {
  if (failCreate != CreateStage::kNone) {
    log.push_back("create failed");
    if (error) *error = "scripted creation failure";
    return false;
  }
  created = true;
  const bool offered = std::find(offeredSamples.begin(), offeredSamples.end(), desc.samples) != offeredSamples.end();
  samples = offered ? desc.samples : 0;
  log.push_back("create bits=" + std::to_string(desc.bits) + " samples=" + std::to_string(samples) +
                " fullscreen=" + std::to_string(desc.fullscreen ? 1 : 0));
  return true;
}

void FakeWindowBackend::Destroy() {
  log.push_back("destroy");
  teardown = created ? failTeardown : 0;
  created = false;
  samples = 0;
}

const char* FakeWindowBackend::PlatformExtensions() {
  return platformExtensions ? platformExtensions->c_str() : nullptr;
}

const char* FakeWindowBackend::GlExtensions() {
  return created && glExtensions ? glExtensions->c_str() : nullptr;
}

int FakeWindowBackend::FindMultisampleFormat(int wanted) {
  log.push_back("probe " + std::to_string(wanted));
  if (!created) return 0;
  return std::find(offeredSamples.begin(), offeredSamples.end(), wanted) != offeredSamples.end() ? wanted : 0;
}

bool FakeWindowBackend::SetFullscreen(bool on, int, int, int) {
  log.push_back(on ? "fullscreen on" : "fullscreen off");
  if (on && !displayModeOffered) return false;
  return !(created && failSwitch);
}

bool FakeWindowBackend::PeekMessage(Message* msg) {
  if (round < rounds.size() && position < rounds[round].size()) {
    *msg = rounds[round][position++];
    return true;
  }
  // Win32 hands out a posted quit only once nothing else is queued.
  if (quit) {
    *msg = {kMsgQuit, static_cast<uintptr_t>(*quit), 0};
    quit.reset();
    return true;
  }
  if (round < rounds.size()) {
    ++round;
    position = 0;
    ++idlePasses;
    return false;
  }
  scriptEnded = true;
  *msg = {kMsgQuit, static_cast<uintptr_t>(kScriptEnded), 0};
  return true;
}

void FakeWindowBackend::PostQuit(int code) {
  log.push_back("quit " + std::to_string(code));
  quit = code;
}

int FakeWindowBackend::MessageBox(const char* text, const char* caption, unsigned style, const char* detail) {
  log.push_back(std::string("box ") + caption + "|" + text);
  if (detail) details.push_back(detail);
  if (!answers.empty()) {
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  return (style & 0x0F) == kMbYesNo ? kIdYes : kIdOk;
}

}  // namespace plat
