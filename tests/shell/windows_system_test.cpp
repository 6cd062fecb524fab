// windows_system_test.cpp -- cWindowsSystem on the scripted fake: frame loop, window procedure, creation and teardown.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "platform/diagnostics.h"
#include "platform/fake_window.h"
#include "platform/message_box.h"
#include "shell/windows_system.h"

using MorlenGL::cWindowsSystem;
using plat::FakeWindowBackend;
using plat::Message;

namespace {

Message Key(bool down, uint32_t vk) { return {down ? plat::kMsgKeyDown : plat::kMsgKeyUp, vk, 0}; }
Message Minimise() { return {plat::kMsgActivate, 0x10000, 0}; }
Message Restore() { return {plat::kMsgActivate, 1, 0}; }

// Logs its frame hooks into the fake's log, so one sequence shows everything in order.
class ScriptedSystem : public cWindowsSystem {
 public:
  int frames = 0;
  int falseFromFrame = 0;  // DrawFrame returns false from this frame on (0: never)
  FakeWindowBackend* fake = nullptr;

  bool UpdateFrame() override {
    fake->log.push_back("update");
    return true;
  }
  bool DrawFrame() override {
    fake->log.push_back("draw");
    ++frames;
    return falseFromFrame == 0 || frames < falseFromFrame;
  }
};

class WindowsSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto backend = std::make_unique<FakeWindowBackend>();
    fake = backend.get();
    sys.fake = fake;
    sys.SetBackend(std::move(backend));
    sys.m_fullscreen = false;
    sys.m_askFullscreen = false;
    sys.m_width = 1024;
    sys.m_height = 768;
    MorlenGL::g_pWindowsSystem = &sys;
    plat::CaptureDiagnostics(&diagnostics);
  }
  void TearDown() override {
    plat::CaptureDiagnostics(nullptr);
    MorlenGL::g_pWindowsSystem = nullptr;
  }
  // What happened after the window came up (everything when it never did).
  std::vector<std::string> LogAfterCreation() const {
    auto it = std::find(fake->log.begin(), fake->log.end(), "show");
    return {it == fake->log.end() ? fake->log.begin() : it + 1, fake->log.end()};
  }
  bool Logged(const std::string& entry) const { return fake->Count(entry) > 0; }

  ScriptedSystem sys;
  FakeWindowBackend* fake = nullptr;
  std::vector<std::string> diagnostics;
};

using Log = std::vector<std::string>;

// ---- >>frame loop ----------------------------------------------------------------------

TEST_F(WindowsSystemTest, EscapeEndsTheLoopBeforeThatFramesUpdateDrawAndSwap) {
  fake->rounds = {{}, {Key(true, plat::kVkEscape)}, {}};
  ASSERT_TRUE(sys.CreateWindowAndContext());
  EXPECT_EQ(sys.MessageLoop(), 0);
  EXPECT_EQ(LogAfterCreation(), (Log{"update", "draw", "swap"}));
  EXPECT_EQ(fake->idlePasses, 2);
  EXPECT_FALSE(fake->scriptEnded);
}

TEST_F(WindowsSystemTest, DrawFrameFalseEndsTheLoopAfterItsSwap) {
  sys.falseFromFrame = 2;
  fake->rounds = {{}, {}, {}, {}};
  ASSERT_TRUE(sys.CreateWindowAndContext());
  EXPECT_EQ(sys.MessageLoop(), 0);
  EXPECT_EQ(LogAfterCreation(), (Log{"update", "draw", "swap", "update", "draw", "swap"}));
  EXPECT_FALSE(fake->scriptEnded);
}

TEST_F(WindowsSystemTest, MinimisedMakesNoFramesButF1StillSwitchesOnTheSameWindow) {
  fake->rounds = {{Minimise(), Key(true, plat::kVkF1)}, {}, {Key(true, plat::kVkF1)}, {Restore()}};
  ASSERT_TRUE(sys.CreateWindowAndContext());
  void* context = sys.m_hRC;
  EXPECT_EQ(sys.MessageLoop(), FakeWindowBackend::kScriptEnded);
  // One switch per key press: the entry is cleared, so the idle pass after it does nothing.
  EXPECT_EQ(LogAfterCreation(), (Log{"fullscreen on", "show", "fullscreen off", "show", "update", "draw", "swap"}));
  EXPECT_FALSE(sys.m_fullscreen);
  EXPECT_FALSE(sys.m_keys[plat::kVkF1]);
  EXPECT_EQ(fake->Count("destroy"), 0);
  EXPECT_EQ(sys.m_hRC, context);
}

