// observed_backend.cpp -- forwards everything to the headless EGL backend; Swap reports first.
#include "platform/observed_backend.h"

namespace plat {

namespace {

class ObservedBackend final : public WindowBackend {
 public:
  explicit ObservedBackend(SwapObserver* observer) : inner_(CreateHeadlessBackend()), observer_(observer) {}

  bool Open(std::string* error) override { return inner_->Open(error); }
  bool Close() override { return inner_->Close(); }
  bool Create(const WindowDesc& desc, std::string* error) override { return inner_->Create(desc, error); }
  CreateStage LastCreateFailure() const override { return inner_->LastCreateFailure(); }
  void Destroy() override { inner_->Destroy(); }
  uint32_t LastTeardownFailures() const override { return inner_->LastTeardownFailures(); }
  bool IsCreated() const override { return inner_->IsCreated(); }
  void* WindowHandle() const override { return inner_->WindowHandle(); }
  void* ContextHandle() const override { return inner_->ContextHandle(); }
  int Samples() const override { return inner_->Samples(); }
  const char* PlatformExtensions() override { return inner_->PlatformExtensions(); }
  const char* GlExtensions() override { return inner_->GlExtensions(); }
  int FindMultisampleFormat(int samples) override { return inner_->FindMultisampleFormat(samples); }
  bool ProvidesOpenGL() const override { return inner_->ProvidesOpenGL(); }
  bool SetFullscreen(bool on, int width, int height, int bits) override {
    return inner_->SetFullscreen(on, width, height, bits);
  }
  bool PeekMessage(Message* msg) override { return inner_->PeekMessage(msg); }
  void PostQuit(int code) override { inner_->PostQuit(code); }
  void Swap() override {
    observer_->BeforeSwap();
    inner_->Swap();
  }
  void Show() override { inner_->Show(); }
  int MessageBox(const char* text, const char* caption, unsigned style, const char* detail) override {
    return inner_->MessageBox(text, caption, style, detail);
  }

 private:
  std::unique_ptr<WindowBackend> inner_;
  SwapObserver* observer_;
};

}  // namespace

std::unique_ptr<WindowBackend> CreateObservedHeadlessBackend(SwapObserver* observer) {
  return std::make_unique<ObservedBackend>(observer);
}

}  // namespace plat
