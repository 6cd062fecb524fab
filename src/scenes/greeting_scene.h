// greeting_scene.h -- the greeting scene.
#pragma once
#include "sequencing/scene_system.h"

namespace MorlenGL {

class cGreetingScene : public cSceneSystem {
 public:
  int Init() override;
  void Update() override;
  void Draw() override;
};

}  // namespace MorlenGL