TEST_F(WindowsSystemTest, F1ToAnUnsupportedModeOffersWindowedOrEndsTheLoop) {
  fake->displayModeOffered = false;
  fake->rounds = {{Key(true, plat::kVkF1)}, {}, {Key(true, plat::kVkF1)}, {}};
  fake->answers = {plat::kIdYes, plat::kIdNo};
  ASSERT_TRUE(sys.CreateWindowAndContext());
  EXPECT_EQ(sys.MessageLoop(), 0);
  const std::string question =
      "box Ravik GL|The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?";
  EXPECT_EQ(LogAfterCreation(),
            (Log{"update", "draw", "swap", "fullscreen on", question, "fullscreen off", "show",  // Yes
                 "update", "draw", "swap",                                                       // windowed on
                 "update", "draw", "swap", "fullscreen on", question, "box ERROR|Program Will Now Close."}));
  EXPECT_FALSE(fake->scriptEnded);
}

TEST_F(WindowsSystemTest, FailedSwitchBackToWindowedEndsTheLoop) {
  sys.m_fullscreen = true;
  fake->rounds = {{Key(true, plat::kVkF1)}, {}};
  ASSERT_TRUE(sys.CreateWindowAndContext());
  fake->failSwitch = true;
  EXPECT_EQ(sys.MessageLoop(), 0);
  EXPECT_FALSE(fake->scriptEnded);
  EXPECT_EQ(fake->idlePasses, 1);
  EXPECT_EQ(diagnostics.size(), 1u);
}

TEST_F(WindowsSystemTest, CloseMessagePostsQuitAndTheLoopReturnsItsCode) {
  fake->rounds = {{{plat::kMsgClose, 0, 0}, Key(true, plat::kVkA)}, {}};
  ASSERT_TRUE(sys.CreateWindowAndContext());
  EXPECT_EQ(sys.MessageLoop(), 0);
  // Messages already queued are handled before the quit; no frame is made.
  EXPECT_EQ(LogAfterCreation(), (Log{"quit 0"}));
  EXPECT_TRUE(sys.m_keys[plat::kVkA]);
  EXPECT_EQ(fake->idlePasses, 0);
  EXPECT_FALSE(fake->scriptEnded);
}

// ---- >>window procedure ------------------------------------------------------------------

TEST_F(WindowsSystemTest, WindowProcTracksKeysActivationAndSize) {
  auto send = [](uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    return cWindowsSystem::StaticWndProc(nullptr, msg, wParam, lParam);
  };
  EXPECT_EQ(send(plat::kMsgKeyDown, plat::kVkEscape, 0), 0);
  EXPECT_TRUE(sys.m_keys[plat::kVkEscape]);
  send(plat::kMsgKeyUp, plat::kVkEscape, 0);
  EXPECT_FALSE(sys.m_keys[plat::kVkEscape]);
  // A code past the key table is ignored instead of written beyond it.
  send(plat::kMsgKeyDown, 256 + plat::kVkEscape, 0);
  send(plat::kMsgKeyUp, uintptr_t{1} << 40, 0);
  EXPECT_EQ(std::count(std::begin(sys.m_keys), std::end(sys.m_keys), true), 0);

  send(plat::kMsgActivate, 0x10000 | 1, 0);  // minimised, even if active
  EXPECT_FALSE(sys.m_active);
  send(plat::kMsgActivate, 0, 0);  // deactivated but not minimised
  EXPECT_TRUE(sys.m_active);

  send(plat::kMsgSize, 0, plat::SizeParam(640, 0));
  EXPECT_EQ(sys.m_width, 640);
  EXPECT_EQ(sys.m_height, 1);
  EXPECT_EQ(send(plat::kMsgSysCommand, plat::kScScreenSave, 0), 0);
  EXPECT_TRUE(fake->log.empty());
}

TEST(Projection, ZeroHeightCountsAsOneAndKeepsTheAspectFinite) {
  const MorlenGL::Projection p = MorlenGL::ComputeProjection(640, 0, 0.1f, 10000.0f);
  EXPECT_EQ(p.viewportWidth, 640);
  EXPECT_EQ(p.viewportHeight, 1);
  EXPECT_DOUBLE_EQ(p.aspect, 640.0);
  EXPECT_DOUBLE_EQ(MorlenGL::ComputeProjection(1024, 768, 0.1f, 10000.0f).aspect, 1024.0 / 768.0);
  EXPECT_DOUBLE_EQ(p.fovy, 45.0);
  EXPECT_FLOAT_EQ(static_cast<float>(p.zNear), 0.1f);
}

// ---- >>creation and teardown -----------------------------------------------------------------

