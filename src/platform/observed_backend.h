// observed_backend.h -- the headless EGL backend with a hook on every buffer swap (captures, tests).
#pragma once
#include <memory>

#include "platform/window_backend.h"

namespace plat {

// Told of each presented picture while it is still in the framebuffer.
class SwapObserver {
 public:
  virtual ~SwapObserver() = default;
  virtual void BeforeSwap() = 0;
};

// Owner: the window class, like any backend; the observer must outlive it.
std::unique_ptr<WindowBackend> CreateObservedHeadlessBackend(SwapObserver* observer);

}  // namespace plat
