// fake_window.h -- a scripted window backend without OpenGL: feeds messages, records what the window class does.
#pragma once
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/window_backend.h"

namespace plat {

// Drives the message loop from a script. Round i's messages are delivered one by one;
// then (after a posted quit, if any) one peek finds nothing, which is idle pass i, where
// the loop makes its frame. After the last idle pass the fake posts kScriptEnded, so a
// loop that should have ended by itself still returns and the test can tell.
class FakeWindowBackend final : public WindowBackend {
 public:
  static constexpr int kScriptEnded = 0x7FFF;

  // ---- script ----
  std::vector<std::vector<Message>> rounds;
  bool failOpen = false;
  bool failClose = false;
  CreateStage failCreate = CreateStage::kNone;
  uint32_t failTeardown = 0;              // TeardownFailure bits every Destroy reports
  bool displayModeOffered = true;         // the full-screen mode exists
  bool failSwitch = false;                // switching an existing window fails
  std::optional<std::string> platformExtensions;
  std::optional<std::string> glExtensions;
  std::vector<int> offeredSamples;        // multisample formats the "driver" offers
  std::deque<int> answers;                // message box answers; the console's answer when empty

  // ---- record ----
  // "open", "close", "create bits=32 samples=4 fullscreen=0", "create failed", "destroy",
  // "probe 4", "fullscreen on", "fullscreen off", "swap", "show", "box CAPTION|TEXT", "quit 0".
  std::vector<std::string> log;
  std::vector<std::string> details;  // the technical details that came with message boxes
  int idlePasses = 0;
  bool scriptEnded = false;

  int Count(const std::string& entry) const;

  bool Open(std::string* error) override;
  bool Close() override;
  bool Create(const WindowDesc& desc, std::string* error) override;
  CreateStage LastCreateFailure() const override { return failCreate; }
  void Destroy() override;
  uint32_t LastTeardownFailures() const override { return teardown; }
  bool IsCreated() const override { return created; }
  int Samples() const override { return samples; }
  const char* PlatformExtensions() override;
  const char* GlExtensions() override;
  int FindMultisampleFormat(int wanted) override;
  bool ProvidesOpenGL() const override { return false; }
  bool SetFullscreen(bool on, int width, int height, int bits) override;
  bool PeekMessage(Message* msg) override;
  void PostQuit(int code) override;
  void Swap() override { log.push_back("swap"); }
  void Show() override { log.push_back("show"); }
  int MessageBox(const char* text, const char* caption, unsigned style, const char* detail) override;

 private:
  bool created = false;
  int samples = 0;
  uint32_t teardown = 0;
  size_t round = 0, position = 0;
  std::optional<int> quit;
};

}  // namespace plat