TEST_F(WindowsSystemTest, CreationFailureShowsItsMessageAndRunReturnsTheNoWindowCode) {
  fake->failCreate = plat::CreateStage::kContext;
  EXPECT_EQ(sys.Run(), MorlenGL::kExitNoWindow) << "a show that never opened is no success";
  EXPECT_TRUE(Logged("box ERROR|Can't Create A GL Rendering Context."));
  EXPECT_FALSE(Logged("swap"));
  EXPECT_EQ(sys.m_hWnd, nullptr);
  EXPECT_EQ(sys.m_hInstance, nullptr);
  // The message comes after the teardown and carries the backend's reason for stderr.
  EXPECT_EQ(fake->log.back(), "box ERROR|Can't Create A GL Rendering Context.");
  EXPECT_EQ(fake->details, (Log{"scripted creation failure"}));
}

TEST_F(WindowsSystemTest, EveryCreationStageHasItsOwnMessage) {
  const std::pair<plat::CreateStage, const char*> stages[] = {
      {plat::CreateStage::kWindow, "Window Creation Error."},
      {plat::CreateStage::kDeviceContext, "Can't Create A GL Device Context."},
      {plat::CreateStage::kPixelFormat, "Can't Find A Suitable PixelFormat."},
      {plat::CreateStage::kSetPixelFormat, "Can't Set The PixelFormat."},
      {plat::CreateStage::kMakeCurrent, "Can't Activate The GL Rendering Context."}};
  for (const auto& [stage, text] : stages) {
    fake->failCreate = stage;
    EXPECT_FALSE(sys.CreateWindowAndContext());
    EXPECT_EQ(fake->log.back(), std::string("box ERROR|") + text);
  }
  fake->failOpen = true;
  fake->log.clear();
  EXPECT_FALSE(sys.CreateWindowAndContext());
  EXPECT_EQ(fake->log, (Log{"open", "box ERROR|Failed To Register The Window Class."}));
}

TEST_F(WindowsSystemTest, UnsupportedStartModeRunsWindowedOnYesAndClosesOnNo) {
  sys.m_fullscreen = true;
  fake->displayModeOffered = false;
  ASSERT_TRUE(sys.CreateWindowAndContext());
  EXPECT_FALSE(sys.m_fullscreen);
  EXPECT_TRUE(Logged("create bits=32 samples=0 fullscreen=0"));
  sys.DestroyWindowAndContext();

  sys.m_fullscreen = true;
  fake->answers = {plat::kIdNo};
  fake->log.clear();
  EXPECT_EQ(sys.Run(), 0);
  EXPECT_EQ(fake->log[fake->log.size() - 2], "box ERROR|Program Will Now Close.");
  EXPECT_EQ(fake->log.back(), "close");
  EXPECT_TRUE(std::none_of(fake->log.begin(), fake->log.end(),
                           [](const std::string& entry) { return entry.rfind("create", 0) == 0; }));
}

TEST_F(WindowsSystemTest, TeardownReportsEachFailureAndGoesOn) {
  ASSERT_TRUE(sys.CreateWindowAndContext());
  fake->failTeardown = plat::kTeardownReleaseCurrent | plat::kTeardownDeleteContext | plat::kTeardownReleaseDC |
                       plat::kTeardownDestroyWindow;
  fake->failClose = true;
  fake->log.clear();
  sys.DestroyWindowAndContext();
  EXPECT_EQ(fake->log, (Log{"destroy", "box SHUTDOWN ERROR|Release Of DC And RC Failed.",
                            "box SHUTDOWN ERROR|Release Rendering Context Failed.",
                            "box SHUTDOWN ERROR|Release Device Context Failed.",
                            "box SHUTDOWN ERROR|Could Not Release m_hWnd.", "close",
                            "box SHUTDOWN ERROR|Could Not Unregister Class."}));
  EXPECT_EQ(sys.m_hRC, nullptr);
  EXPECT_EQ(sys.m_hDC, nullptr);
}

TEST_F(WindowsSystemTest, MultisampleFormatMakesCreationRunTwice) {
  fake->platformExtensions = "WGL_ARB_pixel_format WGL_ARB_multisample";
  fake->offeredSamples = {2};
  ASSERT_TRUE(sys.CreateWindowAndContext());
  EXPECT_EQ(fake->log, (Log{"open", "create bits=32 samples=0 fullscreen=0", "probe 4", "probe 2", "destroy", "close",
                            "open", "create bits=32 samples=2 fullscreen=0", "show"}));
  EXPECT_TRUE(sys.m_multisampleSupported);
  EXPECT_EQ(sys.m_multisampleFormat, 2);
  EXPECT_EQ(sys.Backend()->Samples(), 2);

  // Once found, later creations reuse the format without searching; the first colour
  // depth stays even though m_bits changed.
  sys.DestroyWindowAndContext();
  sys.m_bits = 16;
  fake->log.clear();
  ASSERT_TRUE(sys.CreateWindowAndContext());
  EXPECT_EQ(fake->log, (Log{"open", "create bits=32 samples=2 fullscreen=0", "show"}));
}

