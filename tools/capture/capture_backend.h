// capture_backend.h -- the headless window backend with a hook on every buffer swap.
#pragma once
#include <memory>

#include "platform/window_backend.h"

namespace capture {

// Told of each presented picture while it is still in the framebuffer.
class SwapObserver {
 public:
  virtual ~SwapObserver() = default;
  virtual void BeforeSwap() = 0;
};

// Owner: the window class, like any backend; the observer must outlive it.
std::unique_ptr<plat::WindowBackend> CreateCaptureBackend(SwapObserver* observer);

}  // namespace capture