TEST_F(WindowsSystemTest, WithoutTheExtensionTheWindowIsCreatedOnce) {
  fake->offeredSamples = {4, 2};
  fake->glExtensions = "GL_ARB_multisample WGL_ARB_multisample_pixel";
  ASSERT_TRUE(sys.CreateWindowAndContext());
  EXPECT_EQ(fake->log, (Log{"open", "create bits=32 samples=0 fullscreen=0", "show"}));
  EXPECT_FALSE(sys.m_multisampleSupported);

  // The GL extension string stands in when the platform has no list of its own.
  fake->glExtensions = "GL_ARB_multisample WGL_ARB_multisample";
  EXPECT_TRUE(sys.ChooseMultisampleFormat());
  EXPECT_EQ(sys.m_multisampleFormat, 4);
}

TEST(HasWglExtension, CountsOnlyWholeNamesAfterTheStartOrASpace) {
  const char* name = "WGL_ARB_multisample";
  EXPECT_TRUE(cWindowsSystem::HasWglExtension(name, "WGL_ARB_multisample"));
  EXPECT_TRUE(cWindowsSystem::HasWglExtension(name, "WGL_EXT_a WGL_ARB_multisample WGL_EXT_b"));
  EXPECT_TRUE(cWindowsSystem::HasWglExtension(name, "WGL_ARB_multisample_x WGL_ARB_multisample"));
  EXPECT_TRUE(cWindowsSystem::HasWglExtension(name, "XWGL_ARB_multisample WGL_ARB_multisample "));
  EXPECT_FALSE(cWindowsSystem::HasWglExtension(name, "WGL_ARB_multisample_x"));
  EXPECT_FALSE(cWindowsSystem::HasWglExtension(name, "XWGL_ARB_multisample"));
  EXPECT_FALSE(cWindowsSystem::HasWglExtension(name, "WGL_ARB_multi"));
  EXPECT_FALSE(cWindowsSystem::HasWglExtension(name, "WGL_EXT_a,WGL_ARB_multisample"));
  EXPECT_FALSE(cWindowsSystem::HasWglExtension(name, ""));
  EXPECT_FALSE(cWindowsSystem::HasWglExtension("", "WGL_ARB_multisample"));
}

// ---- >>run -------------------------------------------------------------------------------------

TEST_F(WindowsSystemTest, RunAsksFirstAndNoMeansWindowed) {
  sys.m_askFullscreen = true;
  sys.m_fullscreen = true;
  fake->answers = {plat::kIdNo};
  fake->rounds = {{Key(true, plat::kVkEscape)}};
  EXPECT_EQ(sys.Run(), 0);
  EXPECT_EQ(fake->log.front(), "box Start Fullscreen?|Would You Like To Run In Fullscreen Mode?");
  EXPECT_FALSE(sys.m_fullscreen);
  EXPECT_TRUE(Logged("create bits=32 samples=0 fullscreen=0"));
}

TEST_F(WindowsSystemTest, PlainWindowSystemLoadsOnceAndRunsToEscape) {
  cWindowsSystem plain;
  auto backend = std::make_unique<FakeWindowBackend>();
  FakeWindowBackend* plainFake = backend.get();
  plain.SetBackend(std::move(backend));
  plain.m_fullscreen = false;
  plain.m_askFullscreen = false;
  plainFake->rounds = {{}, {Key(true, plat::kVkEscape)}};
  MorlenGL::g_pWindowsSystem = &plain;
  EXPECT_EQ(plain.Run(), 0);
  EXPECT_FALSE(plainFake->scriptEnded);
  // The loading step's swap, one frame, then the teardown.
  EXPECT_EQ(plainFake->Count("swap"), 2);
  EXPECT_EQ(plainFake->log.back(), "close");
  EXPECT_FALSE(plain.m_loadingPending);
}

TEST(ConsoleMessageBox, OneLineAndTheAnswerThatCarriesOn) {
  std::vector<std::string> lines;
  plat::CaptureDiagnostics(&lines);
  EXPECT_EQ(plat::ConsoleMessageBox("Use\nWindowed?", "Ravik GL", plat::kMbYesNo | plat::kMbIconExclamation),
            plat::kIdYes);
  EXPECT_EQ(plat::ConsoleMessageBox("Program Will Now Close.", "ERROR", plat::kMbOk | plat::kMbIconStop), plat::kIdOk);
  EXPECT_EQ(plat::ConsoleMessageBox("Window Creation Error.", "ERROR", plat::kMbOk, "no\nvisual"), plat::kIdOk);
  plat::CaptureDiagnostics(nullptr);
  EXPECT_EQ(lines, (std::vector<std::string>{"Ravik GL: Use Windowed? [answered Yes]", "ERROR: Program Will Now Close.",
                                             "ERROR: Window Creation Error. (no visual)"}));
}

}  // namespace
